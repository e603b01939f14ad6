#include <benchmark/benchmark.h>

#include "timescale.h"

using namespace lumtar::astro;

static void BM_JulianDayRoundTrip(benchmark::State& state) {
  double jd = 2451545.25;
  for (auto _ : state) {
    ClockTime c = CalendarOfJulianDay(jd);
    benchmark::DoNotOptimize(JulianDayOfClock(c));
    jd += 0.37;
  }
}
BENCHMARK(BM_JulianDayRoundTrip);

static void BM_DeltaT(benchmark::State& state) {
  double y = 1600;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DeltaTSeconds(y));
    y = y > 2100 ? 1600 : y + 0.7;
  }
}
BENCHMARK(BM_DeltaT);
