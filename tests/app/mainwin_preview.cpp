// Shows the main window as the program starts it (on a copy of a program
// folder, so nothing of it changes) and saves a picture of the screen, to
// look at the window, its menus and dialogs. Run under a real display or
// xvfb-run:
//
//   mainwin_preview OUT.png [main|analysis|annual|liu|file|tools|options|skins|setcan|dili|help|
//                            lunar|lunarday|wnl|view|fit|print|savepic|savenew] [SKIN|-]
//
// SKIN names a skin of the folder's skins/ ("-" the standard look); without
// it the folder's own setting holds.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QCheckBox>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "dateinputs.h"
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
                         what == QLatin1String("annual") || what == QLatin1String("liu") ||
                         what == QLatin1String("fit") || what == QLatin1String("print") ||
                         what == QLatin1String("savepic") || what == QLatin1String("savenew");
    const bool lunar = what == QLatin1String("lunar") || what == QLatin1String("lunarday") ||
                       what == QLatin1String("wnl");
    if (lunar) {
      // 康熙五十年八月十三日, or (wnl) 2023 闰二月初一 and the calendar on it.
      const bool calendar = what == QLatin1String("wnl");
      w.Edtname->setText(QStringLiteral("张三"));
      w.EdtYear->setText(calendar ? QStringLiteral("2023") : QStringLiteral("1711"));
      w.UpDyear->setPosition((calendar ? 2023 : 1711) - kInputFirstYear);
      w.Rdonl->setChecked(true);
      w.Chkrun->setChecked(calendar);
      w.cbom->setCurrentIndex(calendar ? 1 : 7);
      w.cbod->setCurrentIndex(calendar ? 0 : 12);
      w.cbos->setCurrentIndex(10);
      w.BtnpaiClick();
      if (calendar)
        w.mnuT_wnlClick();
      else
        (what == QLatin1String("lunarday") ? w.cbod : w.cbom)->showPopup();
    } else if (what == QLatin1String("view")) {
      w.menuBar()->setActiveAction(w.mnuView->menuAction());
    } else if (charted) {
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
      if (what == QLatin1String("fit")) w.ChartFitClick(true);
      if (what == QLatin1String("print")) {
        static QPrinter printer(QPrinter::HighResolution);
        w.ProposePrintFileName(&printer);
        dialog = std::make_unique<QPrintDialog>(&printer, &w);
      }
      // Modal: the picture is taken while they wait.
      if (what == QLatin1String("savepic")) QTimer::singleShot(0, [&] { w.mnuImg_saveAs->trigger(); });
      if (what == QLatin1String("savenew")) {
        w.Edtname->setText(QStringLiteral("李四"));
        QTimer::singleShot(0, [&] { w.SbtoSaveClick(); });
      }
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
