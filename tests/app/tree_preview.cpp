// Shows the main window over a program folder of a few hundred cases in
// classes and saves a picture of the screen, to look at the case tree, its
// pop-up menu and its dialogs. Run under a real display or xvfb-run:
//
//   tree_preview OUT.png [tree|menu|move|search|save|view] [SKIN]
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "files.h"
#include "frmfenlei.h"
#include "frmmain.h"
#include "frmsearch.h"
#include "inifile.h"
#include "msgbox.h"
#include "rtf.h"
#include "tempdir.h"
#include "widgets.h"

using namespace lumtar;

namespace {

void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  std::filesystem::create_directories(to, ec);
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, ec);
}

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

void OpenSubmenu(QMenu* parent, QMenu* sub) {
  QRect r = parent->actionGeometry(sub->menuAction());
  parent->setActiveAction(sub->menuAction());
  sub->popup(parent->mapToGlobal(r.topRight()));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: tree_preview OUT.png [tree|menu|move|search|save|view] [SKIN]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString what = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("tree");
  const std::string skin = argc > 3 ? argv[3] : "";

  test::TempDir dir;
  CopyFolder(std::filesystem::path(LUMTAR_PROGRAM_DIR) / "dat", dir / "dat");
  CopyFolder(std::filesystem::path(LUMTAR_PROGRAM_DIR) / "skins", dir / "skins");
  std::filesystem::remove(dir / "dat/xminit.ini");
  // The shipped places, also when the program folder was not laid out yet.
  std::filesystem::copy_file(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/dili.ini", dir / "dat/dili.ini",
                             std::filesystem::copy_options::overwrite_existing);
  CopyFolder(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/skins", dir / "skins");
  CreateDirectories(dir / "Lumtar_f");
  WriteCases(dir.path());
  if (!skin.empty()) {
    IniFile ini(dir / "dat/xminit.ini");
    ini.WriteInteger("window", "skined", 1);
    ini.WriteString("window", "skinname", skin);
  }
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
        QTimer::singleShot(300, [&] { OpenSubmenu(w.PopupTree, w.pop_move); });
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
  QTimer::singleShot(1800, [&] {
    QScreen* screen = QGuiApplication::primaryScreen();
    bool ok = screen && screen->grabWindow(0).save(out);
    std::fprintf(stderr, ok ? "saved %s\n" : "could not save %s\n", qPrintable(out));
    QApplication::exit(ok ? 0 : 1);
  });
  return app.exec();
}
