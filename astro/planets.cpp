#include "planets.h"

#include <cmath>

#include "moon.h"
#include "precession.h"
#include "series_tables.h"

namespace lumtar::astro {

using detail::kVsopBodies;
using detail::VsopBody;
using detail::VsopTerm;

namespace {

// Corrections to the series of Mercury .. Neptune: L and B in arcseconds, R
// in 1e-6 AU.
constexpr double kPlanetCorrection[8][3] = {
    {0, 0, 0},
    {-0.08631, 0.00039, -0.00008},
    {-0.07447, 0.00006, 0.00017},
    {-0.07135, -0.00026, -0.00176},
    {-0.20239, 0.00273, -0.00347},
    {-0.25486, 0.00276, 0.42926},
    {0.24588, 0.00345, -14.46266},
    {-0.95116, 0.02481, 58.30651},
};

// Step sizes of the station refinement, centuries.
constexpr double kStationSteps[4] = {5.0 / 36525, 1.0 / 36525, 0.5 / 36525, 2e-6};

// Sum of a cos(b + c tau) over the terms of one series whose first double
// lies before `end` (counted in doubles, three per term).
double SumTerms(const VsopTerm* terms, int count, double endDoubles, double tau) {
  double sum = 0;
  for (int j = 0, k = 0; j < endDoubles && k < count; j += 3, ++k)
    sum += terms[k].a * std::cos(terms[k].b + terms[k].c * tau);
  return sum;
}

}  // namespace

double PlanetSeries(int body, int coordinate, double t, int n) {
  if (body < 0 || body > 7 || coordinate < 0 || coordinate > 2) return 0;
  const VsopBody& tab = kVsopBodies[body];
  const double tau = t / 10;
  const int* off = tab.offset + 6 * coordinate;
  // Lengths in doubles, three per term, as the cut is defined on them.
  const int n0 = 3 * (off[1] - off[0]);
  double v = 0;
  double power = 1;
  for (int i = 0; i < 6; ++i, power *= tau) {
    const int count = off[i + 1] - off[i];
    if (count == 0) continue;
    const int length = 3 * count;
    double end = length;
    if (n >= 0) {
      end = n0 > 0 ? std::floor(3.0 * n * length / n0 + 0.5) : 0;
      if (i > 0) end += 3;
      if (end > length) end = length;
    }
    v += SumTerms(tab.terms + off[i], count, end, tau) * power;
  }
  v /= tab.divisor;

  const double tau2 = tau * tau, tau3 = tau2 * tau;
  if (body == 0) {
    if (coordinate == 0)
      v += (-0.0728 - 2.7702 * tau - 1.1019 * tau2 - 0.0996 * tau3) / kArcsecPerRad;
    else if (coordinate == 1)
      v += (0.0004 * tau + 0.0004 * tau2 - 0.0026 * tau3) / kArcsecPerRad;
    else
      v += (-0.0020 + 0.0044 * tau + 0.0213 * tau2 - 0.0250 * tau3) * 1e-6;
  } else {
    if (coordinate == 0) v += -3 * tau / kArcsecPerRad;
    if (coordinate == 2)
      v += kPlanetCorrection[body][2] * 1e-6;
    else
      v += kPlanetCorrection[body][coordinate] / kArcsecPerRad;
  }
  return v;
}

RectangularPos PlutoHeliocentric(double t) {
  const double x = 2 * (36525 * t + 1825394.5) / 2185000 - 1;
  double c[3] = {0, 0, 0};
  for (int s = 0; s < 9; ++s) {
    const detail::PlutoTerm* terms = detail::kPlutoSeries[s];
    double v = 0;
    for (int k = 0; k < detail::kPlutoCounts[s]; ++k)
      v += static_cast<double>(terms[k].a) *
           std::sin(static_cast<double>(terms[k].f) * t * 1e-8 + static_cast<double>(terms[k].p) * kPi / 180 * 1e-5);
    if (s % 3 == 1) v *= x;
    if (s % 3 == 2) v *= x * x;
    c[s / 3] += v * 1e-8;
  }
  return {c[0] + 9.922274 + 0.154154 * x, c[1] + 10.016090 + 0.064073 * x, c[2] - 3.947474 - 0.042746 * x};
}

SphericalPos HeliocentricPosition(int body, double t, int nL, int nB, int nR) {
  if (body >= 0 && body <= 7)
    return {PlanetSeries(body, 0, t, nL), PlanetSeries(body, 1, t, nB), PlanetSeries(body, 2, t, nR)};
  if (body == kPluto) return PrecessJ2000ToDate(t, ToSpherical(PlutoHeliocentric(t)), PrecessionModel::P03);
  return {};
}

EclipticPosition ApparentPosition(int body, double t) {
  if (body == kMoon) return MoonApparentPosition(t);
  if (body < 1 || body > 9) return {};
  SphericalPos e = HeliocentricPosition(kEarth, t);
  SphericalPos p = HeliocentricPosition(body, t);
  p.lon = NormalizeAngle(p.lon);
  const double tau = RelativeSpherical(p, e).radius * kLightTimeAuCenturies;
  e = HeliocentricPosition(kEarth, t - tau);
  p = HeliocentricPosition(body, t - tau);
  const SphericalPos a = RelativeSpherical(p, e);
  EclipticPosition r;
  r.longitude = NormalizeAngle(a.lon + Nutation(t).longitude) * kDegPerRad;
  r.latitude = a.lat * kDegPerRad;
  return r;
}

SphericalPos StationProbe(int body, double t, int n, double tau) {
  double eps = MeanObliquity(t);
  SphericalPos g =
      RelativeSpherical(HeliocentricPosition(body, t - tau, n, n, n), HeliocentricPosition(kEarth, t - tau, n, n, n));
  if (tau != 0) {
    const NutationValue nu = Nutation(t);
    g.lon += nu.longitude;
    eps += nu.obliquity;
  }
  return RotateSpherical(g, eps);
}

double StationTime(int body, double t, StationSide side) {
  if (body < 1 || body > 7 || !std::isfinite(t)) return t;
  const double period = kSynodicPeriodDays[body] / 36525;
  double rate = kTwoPi / period;
  if (body >= 3) rate = -rate;
  for (int i = 0; i < 6; ++i) t -= WrapAngle(PlanetSeries(body, 0, t, 8) - PlanetSeries(kEarth, 0, t, 8)) / rate;
  const double h = kStationOffsetDays[body] / 36525;
  t = side == StationSide::Before ? t - h : t + h;
  double radius = 0;
  for (int j = 0; j < 4; ++j) {
    const double s = kStationSteps[j];
    const int n = j < 3 ? 8 : -1;
    const double tau = j < 3 ? 0 : radius * kLightTimeAuCenturies;
    const SphericalPos mid = StationProbe(body, t, n, tau);
    // The three right ascensions on one branch where they cross 0h.
    auto nearMid = [&](double a) { return a - mid.lon > kPi ? a - kTwoPi : mid.lon - a > kPi ? a + kTwoPi : a; };
    const double am = nearMid(StationProbe(body, t - s, n, tau).lon);
    const double ap = nearMid(StationProbe(body, t + s, n, tau).lon);
    radius = mid.radius;
    t = t + (am - ap) / (am + ap - 2 * mid.lon) * s * 0.5;
  }
  return t;
}

double SunAberration(double t) {
  const double v = -0.043126 + 628.301955 * t - 0.000002732 * t * t;
  const double e = 0.016708634 - 0.000042037 * t - 0.0000001267 * t * t;
  return -20.49552 * (1 + e * std::cos(v)) / kArcsecPerRad;
}

double EarthLongitude(double t, int n) { return PlanetSeries(kEarth, 0, t, n); }

double SunApparentLongitude(double t, int n) {
  return EarthLongitude(t, n) + kPi + NutationInLongitude(t) + SunAberration(t);
}

double SunLongitudeRate(double t) {
  const double v = 628.307585 * t;
  return 628.332 + 21 * std::sin(1.527 + v) + 0.44 * std::sin(1.48 + 2 * v) + 0.129 * t * std::sin(5.82 + v) +
         0.00055 * t * t * std::sin(4.21 + v);
}

double TimeOfSunLongitude(double w) {
  double t = (w - 1.75347 - kPi) / 628.3319653318;
  t += (w - SunApparentLongitude(t, 10)) / SunLongitudeRate(t);
  t += (w - SunApparentLongitude(t, -1)) / SunLongitudeRate(t);
  return t;
}

double TimeOfSunLongitudeFast(double w) {
  double t = (w - 1.75347 - kPi) / 628.3319653318;
  t -= (0.000005297 * t * t + 0.0334166 * std::cos(4.669257 + 628.307585 * t) +
        0.0002061 * t * std::cos(2.67823 + 628.307585 * t)) /
       628.3319653318;
  t += (w - EarthLongitude(t, 8) - kPi + (20.5 + 17.2 * std::sin(2.1824 - 33.75705 * t)) / kArcsecPerRad) /
       628.3319653318;
  return t;
}

}  // namespace lumtar::astro
