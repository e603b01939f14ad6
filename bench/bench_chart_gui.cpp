// The chart picture: a natal chart computed and drawn into the 880 × 700
// picture, the same with its analysis, the painting alone, and an annual
// overlay (which redraws the whole picture).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include <cstdlib>

#include "analysisreport.h"
#include "chartdraw.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

ChartRequest Request() {
  ChartRequest r;
  r.year = 1990;
  r.month = 3;
  r.day = 7;
  r.hour = 14;
  r.minute = 25;
  r.longitude = 116.4167f;
  r.latitude = 39.9f;
  r.SetName("张三");
  r.SetPlaceName("北京-北京");
  return r;
}

// A natal chart computed and drawn, and analysed when asked.
void RunNatal(benchmark::State& state, bool analysed) {
  QImage picture = NewChartPicture();
  PictureChartPainter painter(&picture);
  CVoVirer engine;
  engine.SetPainter(&painter);
  if (analysed) engine.SetAnalysis([](CVoVirer& e) { BuildAnalysis(e); });
  const ChartRequest r = Request();
  for (auto _ : state) benchmark::DoNotOptimize(engine.ComputeNatal(r));
}

void BM_NatalComputedAndDrawn(benchmark::State& state) { RunNatal(state, false); }
BENCHMARK(BM_NatalComputedAndDrawn)->Unit(benchmark::kMillisecond);

void BM_NatalComputedDrawnAndAnalysed(benchmark::State& state) { RunNatal(state, true); }
BENCHMARK(BM_NatalComputedDrawnAndAnalysed)->Unit(benchmark::kMillisecond);

void BM_PaintNatal(benchmark::State& state) {
  CVoVirer engine;
  engine.ComputeNatal(Request());
  QImage picture = NewChartPicture();
  for (auto _ : state) {
    QPainter p(&picture);
    PaintNatalChart(p, picture.size(), engine);
  }
}
BENCHMARK(BM_PaintNatal)->Unit(benchmark::kMillisecond);

void BM_AnnualOverlay(benchmark::State& state) {
  QImage picture = NewChartPicture();
  PictureChartPainter painter(&picture);
  CVoVirer engine;
  engine.SetPainter(&painter);
  engine.ComputeNatal(Request());
  const double jd = engine.dateService.JulianDayOf(DateTime{2024, 5, 1, 12, 0});
  for (auto _ : state) benchmark::DoNotOptimize(engine.ComputeAnnual(8, jd));
}
BENCHMARK(BM_AnnualOverlay)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
