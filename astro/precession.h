// Precession, nutation and the obliquity of the ecliptic.
//
// Time arguments are Julian centuries of dynamical time from J2000 (T); every
// angle is returned in radians. Series coefficients are in arcseconds and go
// through the arcseconds-per-radian constant of the time-scale module.
#pragma once

#include "timescale.h"

namespace lumtar::astro {

// The three published precession models. Every caller in the program uses P03.
enum class PrecessionModel : int { IAU1976 = 0, IAU2000 = 1, P03 = 2 };

// The twelve precession quantities, in their fixed order.
enum class PrecessionQuantity : int {
  fi = 0,  // psi_A, luni-solar precession
  w = 1,   // omega_A, inclination of the mean equator of date on the J2000 ecliptic
  P = 2,   // P_A, ecliptic pole component
  Q = 3,   // Q_A, ecliptic pole component
  E = 4,   // epsilon_A, mean obliquity of date
  x = 5,   // chi_A, planetary precession
  pi = 6,  // pi_A, inclination of the ecliptic of date on the J2000 ecliptic
  II = 7,  // Pi_A, longitude of the node of that inclination
  p = 8,   // p_A, general precession in longitude
  th = 9,  // theta_A, equatorial precession angle
  Z = 10,  // zeta_A, equatorial precession angle
  z = 11,  // z_A, equatorial precession angle
};
inline constexpr int kPrecessionQuantityCount = 12;

// The order of a quantity from its short name ("fi", "w", "P", ... "z"),
// case-sensitive; -1 for an unknown name.
int PrecessionQuantityOfName(const char* name);

// A precession quantity in radians; 0 for a model or quantity out of range.
double PrecessionAngle(double t, PrecessionQuantity quantity, PrecessionModel model);

// Mean obliquity of the ecliptic (the P03 epsilon_A polynomial), radians.
double MeanObliquity(double t);

// A position on the J2000 ecliptic moved to the ecliptic and mean equinox of
// date; the radius passes through, the longitude ends in [0, 2pi).
SphericalPos PrecessJ2000ToDate(double t, const SphericalPos& p, PrecessionModel model);

struct NutationValue {
  double longitude = 0;  // delta psi, radians
  double obliquity = 0;  // delta epsilon, radians
};

// The ten-term nutation series.
NutationValue Nutation(double t);
// Delta psi alone, over the same ten terms.
double NutationInLongitude(double t);

}  // namespace lumtar::astro
