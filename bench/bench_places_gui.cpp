// Place lists: what choosing a province or a city costs with the shipped
// dili.ini (every read parses the whole file).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "inifile.h"
#include "places.h"

namespace {

const std::filesystem::path kShipped =
    std::filesystem::path(__FILE__).parent_path().parent_path() / "data/dili.ini";
constexpr int kSichuan = 21;  // the longest list

// The main window's province step: names and coordinates of every city.
void BM_ReadProvinceCities(benchmark::State& state) {
  lumtar::IniFile ini(kShipped);
  lumtar::ProvinceCities cities;
  for (auto _ : state) {
    lumtar::ReadProvinceCities(ini, static_cast<int>(state.range(0)), &cities);
    benchmark::DoNotOptimize(cities.names.data());
  }
  state.counters["cities"] = cities.size();
}
BENCHMARK(BM_ReadProvinceCities)->Arg(0)->Arg(kSichuan);

// The place editor's city step: one value read and split.
void BM_EditorCityValue(benchmark::State& state) {
  lumtar::IniFile ini(kShipped);
  for (auto _ : state) {
    auto pieces = lumtar::SplitCityValue(lumtar::ReadCityValue(ini, kSichuan, "雷波县"));
    benchmark::DoNotOptimize(pieces.latitudeMinutes.data());
  }
}
BENCHMARK(BM_EditorCityValue);

void BM_CoordinateBoxText(benchmark::State& state) {
  float v = lumtar::DegreesMinutesToFloat(-120, 30);
  for (auto _ : state) {
    benchmark::DoNotOptimize(lumtar::CoordinateBoxText(v));
    v += 0.001f;
  }
}
BENCHMARK(BM_CoordinateBoxText);

}  // namespace
