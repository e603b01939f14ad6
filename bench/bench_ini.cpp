// INI files of absurd size: one key written into a file of many sections,
// the window settings written on closing into a large dat/xminit.ini, and
// the chart settings read from a large dat/set.ini (six keys).
#include <benchmark/benchmark.h>

#include <string>

#include "chartrequest.h"
#include "files.h"
#include "inifile.h"
#include "tempdir.h"

namespace {

std::string Sections(int count) {
  std::string text = "[lumtar]\r\nguidao=0\r\nnpos=3\r\n\r\n";
  for (int i = 0; i < count; ++i) text += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n\r\n";
  return text;
}

void BM_WriteOneKey(benchmark::State& state) {
  lumtar::test::TempDir dir;
  const auto path = dir / "a.ini";
  lumtar::WriteWholeFileAtomic(path, Sections(static_cast<int>(state.range(0))));
  lumtar::IniFile ini(path);
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ini.WriteInteger("lumtar", "npos", ++i % 10));
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_WriteOneKey)->Arg(1000)->Arg(10000)->Arg(80000)->Unit(benchmark::kMillisecond);

// Closing the window: about twenty keys in one update.
void BM_WriteSettingsOnClose(benchmark::State& state) {
  lumtar::test::TempDir dir;
  const auto path = dir / "xminit.ini";
  lumtar::WriteWholeFileAtomic(path, Sections(static_cast<int>(state.range(0))));
  std::vector<lumtar::IniFile::Value> values;
  for (const char* key : {"left", "top", "width", "height", "state", "treewid", "pinghei", "sheng", "shi"})
    values.push_back({"winpos", key, "10"});
  for (int k = 1; k <= 10; ++k) values.push_back({"classes", std::to_string(k), "类" + std::to_string(k)});
  for (auto _ : state) benchmark::DoNotOptimize(lumtar::IniFile(path).WriteStrings(values));
}
BENCHMARK(BM_WriteSettingsOnClose)->Arg(10000)->Arg(80000)->Unit(benchmark::kMillisecond);

// The chart settings of each chart, read from a set.ini of many sections.
void BM_ReadChartSettings(benchmark::State& state) {
  lumtar::test::TempDir dir;
  const auto path = dir / "set.ini";
  lumtar::WriteWholeFileAtomic(path, Sections(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(lumtar::LoadChartSettings(path.string()));
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_ReadChartSettings)->Arg(10)->Arg(10000)->Arg(80000)->Unit(benchmark::kMillisecond);

}  // namespace
