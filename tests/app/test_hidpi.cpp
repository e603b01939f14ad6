// The windows on a screen of higher density (QT_SCALE_FACTOR, set by the
// test's registration: 2, 1.5 and 1.25): the chart picture, the calendar
// grid and the case pictures are painted at the screen's resolution, with
// the same layout in the windows' own pixels: lines one device pixel wide,
// text drawn at its device size rather than enlarged.
//
// With LUMTAR_HIDPI_SHOTS=<folder> it also writes what the screen shows.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <cmath>
#include <filesystem>
#include <memory>

#include "answeredboxes.h"
#include "caseicons.h"
#include "chartdraw.h"
#include "files.h"
#include "frmmain.h"
#include "frmwnl.h"
#include "mainwindow.h"
#include "picturebox.h"
#include "tempdir.h"
#include "vovirer.h"
#include "widgets.h"

using namespace lumtar;

namespace {

bool Dark(const QImage& img, int x, int y) {
  return x >= 0 && y >= 0 && x < img.width() && y < img.height() && qGray(img.pixel(x, y)) < 110;
}

// Length of the run of dark pixels across row y nearest to column x.
int RunAcross(const QImage& img, int x, int y) {
  for (int d = 0; d <= 4 && !Dark(img, x, y); ++d) x = Dark(img, x - d, y) ? x - d : Dark(img, x + d, y) ? x + d : x;
  if (!Dark(img, x, y)) return 0;
  int left = x, right = x;
  while (Dark(img, left - 1, y)) --left;
  while (Dark(img, right + 1, y)) ++right;
  return right - left + 1;
}

// Length of the run of dark pixels down column x nearest to row y.
int RunDown(const QImage& img, int x, int y) {
  for (int d = 0; d <= 4 && !Dark(img, x, y); ++d) y = Dark(img, x, y - d) ? y - d : Dark(img, x, y + d) ? y + d : y;
  if (!Dark(img, x, y)) return 0;
  int top = y, bottom = y;
  while (Dark(img, x, top - 1)) --top;
  while (Dark(img, x, bottom + 1)) ++bottom;
  return bottom - top + 1;
}

}  // namespace

class HiDpiTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  double scale_ = 1;

  void Shot(const QPixmap& pixmap, const QString& name) {
    const QString folder = qEnvironmentVariable("LUMTAR_HIDPI_SHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    pixmap.save(folder + QStringLiteral("/%1_%2.png").arg(name).arg(scale_));
  }

 private slots:
  void initTestCase() {
    InstallFontSubstitutions();
    QApplication::setFont(SongTiPixelFont(14));
    scale_ = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
    QVERIFY(scale_ > 1);
    QCOMPARE(qApp->devicePixelRatio(), scale_);
  }
  void init() {
    dir_ = test::ProgramFolder();
  }
  void cleanup() { dir_.reset(); }

  void chartPicture() {
    test::AnsweredBoxes boxes;
    auto w = test::Shown(std::make_unique<TFrmMain>());
    QVERIFY(w);
    test::TypeBirth(*w);
    w->BtnpaiClick();
    QVERIFY(w->natalChartShown);
    Shot(w->grab(), QStringLiteral("mainwindow"));

    const QPixmap shown = w->Imgzhanxing->grab();
    Shot(shown, QStringLiteral("chart"));
    QCOMPARE(shown.devicePixelRatio(), scale_);
    QImage screen = shown.toImage().convertToFormat(QImage::Format_RGB32);
    screen.setDevicePixelRatio(1);
    const QSize device(static_cast<int>(std::ceil(880 * scale_)), static_cast<int>(std::ceil(700 * scale_)));
    QCOMPARE(screen.size(), device);
    // What the screen shows is the chart painted at its resolution.
    QImage painted = NewChartPicture(880, 700, scale_);
    {
      QPainter p(&painted);
      PaintCurrentChart(p, QSize(880, 700), *w->VoVirer, ChartLines::DevicePixel);
    }
    painted.setDevicePixelRatio(1);
    QCOMPARE(screen, painted.convertToFormat(QImage::Format_RGB32));
    // Not the plain picture enlarged.
    QImage enlarged = w->Imgzhanxing->Picture().scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    enlarged.setDevicePixelRatio(1);
    QVERIFY(screen != enlarged.convertToFormat(QImage::Format_RGB32));
    // Hairlines one device pixel wide: the spoke below the centre across
    // the branch ring, and the circles where they cross the vertical.
    QCOMPARE(RunAcross(screen, static_cast<int>(std::lround(302 * scale_)), static_cast<int>(std::lround(347 * scale_))),
             1);
    for (double r : {60.0, 90.0}) {
      const int x = static_cast<int>(std::lround(302 * scale_));
      QCOMPARE(RunDown(screen, x + static_cast<int>(3 * scale_), static_cast<int>(std::lround((302 - r) * scale_))), 1);
    }
    // Text drawn at its device size: the title "Lumtar" (16 pixels in the
    // picture) has strokes of single device pixels and edges that are not
    // the picture's pixels repeated.
    int unpaired = 0;
    for (int y = static_cast<int>(8 * scale_); y < static_cast<int>(24 * scale_); ++y)
      for (int x = static_cast<int>(4 * scale_); x < static_cast<int>(60 * scale_); ++x)
        if (screen.pixel(x, y) != enlarged.pixel(x, y)) ++unpaired;
    QVERIFY2(unpaired > 100, qPrintable(QString::number(unpaired)));
    // The pointer's hint keeps to the picture's own pixels.
    w->ImgzhanxingMouseMove(302 + 45, 302);
    QVERIFY(w->Imgzhanxing->Hint().startsWith(QStringLiteral("宫主:")));
  }

  // The input panel shows every control at the window's first size here too,
  // in either script.
  void inputPanelFits() {
    test::AnsweredBoxes boxes;
    auto w = test::Shown(std::make_unique<TFrmMain>());
    QVERIFY(w);
    for (bool traditional : {false, true}) {
      w->ScriptItemClick(traditional);
      w->resize(1199, 882);
      QTRY_COMPARE(w->size(), QSize(1199, 882));
      QCoreApplication::processEvents();
      QVERIFY(!w->ScrollInput->verticalScrollBar()->isVisible());
      const QRect room = w->ScrollInput->viewport()->rect();
      for (QWidget* control : w->PanelInput->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(w->PanelInput) || control->parentWidget() != w->PanelInput) continue;
        QVERIFY2(room.contains(QRect(control->mapTo(w->ScrollInput->viewport(), QPoint(0, 0)), control->size())),
                 control->metaObject()->className());
      }
      Shot(w->grab(), traditional ? QStringLiteral("panel_traditional") : QStringLiteral("panel"));
    }
    w->ScriptItemClick(false);
  }

  void calendarGrid() {
    TFrmWnl w;
    w.ShowDate({1990, 3, 7, 10, 30});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Shot(w.grab(), QStringLiteral("calendar"));
    const QImage& canvas = w.Img1->Canvas();
    QCOMPARE(canvas.devicePixelRatio(), scale_);
    QCOMPARE(canvas.width(), static_cast<int>(std::ceil(450 * scale_)));
    // The grid's lines, one device pixel wide, where they are in the
    // picture's own pixels (cells of 64 × 47).
    const QImage grid = canvas.convertToFormat(QImage::Format_RGB32);
    QCOMPARE(RunDown(grid, static_cast<int>(20 * scale_), static_cast<int>(std::lround(47 * scale_))), 1);
    QCOMPARE(RunAcross(grid, static_cast<int>(std::lround(64 * scale_)), static_cast<int>(30 * scale_)), 1);
    // A click still finds its cell in the picture's pixels.
    const int before = w.cbod->currentIndex();
    w.Img1MouseDown(Qt::LeftButton, 64 * w.firstColumn + 5, 47 + 5);
    QCOMPARE(w.cbod->currentIndex(), 0);
    Q_UNUSED(before);
  }

  void caseIcons() {
    for (int image : {kImageFemale, kImageMale, kImageClass, kImageRoot}) {
      const QPixmap pm = CaseIcon(image).pixmap(QSize(16, 16), scale_);
      QCOMPARE(pm.devicePixelRatio(), scale_);
      QCOMPARE(pm.width(), static_cast<int>(std::ceil(16 * scale_)));
      if (image == kImageMale) Shot(pm, QStringLiteral("icon"));
    }
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
