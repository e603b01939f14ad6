// The Chinese calendar: lunar dates, the month of the perpetual calendar,
// the solar terms of a year, lunar to civil dates.
#include <benchmark/benchmark.h>

#include <string>

#include "timescale.h"
#include "yidateex.h"

using namespace lumtar;
using namespace lumtar::calendar;

namespace {

// A civil date about 400 days after the previous one, so that every call
// needs a lunar year not built before (1960..2100, the ephemeris range).
DateTime NextDistantDay(double& jd) {
  jd += 401.3;
  if (jd > 2488069) jd = 2436935.5;
  return astro::DateTimeOfJulianDay(jd);
}

}  // namespace

// One conversion whose lunar year must be built.
static void BM_SolarToLunarOneDay(benchmark::State& state) {
  MYiDateEx date;
  double jd = 2436935.5;
  DateTime lunar;
  for (auto _ : state) {
    const DateTime civil = NextDistantDay(jd);
    benchmark::DoNotOptimize(date.SolarToLunar(civil, lunar));
  }
}
BENCHMARK(BM_SolarToLunarOneDay);

// The same day again: the year layout is reused.
static void BM_SolarToLunarSameYear(benchmark::State& state) {
  MYiDateEx date;
  DateTime lunar;
  for (auto _ : state) benchmark::DoNotOptimize(date.SolarToLunar({2024, 5, 17, 0, 0}, lunar));
}
BENCHMARK(BM_SolarToLunarSameYear);

// The 31 lunar dates of a civil month, then the next month (1960..2100).
static void ConvertMonth(MYiDateEx& date, int& year, int& month) {
  DateTime lunar;
  for (int16_t day = 1; day <= 31; ++day)
    benchmark::DoNotOptimize(date.SolarToLunar({static_cast<int16_t>(year), static_cast<int16_t>(month), day, 0, 0}, lunar));
  if (++month > 12) {
    month = 1;
    year = year >= 2100 ? 1960 : year + 1;
  }
}

// The perpetual calendar's month: 31 lunar dates of a month never shown
// before, each iteration the next month from 1960 on.
static void BM_SolarToLunarMonth(benchmark::State& state) {
  MYiDateEx date;
  int year = 1960, month = 1;
  for (auto _ : state) ConvertMonth(date, year, month);
}
BENCHMARK(BM_SolarToLunarMonth)->Unit(benchmark::kMillisecond);

// The same with a new date service each time (nothing kept from before).
static void BM_SolarToLunarMonthFreshService(benchmark::State& state) {
  int year = 1960, month = 1;
  for (auto _ : state) {
    MYiDateEx date;
    ConvertMonth(date, year, month);
  }
}
BENCHMARK(BM_SolarToLunarMonthFreshService)->Unit(benchmark::kMillisecond);

static void BM_YearSolarTerms(benchmark::State& state) {
  MYiDateEx date;
  int year = 1600;
  for (auto _ : state) {
    benchmark::DoNotOptimize(date.YearSolarTerms(year));
    year = year >= 2100 ? 1600 : year + 1;
  }
}
BENCHMARK(BM_YearSolarTerms)->Unit(benchmark::kMicrosecond);

// Lunar to civil: the search walks day by day from the civil date with the
// same numbers (up to half a year).
static void BM_LunarToSolar(benchmark::State& state) {
  MYiDateEx date;
  int year = 1960, month = 1;
  DateTime civil;
  std::string message;
  for (auto _ : state) {
    benchmark::DoNotOptimize(date.LunarToSolar({static_cast<int16_t>(year), static_cast<int16_t>(month), 15, 0, 0},
                                               false, civil, message));
    if (++month > 12) {
      month = 1;
      year = year >= 2100 ? 1960 : year + 1;
    }
  }
}
BENCHMARK(BM_LunarToSolar)->Unit(benchmark::kMicrosecond);
