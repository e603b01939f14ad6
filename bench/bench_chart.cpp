// The natal chart computation without drawing: conversions, star positions
// with the motion states, ascendant, places, pillars, and the derived items.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "chartheader.h"
#include "chartstars.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

ChartRequest Request(int year, int month, int day, int hour) {
  ChartRequest r;
  r.year = static_cast<int16_t>(year);
  r.month = static_cast<int16_t>(month);
  r.day = static_cast<int16_t>(day);
  r.hour = static_cast<int16_t>(hour);
  r.minute = 25;
  r.longitude = 116.4167f;
  r.latitude = 39.9f;
  return r;
}

}  // namespace

// One chart after another for the same person: the star service keeps the
// planets' stations of the year.
static void BM_ComputeNatalRepeated(benchmark::State& state) {
  CVoVirer engine;
  const ChartRequest r = Request(1990, 3, 7, 14);
  for (auto _ : state) {
    bool ok = engine.ComputeNatal(r);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_ComputeNatalRepeated)->Unit(benchmark::kMillisecond);

// Charts of births in ever new years, as when browsing cases.
static void BM_ComputeNatalNewYears(benchmark::State& state) {
  CVoVirer engine;
  int year = 1600;
  for (auto _ : state) {
    bool ok = engine.ComputeNatal(Request(year, 1 + year % 12, 1 + year % 28, year % 24));
    benchmark::DoNotOptimize(ok);
    year = year >= 2099 ? 1600 : year + 7;
  }
}
BENCHMARK(BM_ComputeNatalNewYears)->Unit(benchmark::kMillisecond);

// Births at random over the whole chart range, each in a year the engine
// may not have seen: the time a new birth takes. The counter "median_ms" is
// the median time of one chart.
static void BM_ComputeNatalRandomBirths(benchmark::State& state) {
  CVoVirer engine;
  std::mt19937 random(20240917);
  std::uniform_int_distribution<int> year(kFirstYear, kLastYear), month(1, 12), day(1, 28), hour(0, 23),
      minute(0, 59);
  std::uniform_real_distribution<float> lon(73, 135), lat(18, 53);
  std::vector<double> times;
  for (auto _ : state) {
    ChartRequest r = Request(year(random), month(random), day(random), hour(random));
    r.minute = static_cast<int16_t>(minute(random));
    r.longitude = lon(random);
    r.latitude = lat(random);
    const auto start = std::chrono::steady_clock::now();
    bool ok = engine.ComputeNatal(r);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    benchmark::DoNotOptimize(ok);
  }
  std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
  state.counters["median_ms"] = times[times.size() / 2];
}
BENCHMARK(BM_ComputeNatalRandomBirths)->Unit(benchmark::kMillisecond);

// What the picture and the header add on top of the model.
static void BM_SpiritsAndHeader(benchmark::State& state) {
  CVoVirer engine;
  engine.ComputeNatal(Request(1990, 3, 7, 14));
  for (auto _ : state) {
    SpiritCounters counters{};
    benchmark::DoNotOptimize(PlaceSpirits(engine.model.yearPillar, engine.model.nayinElement, counters));
    benchmark::DoNotOptimize(HeaderLines(engine));
  }
}
BENCHMARK(BM_SpiritsAndHeader)->Unit(benchmark::kMicrosecond);
