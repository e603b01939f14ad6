// lumtar-cli batch: charts a second through one engine, from JSON request
// lines to chart JSON lines, on one core.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>

#include "batch.h"
#include "vovirer.h"

namespace {

// Births at random over the whole chart range and over China, half of them female.
std::string RandomRequests(int count, unsigned seed) {
  std::mt19937 random(seed);
  auto in = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  std::string lines;
  char buf[200];
  for (int i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf,
                  R"({"date":"%04d-%02d-%02d","time":"%02d:%02d","lon":"%d:%d","lat":"%d:%d","female":%s})" "\n",
                  in(lumtar::kFirstYear, lumtar::kLastYear), in(1, 12), in(1, 28), in(0, 23), in(0, 59), in(73, 134), in(0, 59), in(18, 52),
                  in(0, 59), in(0, 1) ? "true" : "false");
    lines += buf;
  }
  return lines;
}

// Every hour of 1990 for one place.
std::string HourlyRequestsOfAYear() {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::string lines;
  char buf[120];
  for (int month = 1; month <= 12; ++month)
    for (int day = 1; day <= kDays[month - 1]; ++day)
      for (int hour = 0; hour < 24; ++hour) {
        std::snprintf(buf, sizeof buf, R"({"date":"1990-%02d-%02d","time":"%02d:00","lon":"117:48","lat":"25:42"})" "\n",
                      month, day, hour);
        lines += buf;
      }
  return lines;
}

}  // namespace

// Random births: items_per_second is charts a second.
static void BM_BatchRandomBirths(benchmark::State& state) {
  constexpr int kLines = 500;
  unsigned seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    std::istringstream in(RandomRequests(kLines, seed++));
    std::ostringstream out;
    state.ResumeTiming();
    lumtar::cli::RunBatch(in, out);
    state.PauseTiming();
    // A refused line would be counted as a chart.
    if (out.str().find(R"({"error")") != std::string::npos) state.SkipWithError("a request was refused");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_BatchRandomBirths)->Unit(benchmark::kMillisecond);

// A year of hourly charts, 8,760 lines: the time of the whole year.
static void BM_BatchYearOfHours(benchmark::State& state) {
  const std::string requests = HourlyRequestsOfAYear();
  for (auto _ : state) {
    std::istringstream in(requests);
    std::ostringstream out;
    lumtar::cli::RunBatch(in, out);
    benchmark::DoNotOptimize(out.str().size());
  }
  state.SetItemsProcessed(state.iterations() * 8760);
}
BENCHMARK(BM_BatchYearOfHours)->Unit(benchmark::kSecond)->Iterations(1);
