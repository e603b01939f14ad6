#include "timescale.h"

#include <cmath>

namespace lumtar::astro {

double JulianDayOfCalendar(int year, int month, double day) {
  int y = year;
  int m = month;
  const bool gregorian = static_cast<double>(y) * 372 + m * 31 + std::floor(day) >= 588829;
  if (m <= 2) {
    y -= 1;
    m += 12;
  }
  int b = 0;
  if (gregorian) {
    int a = y / 100;
    b = 2 - a + a / 4;
  }
  return std::floor(365.25 * (y + 4716)) + std::floor(30.6001 * (m + 1)) + day + b - 1524.5;
}

ClockTime CalendarOfJulianDay(double j) {
  ClockTime c;
  double z = std::floor(j + 0.5);
  double a = z;
  if (z >= 2299161) {
    double alpha = std::floor((z - 1867216.25) / 36524.25);
    a = z + 1 + alpha - std::floor(alpha / 4);
  }
  double b = a + 1524;
  double cc = std::floor((b - 122.1) / 365.25);
  double d = std::floor(365.25 * cc);
  double e = std::floor((b - d) / 30.6001);
  c.day = static_cast<int32_t>(b - d - std::floor(30.6001 * e));
  if (e < 14) {
    c.month = static_cast<int32_t>(e - 1);
    c.year = static_cast<int32_t>(cc - 4716);
  } else {
    c.month = static_cast<int32_t>(e - 13);
    c.year = static_cast<int32_t>(cc - 4715);
  }
  double f = (j + 0.5 - z) * 24;
  c.hour = static_cast<int32_t>(std::floor(f));
  f = (f - c.hour) * 60;
  c.minute = static_cast<int32_t>(std::floor(f));
  c.second = static_cast<int32_t>(std::trunc((f - c.minute) * 60));
  return c;
}

DateTime DateTimeOfJulianDay(double j) {
  ClockTime c = CalendarOfJulianDay(j);
  if (c.second > 30) c = CalendarOfJulianDay(j - c.second / 86400.0 + 1.0 / 1440 + 5.0 / 86400);
  DateTime t;
  t.year = static_cast<int16_t>(c.year);
  t.month = static_cast<int16_t>(c.month);
  t.day = static_cast<int16_t>(c.day);
  t.hour = static_cast<int16_t>(c.hour);
  t.minute = static_cast<int16_t>(c.minute);
  return t;
}

double JulianDayOfClock(const ClockTime& c) {
  return JulianDayOfCalendar(c.year, c.month,
                             c.day + ((c.second / 60.0 + c.minute) / 60.0 + c.hour) / 24.0);
}

namespace {

struct DeltaTRow {
  double year, a, b, c, d;
};

constexpr DeltaTRow kDeltaT[] = {
    {-4000, 108371.7, -13036.8, 392.0, 0.0}, {-500, 17201.0, -627.82, 16.17, -0.3413},
    {-150, 12200.6, -346.41, 5.403, -0.1593}, {150, 9113.8, -328.13, -1.647, 0.0377},
    {500, 5707.5, -391.41, 0.915, 0.3145},    {900, 2203.4, -283.45, 13.034, -0.1778},
    {1300, 490.1, -57.35, 2.085, -0.0072},    {1600, 120.0, -9.81, -1.532, 0.1403},
    {1700, 10.2, -0.91, 0.51, -0.037},        {1800, 13.4, -0.72, 0.202, -0.0193},
    {1830, 7.8, -1.81, 0.416, -0.0247},       {1860, 8.3, -0.13, -0.406, 0.0292},
    {1880, -5.4, 0.32, -0.183, 0.0173},       {1900, -2.3, 2.06, 0.169, -0.0135},
    {1920, 21.2, 1.69, -0.304, 0.0167},       {1940, 24.2, 1.22, -0.064, 0.0031},
    {1960, 33.2, 0.51, 0.231, -0.0109},       {1980, 51.0, 1.29, -0.026, 0.0032},
    {2000, 63.87, 0.1, 0.0, 0.0},             {2005, 64.7, 0.4, 0.0, 0.0},
};
constexpr int kDeltaTRows = sizeof(kDeltaT) / sizeof(kDeltaT[0]);
constexpr double kDeltaTLastYear = 2015;
constexpr double kDeltaTLastValue = 69.0;

double DeltaTExtrapolated(double y) {
  double t = (y - 1820) / 100;
  return 31 * t * t - 20;
}

}  // namespace

double DeltaTSeconds(double y) {
  if (y >= kDeltaTLastYear) {
    if (y > kDeltaTLastYear + 100) return DeltaTExtrapolated(y);
    return DeltaTExtrapolated(y) -
           (DeltaTExtrapolated(kDeltaTLastYear) - kDeltaTLastValue) * (kDeltaTLastYear + 100 - y) / 100;
  }
  int i = 0;
  for (int k = kDeltaTRows - 1; k > 0; --k) {
    if (y >= kDeltaT[k].year) {
      i = k;
      break;
    }
  }
  double next = i + 1 < kDeltaTRows ? kDeltaT[i + 1].year : kDeltaTLastYear;
  const DeltaTRow& r = kDeltaT[i];
  double t = (y - r.year) / (next - r.year) * 10;
  return r.a + r.b * t + r.c * t * t + r.d * t * t * t;
}

double DeltaTDays(double d) { return DeltaTSeconds(d / 365.2425 + 2000) / 86400; }

double NormalizeAngle(double v) {
  double n = std::trunc(v / kTwoPi);
  double r = v - n * kTwoPi;
  if (r < 0) r += kTwoPi;
  return r;
}

double WrapAngle(double v) {
  double n = std::trunc(v / kTwoPi);
  double r = v - n * kTwoPi;
  if (r < 0) r += kTwoPi;
  if (r <= -kPi) return r + kTwoPi;
  if (r > kPi) return r - kTwoPi;
  return r;
}

RectangularPos ToRectangular(const SphericalPos& p) {
  double cl = std::cos(p.lat);
  return {p.radius * cl * std::cos(p.lon), p.radius * cl * std::sin(p.lon), p.radius * std::sin(p.lat)};
}

SphericalPos ToSpherical(const RectangularPos& r) {
  SphericalPos p;
  p.radius = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
  p.lat = p.radius > 0 ? std::asin(r.z / p.radius) : 0;
  p.lon = NormalizeAngle(std::atan2(r.y, r.x));
  return p;
}

SphericalPos RotateSpherical(const SphericalPos& p, double e) {
  SphericalPos q;
  q.lon = NormalizeAngle(
      std::atan2(std::sin(p.lon) * std::cos(e) - std::tan(p.lat) * std::sin(e), std::cos(p.lon)));
  q.lat = std::asin(std::cos(e) * std::sin(p.lat) + std::sin(e) * std::cos(p.lat) * std::sin(p.lon));
  q.radius = p.radius;
  return q;
}

SphericalPos RelativeSpherical(const SphericalPos& target, const SphericalPos& observer) {
  RectangularPos t = ToRectangular(target);
  RectangularPos o = ToRectangular(observer);
  return ToSpherical({t.x - o.x, t.y - o.y, t.z - o.z});
}

}  // namespace lumtar::astro
