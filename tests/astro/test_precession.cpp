#include <gtest/gtest.h>

#include <cmath>

#include "precession.h"

using namespace lumtar::astro;

namespace {
double Arcsec(double rad) { return rad * kArcsecPerRad; }
}  // namespace

TEST(Precession, AtJ2000) {
  EXPECT_NEAR(Arcsec(MeanObliquity(0)), 84381.406, 1e-6);
  EXPECT_NEAR(MeanObliquity(0) * kDegPerRad, 23 + 26 / 60.0 + 21.406 / 3600, 1e-12);
  EXPECT_EQ(PrecessionAngle(0, PrecessionQuantity::fi, PrecessionModel::P03), 0);
  EXPECT_EQ(PrecessionAngle(0, PrecessionQuantity::x, PrecessionModel::P03), 0);
  const SphericalPos cases[] = {{0, 0, 1}, {1.2, 0.3, 30}, {4.0, -1.2, 0.5}, {6.2, 1.5, 2}};
  for (const SphericalPos& p : cases) {
    SphericalPos q = PrecessJ2000ToDate(0, p, PrecessionModel::P03);
    // To rounding: the turn back into [0, 2pi) uses the program's pi.
    EXPECT_NEAR(q.lon, p.lon, 2e-8);
    EXPECT_NEAR(q.lat, p.lat, 1e-8);
    EXPECT_EQ(q.radius, p.radius);
  }
}

TEST(Precession, OneCenturyMovesTheEquinox) {
  // A point on the J2000 ecliptic gains the general precession in longitude
  // (5028.8" a century) and leaves the moving ecliptic by at most pi_A (47").
  const double t = 1;
  const double pA = Arcsec(PrecessionAngle(t, PrecessionQuantity::p, PrecessionModel::P03));
  const double piA = Arcsec(PrecessionAngle(t, PrecessionQuantity::pi, PrecessionModel::P03));
  EXPECT_NEAR(pA, 5029.90, 0.01);
  for (double lon = 0; lon < 6.28; lon += 0.5) {
    SphericalPos q = PrecessJ2000ToDate(t, {lon, 0, 1}, PrecessionModel::P03);
    EXPECT_NEAR(Arcsec(WrapAngle(q.lon - lon)), pA, 2) << lon;
    EXPECT_LE(std::fabs(Arcsec(q.lat)), piA + 0.01) << lon;
    EXPECT_GE(q.lon, 0);
    EXPECT_LT(q.lon, kTwoPi);
  }
}

TEST(Precession, ModelsAndNames) {
  // The 1976 model stops at T^3: its epsilon_A at T = 10 is the cubic.
  const double e76 = 84381.448 - 46.8150 * 10 - 0.00059 * 100 + 0.001813 * 1000;
  EXPECT_NEAR(Arcsec(PrecessionAngle(10, PrecessionQuantity::E, PrecessionModel::IAU1976)), e76, 1e-7);
  EXPECT_NEAR(Arcsec(PrecessionAngle(0, PrecessionQuantity::Z, PrecessionModel::IAU2000)), 2.5976176, 1e-9);
  EXPECT_NEAR(Arcsec(PrecessionAngle(0, PrecessionQuantity::z, PrecessionModel::IAU2000)), -2.5976176, 1e-9);
  EXPECT_EQ(PrecessionAngle(3, PrecessionQuantity::fi, static_cast<PrecessionModel>(7)), 0);
  EXPECT_EQ(PrecessionAngle(3, static_cast<PrecessionQuantity>(12), PrecessionModel::P03), 0);
  EXPECT_DOUBLE_EQ(MeanObliquity(2.5), PrecessionAngle(2.5, PrecessionQuantity::E, PrecessionModel::P03));

  const char* names[] = {"fi", "w", "P", "Q", "E", "x", "pi", "II", "p", "th", "Z", "z"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(PrecessionQuantityOfName(names[i]), i) << names[i];
  const char* bad[] = {"", "i", "W", "e", "pii", "h", " ", "fi ", nullptr};
  for (const char* name : bad)
    EXPECT_EQ(PrecessionQuantityOfName(name), -1) << (name ? name : "null");
}

TEST(Nutation, AtJ2000AndItsLongitudeHalf) {
  NutationValue n = Nutation(0);
  EXPECT_NEAR(Arcsec(n.longitude), -13.93, 0.005);
  EXPECT_NEAR(Arcsec(n.obliquity), -5.77, 0.005);
  for (double t : {-4.0, -1.3, 0.0, 0.77, 1.0}) {
    EXPECT_DOUBLE_EQ(NutationInLongitude(t), Nutation(t).longitude) << t;
    EXPECT_LT(std::fabs(Arcsec(Nutation(t).longitude)), 19.5);
    EXPECT_LT(std::fabs(Arcsec(Nutation(t).obliquity)), 10.5);
  }
}
