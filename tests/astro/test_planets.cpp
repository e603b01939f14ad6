#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "planets.h"
#include "precession.h"
#include "series_tables.h"

using namespace lumtar::astro;
using lumtar::astro::detail::kVsopBodies;

namespace {

double Deg(double rad) { return rad * kDegPerRad; }

// A dynamical-time Julian day as a Beijing civil moment.
DateTime BeijingOfCentury(double t) {
  const double d = t * 36525;
  return DateTimeOfJulianDay(d + kJ2000 - DeltaTDays(d) + kBeijingOffsetDays);
}

}  // namespace

TEST(VsopTables, CountsPerSeries) {
  const int counts[8][18] = {
      {186, 114, 60, 8, 4, 4, 23, 3, 1, 0, 0, 0, 236, 142, 85, 5, 9, 2},
      {141, 89, 17, 10, 9, 2, 73, 21, 12, 9, 7, 2, 118, 64, 13, 9, 5, 0},
      {79, 39, 17, 4, 4, 3, 36, 21, 4, 4, 4, 1, 87, 37, 14, 3, 1, 0},
      {192, 144, 87, 32, 14, 9, 44, 28, 8, 5, 3, 2, 212, 171, 94, 28, 12, 4},
      {161, 120, 131, 65, 26, 7, 42, 42, 36, 18, 8, 1, 174, 144, 179, 93, 45, 9},
      {262, 200, 180, 77, 35, 17, 68, 63, 47, 32, 15, 6, 355, 324, 242, 157, 64, 28},
      {173, 99, 48, 30, 5, 1, 35, 26, 12, 5, 1, 0, 275, 170, 92, 51, 11, 0},
      {56, 24, 7, 4, 2, 1, 19, 15, 5, 1, 1, 0, 71, 21, 14, 1, 0, 0},
  };
  const double divisors[8] = {1e10, 1e9, 1e9, 1e9, 1e8, 1e8, 1e8, 1e8};
  for (int b = 0; b < 8; ++b) {
    EXPECT_EQ(kVsopBodies[b].divisor, divisors[b]);
    for (int s = 0; s < 18; ++s) {
      const int begin = kVsopBodies[b].offset[s], end = kVsopBodies[b].offset[s + 1];
      EXPECT_EQ(end - begin, counts[b][s]) << "body " << b << " series " << s;
      // Largest amplitudes first, amplitudes whole numbers.
      for (int k = begin; k < end; ++k) {
        EXPECT_EQ(kVsopBodies[b].terms[k].a, std::round(kVsopBodies[b].terms[k].a));
        if (k > begin) {
          EXPECT_LE(std::fabs(kVsopBodies[b].terms[k].a), std::fabs(kVsopBodies[b].terms[k - 1].a));
        }
      }
    }
  }
}

TEST(VsopTables, TellingRowsOfTheEarth) {
  const detail::VsopTerm* l0 = kVsopBodies[0].terms;
  const detail::VsopTerm rows[] = {{17534704567, 0, 0}, {334165646, 4.669256804, 6283.075849991}, {3489428, 4.6261024, 12566.1517}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(l0[i].a, rows[i].a);
    EXPECT_EQ(l0[i].b, rows[i].b);
    EXPECT_EQ(l0[i].c, rows[i].c);
  }
  const detail::VsopTerm& last = l0[185];
  EXPECT_EQ(last.a, 179);
  EXPECT_EQ(last.b, 1.259);
  EXPECT_EQ(last.c, 12559.038);
  const detail::VsopTerm& l1 = kVsopBodies[0].terms[kVsopBodies[0].offset[1]];
  EXPECT_EQ(l1.a, 62833196674749.0);
  EXPECT_EQ(l1.b, 0);
  EXPECT_EQ(l1.c, 0);
}

TEST(PlutoTables, LargestFirstWithTheStatedCounts) {
  const int counts[9] = {193, 26, 13, 183, 29, 14, 170, 20, 11};
  for (int s = 0; s < 9; ++s) {
    EXPECT_EQ(detail::kPlutoCounts[s], counts[s]);
    for (int k = 1; k < counts[s]; ++k)
      EXPECT_LE(std::llabs(detail::kPlutoSeries[s][k].a), std::llabs(detail::kPlutoSeries[s][k - 1].a));
  }
  EXPECT_EQ(detail::kPlutoSeries[0][0].a, 3670347369);
  EXPECT_EQ(detail::kPlutoSeries[0][0].f, 254266726);
  EXPECT_EQ(detail::kPlutoSeries[0][0].p, 33423175);
}

