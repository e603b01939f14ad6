// The analysis report of a natal chart: catalogue lookups and the four
// sections, without the chart computation.
#include <benchmark/benchmark.h>

#include "analysisreport.h"
#include "versecatalogue.h"
#include "vovirer.h"

using namespace lumtar;

static void BM_AnalysisReport(benchmark::State& state) {
  CVoVirer engine;
  ChartRequest r;
  r.year = 1990;
  r.month = 3;
  r.day = 7;
  r.hour = 8;
  r.minute = 30;
  r.longitude = 116.4167f;
  r.latitude = 39.9f;
  if (!engine.ComputeNatal(r)) {
    state.SkipWithError("the chart was not computed");
    return;
  }
  benchmark::DoNotOptimize(VerseText(100));  // the catalogue is loaded once, before timing
  for (auto _ : state) {
    std::string text = AnalysisReport(engine.model);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_AnalysisReport)->Unit(benchmark::kMicrosecond);
