// The Moon: a truncation of the ELP/MPP02 lunar theory in polynomial
// arguments, its elongation from the Sun and the inverse (new moons).
//
// Time arguments are Julian centuries of dynamical time from J2000 (t).
#pragma once

#include "planets.h"

namespace lumtar::astro {

// Coordinate k of the Moon (0 longitude, 1 latitude, 2 distance), geocentric,
// ecliptic and mean equinox of date: longitude and latitude in radians (the
// longitude not reduced), distance in km. n is the number of terms of the
// t^0 list (the other powers in proportion, one term more each); n < 0 takes
// every term. A coordinate out of range gives 0.
double MoonSeries(int coordinate, double t, int n = -1);
// MoonSeries(0, t, n).
double MoonLongitude(double t, int n = -1);
// Aberration of the Moon in longitude, radians.
double MoonAberration();
// Elongation of the Moon from the Sun, radians, not reduced; the nutation,
// equal for both, is left out.
double MoonSunElongation(double t, int moonTerms, int sunTerms);
// Rate of the Moon's longitude, radians per century.
double MoonLongitudeRate(double t);

// The moment (centuries, dynamical time) at which the elongation reaches W.
// W is unwrapped: 2pi k is the k-th new moon after the one of 2000-01-06, so
// that W ~ 7771.37714500204 t - 1.08472.
double TimeOfElongation(double w);
// The same to a few minutes, much cheaper.
double TimeOfElongationFast(double w);

// Apparent geocentric ecliptic longitude and latitude of date, degrees;
// ApparentPosition(kMoon, t) gives the same.
EclipticPosition MoonApparentPosition(double t);

}  // namespace lumtar::astro
