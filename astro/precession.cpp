#include "precession.h"

#include <cmath>
#include <cstring>

namespace lumtar::astro {

namespace {

// Coefficients of T^0..T^5 in arcseconds, one row per quantity in the order
// fi w P Q E x pi II p th Z z.
constexpr double kIau1976[kPrecessionQuantityCount][4] = {
    {0, 5038.7784, -1.07259, -0.001147},
    {84381.448, 0, 0.05127, -0.007726},
    {0, 4.1976, 0.19447, -0.000179},
    {0, -46.8150, 0.05059, 0.000344},
    {84381.448, -46.8150, -0.00059, 0.001813},
    {0, 10.5526, -2.38064, -0.001125},
    {0, 47.0029, -0.03302, 0.000060},
    {629554.982, -869.8089, 0.03536, 0},
    {0, 5029.0966, 1.11113, -0.000006},
    {0, 2004.3109, -0.42665, -0.041833},
    {0, 2306.2181, 0.30188, 0.017998},
    {0, 2306.2181, 1.09468, 0.018203},
};

constexpr double kIau2000[kPrecessionQuantityCount][6] = {
    {0, 5038.47875, -1.07259, -0.001147, 0, 0},
    {84381.448, -0.02524, 0.05127, -0.007726, 0, 0},
    {0, 4.1976, 0.19447, -0.000179, 0, 0},
    {0, -46.8150, 0.05059, 0.000344, 0, 0},
    {84381.448, -46.84024, -0.00059, 0.001813, 0, 0},
    {0, 10.5526, -2.38064, -0.001125, 0, 0},
    {0, 47.0029, -0.03302, 0.000060, 0, 0},
    {629554.982, -869.8089, 0.03536, 0, 0, 0},
    {0, 5028.79695, 1.11113, -0.000006, 0, 0},
    {0, 2004.1917476, -0.4269353, -0.0418251, -0.0000601, -0.0000001},
    {2.5976176, 2306.0809506, 0.3019015, 0.0179663, -0.0000327, -0.0000002},
    {-2.5976176, 2306.0803226, 1.0947790, 0.0182273, 0.0000470, -0.0000003},
};

constexpr double kP03[kPrecessionQuantityCount][6] = {
    {0, 5038.481507, -1.0790069, -0.00114045, 0.000132851, -0.0000000951},
    {84381.406, -0.025754, 0.0512623, -0.00772503, -0.000000467, 0.0000003337},
    {0, 4.199094, 0.1939873, -0.00022466, -0.000000912, 0.0000000120},
    {0, -46.811015, 0.0510283, 0.00052413, -0.000000646, -0.0000000172},
    {84381.406, -46.836769, -0.0001831, 0.0020034, -0.000000576, -0.0000000434},
    {0, 10.556403, -2.3814292, -0.00121197, 0.000170663, -0.000000056},
    {0, 46.998973, -0.0334926, -0.00012559, 0.000000113, -0.0000000022},
    {629546.7936, -867.95758, 0.157992, -0.0005371, -0.00004797, 0.000000072},
    {0, 5028.796195, 1.1054348, 0.00007964, -0.000023857, -0.0000000383},
    {0, 2004.191903, -0.4294934, -0.04182264, -0.000007089, -0.0000001274},
    {2.650545, 2306.083227, 0.2988499, 0.01801828, -0.000005971, -0.0000003173},
    {-2.650545, 2306.077181, 1.0927348, 0.01826837, -0.000028596, -0.0000002904},
};

// Sum of c[i] T^i, Horner's scheme.
template <int N>
double Polynomial(const double (&c)[N], double t) {
  double v = 0;
  for (int i = N - 1; i >= 0; --i) v = v * t + c[i];
  return v;
}

struct NutationTerm {
  double phase, rate, quad, lon, obl;  // rad, rad/cy, rad/cy^2, 0.01", 0.01"
};

constexpr NutationTerm kNutation[10] = {
    {2.1824, -33.75705, 0.000036, -1720, 920}, {3.5069, 1256.66393, 0.000011, -132, 57},
    {1.3375, 16799.4182, -0.000051, -23, 10},  {4.3649, -67.5141, 0.000072, 21, -9},
    {0.04, -628.302, 0, -14, 0},               {2.36, 8328.691, 0, 7, 0},
    {3.46, 1884.966, 0, -5, 2},                {5.44, 16833.175, 0, -4, 2},
    {3.69, 25128.11, 0, -3, 0},                {3.55, 628.362, 0, 2, 0},
};

}  // namespace

int PrecessionQuantityOfName(const char* name) {
  static const char kNames[] = "fi w  P  Q  E  x  pi II p  th Z  z  ";
  if (name == nullptr || *name == '\0' || std::strlen(name) > 2) return -1;
  char key[4] = {};
  std::strcpy(key, name);
  std::strcat(key, " ");
  const char* at = std::strstr(kNames, key);
  if (at == nullptr || (at - kNames) % 3 != 0) return -1;
  return static_cast<int>((at - kNames) / 3);
}

double PrecessionAngle(double t, PrecessionQuantity quantity, PrecessionModel model) {
  const int q = static_cast<int>(quantity);
  if (q < 0 || q >= kPrecessionQuantityCount) return 0;
  double arcsec;
  switch (model) {
    case PrecessionModel::IAU1976: arcsec = Polynomial(kIau1976[q], t); break;
    case PrecessionModel::IAU2000: arcsec = Polynomial(kIau2000[q], t); break;
    case PrecessionModel::P03: arcsec = Polynomial(kP03[q], t); break;
    default: return 0;
  }
  return arcsec / kArcsecPerRad;
}

double MeanObliquity(double t) {
  return Polynomial(kP03[static_cast<int>(PrecessionQuantity::E)], t) / kArcsecPerRad;
}

SphericalPos PrecessJ2000ToDate(double t, const SphericalPos& p, PrecessionModel model) {
  SphericalPos r = p;
  r.lon += PrecessionAngle(t, PrecessionQuantity::fi, model);
  r = RotateSpherical(r, PrecessionAngle(t, PrecessionQuantity::w, model));
  r.lon -= PrecessionAngle(t, PrecessionQuantity::x, model);
  r = RotateSpherical(r, -PrecessionAngle(t, PrecessionQuantity::E, model));
  return r;
}

NutationValue Nutation(double t) {
  double dpsi = 0, deps = 0;
  const double t2 = t * t;
  for (int i = 0; i < 10; ++i) {
    const NutationTerm& n = kNutation[i];
    const double a = n.phase + n.rate * t + n.quad * t2;
    const double amp = i == 0 ? n.lon - 1.742 * t : n.lon;
    dpsi += amp * std::sin(a);
    deps += n.obl * std::cos(a);
  }
  return {dpsi * 0.01 / kArcsecPerRad, deps * 0.01 / kArcsecPerRad};
}

double NutationInLongitude(double t) {
  double dpsi = 0;
  const double t2 = t * t;
  for (int i = 0; i < 10; ++i) {
    const NutationTerm& n = kNutation[i];
    const double amp = i == 0 ? n.lon - 1.742 * t : n.lon;
    dpsi += amp * std::sin(n.phase + n.rate * t + n.quad * t2);
  }
  return dpsi * 0.01 / kArcsecPerRad;
}

}  // namespace lumtar::astro
