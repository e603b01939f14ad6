// Shows the main window over a program folder of a few hundred cases in
// classes and saves a picture of the screen, to look at the case tree, its
// pop-up menu and its dialogs. Run under a real display or xvfb-run:
//
//   tree_preview OUT.png [tree|menu|move|search|save|view] [SKIN|-]
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <string>

#include "files.h"
#include "frmfenlei.h"
#include "frmmain.h"
#include "frmsearch.h"
#include "inifile.h"
#include "preview.h"
#include "tempdir.h"
#include "widgets.h"

using namespace lumtar;

namespace {

// Three hundred cases in six classes, one of them only in the records.
void WriteCases(const std::filesystem::path& dir) {
  const char* names[] = {"张三", "李四", "王五", "赵六", "孙小美", "周杰", "吴刚", "郑和", "欧阳修", "Tom"};
  const char* classes[] = {"亲友", "同事", "客户", "名人", "古人", "学生"};
  std::string bytes;
  for (int i = 0; i < 300; ++i) {
    CaseRecord r;
    r.slot = i;
    r.SetName(names[i % 10]);
    r.SetClassName(classes[(i * 7) % 6]);
    r.year = static_cast<int16_t>(1930 + (i * 13) % 90);
    r.month = static_cast<int16_t>(1 + i % 12);
    r.day = static_cast<int16_t>(1 + (i * 5) % 28);
    r.hour = static_cast<int16_t>(i % 24);
    r.isLunar = i % 4 == 0;
    r.isLeapMonth = i % 40 == 0;
    r.isMale = (i / 6) % 2;
    r.timeZoneIndex = 8;
    r.longitude = 119.3f;
    r.latitude = 26.08f;
    r.SetPlaceName("福建省-福州市");
    bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
  }
  WriteWholeFileAtomic(dir / "dat/Lumtar.dat", bytes);
  IniFile ini(dir / "dat/xminit.ini");
  ini.WriteInteger("winpos", "width", 1199);
  ini.WriteInteger("winpos", "height", 820);
  ini.WriteInteger("winpos", "treewid", 200);
  ini.WriteInteger("classes", "count", 5);
  for (int k = 0; k < 5; ++k) ini.WriteString("classes", std::to_string(k + 1), classes[k]);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  test::PreviewArgs args;
  if (!test::ReadPreviewArgs(argc, argv, "tree_preview OUT.png [tree|menu|move|search|save|view] [SKIN|-]", "tree",
                             &args))
    return 2;
  const QString& what = args.what;

  test::TempDir dir;
  test::CopyProgramFolder(LUMTAR_PROGRAM_DIR, dir.path());
  // The shipped places and skins, also when the program folder was not
  // laid out yet.
  test::CopyFolder(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/skins", dir / "skins");
  std::filesystem::copy_file(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/dili.ini", dir / "dat/dili.ini",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(dir / "dat/xminit.ini");
  CreateDirectories(dir / "Lumtar_f");
  WriteCases(dir.path());
  test::ChooseSkin(dir.path(), args.skin);
  SetProgramDir(dir.str());

  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  TFrmMain w;
  w.skipCloseSequence = true;
  w.show();

  std::unique_ptr<QDialog> dialog;
  QTimer::singleShot(700, [&] {
    QTreeWidgetItem* root = w.Tree->topLevelItem(0);
    for (int i = 0; i < 3 && i < root->childCount(); ++i) root->child(i)->setExpanded(true);
    QTreeWidgetItem* someCase = root->child(1)->child(2);
    w.Tree->setCurrentItem(what == QLatin1String("tree") ? root : someCase);
    if (what == QLatin1String("view")) {
      w.pop_viewClick();
    } else if (what == QLatin1String("menu") || what == QLatin1String("move")) {
      w.TreeRightMouseDown();
      const QPoint at = w.Tree->visualItemRect(someCase).center();
      w.PopupTree->popup(w.Tree->viewport()->mapToGlobal(at));
      if (what == QLatin1String("move"))
        QTimer::singleShot(300, [&] { test::OpenSubmenu(w.PopupTree, w.pop_move); });
    } else if (what == QLatin1String("search")) {
      w.searchCriteria.SetNamePattern("张");
      w.searchCriteria.nameMode = 1;
      dialog = std::make_unique<TFrmSearch>(w.searchCriteria, *w.DataBase, w.XmInit.get(), &w);
      static_cast<TFrmSearch*>(dialog.get())->Animate1->Start();
    } else if (what == QLatin1String("save")) {
      dialog = std::make_unique<TFrmFenLei>(w.XmInit.get(), &w);
    }
    if (dialog) dialog->show();
  });
  test::SaveScreenLater(args.out);
  return app.exec();
}
