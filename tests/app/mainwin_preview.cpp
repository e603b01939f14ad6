// Shows the main window as the program starts it (on a copy of a program
// folder, so nothing of it changes) and saves a picture of the screen, to
// look at the window, its menus and dialogs. Run under a real display or
// xvfb-run:
//
//   mainwin_preview OUT.png [main|analysis|annual|liu|file|tools|options|skins|setcan|dili|help] [SKIN|-]
//
// SKIN names a skin of the folder's skins/ ("-" the standard look); without
// it the folder's own setting holds.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "files.h"
#include "frmdili.h"
#include "frmliu.h"
#include "frmmain.h"
#include "frmsetcan.h"
#include "frmtxthelp.h"
#include "inifile.h"
#include "tempdir.h"
#include "widgets.h"

using namespace lumtar;

namespace {

void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  std::filesystem::create_directories(to, ec);
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, ec);
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
    std::fprintf(stderr, "usage: mainwin_preview OUT.png [what] [SKIN|-]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString what = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("main");
  const std::string skin = argc > 3 ? argv[3] : "";

  test::TempDir dir;
  CopyFolder(std::filesystem::path(LUMTAR_PROGRAM_DIR) / "dat", dir / "dat");
  CopyFolder(std::filesystem::path(LUMTAR_PROGRAM_DIR) / "skins", dir / "skins");
  std::filesystem::remove(dir / "dat/Lumtar.dat");
  SetProgramDir(dir.str());
  if (!skin.empty()) {
    IniFile ini(dir / "dat/xminit.ini");
    ini.WriteInteger("window", "skined", skin == "-" ? 0 : 1);
    if (skin != "-") ini.WriteString("window", "skinname", skin);
  }

  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  TFrmMain w;
  w.skipCloseSequence = true;
  w.show();

  std::unique_ptr<QDialog> dialog;
  QTimer::singleShot(700, [&] {
    const bool charted = what == QLatin1String("analysis") || what == QLatin1String("main") ||
                         what == QLatin1String("annual") || what == QLatin1String("liu");
    if (charted) {
      w.Edtname->setText(QStringLiteral("张三"));
      w.EdtYear->setText(QStringLiteral("1990"));
      w.cbom->setCurrentIndex(2);
      w.cbod->setCurrentIndex(6);
      w.cbos->setCurrentIndex(10);
      w.BtnpaiClick();
      if (what == QLatin1String("analysis")) w.PageMain->setCurrentIndex(1);
      if (what == QLatin1String("annual")) {
        w.annualMomentJd += 365.25 * 33;
        w.ComputeAnnualChart();
      }
      if (what == QLatin1String("liu")) dialog = std::make_unique<TFrmLiu>(&w.annualTimeZoneIndex, &w.annualMomentJd, &w);
    } else if (what == QLatin1String("file")) {
      w.menuBar()->setActiveAction(w.mnuFile->menuAction());
    } else if (what == QLatin1String("tools")) {
      w.menuBar()->setActiveAction(w.mnuTools->menuAction());
    } else if (what == QLatin1String("options") || what == QLatin1String("skins")) {
      w.menuBar()->setActiveAction(w.mnuOptions->menuAction());
      QTimer::singleShot(300, [&] {
        OpenSubmenu(w.mnuOptions, what == QLatin1String("skins") ? w.mnuO_skin : w.mnuO_minggao);
      });
    } else if (what == QLatin1String("setcan")) {
      dialog = std::make_unique<TFrmSetcan>(&w);
    } else if (what == QLatin1String("dili")) {
      dialog = std::make_unique<TFrmDiLi>(&w);
    } else if (what == QLatin1String("help")) {
      dialog = std::make_unique<TFrmTxtHelp>(&w);
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
