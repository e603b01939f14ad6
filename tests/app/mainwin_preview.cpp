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
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "files.h"
#include "frmdili.h"
#include "frmliu.h"
#include "frmmain.h"
#include "frmsetcan.h"
#include "frmtxthelp.h"
#include "inifile.h"
#include "preview.h"
#include "scriptui.h"
#include "tempdir.h"
#include "widgets.h"

using namespace lumtar;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  test::PreviewArgs args;
  if (!test::ReadPreviewArgs(argc, argv, "mainwin_preview OUT.png [what] [SKIN|-]", "main", &args)) return 2;
  const QString& what = args.what;

  test::TempDir dir;
  test::CopyProgramFolder(LUMTAR_PROGRAM_DIR, dir.path());
  std::filesystem::remove(dir / "dat/Lumtar.dat");
  SetProgramDir(dir.str());
  test::ChooseSkin(dir.path(), args.skin);

  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  // LUMTAR_TRADITIONAL=1: the windows under traditional characters (繁體).
  if (qEnvironmentVariableIntValue("LUMTAR_TRADITIONAL") == 1) ApplyScript(Script::Traditional);
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
        test::OpenSubmenu(w.mnuOptions, what == QLatin1String("skins") ? w.mnuO_skin : w.mnuO_minggao);
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
  test::SaveScreenLater(args.out);
  return app.exec();
}
