#include <benchmark/benchmark.h>

#include <initializer_list>

#include "mastrocalc.h"
#include "moon.h"
#include "planets.h"

using namespace lumtar::astro;

namespace {

// A spread of moments over 1600..2100 so that no single one is favoured.
DateTime Moment(int i) {
  return DateTime{static_cast<int16_t>(1600 + (i * 37) % 500), static_cast<int16_t>(1 + i % 12),
                  static_cast<int16_t>(1 + (i * 7) % 28), static_cast<int16_t>(i % 24), static_cast<int16_t>(i % 60)};
}

}  // namespace

static void BM_ApparentPosition(benchmark::State& state) {
  const int body = static_cast<int>(state.range(0));
  double t = -3.7;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ApparentPosition(body, t));
    t = t > 1 ? -4 : t + 0.0123;
  }
}
BENCHMARK(BM_ApparentPosition)->DenseRange(1, 10)->ArgName("body");

// The fourteen chart positions of one moment, without motion states.
static void BM_ChartPositions(benchmark::State& state) {
  MAstroCalc calc;
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(calc.ChartPositions(Moment(i++), 0, false));
}
BENCHMARK(BM_ChartPositions)->Unit(benchmark::kMicrosecond);

// The motion states of the seven planets for one moment, from a fresh
// service (no stations known yet).
static void BM_MotionStateSevenPlanets(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    MAstroCalc calc;
    const DateTime m = Moment(i++);
    for (int body : {kChartMercury, kChartVenus, kChartMars, kChartJupiter, kChartSaturn, kChartUranus,
                     kChartNeptune})
      benchmark::DoNotOptimize(calc.MotionState(body, m));
  }
}
BENCHMARK(BM_MotionStateSevenPlanets)->Unit(benchmark::kMillisecond);

// The complete star service for one natal chart: positions and the seven
// motion states, from a fresh service.
static void BM_NatalChart(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    MAstroCalc calc;
    benchmark::DoNotOptimize(calc.ChartPositions(Moment(i++), 0, true));
  }
}
BENCHMARK(BM_NatalChart)->Unit(benchmark::kMillisecond);

// The same chart again from a service that already knows the year's stations.
static void BM_NatalChartAgain(benchmark::State& state) {
  MAstroCalc calc;
  const DateTime m{1985, 6, 23, 6, 45};
  calc.ChartPositions(m, 0, true);
  for (auto _ : state) benchmark::DoNotOptimize(calc.ChartPositions(m, 0, true));
}
BENCHMARK(BM_NatalChartAgain)->Unit(benchmark::kMicrosecond);

// An inversion run over 1600..2100: from `first` to `last` turns of W, a
// step a little over `step` so that the moments do not repeat.
template <double (*Inverse)(double)>
void Inversions(benchmark::State& state, double first, double last, double step) {
  double w = first * kTwoPi;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Inverse(w));
    w = w > last * kTwoPi ? first * kTwoPi : w + step * kTwoPi * 1.01;
  }
}

static void BM_TimeOfSunLongitude(benchmark::State& state) { Inversions<TimeOfSunLongitude>(state, -400, 100, 1.0 / 24); }
BENCHMARK(BM_TimeOfSunLongitude)->Unit(benchmark::kMicrosecond);

static void BM_TimeOfSunLongitudeFast(benchmark::State& state) {
  Inversions<TimeOfSunLongitudeFast>(state, -400, 100, 1.0 / 24);
}
BENCHMARK(BM_TimeOfSunLongitudeFast)->Unit(benchmark::kMicrosecond);

static void BM_TimeOfElongation(benchmark::State& state) { Inversions<TimeOfElongation>(state, -4950, 1240, 1); }
BENCHMARK(BM_TimeOfElongation)->Unit(benchmark::kMicrosecond);

static void BM_TimeOfElongationFast(benchmark::State& state) { Inversions<TimeOfElongationFast>(state, -4950, 1240, 1); }
BENCHMARK(BM_TimeOfElongationFast)->Unit(benchmark::kMicrosecond);
