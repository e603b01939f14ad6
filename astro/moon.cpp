#include "moon.h"

#include <cmath>

#include "precession.h"
#include "series_tables.h"

namespace lumtar::astro {

using detail::kMoonCounts;
using detail::kMoonSeries;
using detail::MoonTerm;

double MoonSeries(int coordinate, double t, int n) {
  if (coordinate < 0 || coordinate > 2) return 0;
  const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
  double v = 0;
  if (coordinate == 0) {
    // Mean longitude of the Moon and the precession since J2000, arcseconds.
    v = (3.81034409 + 8399.684730072 * t - 0.00003319 * t2 + 0.0000000311 * t3 - 0.0000000002033 * t4) *
            kArcsecPerRad +
        5028.792262 * t + 1.1124406 * t2 + 0.00007699 * t3 - 0.000023479 * t4 - 0.0000000178 * t4 * t;
    const double tx = t - 10;
    if (tx > 0) v += -0.866 + 1.43 * tx + 0.054 * tx * tx;
  }
  // Lengths in doubles, six per term, as the cut is defined on them.
  const int* counts = kMoonCounts + 4 * coordinate;
  const MoonTerm* const* series = kMoonSeries + 4 * coordinate;
  const int length0 = 6 * counts[0];
  const double m = n < 0 ? length0 : 6.0 * n;
  const double u2 = t2 / 1e4, u3 = t3 / 1e8, u4 = t4 / 1e8;
  double power = 1;
  for (int i = 0; i < 4; ++i, power *= t) {
    const int length = 6 * counts[i];
    if (length == 0) continue;
    double end = length0 > 0 ? std::floor(m * length / length0 + 0.5) : 0;
    if (i > 0) end += 6;
    if (end > length) end = length;
    const MoonTerm* terms = series[i];
    double sum = 0;
    for (int j = 0, k = 0; j < end; j += 6, ++k)
      sum += terms[k].a * std::cos(terms[k].phase + terms[k].freq * t + terms[k].c2 * u2 + terms[k].c3 * u3 +
                                   terms[k].c4 * u4);
    v += sum * power;
  }
  return coordinate == 2 ? v : v / kArcsecPerRad;
}

double MoonLongitude(double t, int n) { return MoonSeries(0, t, n); }

double MoonAberration() { return -0.0000034; }

double MoonSunElongation(double t, int moonTerms, int sunTerms) {
  return MoonLongitude(t, moonTerms) + MoonAberration() - (EarthLongitude(t, sunTerms) + SunAberration(t) + kPi);
}

double MoonLongitudeRate(double t) {
  return 8399.71 - 914 * std::sin(0.7848 + 8328.691425 * t + 0.0001523 * t * t) -
         (179 * std::sin(2.543 + 15542.7543 * t) + 160 * std::sin(0.1874 + 7214.0629 * t) +
          62 * std::sin(3.14 + 16657.3828 * t) + 34 * std::sin(4.827 + 16866.9323 * t) +
          22 * std::sin(4.9 + 23871.4457 * t) + 12 * std::sin(2.59 + 14914.4523 * t) +
          7 * std::sin(0.23 + 6585.7609 * t) + 5 * std::sin(0.9 + 25195.624 * t) +
          5 * std::sin(2.32 - 7700.3895 * t) + 5 * std::sin(3.88 + 8956.9934 * t) +
          5 * std::sin(0.49 + 7771.3771 * t));
}

double TimeOfElongation(double w) {
  constexpr double kRate = 7771.37714500204;
  double t = (w + 1.08472) / kRate;
  t += (w - MoonSunElongation(t, 3, 3)) / kRate;
  const double r = MoonLongitudeRate(t) - SunLongitudeRate(t);
  t += (w - MoonSunElongation(t, 20, 10)) / r;
  t += (w - MoonSunElongation(t, -1, 60)) / r;
  return t;
}

double TimeOfElongationFast(double w) {
  constexpr double kRate = 7771.37714500204;
  double t = (w + 1.08472) / kRate;
  t -= (0.10976 * std::cos(0.784758 + 8328.6914246 * t + 0.000152292 * t * t) - 0.00003309 * t * t +
        0.02224 * std::cos(0.1874 + 7214.0628654 * t - 0.00021848 * t * t) -
        0.03342 * std::cos(4.669257 + 628.307585 * t)) /
       kRate;
  const double l = MoonLongitude(t, 20) -
                   (4.8950632 + 628.3319653318 * t + 0.000005297 * t * t +
                    0.0334166 * std::cos(4.669257 + 628.307585 * t) +
                    0.0002061 * t * std::cos(2.67823 + 628.307585 * t) + 0.000349 * std::cos(4.6261 + 1256.61517 * t) -
                    20.5 / kArcsecPerRad);
  const double r = 7771.38 - 914 * std::sin(0.7848 + 8328.691425 * t + 0.0001523 * t * t) -
                   179 * std::sin(2.543 + 15542.7543 * t) - 160 * std::sin(0.1874 + 7214.0629 * t);
  t += (w - l) / r;
  return t;
}

EclipticPosition MoonApparentPosition(double t) {
  const double tau = MoonSeries(2, t, -1) / kAstronomicalUnitKm * kLightTimeAuCenturies;
  const double lambda = MoonSeries(0, t - tau, -1);
  const double beta = MoonSeries(1, t - tau, -1);
  EclipticPosition r;
  r.longitude = NormalizeAngle(lambda + Nutation(t).longitude) * kDegPerRad;
  r.latitude = beta * kDegPerRad;
  return r;
}

}  // namespace lumtar::astro
