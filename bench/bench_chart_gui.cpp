// The chart picture: a natal chart computed and drawn into the 880 × 700
// picture, the same with its analysis, the painting alone (these two also
// under traditional characters), an annual overlay (which redraws the whole
// picture), the picture painted again at a screen's density, and the PDF
// report of a chart with a long analysis.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTextDocument>

#include <cstdlib>
#include <string>

#include "analysisreport.h"
#include "analysisview.h"
#include "chartdraw.h"
#include "report.h"
#include "script.h"
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

// The same two under traditional characters (选项 → 繁體): the names, the
// header and the analysis taken from the traditional tables.
void BM_NatalComputedDrawnAndAnalysedTraditional(benchmark::State& state) {
  SetScript(Script::Traditional);
  RunNatal(state, true);
  SetScript(Script::Simplified);
}
BENCHMARK(BM_NatalComputedDrawnAndAnalysedTraditional)->Unit(benchmark::kMillisecond);

void BM_PaintNatalTraditional(benchmark::State& state) {
  SetScript(Script::Traditional);
  BM_PaintNatal(state);
  SetScript(Script::Simplified);
}
BENCHMARK(BM_PaintNatalTraditional)->Unit(benchmark::kMillisecond);

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

// What a screen of 1.25, 1.5 or 2 times the density shows after an annual
// chart: the natal chart and its overlay painted again at that density
// (argument: the density in hundredths).
void BM_ScreenAtDensity(benchmark::State& state) {
  CVoVirer engine;
  engine.ComputeNatal(Request());
  engine.ComputeAnnual(8, engine.dateService.JulianDayOf(DateTime{2024, 5, 1, 12, 0}));
  const double density = static_cast<double>(state.range(0)) / 100;
  QImage screen = NewChartPicture(kChartImageWidth, kChartImageHeight, density);
  for (auto _ : state) {
    QPainter p(&screen);
    PaintCurrentChart(p, QSize(kChartImageWidth, kChartImageHeight), engine, ChartLines::DevicePixel);
  }
}
BENCHMARK(BM_ScreenAtDensity)->Arg(125)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);

// The PDF report: the chart page and a long analysis (the analyses of six
// births one after the other), fonts embedded and the text mended.
void BM_PdfReport(benchmark::State& state) {
  CVoVirer engine;
  engine.SetAnalysis([](CVoVirer& e) { BuildAnalysis(e); });
  std::string text;
  for (int hour : {2, 6, 10, 14, 18, 22}) {
    ChartRequest r = Request();
    r.hour = static_cast<int16_t>(hour);
    engine.ComputeNatal(r);
    text += engine.analysisText;
  }
  QTextDocument analysis;
  QFont font(QStringLiteral("Noto Serif CJK SC"));
  font.setPixelSize(16);
  analysis.setDefaultFont(font);
  WriteAnalysisDocument(text, &analysis);
  ChartReport report;
  report.header = ReportHeader(engine);
  report.chart = [&engine](QPainter& p) {
    PaintCurrentChart(p, QSize(kChartImageWidth, kChartImageHeight), engine);
  };
  report.analysis = &analysis;
  QByteArray pdf;
  for (auto _ : state) {
    pdf = ReportPdf(report);
    benchmark::DoNotOptimize(pdf.data());
  }
  state.counters["bytes"] = static_cast<double>(pdf.size());
  state.counters["pages"] = static_cast<double>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "));
}
BENCHMARK(BM_PdfReport)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
