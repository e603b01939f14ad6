// Viewing a case whose comment document is one long run of letters without
// a break opportunity (100 KiB to 20 MiB, and the largest document the
// program accepts), in the shown main window. A timer probe ticking every
// millisecond measures how long the window at most did not answer (the
// longest gap between two ticks) from the view until the comment is shown
// and laid out; also that time, how much the editor holds, and the peak
// memory of the process.
// The sizes are in KiB; 1 KiB shows what viewing the case costs without
// the comment. Run one size at a time (--benchmark_filter=/65536) for its
// own peak memory.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "database.h"
#include "files.h"
#include "frmmain.h"
#include "fuzhoucase.h"
#include "msgbox.h"
#include "rtf.h"
#include "widgets.h"

using namespace lumtar;
namespace fs = std::filesystem;

namespace {

const fs::path kSourceDir = fs::path(__FILE__).parent_path().parent_path();
const char* const kComment = "张三_199003071030";

// An RTF document of exactly `bytes` bytes: one paragraph of 'a'.
std::string LongRunRtf(size_t bytes) {
  QTextDocument source;
  source.setPlainText(QStringLiteral("X"));
  std::string rtf = WriteRtf(source);
  const size_t at = rtf.find('X');
  rtf.replace(at, 1, std::string(bytes - (rtf.size() - 1), 'a'));
  return rtf;
}

// A program folder with the shipped places and one case, 张三, whose
// comment is the document given; removed at the end.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::string& document) {
    path_ = fs::temp_directory_path() / ("lumtar-bench-comment-" + std::to_string(::getpid()));
    CreateDirectories(path_ / "dat");
    CreateDirectories(path_ / "Lumtar_f");
    CopyFileOverwrite(kSourceDir / "data/dili.ini", path_ / "dat/dili.ini");
    CaseRecord r = test::FuzhouCase("张三", "亲友", 1990);
    r.slot = 0;
    r.SetCommentName(kComment);
    WriteWholeFileAtomic(path_ / "dat/Lumtar.dat", std::string(reinterpret_cast<const char*>(&r), sizeof r));
    WriteWholeFileAtomic(path_ / "Lumtar_f" / (std::string(kComment) + ".rtf"), document);
    SetProgramDir(path_.string() + "/");
  }
  ~ProgramFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }

 private:
  fs::path path_;
};

QTreeWidgetItem* FirstCase(QTreeWidget* tree) {
  QTreeWidgetItem* root = tree->topLevelItem(0);
  for (int i = 0; root && i < root->childCount(); ++i)
    if (root->child(i)->childCount() > 0) return root->child(i)->child(0);
  return nullptr;
}

double PeakMemoryMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ViewLongComment(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) << 10;
  const size_t size = std::min<size_t>(bytes, kMaxDocumentBytes);
  ProgramFolder folder(LongRunRtf(size));
  int messages = 0;
  SetMessageHandler([&messages](const MsgRequest&) {
    ++messages;
    return MsgResult::Yes;
  });
  constexpr qint64 kGiveUpMs = 120000;  // the window is reported as blocked beyond this
  constexpr qint64 kQuietMs = 1500;     // no layout step for this long: laid out
  double longestBlockMs = 0;
  double shownMs = 0;
  bool gaveUp = false;
  int shownCharacters = 0;
  for (auto _ : state) {
    TFrmMain w;
    w.skipCloseSequence = true;
    w.resize(1199, 853);
    w.show();
    QApplication::processEvents();
    w.Tree->setCurrentItem(FirstCase(w.Tree));

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    qint64 lastLayout = 0;
    bool viewed = false;
    QObject::connect(w.RedtPingYu->document()->documentLayout(),
                     &QAbstractTextDocumentLayout::documentSizeChanged, &w,
                     [&] { lastLayout = clock.elapsed(); });
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      longest = std::max(longest, now - lastTick);
      lastTick = now;
    });
    QTimer::singleShot(0, &w, [&] {
      w.pop_viewClick();
      viewed = true;
      lastLayout = clock.elapsed();
    });
    clock.start();
    probe.start();
    while (true) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      const qint64 now = clock.elapsed();
      if (viewed && !w.CommentLoading() && now - lastLayout > kQuietMs) break;
      if (now > kGiveUpMs) {
        gaveUp = true;
        break;
      }
    }
    probe.stop();
    // The last tick's gap, when the loop ended inside a block.
    longest = std::max(longest, clock.elapsed() - lastTick);
    longestBlockMs = static_cast<double>(longest);
    shownMs = static_cast<double>(lastLayout);
    shownCharacters = w.RedtPingYu->document()->characterCount();
    if (!gaveUp && shownCharacters < std::min<int>(static_cast<int>(size / 2), 250000))
      state.SkipWithError("the comment was not shown");
  }
  state.counters["document_MiB"] = static_cast<double>(size) / (1 << 20);
  state.counters["longest_block_ms"] = longestBlockMs;
  state.counters["laid_out_ms"] = shownMs;
  state.counters["gave_up"] = gaveUp ? 1 : 0;
  state.counters["messages"] = messages;
  state.counters["shown_chars"] = shownCharacters;
  state.counters["peak_MiB"] = PeakMemoryMiB();
}
BENCHMARK(BM_ViewLongComment)->Arg(1)->Arg(100)->Arg(300)->Arg(1024)->Arg(20 << 10)->Arg(64 << 10)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
