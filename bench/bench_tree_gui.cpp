// The case tree: the fill of the start-up list (the 1000 newest slotList of a
// store of 1500 cases in eight classes) into the shown main window, alone
// and with the tree painted afterwards, and a show-all of the whole store.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "database.h"
#include "files.h"
#include "frmmain.h"
#include "msgbox.h"
#include "widgets.h"

using namespace lumtar;
namespace fs = std::filesystem;

namespace {

const fs::path kSourceDir = fs::path(__FILE__).parent_path().parent_path();
constexpr int kStoredCases = 1500;

// A program folder with the shipped places and a store of cases, removed
// at the end.
class ProgramFolder {
 public:
  ProgramFolder() {
    path_ = fs::temp_directory_path() / ("lumtar-bench-tree-" + std::to_string(::getpid()));
    CreateDirectories(path_ / "dat");
    CreateDirectories(path_ / "Lumtar_f");
    CopyFileOverwrite(kSourceDir / "data/dili.ini", path_ / "dat/dili.ini");
    const char* classes[] = {"亲友", "同事", "客户", "名人", "古人", "学生", "邻居", "临时保存"};
    std::string bytes;
    for (int i = 0; i < kStoredCases; ++i) {
      CaseRecord r;
      r.slot = i;
      r.SetName(i % 3 ? "张三" : "李小四");
      r.SetClassName(classes[i % 8]);
      r.year = static_cast<int16_t>(1900 + i % 200);
      r.month = static_cast<int16_t>(1 + i % 12);
      r.day = static_cast<int16_t>(1 + i % 28);
      r.isLunar = i % 5 == 0;
      r.isMale = i % 2;
      r.isDeleted = i % 50 == 0;
      bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    WriteWholeFileAtomic(path_ / "dat/Lumtar.dat", bytes);
    SetProgramDir(path_.string() + "/");
  }
  ~ProgramFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }

 private:
  fs::path path_;
};

// The main window shown over the folder, as the program starts it.
struct Window {
  Window() {
    SetMessageHandler([](const MsgRequest&) { return MsgResult::Yes; });
    w.skipCloseSequence = true;
    w.resize(1199, 853);
    w.show();
    QApplication::processEvents();
  }
  ProgramFolder folder;
  TFrmMain w;
};

void BM_TreeFillStartUp(benchmark::State& state) {
  Window win;
  const std::vector<int> slotList = win.w.StartUpSlots();
  for (auto _ : state) win.w.FillTree(slotList);
  int cases = 0;
  const QTreeWidgetItem* root = win.w.Tree->topLevelItem(0);
  for (int i = 0; i < root->childCount(); ++i) cases += root->child(i)->childCount();
  state.counters["cases"] = cases;
}
BENCHMARK(BM_TreeFillStartUp)->Unit(benchmark::kMillisecond);

// The fill and the tree's next painting, with its classes expanded.
void BM_TreeFillAndPaint(benchmark::State& state) {
  Window win;
  const std::vector<int> slotList = win.w.StartUpSlots();
  for (auto _ : state) {
    win.w.FillTree(slotList);
    win.w.Tree->expandAll();
    win.w.Tree->viewport()->repaint();
  }
}
BENCHMARK(BM_TreeFillAndPaint)->Unit(benchmark::kMillisecond);

// "显示全部命例": a search with every condition off, then the fill.
void BM_ShowAll(benchmark::State& state) {
  Window win;
  for (auto _ : state) win.w.pop_showallClick();
}
BENCHMARK(BM_ShowAll)->Unit(benchmark::kMillisecond);

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
