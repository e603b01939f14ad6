// Time scales, calendar dates and Julian days, delta-T, angles and
// coordinates: the base of every astronomical and calendar computation.
//
// Civil Beijing time is UTC+8; universal time is civil time minus 8 hours;
// dynamical time (TT) is universal time plus delta-T. Every function here is
// pure and allocates nothing.
#pragma once

#include <cstdint>

namespace lumtar::astro {

// The constant table. pi is deliberately the truncated 3.14159265, also inside
// every derived constant, so that results match the original series.
inline constexpr double kPi = 3.14159265;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kArcsecPerRad = 648000.0 / kPi;
inline constexpr double kDegPerRad = 180.0 / kPi;
inline constexpr double kAstronomicalUnitKm = 149597870.691;
inline constexpr double kSpeedOfLightKmS = 299792.458;
// Light time for one AU, in Julian centuries.
inline constexpr double kLightTimeAuCenturies = kAstronomicalUnitKm / kSpeedOfLightKmS / 86400.0 / 36525.0;
// Synodic periods in days of the ephemeris bodies 1..8 (index 0 unused).
inline constexpr double kSynodicPeriodDays[9] = {0, 116, 584, 780, 399, 378, 370, 367, 367};

inline constexpr double kJ2000 = 2451545.0;
// Civil Beijing time minus universal time, in days.
inline constexpr double kBeijingOffsetDays = 8.0 / 24.0;

// A clock reading; a fresh clock reads 2000-01-01 12:00:00.
struct ClockTime {
  int32_t year = 2000;
  int32_t month = 1;
  int32_t day = 1;
  int32_t hour = 12;
  int32_t minute = 0;
  int32_t second = 0;
};

// A civil date-time to the minute: astronomical year numbering, Julian
// calendar before 1582-10-15. Also carries lunar dates (the leap flag is kept
// beside it by the caller).
struct DateTime {
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
  int16_t hour = 0;
  int16_t minute = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

struct SphericalPos {
  double lon = 0;  // radians
  double lat = 0;  // radians
  double radius = 0;
};

struct RectangularPos {
  double x = 0;
  double y = 0;
  double z = 0;
};

// Julian day of a calendar date; `day` carries the time of day as a fraction.
double JulianDayOfCalendar(int year, int month, double day);
ClockTime CalendarOfJulianDay(double jd);
// Rounded to the nearest minute, half a minute rounding down.
DateTime DateTimeOfJulianDay(double jd);
double JulianDayOfClock(const ClockTime& c);

// TT - UT in seconds for a year with fraction.
double DeltaTSeconds(double year);
// TT - UT in days for a day count from J2000.
double DeltaTDays(double daysFromJ2000);

double NormalizeAngle(double v);  // [0, 2pi)
double WrapAngle(double v);       // (-pi, pi]

RectangularPos ToRectangular(const SphericalPos& p);
SphericalPos ToSpherical(const RectangularPos& r);
// Rotation about the x axis by e: +obliquity takes ecliptic to equatorial.
SphericalPos RotateSpherical(const SphericalPos& p, double e);
// The target as seen from the observer (both about the same origin).
SphericalPos RelativeSpherical(const SphericalPos& target, const SphericalPos& observer);


}  // namespace lumtar::astro
