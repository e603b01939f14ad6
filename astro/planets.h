// The Sun and the planets: truncated VSOP87D series for the Earth and Mercury
// to Neptune (heliocentric, ecliptic and mean equinox of date), a series on
// the J2000 ecliptic for Pluto, apparent geocentric places, the apparent
// longitude of the Sun and its inverse, and the stationary points of a
// planet.
//
// Time arguments are Julian centuries of dynamical time from J2000 (t); the
// VSOP series themselves run in Julian millennia.
#pragma once

#include "timescale.h"

namespace lumtar::astro {

enum EphemerisBody : int {
  kEarth = 0,
  kMercury = 1,
  kVenus = 2,
  kMars = 3,
  kJupiter = 4,
  kSaturn = 5,
  kUranus = 6,
  kNeptune = 7,
  kPluto = 8,
  kSun = 9,
  kMoon = 10,
};

// Apparent geocentric ecliptic coordinates of date, degrees.
struct EclipticPosition {
  double longitude = 0;  // [0, 360)
  double latitude = 0;
};

// Which stationary point of a synodic cycle: the one before the opposition
// (inferior conjunction for Mercury and Venus) starts the retrograde arc, the
// one after it ends it.
enum class StationSide : int { Before = 0, After = 1 };

// Offsets, days, from opposition or inferior conjunction to the first trial
// station, for bodies 1..7 (index 0 unused).
inline constexpr double kStationOffsetDays[8] = {0, 17.4, 28, 52, 82, 86, 88, 89};

// One VSOP87D coordinate (0 L, 1 B, 2 R) of body 0..7: L and B in radians
// (L not reduced), R in AU. n fixes the number of terms of the power-0 series
// and scales the higher powers in proportion (one term more each); n < 0
// takes every term. A body or coordinate out of range gives 0.
double PlanetSeries(int body, int coordinate, double t, int n = -1);

// Pluto, heliocentric rectangular on the J2000 ecliptic, AU.
RectangularPos PlutoHeliocentric(double t);

// Heliocentric spherical position on the ecliptic and mean equinox of date
// (radius AU) of body 0..8; the Sun (9) and anything else give zeros.
SphericalPos HeliocentricPosition(int body, double t, int nL = -1, int nB = -1, int nR = -1);

// Apparent geocentric ecliptic longitude and latitude of date of body 1..10
// (the Moon included), every series complete, t taken as dynamical time.
// A body out of range gives zeros.
EclipticPosition ApparentPosition(int body, double t);

// Geocentric right ascension and declination (radians, radius AU) of body
// 1..7 with n terms; a nonzero light time tau (centuries) also applies the
// nutation.
SphericalPos StationProbe(int body, double t, int n, double tau);

// Time (centuries, dynamical time) of a stationary point of body 1..7,
// searched from t; a body out of range returns t unchanged.
double StationTime(int body, double t, StationSide side);

// Annual aberration in longitude, radians.
double SunAberration(double t);
// PlanetSeries(0, 0, t, n).
double EarthLongitude(double t, int n = -1);
// Apparent longitude of the Sun, radians, not reduced to a circle.
double SunApparentLongitude(double t, int n = -1);
// Rate of the Sun's longitude, radians per century.
double SunLongitudeRate(double t);

// The moment (centuries, dynamical time) at which the Sun's apparent
// longitude reaches W. W is unwrapped: the longitude plus 2pi for each
// revolution counted from the longitude-0 passage of 1999-03-21, so that
// W ~ 1.75347 + pi + 628.3319653318 t.
double TimeOfSunLongitude(double w);
// The same to about a minute, much cheaper.
double TimeOfSunLongitudeFast(double w);

}  // namespace lumtar::astro
