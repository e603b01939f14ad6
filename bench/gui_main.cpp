// The main of the window benchmarks (bench_*_gui): the application object
// (offscreen unless a platform is set) with the program's fonts, then the
// benchmarks.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

#include "widgets.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  lumtar::InstallFontSubstitutions();
  QApplication::setFont(lumtar::SongTiPixelFont(14));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
