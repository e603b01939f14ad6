// The perpetual calendar: what one drawing of a month costs (the grid with
// its lunar labels, the term list, the marker and the pillars), and a step
// to the next month across a year boundary, which also loads the year's
// solar terms. Clicking through months should stay well under 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "frmwnl.h"
#include "widgets.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_wnl_gui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  lumtar::InstallFontSubstitutions();
  return app;
}

lumtar::DateTime Date(int year, int month, int day) {
  return {static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day), 12, 0};
}

// One DrawMonth of a month of the given (historical) year.
void BM_DrawMonth(benchmark::State& state) {
  App();
  lumtar::TFrmWnl w;
  w.ShowDate(Date(static_cast<int>(state.range(0)), 2, 10));
  for (auto _ : state) {
    w.DrawMonth();
    benchmark::DoNotOptimize(w.drawnCells.data());
  }
}
BENCHMARK(BM_DrawMonth)->Arg(2000)->Arg(1582)->Arg(-4713)->Arg(9999)->Unit(benchmark::kMillisecond);

// "下一月" from December: the year turns, its terms load, the month draws.
void BM_NextMonthAcrossTheYear(benchmark::State& state) {
  App();
  lumtar::TFrmWnl w;
  for (auto _ : state) {
    state.PauseTiming();
    w.ShowDate(Date(2000, 12, 1));
    state.ResumeTiming();
    w.BitBtn1Click();
    benchmark::DoNotOptimize(w.drawnCells.data());
  }
}
BENCHMARK(BM_NextMonthAcrossTheYear)->Unit(benchmark::kMillisecond);

}  // namespace
