// The coefficient tables of the planetary, Pluto and lunar series (generated
// by the scripts in tools/astro/; see there for the sources).
#pragma once

#include <cstdint>

namespace lumtar::astro::detail {

// A VSOP87D term: amplitude x divisor, phase (rad), frequency (rad per
// Julian millennium); it contributes a cos(b + c tau).
struct VsopTerm {
  double a, b, c;
};

// One body: the divisor and, for coordinate k and power i, the terms
// terms[offset[6k + i]] .. terms[offset[6k + i + 1] - 1].
struct VsopBody {
  double divisor;
  int offset[19];
  const VsopTerm* terms;
};

// Earth, Mercury, ..., Neptune.
extern const VsopBody kVsopBodies[8];

// A Pluto term: a sin(f t 1e-8 + p pi/180 1e-5), a in 1e-8 AU, t in Julian
// centuries.
struct PlutoTerm {
  int64_t a, f, p;
};
// Nine series: x X^0, x X^1, x X^2, y X^0, ... z X^2, each of kPlutoCounts[s]
// terms, largest first.
extern const PlutoTerm* const kPlutoSeries[9];
extern const int kPlutoCounts[9];

// A lunar term: a cos(phase + freq t + c2 t^2/1e4 + c3 t^3/1e8 + c4 t^4/1e8),
// arcseconds for longitude and latitude, km for the distance.
struct MoonTerm {
  double a, phase, freq, c2, c3, c4;
};
// For coordinate k (longitude, latitude, distance) and power i (0..3) of t:
// kMoonSeries[4k + i] with kMoonCounts[4k + i] terms, largest first.
extern const MoonTerm* const kMoonSeries[12];
extern const int kMoonCounts[12];

}  // namespace lumtar::astro::detail