TEST(PlanetSeries, TermCountCut) {
  // n = 0: nothing of the power-0 series, exactly the first term of each
  // higher power. Checked against a hand sum for the Earth's radius, the
  // latitude of Mercury (terms at every power) and that of Neptune (none at
  // the fifth).
  const double t = -2.7, tau = t / 10;
  struct Case {
    int body, coordinate;
    double correction;
  } cases[] = {
      {0, 2, (-0.0020 + 0.0044 * tau + 0.0213 * tau * tau - 0.0250 * tau * tau * tau) * 1e-6},
      {1, 1, 0.00039 / kArcsecPerRad},
      {7, 1, 0.02481 / kArcsecPerRad},  // Neptune's B5 is empty
  };
  for (const Case& c : cases) {
    const detail::VsopBody& b = kVsopBodies[c.body];
    double sum = 0;
    for (int i = 1; i < 6; ++i) {
      const int s = 6 * c.coordinate + i;
      if (b.offset[s + 1] == b.offset[s]) continue;
      const detail::VsopTerm& first = b.terms[b.offset[s]];
      sum += first.a * std::cos(first.b + first.c * tau) * std::pow(tau, i);
    }
    EXPECT_NEAR(PlanetSeries(c.body, c.coordinate, t, 0), sum / b.divisor + c.correction, 1e-15) << c.body;
  }
  // A count beyond the series is the whole series; a short cut stays close.
  for (int b = 0; b < 8; ++b) {
    EXPECT_EQ(PlanetSeries(b, 0, 0.3, 100000), PlanetSeries(b, 0, 0.3, -1)) << b;
    EXPECT_EQ(PlanetSeries(b, 2, 0.3, std::numeric_limits<int>::max()), PlanetSeries(b, 2, 0.3, -1)) << b;
    EXPECT_NEAR(PlanetSeries(b, 0, 0.3, 8), PlanetSeries(b, 0, 0.3, -1), 1e-3) << b;
  }
  // Out of range.
  EXPECT_EQ(PlanetSeries(8, 0, 0.1), 0);
  EXPECT_EQ(PlanetSeries(-1, 0, 0.1), 0);
  EXPECT_EQ(PlanetSeries(3, 3, 0.1), 0);
}

TEST(Planets, HeliocentricAndTheSun) {
  SphericalPos sun = HeliocentricPosition(kSun, 0.4);
  EXPECT_EQ(sun.lon, 0);
  EXPECT_EQ(sun.lat, 0);
  EXPECT_EQ(sun.radius, 0);
  EXPECT_EQ(HeliocentricPosition(11, 0.4).radius, 0);
  // The apparent Sun: the Earth at t - tau seen backwards, plus nutation.
  for (double t : {-3.9, -1.0, 0.0, 0.6}) {
    const double tau = HeliocentricPosition(kEarth, t).radius * kLightTimeAuCenturies;
    const RectangularPos e = ToRectangular(HeliocentricPosition(kEarth, t - tau));
    const SphericalPos back = ToSpherical({-e.x, -e.y, -e.z});
    EclipticPosition s = ApparentPosition(kSun, t);
    EXPECT_NEAR(s.longitude, Deg(NormalizeAngle(back.lon + Nutation(t).longitude)), 1e-9) << t;
    EXPECT_NEAR(std::fmod(Deg(back.lon - std::atan2(e.y, e.x)) + 720, 360), 180, 1e-6) << t;
    EXPECT_NEAR(s.latitude, -Deg(std::asin(e.z / back.radius)), 1e-11) << t;
  }
  EXPECT_EQ(ApparentPosition(0, 0).longitude, 0);
  EXPECT_EQ(ApparentPosition(11, 0).longitude, 0);
}

