// Pictures of the comment editor's and the chart picture's pop-up menus open
// and of the font dialog, and the analysis page, a comment and the chart
// printed to PDF files, for a person to look at. Run under a real display or
// xvfb-run:
//
//   editor_preview FOLDER
//
// writes menu_picture.png, menu_analysis.png, menu_comment.png,
// font_dialog.png, print_analysis.pdf, print_comment.pdf and print_chart.pdf
// into FOLDER (made when missing). The program folder is a fresh one, so
// nothing of build/Lumtar changes.
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "answeredboxes.h"
#include "editordialogs.h"
#include "frmmain.h"
#include "mainwindow.h"
#include "picturebox.h"
#include "widgets.h"

using namespace lumtar;

namespace {

void Select(QTextEdit* editor, int from, int to) {
  QTextCursor c = editor->textCursor();
  c.setPosition(from);
  c.setPosition(to, QTextCursor::KeepAnchor);
  editor->setTextCursor(c);
}

bool SaveScreen(const QString& path) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const bool ok = screen && screen->grabWindow(0).save(path);
  std::fprintf(stderr, ok ? "saved %s\n" : "could not save %s\n", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: editor_preview FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  auto dir = test::ProgramFolder();
  test::AnsweredBoxes boxes;
  auto w = test::Shown(std::make_unique<TFrmMain>());
  if (!w) return 1;
  w->skipCloseSequence = true;
  w->resize(1199, 853);
  test::TypeBirth(*w);
  w->BtnpaiClick();
  QTest::qWait(300);

  bool ok = true;
  auto shoot = [&](QMenu* menu, QWidget* over, const QString& name) {
    menu->popup(over->mapToGlobal(QPoint(60, 40)));
    QTest::qWait(400);
    ok = SaveScreen(folder + u'/' + name) && ok;
    menu->hide();
  };
  shoot(w->PopupImg, w->Imgzhanxing, QStringLiteral("menu_picture.png"));
  w->PageMain->setCurrentIndex(1);
  QTest::qWait(200);
  shoot(w->PopupDuan.menu, w->RedtDuan, QStringLiteral("menu_analysis.png"));
  shoot(w->PopupPingYu.menu, w->RedtPingYu, QStringLiteral("menu_comment.png"));

  // A comment with a word set in another font, then the three print jobs
  // into PDF files.
  w->RedtPingYu->setPlainText(QStringLiteral("输入自己的评语：\n\t命宫在辰，太阳守命。"));
  Select(w->RedtPingYu, 9, 11);
  FontChoice red{SongTiPointFont(16), QColor(255, 0, 0)};
  red.font.setBold(true);
  SetFontDialogHandler([&](QWidget*, FontChoice* c) {
    *c = red;
    return true;
  });
  w->SelectionFontClick(w->RedtPingYu);
  QString pdf;
  SetPrintDialogHandler([&](QWidget*, QPrinter* printer) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    return true;
  });
  pdf = folder + QStringLiteral("/print_analysis.pdf");
  w->EditorPrintClick(w->RedtDuan);
  pdf = folder + QStringLiteral("/print_comment.pdf");
  w->EditorPrintClick(w->RedtPingYu);
  pdf = folder + QStringLiteral("/print_chart.pdf");
  w->ImgPrintClick();
  SetPrintDialogHandler(nullptr);
  SetFontDialogHandler(nullptr);

  // The font dialog itself, as the comment editor's menu opens it.
  QTimer::singleShot(600, [&] {
    ok = SaveScreen(folder + QStringLiteral("/font_dialog.png")) && ok;
    if (QWidget* d = QApplication::activeModalWidget()) d->close();
  });
  Select(w->RedtPingYu, 0, 3);
  w->PopupPingYu.font->trigger();
  return ok ? 0 : 1;
}
