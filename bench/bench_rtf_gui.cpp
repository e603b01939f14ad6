// Writing and reading an analysis page as RTF: about 24 000 characters in
// 600 paragraphs, with coloured bold headings. Viewing a comment document of
// one long run without a break opportunity: read and laid out at the
// comment editor's width.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include "rtf.h"
#include "widgets.h"

namespace {

void FillAnalysisPage(QTextDocument* doc) {
  doc->setDefaultFont(lumtar::SongTiPointFont(12));
  QTextCursor c(doc);
  QTextCharFormat heading;
  heading.setFontWeight(QFont::Bold);
  heading.setForeground(QColor(0, 0, 255));
  const QString verse = QStringLiteral("★命度主：角木蛟为命度主，入庙得地，主人聪明俊秀，衣禄丰足。");
  for (int i = 0; i < 600; ++i) {
    if (i % 150 == 0) c.insertText(QStringLiteral("命主分析："), heading);
    else c.insertText(verse, QTextCharFormat());
    c.insertBlock();
  }
}

void BM_WriteRtf(benchmark::State& state) {
  QTextDocument doc;
  FillAnalysisPage(&doc);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string rtf = lumtar::WriteRtf(doc);
    bytes = rtf.size();
    benchmark::DoNotOptimize(rtf);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_ReadRtf(benchmark::State& state) {
  QTextDocument source;
  FillAnalysisPage(&source);
  const std::string rtf = lumtar::WriteRtf(source);
  QTextDocument doc;
  for (auto _ : state) benchmark::DoNotOptimize(lumtar::ReadRtf(rtf, &doc));
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

std::string LongRunRtf(qsizetype length) {
  QTextDocument source;
  QTextCursor(&source).insertText(QString(length, u'a'));
  return lumtar::WriteRtf(source);
}

// Reading alone: the editor lays out what it shows first and the rest
// piece by piece while the window answers.
void BM_ReadLongRun(benchmark::State& state) {
  const std::string rtf = LongRunRtf(state.range(0));
  for (auto _ : state) {
    QTextDocument doc;
    benchmark::DoNotOptimize(lumtar::ReadRtf(rtf, &doc));
  }
}
BENCHMARK(BM_ReadLongRun)->Arg(100000)->Arg(1000000)->Arg(50000000)->Unit(benchmark::kMillisecond);

// Reading and laying out the whole document.
void BM_ViewLongRun(benchmark::State& state) {
  const std::string rtf = LongRunRtf(state.range(0));
  for (auto _ : state) {
    QTextDocument doc;
    doc.setDefaultFont(lumtar::SongTiPointFont(12));
    lumtar::ReadRtf(rtf, &doc);
    doc.setTextWidth(600);
    benchmark::DoNotOptimize(doc.size());
  }
}
BENCHMARK(BM_ViewLongRun)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