TEST(Planets, ApparentPositionsAtJ2000) {
  struct Case {
    int body;
    double lon;
  } cases[] = {{kSun, 280.368},     {kMercury, 271.888}, {kVenus, 241.565},
               {kMars, 327.963},    {kJupiter, 25.253},  {kSaturn, 40.396},
               {kUranus, 314.809},  {kNeptune, 303.193}, {kPluto, 251.455}};
  for (const Case& c : cases) EXPECT_NEAR(ApparentPosition(c.body, 0).longitude, c.lon, 0.0005) << c.body;
  EXPECT_NEAR(ApparentPosition(kPluto, 0).latitude, 10.855, 0.0005);
}

TEST(Sun, ApparentLongitudeAndItsInverse) {
  EXPECT_NEAR(SunApparentLongitude(0, -1), 4.89335, 0.000005);
  EXPECT_NEAR(Deg(SunApparentLongitude(0, -1)), 280.368, 0.0005);
  EXPECT_NEAR(TimeOfSunLongitude(SunApparentLongitude(0, -1)) * 36525 * 86400, 0, 1);

  // The vernal equinox of 2000: 2000-03-20 07:36 dynamical time.
  const ClockTime c = CalendarOfJulianDay(TimeOfSunLongitude(kTwoPi) * 36525 + kJ2000);
  EXPECT_EQ(c.year, 2000);
  EXPECT_EQ(c.month, 3);
  EXPECT_EQ(c.day, 20);
  EXPECT_EQ(c.hour, 7);
  EXPECT_EQ(c.minute, 36);

  // Over 1600..2100 the inverse lands on its longitude, and the quick form
  // within ten minutes of it.
  for (int k = -400 * 24; k <= 100 * 24; k += 97) {
    const double w = k * kTwoPi / 24 + kTwoPi;
    const double t = TimeOfSunLongitude(w);
    EXPECT_NEAR(SunApparentLongitude(t, -1), w, 5e-8) << k;  // 0.01"
    EXPECT_NEAR(TimeOfSunLongitudeFast(w), t, 10.0 / 1440 / 36525) << k;
  }
}

TEST(Sun, LongitudeRateMatchesTheSeries) {
  for (double t = -4; t <= 1; t += 0.37) {
    const double h = 1e-5;
    const double numeric = (SunApparentLongitude(t + h, -1) - SunApparentLongitude(t - h, -1)) / (2 * h);
    EXPECT_NEAR(SunLongitudeRate(t), numeric, 0.5) << t;  // the Moon rocks the Earth
  }
}

TEST(Stations, RetrogradeArcsOf2000) {
  struct Case {
    int body;
    double searchFrom;  // JD
    DateTime begin, end;  // Beijing dates
  } cases[] = {
      {kMercury, 2451580.5, {2000, 2, 21, 0, 0}, {2000, 3, 14, 0, 0}},
      {kJupiter, 2451800.5, {2000, 9, 29, 0, 0}, {2001, 1, 25, 0, 0}},
  };
  for (const Case& c : cases) {
    const double t = (c.searchFrom - kJ2000) / 36525;
    DateTime b = BeijingOfCentury(StationTime(c.body, t, StationSide::Before));
    DateTime e = BeijingOfCentury(StationTime(c.body, t, StationSide::After));
    EXPECT_EQ(b.year * 10000 + b.month * 100 + b.day, c.begin.year * 10000 + c.begin.month * 100 + c.begin.day);
    EXPECT_EQ(e.year * 10000 + e.month * 100 + e.day, c.end.year * 10000 + c.end.month * 100 + c.end.day);
  }
}

TEST(Stations, RightAscensionStandsStill) {
  // At a station the right ascension turns: its rate over a day is tiny
  // beside the motion a week away.
  for (int body = 1; body <= 7; ++body) {
    for (StationSide side : {StationSide::Before, StationSide::After}) {
      const double s = StationTime(body, -2.0 + body * 0.11, side);
      const double day = 1 / 36525.0;
      auto ra = [&](double t) { return StationProbe(body, t, -1, 0).lon; };
      const double still = std::fabs(WrapAngle(ra(s + day) - ra(s - day)));
      const double moving = std::fabs(WrapAngle(ra(s + 15 * day) - ra(s + 13 * day)));
      EXPECT_LT(still, moving / 20) << body << " " << static_cast<int>(side);
    }
  }
  EXPECT_EQ(StationTime(0, 0.5, StationSide::Before), 0.5);
  EXPECT_EQ(StationTime(8, 0.5, StationSide::After), 0.5);
}
