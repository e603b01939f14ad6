#include <gtest/gtest.h>

#include <cmath>

#include "timescale.h"

using namespace lumtar::astro;

// Calendar days and their Julian days both ways: the Julian calendar up to
// 1582-10-04, the Gregorian from the next day, 1582-10-15, on; astronomical
// year numbers (0 is 1 BC).
TEST(JulianDay, CalendarDaysBothWays) {
  struct Case {
    int y, m, d;
    double jd;
  } cases[] = {
      {-4712, 1, 1, -0.5},      // epoch of the Julian day
      {0, 1, 1, 1721057.5},     // 1 BC, Julian calendar
      {-1, 12, 31, 1721056.5},  // the day before
      {1582, 10, 4, 2299159.5}, // the last Julian day of the reform
      {1582, 10, 15, 2299160.5}, // the first Gregorian one, the next day
      {1600, 1, 1, 2305447.5},  {2000, 1, 1, 2451544.5}, {2100, 12, 31, 2488433.5},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(JulianDayOfCalendar(c.y, c.m, c.d), c.jd) << c.y;
    ClockTime t = CalendarOfJulianDay(c.jd);
    EXPECT_EQ(t.year, c.y);
    EXPECT_EQ(t.month, c.m);
    EXPECT_EQ(t.day, c.d);
  }
  // Every day from 1500 to 2200 comes back as itself.
  double start = JulianDayOfCalendar(1500, 1, 1);
  for (int i = 0; i < 700 * 366; i += 7) {
    ClockTime t = CalendarOfJulianDay(start + i);
    ASSERT_DOUBLE_EQ(JulianDayOfCalendar(t.year, t.month, t.day), start + i);
  }
}

TEST(JulianDay, J2000Epoch) {
  EXPECT_DOUBLE_EQ(JulianDayOfCalendar(2000, 1, 1.5), 2451545.0);
  ClockTime c = CalendarOfJulianDay(2451545.0);
  EXPECT_EQ(c.year, 2000);
  EXPECT_EQ(c.month, 1);
  EXPECT_EQ(c.day, 1);
  EXPECT_EQ(c.hour, 12);
  EXPECT_EQ(c.minute, 0);
  EXPECT_EQ(c.second, 0);
  ClockTime fresh;
  EXPECT_DOUBLE_EQ(JulianDayOfClock(fresh), 2451545.0);
}

// A moment is shown to the nearest minute; half a minute rounds down, and a
// rounding can carry into the next day, month and year.
TEST(JulianDay, DateTimeRoundsToTheMinute) {
  struct Case {
    int y, m, d, h, mi, s;
    DateTime shown;
  } cases[] = {
      {2020, 5, 6, 10, 15, 30, {2020, 5, 6, 10, 15}},
      {2020, 5, 6, 10, 15, 31, {2020, 5, 6, 10, 16}},
      {2020, 4, 30, 23, 59, 45, {2020, 5, 1, 0, 0}},
      {1999, 12, 31, 23, 59, 45, {2000, 1, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    const double jd = JulianDayOfCalendar(c.y, c.m, c.d + ((c.s / 60.0 + c.mi) / 60.0 + c.h) / 24.0);
    EXPECT_EQ(DateTimeOfJulianDay(jd), c.shown) << c.y << "-" << c.m << "-" << c.d << " " << c.h << ":" << c.mi
                                                << ":" << c.s;
  }
}

TEST(DeltaT, TableValuesAndJoins) {
  // Row starts give their constant term.
  struct Value {
    double year, seconds;
  } values[] = {{2015, 69.0}, {2000, 63.87}, {1600, 120.0}, {1900, -2.3}, {1700, 10.2}};
  for (const Value& v : values) EXPECT_DOUBLE_EQ(DeltaTSeconds(v.year), v.seconds) << v.year;
  EXPECT_NEAR(DeltaTSeconds(2115), 31 * 2.95 * 2.95 - 20, 1e-9);
  EXPECT_NEAR(DeltaTSeconds(2115.0001), DeltaTSeconds(2115), 1e-3);
  // The 2005 row runs up to 2015; the closing value takes over there.
  EXPECT_NEAR(DeltaTSeconds(2014.9999), 64.7 + 0.4 * 9.9999, 1e-9);
  // The rows join without a step.
  for (double y : {-500.0, 900.0, 1700.0, 1900.0, 1980.0}) {
    double lo = DeltaTSeconds(y), hi = DeltaTSeconds(y + 1e-9);
    EXPECT_NEAR(lo, hi, 1e-3) << y;
  }
  // Between 2015 and 2115 the curve is continuous and rising.
  double prev = DeltaTSeconds(2015);
  for (double y = 2015.5; y <= 2115; y += 0.5) {
    double v = DeltaTSeconds(y);
    EXPECT_GT(v, prev);
    EXPECT_LT(v - prev, 2.0);
    prev = v;
  }
  // Years below -500, also below -4000, use the first row.
  double t = (-5000.0 + 4000) / 3500 * 10;
  EXPECT_DOUBLE_EQ(DeltaTSeconds(-5000), 108371.7 - 13036.8 * t + 392.0 * t * t);
  EXPECT_DOUBLE_EQ(DeltaTDays(0), DeltaTSeconds(2000) / 86400);
}

TEST(Angles, ReduceAndWrap) {
  EXPECT_DOUBLE_EQ(WrapAngle(kPi), kPi);
  EXPECT_DOUBLE_EQ(WrapAngle(-kPi), kPi);
  EXPECT_DOUBLE_EQ(NormalizeAngle(-0.1), kTwoPi - 0.1);
  EXPECT_NEAR(NormalizeAngle(5 * kTwoPi + 1), 1, 1e-12);
  EXPECT_NEAR(WrapAngle(kTwoPi - 0.5), -0.5, 1e-12);
  EXPECT_EQ(kPi, 3.14159265);
  EXPECT_DOUBLE_EQ(kArcsecPerRad, 648000 / 3.14159265);
}

TEST(Coordinates, RoundTripAndRotation) {
  SphericalPos p{1.2, 0.3, 2.5};
  SphericalPos q = ToSpherical(ToRectangular(p));
  EXPECT_NEAR(q.lon, p.lon, 1e-12);
  EXPECT_NEAR(q.lat, p.lat, 1e-12);
  EXPECT_NEAR(q.radius, p.radius, 1e-12);
  // Ecliptic to equatorial and back.
  double e = 23.4392911 / kDegPerRad;
  SphericalPos eq = RotateSpherical(p, e);
  SphericalPos back = RotateSpherical(eq, -e);
  EXPECT_NEAR(back.lon, p.lon, 1e-12);
  EXPECT_NEAR(back.lat, p.lat, 1e-12);
  EXPECT_DOUBLE_EQ(eq.radius, p.radius);
  // The ecliptic point at 90° lies at declination +obliquity.
  SphericalPos summer = RotateSpherical({kPi / 2, 0, 1}, e);
  EXPECT_NEAR(summer.lat, e, 1e-12);
  EXPECT_NEAR(summer.lon, kPi / 2, 1e-8);
  // Seen from an observer one unit along x, the origin lies at longitude 180°.
  SphericalPos rel = RelativeSpherical({0, 0, 0}, {0, 0, 1});
  EXPECT_NEAR(rel.lon, kPi, 1e-8);
  EXPECT_NEAR(rel.radius, 1, 1e-12);
}
