// The world atlas and the place search: loading the shipped atlas, building
// the search over it and the Chinese lists, a search per keystroke as a
// user types a name, the nearest place, and reading the birth clock.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "atlas.h"
#include "birthclock.h"
#include "inifile.h"
#include "placesearch.h"

namespace {

const std::filesystem::path kData = std::filesystem::path(__FILE__).parent_path().parent_path() / "data";

void BM_AtlasLoad(benchmark::State& state) {
  lumtar::WorldAtlas atlas;
  for (auto _ : state) {
    atlas.Load((kData / "atlas.txt").string());
    benchmark::DoNotOptimize(atlas.Places().data());
  }
  state.counters["places"] = static_cast<double>(atlas.Places().size());
}
BENCHMARK(BM_AtlasLoad)->Unit(benchmark::kMillisecond);

// What the first use of the place search costs: the atlas and dili.ini read
// and the names indexed.
void BM_PlaceIndexBuild(benchmark::State& state) {
  for (auto _ : state) {
    auto atlas = std::make_shared<lumtar::WorldAtlas>();
    atlas->Load((kData / "atlas.txt").string());
    lumtar::PlaceIndex index(lumtar::IniFile(kData / "dili.ini"), atlas);
    benchmark::DoNotOptimize(index.size());
  }
}
BENCHMARK(BM_PlaceIndexBuild)->Unit(benchmark::kMillisecond);

const lumtar::PlaceIndex& Index() {
  static const lumtar::PlaceIndex index(lumtar::IniFile(kData / "dili.ini"),
                                        lumtar::SharedAtlas((kData / "atlas.txt").string()));
  return index;
}

// One search per keystroke of a name, as the search box runs it (30 rows);
// the time is per keystroke.
void BM_SearchPerKeystroke(benchmark::State& state) {
  static const std::vector<std::vector<std::string>> kTyped = {
      {"新", "新加", "新加坡"},
      {"纽", "纽约"},
      {"V", "Va", "Van", "Vanc", "Vanco", "Vancou", "Vancouv", "Vancouve", "Vancouver"},
      {"吉", "吉隆", "吉隆坡"},
      {"L", "Lo", "Lon", "Lond", "Londo", "London"},
      {"US/P", "US/Po", "US/Por", "US/Port", "US/Portl", "US/Portla", "US/Portlan", "US/Portland"},
  };
  const std::vector<std::string>& keys = kTyped[static_cast<size_t>(state.range(0))];
  const lumtar::PlaceIndex& index = Index();
  for (auto _ : state)
    for (const std::string& text : keys) benchmark::DoNotOptimize(index.Search(text, 30).size());
  state.SetLabel(keys.back());
  state.counters["per keystroke"] =
      benchmark::Counter(static_cast<double>(keys.size()), benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_SearchPerKeystroke)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_NearestPlace(benchmark::State& state) {
  const lumtar::PlaceIndex& index = Index();
  double lat = 40.7;
  for (auto _ : state) {
    benchmark::DoNotOptimize(index.Nearest(lat, -74.0));
    lat += 1e-6;
  }
}
BENCHMARK(BM_NearestPlace)->Unit(benchmark::kMicrosecond);

// The clock indicator reads the clock on every change of the panel.
void BM_ReadClock(benchmark::State& state) {
  lumtar::BirthClock clock;
  double jd = 2444421.0;  // 1980-07-01 12:00
  for (auto _ : state) {
    benchmark::DoNotOptimize(lumtar::ReadClock("America/New_York", jd, lumtar::DstChoice::Auto, &clock));
    jd += 1.0 / 1440;
  }
}
BENCHMARK(BM_ReadClock)->Unit(benchmark::kMicrosecond);

}  // namespace
