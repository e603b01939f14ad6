#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <vector>

#include "answeredboxes.h"
#include "frmwnl.h"
#include "msgbox.h"

using namespace lumtar;

namespace {

// Answers every box and remembers it.
using Boxes = test::AnsweredBoxes;

DateTime Date(int year, int month, int day, int hour = 12, int minute = 0) {
  return {static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day),
          static_cast<int16_t>(hour), static_cast<int16_t>(minute)};
}

// Pixels of a cell's inside (grid lines left out) that are ink of a kind.
enum class Ink { Red, Blue, Any };
int InkIn(const QImage& image, QPoint at, Ink ink) {
  int count = 0;
  for (int y = at.y() + 2; y < at.y() + 46; ++y)
    for (int x = at.x() + 2; x < at.x() + 63; ++x) {
      const QColor c = image.pixelColor(x, y);
      const bool red = c.red() > 200 && c.green() < 120 && c.blue() < 120;
      const bool blue = c.blue() > 200 && c.red() < 120 && c.green() < 120;
      const bool any = c != QColor(255, 255, 200);
      if ((ink == Ink::Red && red) || (ink == Ink::Blue && blue) || (ink == Ink::Any && any)) ++count;
    }
  return count;
}

// The cell (0-based position among the 42 of rows 1..6) of the grid.
QPoint CellCorner(int position) { return {(position % 7) * 64, (position / 7 + 1) * 47}; }

QStringList Lines(const QPlainTextEdit* memo) {
  return memo->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

class FrmWnlTest : public QObject {
  Q_OBJECT

 private slots:
  void daysInMonthFollowsTheCalendars_data() {
    QTest::addColumn<int>("year");  // astronomical
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("days");
    QTest::newRow("1582-10-04") << 1582 << 10 << 4 << 21;
    QTest::newRow("1582-10-05 gone") << 1582 << 10 << 5 << 0;
    QTest::newRow("1582-10-14 gone") << 1582 << 10 << 14 << 0;
    QTest::newRow("1582-10-15") << 1582 << 10 << 15 << 21;
    QTest::newRow("1582-10-31") << 1582 << 10 << 31 << 21;
    QTest::newRow("1500-02-29 Julian leap") << 1500 << 2 << 29 << 29;
    QTest::newRow("1700-02-29 no leap") << 1700 << 2 << 29 << 0;
    QTest::newRow("1700-02-28") << 1700 << 2 << 28 << 28;
    QTest::newRow("1 BC Feb 29 (year 0)") << 0 << 2 << 29 << 29;
    QTest::newRow("2 BC Feb 29 (year -1)") << -1 << 2 << 29 << 0;
    QTest::newRow("2023-02-30") << 2023 << 2 << 30 << 0;
    QTest::newRow("2024-04-31") << 2024 << 4 << 31 << 0;
    QTest::newRow("9999-12-31") << 9999 << 12 << 31 << 31;
    QTest::newRow("4713 BC Jan 1") << -4712 << 1 << 1 << 31;
    QTest::newRow("day 0") << 2000 << 1 << 0 << 0;
    QTest::newRow("month 13") << 2000 << 13 << 1 << 0;
  }
  void daysInMonthFollowsTheCalendars() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, days);
    TFrmWnl w;
    QCOMPARE(w.DaysInMonth(Date(year, month, day)), days);
  }

  void showDateDrawsTheMonth() {
    TFrmWnl w;
    w.ShowDate(Date(2000, 1, 1, 12, 0));
    QCOMPARE(w.EdtYear->text(), QStringLiteral("2000"));
    QCOMPARE(w.UdYear->position(), 2000);
    QCOMPARE(w.cbom->count(), 12);
    QCOMPARE(w.cbod->count(), 31);
    QCOMPARE(w.cbos->count(), 24);
    QCOMPARE(w.cbomin->count(), 60);
    QCOMPARE(w.cbom->itemText(11), QStringLiteral("12月"));
    QCOMPARE(w.cbod->itemText(0), QStringLiteral("1日"));
    QCOMPARE(w.cbos->itemText(23), QStringLiteral("23时"));
    QCOMPARE(w.cbomin->itemText(0), QStringLiteral("0分"));
    QCOMPARE(w.labtitle->text(), QStringLiteral("2000年1月"));
    QCOMPARE(w.daysInMonth, 31);
    QCOMPARE(w.firstColumn, 5);  // a Saturday
    QCOMPARE(w.drawnCells.size(), size_t{31});
    QCOMPARE(w.drawnCells[0].at, QPoint(320, 47));
    QCOMPARE(w.drawnCells[0].dayLabel, QStringLiteral("1"));
    QCOMPARE(w.drawnCells[0].lunarLabel, QStringLiteral("十一月廿五"));
    // 1999-11-25 is the 1st of 十一月 ... of lunar 1999.
    QCOMPARE(w.windowTitle(), QStringLiteral("Vennix万年历"));
    QCOMPARE(w.size(), QSize(542, 413));
    QCOMPARE(w.Img1->size(), QSize(450, 330));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.BitBtn2->toolTip(), QStringLiteral("上一月"));
    QCOMPARE(w.BitBtn1->toolTip(), QStringLiteral("下一月"));
    QCOMPARE(w.sbtnnow->toolTip(), QStringLiteral("当前时间"));
    QCOMPARE(w.EdtYear->maxLength(), 5);
    QCOMPARE(w.UdYear->minimum(), -4712);
    QCOMPARE(w.UdYear->maximum(), 9999);
  }

  void gridGeometryAndHeader() {
    TFrmWnl w;
    w.ShowDate(Date(2024, 5, 6));
    const QImage& img = w.Img1->Canvas();
    // The frame and the six lines each way, in black.
    for (QPoint p : {QPoint(0, 100), QPoint(449, 100), QPoint(200, 0), QPoint(200, 329), QPoint(64, 20),
                     QPoint(384, 300), QPoint(10, 47), QPoint(10, 282)})
      QCOMPARE(img.pixelColor(p), QColor(Qt::black));
    QCOMPARE(img.pixelColor(30, 60), QColor(255, 255, 200));
    // 星期一 .. 星期五 green, 星期六 and 星期日 red.
    auto green = [&](int column) {
      int n = 0;
      for (int y = 2; y < 45; ++y)
        for (int x = column * 64 + 2; x < column * 64 + 62; ++x)
          if (const QColor c = img.pixelColor(x, y); c.green() > 90 && c.red() < 80 && c.blue() < 80) ++n;
      return n;
    };
    for (int column = 0; column < 5; ++column) {
      QVERIFY(green(column) > 20);
      QCOMPARE(InkIn(img, {column * 64, 0}, Ink::Red), 0);
    }
    for (int column : {5, 6}) {
      QCOMPARE(green(column), 0);
      QVERIFY(InkIn(img, {column * 64, 0}, Ink::Red) > 20);
    }
    // The marker stands on the 6th (a Monday, second row), one cell big.
    QCOMPARE(w.Shape1->size(), QSize(64, 47));
    QCOMPARE(w.Shape1->pos(), w.Img1->pos() + QPoint(0, 2 * 47));
    QVERIFY(w.Shape1->isVisibleTo(&w));
    const QImage marker = w.Shape1->Composed();
    QCOMPARE(marker.pixelColor(10, 40), QColor(0, 128, 0));  // background masked green
  }

  // The window keeps its pale yellow in every look, so its title keeps a
  // dark text even when a skin makes window texts light.
  void titleReadsOnThePaleBackgroundUnderALightTextPalette() {
    const QPalette standard = QApplication::palette();
    QPalette night = standard;
    night.setColor(QPalette::WindowText, QColor(235, 229, 215));
    QApplication::setPalette(night);
    {
      TFrmWnl w;
      w.ShowDate(Date(2024, 5, 6));
      const QImage title = w.labtitle->grab().toImage();
      int darkest = 255;
      for (int y = 0; y < title.height(); ++y)
        for (int x = 0; x < title.width(); ++x) darkest = std::min(darkest, qGray(title.pixel(x, y)));
      QVERIFY2(darkest < 80, qPrintable(QString::number(darkest)));
    }
    QApplication::setPalette(standard);
  }

  void october1582Has21Cells() {
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(1582, 10, 1));
    QCOMPARE(w.daysInMonth, 21);
    QCOMPARE(w.firstColumn, 0);  // 1582-10-01 was a Monday
    QStringList labels;
    for (const GridCell& c : w.drawnCells) labels << c.dayLabel.section(QLatin1Char(' '), 0, 0);
    QCOMPARE(labels.join(QLatin1Char(',')),
             QStringLiteral("1,2,3,4,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31"));
    const QImage& img = w.Img1->Canvas();
    QVERIFY(InkIn(img, CellCorner(20), Ink::Any) > 30);
    QCOMPARE(InkIn(img, CellCorner(21), Ink::Any), 0);

    // The fifth cell is the 15th.
    const QPoint fifth = CellCorner(4) + QPoint(30, 20);
    w.Img1MouseDown(Qt::LeftButton, fifth.x(), fifth.y());
    QCOMPARE(w.cbod->currentIndex(), 14);
    QCOMPARE(w.selected.day, 15);
    QCOMPARE(w.Shape1->pos(), w.Img1->pos() + CellCorner(4));

    // Days 5 to 14 do not exist.
    const QImage before = img.copy();
    w.cbod->setCurrentIndex(9);
    w.cbodChange();
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].text, QStringLiteral("不存在这个日期，请重新输入！"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("日期不对"));
    QCOMPARE(boxes.seen[0].icon, MsgIcon::Information);
    QCOMPARE(w.selected.day, 15);
    QCOMPARE(w.Img1->Canvas(), before);
  }

  void monthsAroundYearOne() {
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(1, 1, 10));
    w.BitBtn2Click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-1"));
    QCOMPARE(w.UdYear->position(), 0);
    QCOMPARE(w.selected.year, 0);
    QCOMPARE(w.selected.month, 12);
    QCOMPARE(w.selected.day, 1);
    QCOMPARE(w.labtitle->text(), QStringLiteral("-1年12月"));
    w.BitBtn1Click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("1"));
    QCOMPARE(w.labtitle->text(), QStringLiteral("1年1月"));

    // February of 1 BC (astronomical 0) is a leap month, of 2 BC not.
    w.ShowDate(Date(-1, 2, 29));
    QCOMPARE(w.selected.year, 0);
    QCOMPARE(w.daysInMonth, 29);
    QCOMPARE(w.labtitle->text(), QStringLiteral("-1年2月"));
    w.ShowDate(Date(-2, 2, 29));
    QCOMPARE(w.selected.day, 15);
    QCOMPARE(w.daysInMonth, 28);
    // The up-down control counts astronomically.
    w.ShowDate(Date(1, 6, 1));
    w.UdYear->stepBy(-1);
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-1"));
    QCOMPARE(w.labtitle->text(), QStringLiteral("-1年6月"));
    w.UdYear->stepBy(1);
    QCOMPARE(w.EdtYear->text(), QStringLiteral("1"));
    QVERIFY(boxes.seen.empty());
  }

  void februaryOfJulianAndGregorianYears_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::newRow("1500") << 1500 << 29;
    QTest::newRow("1700") << 1700 << 28;
    QTest::newRow("2000") << 2000 << 29;
    QTest::newRow("2023") << 2023 << 28;
  }
  void februaryOfJulianAndGregorianYears() {
    QFETCH(int, year);
    QFETCH(int, days);
    TFrmWnl w;
    w.ShowDate(Date(year, 2, 1));
    QCOMPARE(int{w.daysInMonth}, days);
    QCOMPARE(w.drawnCells.size(), size_t(days));
    QCOMPARE(w.drawnCells.back().dayLabel.section(QLatin1Char(' '), 0, 0), QString::number(days));
  }

  void february30IsRefusedAndNothingRedrawn() {
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(2023, 2, 10));
    const QImage before = w.Img1->Canvas().copy();
    const QString terms = w.memjie1->toPlainText();
    w.cbod->setCurrentIndex(29);
    w.cbodChange();
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].text, QStringLiteral("不存在这个日期，请重新输入！"));
    QCOMPARE(w.Img1->Canvas(), before);
    QCOMPARE(w.memjie1->toPlainText(), terms);
    QCOMPARE(w.labtitle->text(), QStringLiteral("2023年2月"));
    QCOMPARE(w.selected.day, 10);
  }

  void termDaysAreRedWithTheTermName() {
    TFrmWnl w;
    w.ShowDate(Date(2000, 2, 10));
    QCOMPARE(Lines(w.memjie1), QStringList({QStringLiteral("立春:4日20时40分"),
                                           QStringLiteral("雨水:19日16时33分")}));
    QCOMPARE(w.monthTerms[0].moment.day, 4);
    QCOMPARE(w.monthTerms[1].moment.day, 19);
    QCOMPARE(w.monthTerms[2].moment.day, -100);
    const GridCell& term = w.drawnCells[3];
    QCOMPARE(term.dayLabel, QStringLiteral("4 立春"));
    QCOMPARE(term.dayPoints, 10);
    QCOMPARE(term.colour, QColor(255, 0, 0));
    const GridCell& plain = w.drawnCells[4];
    QCOMPARE(plain.dayLabel, QStringLiteral("5"));
    QCOMPARE(plain.dayPoints, 14);
    QCOMPARE(plain.colour, QColor(0, 0, 255));
    QCOMPARE(plain.lunarLabel, QStringLiteral("正月初一"));
    QCOMPARE(plain.lunarPoints, 9);
    const QImage& img = w.Img1->Canvas();
    QVERIFY(InkIn(img, term.at, Ink::Red) > 30);
    QCOMPARE(InkIn(img, term.at, Ink::Blue), 0);
    QVERIFY(InkIn(img, plain.at, Ink::Blue) > 30);
    QCOMPARE(InkIn(img, plain.at, Ink::Red), 0);
  }

  void lunarLabels_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("points");
    QTest::newRow("闰正月") << 2262 << 3 << 15 << QStringLiteral("闰正月廿四") << 9;
    QTest::newRow("闰正月初十") << 2262 << 3 << 1 << QStringLiteral("闰正月初十") << 9;
    QTest::newRow("闰二月初一") << 2023 << 3 << 22 << QStringLiteral("闰二月初一") << 9;
    QTest::newRow("long label at size 8") << 2034 << 1 << 19 << QStringLiteral("闰十一月廿九") << 8;
    QTest::newRow("二十") << 2000 << 2 << 24 << QStringLiteral("正月二十") << 9;
    QTest::newRow("廿九") << 2000 << 2 << 4 << QStringLiteral("十二月廿九") << 9;
    QTest::newRow("三十") << 2000 << 3 << 5 << QStringLiteral("正月三十") << 9;
  }
  void lunarLabels() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, label);
    QFETCH(int, points);
    TFrmWnl w;
    w.ShowDate(Date(year, month, day));
    const GridCell& cell = w.drawnCells.at(static_cast<size_t>(day - 1));
    QCOMPARE(cell.lunarLabel, label);
    QCOMPARE(cell.lunarPoints, points);
    // The label stays inside its cell (the long one may touch the lines).
    const QImage& img = w.Img1->Canvas();
    QVERIFY(InkIn(img, cell.at, Ink::Any) > 30);
  }

  // Every label stays inside its cell with room to spare: the two pixel
  // columns beside each grid line are free of ink. Labels that fit keep
  // their size and width; six characters (闰十一月廿九) and five (闰二月初一,
  // 十一月初十) are drawn condensed.
  void labelsStayClearOfTheGridLines_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::newRow("闰十一月 of 2033") << 2034 << 1;
    QTest::newRow("闰十一月 begins") << 2033 << 12;
    QTest::newRow("闰二月 of 2023") << 2023 << 3;
    QTest::newRow("十一月初十") << 2020 << 12;
    QTest::newRow("立冬 and 小雪") << 2024 << 11;
  }
  void labelsStayClearOfTheGridLines() {
    QFETCH(int, year);
    QFETCH(int, month);
    TFrmWnl w;
    w.ShowDate(Date(year, month, 1));
    const QImage& img = w.Img1->Canvas();
    const QColor ground(255, 255, 200);
    for (const GridCell& cell : w.drawnCells) {
      for (int y = cell.at.y() + 2; y < cell.at.y() + 46; ++y)
        for (int dx : {1, 2, 62, 63}) {
          const int x = cell.at.x() + dx;
          if (x >= img.width() - 1) continue;
          QVERIFY2(img.pixelColor(x, y) == ground,
                   qPrintable(QStringLiteral("%1 / %2 at (%3, %4)").arg(cell.dayLabel, cell.lunarLabel).arg(x).arg(y)));
        }
      const qsizetype n = cell.lunarLabel.size();
      QCOMPARE(cell.lunarPoints, n > 5 ? 8 : 9);
      if (n <= 4) QCOMPARE(cell.lunarScale, 1.0);
      if (n >= 5) QVERIFY2(cell.lunarScale < 1.0, qPrintable(cell.lunarLabel));
      QVERIFY(cell.lunarScale > 0.75);
    }
  }

  // The month's terms stand one a line in their box, which has no
  // horizontal scroll bar.
  void termsStandOneALine_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::newRow("芒种 and 夏至 2024") << 2024 << 6;
    QTest::newRow("立冬 and 小雪 2024") << 2024 << 11;
    QTest::newRow("小雪 2029") << 2029 << 11;
    QTest::newRow("大雪 and 冬至 1987") << 1987 << 12;
  }
  void termsStandOneALine() {
    QFETCH(int, year);
    QFETCH(int, month);
    TFrmWnl w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.ShowDate(Date(year, month, 1));
    QCoreApplication::processEvents();
    const QStringList lines = Lines(w.memjie1);
    QCOMPARE(lines.size(), 2);
    QTextDocument* doc = w.memjie1->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
      QVERIFY2(b.layout()->lineCount() <= 1, qPrintable(b.text()));
    QVERIFY(!w.memjie1->horizontalScrollBar()->isVisible());
    const QFontMetrics fm(w.memjie1->font());
    for (const QString& line : lines)
      QVERIFY2(fm.horizontalAdvance(line) <= w.memjie1->viewport()->width() - 2 * doc->documentMargin(),
               qPrintable(line));
  }

  void monthStartingOnSundayFillsSixRows() {
    TFrmWnl w;
    w.ShowDate(Date(2023, 1, 1));
    QCOMPARE(w.firstColumn, 6);
    QCOMPARE(w.drawnCells[0].at, QPoint(384, 47));
    QCOMPARE(w.drawnCells[1].at, QPoint(0, 94));
    QCOMPARE(w.drawnCells[30].at, QPoint(64, 282));
    QVERIFY(InkIn(w.Img1->Canvas(), QPoint(64, 282), Ink::Any) > 30);
    QCOMPARE(InkIn(w.Img1->Canvas(), QPoint(128, 282), Ink::Any), 0);
  }

  void pillarsEraAndAnimal() {
    TFrmWnl w;
    w.ShowDate(Date(2000, 1, 1, 12, 0));
    QCOMPARE(Lines(w.memgz), QStringList({QStringLiteral("己卯年"), QStringLiteral("丙子月"),
                                         QStringLiteral("戊午日"), QStringLiteral("戊午时")}));
    // At 23:00 the day is already the next one, with its first 子 hour.
    w.cbos->setCurrentIndex(23);
    w.cbosChange();
    QCOMPARE(Lines(w.memgz).mid(2), QStringList({QStringLiteral("己未日"), QStringLiteral("甲子时")}));
    // Before 立春 (2000-02-04 20:40) the year, the animal and the eras are 1999's.
    w.ShowDate(Date(2000, 2, 4, 20, 39));
    QCOMPARE(Lines(w.memgz).first(), QStringLiteral("己卯年"));
    QCOMPARE(w.labxiao->text(), QStringLiteral("[当代] 中国  公历纪元1999年  【兔年】"));
    w.cbomin->setCurrentIndex(40);
    w.cbominChange();
    QCOMPARE(Lines(w.memgz), QStringList({QStringLiteral("庚辰年"), QStringLiteral("戊寅月"),
                                         QStringLiteral("壬辰日"), QStringLiteral("庚戌时")}));
    QCOMPARE(w.labxiao->text(), QStringLiteral("[当代] 中国  公历纪元2000年  【龙年】"));
    // Two reigns in one year are both named.
    w.ShowDate(Date(1644, 6, 1));
    QVERIFY(w.labxiao->text().contains(QStringLiteral("；")));
    QVERIFY(w.labxiao->text().endsWith(QStringLiteral("【猴年】")));
  }

  void yearLimits() {
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(-4713, 1, 1));
    QCOMPARE(w.selected.year, -4712);
    QCOMPARE(w.UdYear->position(), -4712);
    QCOMPARE(w.labtitle->text(), QStringLiteral("-4713年1月"));
    QVERIFY(!w.memjie1->toPlainText().isEmpty());
    w.BitBtn2Click();
    QCOMPARE(w.labtitle->text(), QStringLiteral("-4713年1月"));
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-4713"));
    w.UdYear->stepBy(-1);
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-4713"));
    // Every month of the first year, forward and back.
    for (int m = 2; m <= 12; ++m) {
      w.BitBtn1Click();
      QCOMPARE(w.selected.month, m);
      QVERIFY(w.daysInMonth >= 28);
    }
    w.BitBtn1Click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-4712"));

    w.ShowDate(Date(9999, 11, 30));
    w.BitBtn1Click();
    QCOMPARE(w.labtitle->text(), QStringLiteral("9999年12月"));
    QCOMPARE(w.daysInMonth, 31);
    w.BitBtn1Click();
    QCOMPARE(w.labtitle->text(), QStringLiteral("9999年12月"));
    QCOMPARE(w.EdtYear->text(), QStringLiteral("9999"));
    QVERIFY(!w.memjie1->toPlainText().isEmpty());
    w.UdYear->stepBy(1);
    QCOMPARE(w.EdtYear->text(), QStringLiteral("9999"));
    QVERIFY(boxes.seen.empty());
  }

  void browsingTheWholeRange() {
    Boxes boxes;
    TFrmWnl w;
    // One month every 37 years from the first year to the last, and the
    // year boundaries around the reform and year 0.
    for (int year = -4713; year <= 9999; year += 37) {
      if (year == 0) continue;
      w.ShowDate(Date(year, 1 + (year & 0x7FFF) % 12, 28, 23, 59));
      QCOMPARE(HistoricalYear(w.selected.year), year);
      QVERIFY(w.drawnCells.size() >= 28);
      for (const GridCell& c : w.drawnCells) QVERIFY(!c.lunarLabel.isEmpty());
      QCOMPARE(Lines(w.memgz).size(), 4);
    }
    w.ShowDate(Date(9999, 12, 31, 23, 59));
    QCOMPARE(w.drawnCells.size(), size_t{31});
    QVERIFY(boxes.seen.empty());
  }

  void everyYearMessage_data() {
    QTest::addColumn<QString>("box");
    QTest::newRow("0") << QStringLiteral("0");
    QTest::newRow("-4714") << QStringLiteral("-4714");
    QTest::newRow("10000") << QStringLiteral("10000");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("empty") << QString();
  }
  void everyYearMessage() {
    QFETCH(QString, box);
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(2000, 3, 3));
    const QImage before = w.Img1->Canvas().copy();
    const QString title = w.labtitle->text();
    const QString pillars = w.memgz->toPlainText();
    w.EdtYear->setText(box);

    // Enter in the year box.
    w.EdtYearKeyPress(Qt::Key_Return);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].text, QStringLiteral("年份在-4713 到 9999之间"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("错误"));
    QCOMPARE(boxes.seen[0].icon, MsgIcon::Error);

    // Any redraw.
    w.cbomChange();
    QCOMPARE(boxes.seen.size(), size_t{2});
    QCOMPARE(boxes.seen[1].text, QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年"));
    QCOMPARE(boxes.seen[1].caption, QStringLiteral("年份不对"));
    QCOMPARE(boxes.seen[1].icon, MsgIcon::Error);
    QCOMPARE(w.Img1->Canvas(), before);
    QCOMPARE(w.labtitle->text(), title);
    QCOMPARE(w.memgz->toPlainText(), pillars);

    // Other keys do nothing.
    w.EdtYearKeyPress(Qt::Key_A);
    QCOMPARE(boxes.seen.size(), size_t{2});
  }

  void enterAppliesTheYearAndTheTerms() {
    TFrmWnl w;
    w.ShowDate(Date(2000, 2, 10));
    w.EdtYear->setText(QStringLiteral("2001"));
    QTest::keyClick(w.EdtYear, Qt::Key_Return);
    QCOMPARE(w.labtitle->text(), QStringLiteral("2001年2月"));
    QCOMPARE(w.UdYear->position(), 2001);
    QCOMPARE(w.monthTerms[0].moment.year, 2001);
  }

  void typedYearWithoutEnterGetsItsOwnTerms() {
    TFrmWnl w;
    w.ShowDate(Date(2000, 2, 10));
    w.EdtYear->setText(QStringLiteral("2001"));
    w.cbom->setCurrentIndex(2);
    w.cbomChange();
    QCOMPARE(w.labtitle->text(), QStringLiteral("2001年3月"));
    QCOMPARE(w.monthTerms[0].moment.year, 2001);
    QCOMPARE(w.monthTerms[0].moment.month, 3);
    QCOMPARE(Lines(w.memjie1).size(), 2);
  }

  void currentTimeButton() {
    TFrmWnl w;
    w.ShowDate(Date(2000, 1, 1));
    w.clock = [] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8)); };
    w.sbtnnowClick();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("2024"));
    QCOMPARE(w.UdYear->position(), 2024);
    QVERIFY(w.selected == Date(2024, 5, 6, 7, 8));
    QCOMPARE(w.labtitle->text(), QStringLiteral("2024年5月"));
    QCOMPARE(w.monthTerms[0].moment.year, 2024);
    // A clock outside the calendar's years changes nothing.
    w.clock = [] { return QDateTime(QDate(10000, 1, 1), QTime(0, 0)); };
    w.sbtnnowClick();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("2024"));
    QVERIFY(w.selected == Date(2024, 5, 6, 7, 8));
  }

  void clicksOnTheGrid() {
    TFrmWnl w;
    w.ShowDate(Date(2024, 5, 6));  // the 1st is a Wednesday, column 2
    QCOMPARE(w.firstColumn, 2);
    auto click = [&](Qt::MouseButton b, int x, int y) { w.Img1MouseDown(b, x, y); };
    click(Qt::LeftButton, 64 * 3 + 10, 47 + 10);
    QCOMPARE(w.selected.day, 2);
    click(Qt::RightButton, 64 * 4 + 10, 47 + 10);
    QCOMPARE(w.selected.day, 2);
    click(Qt::LeftButton, 64 * 1 + 10, 47 + 10);  // before the 1st
    QCOMPARE(w.selected.day, 2);
    click(Qt::LeftButton, 64 * 2 + 10, 10);  // the header
    QCOMPARE(w.selected.day, 2);
    click(Qt::LeftButton, 64 * 4 + 10, 47 * 5 + 10);  // the 31st, a Friday
    QCOMPARE(w.selected.day, 31);
    click(Qt::LeftButton, 64 * 5 + 10, 47 * 5 + 10);  // after the 31st
    QCOMPARE(w.selected.day, 31);
    // The strip right of the seventh column is no cell of the next row.
    click(Qt::LeftButton, 449, 47 * 4 + 10);
    QCOMPARE(w.selected.day, 31);
    click(Qt::LeftButton, 100, 329);
    QCOMPARE(w.selected.day, 31);
    // A real mouse press reaches the same handler.
    QTest::mouseClick(w.Img1, Qt::LeftButton, {}, QPoint(64 * 4 + 5, 47 + 5));
    QCOMPARE(w.selected.day, 3);
    QCOMPARE(w.cbod->currentIndex(), 2);
  }

  void incomingDayThatDoesNotExistBecomesThe15th_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("2023-02-30") << 2023 << 2 << 30;
    QTest::newRow("1582-10-10") << 1582 << 10 << 10;
    QTest::newRow("day 0") << 2023 << 4 << 0;
    QTest::newRow("day 99") << 2023 << 4 << 99;
  }
  void incomingDayThatDoesNotExistBecomesThe15th() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(year, month, day));
    QCOMPARE(w.selected.day, 15);
    QCOMPARE(w.cbod->currentIndex(), 14);
    QVERIFY(boxes.seen.empty());
  }

  void badIncomingDatesDoNotCrash() {
    Boxes boxes;
    TFrmWnl w;
    w.ShowDate(Date(2000, 13, 40, 30, 99));
    QCOMPARE(w.selected.month, 12);
    QCOMPARE(w.selected.hour, 23);
    QCOMPARE(w.selected.minute, 59);
    // A year the window cannot show is refused and the shown month stays.
    for (int year : {0, -4714, 10000, -32768, 32767}) w.ShowDate(Date(year, 1, 1));
    QCOMPARE(boxes.seen.size(), size_t{5});
    for (const MsgRequest& r : boxes.seen) {
      QCOMPARE(r.text, QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年"));
      QCOMPARE(r.caption, QStringLiteral("年份不对"));
    }
    QCOMPARE(w.EdtYear->text(), QStringLiteral("2000"));
    QCOMPARE(w.labtitle->text(), QStringLiteral("2000年12月"));
    // A fresh window refusing its first date still works afterwards.
    TFrmWnl fresh;
    fresh.ShowDate(Date(0, 1, 1));
    fresh.BitBtn1Click();
    fresh.Img1MouseDown(Qt::LeftButton, 100, 100);
    fresh.ShowDate(Date(2000, 1, 1));
    QCOMPARE(fresh.labtitle->text(), QStringLiteral("2000年1月"));
  }

  void oneWindowHeldByTheMainWindow() {
    QWidget owner;
    QPointer<QWidget> holder;
    TFrmWnl* first = ShowCalendarWindow(&owner, holder, Date(2000, 1, 1));
    QVERIFY(first);
    QCOMPARE(holder.data(), static_cast<QWidget*>(first));
    QVERIFY(first->isVisible());
    QVERIFY(!first->isModal());
    TFrmWnl* again = ShowCalendarWindow(&owner, holder, Date(1990, 5, 5));
    QCOMPARE(again, first);
    QCOMPARE(again->labtitle->text(), QStringLiteral("1990年5月"));
    first->close();
    QTRY_VERIFY(holder.isNull());
    TFrmWnl* fresh = ShowCalendarWindow(&owner, holder, Date(2000, 1, 1));
    QVERIFY(fresh);
    QCOMPARE(holder.data(), static_cast<QWidget*>(fresh));
    fresh->close();
  }
};

QTEST_MAIN(FrmWnlTest)
#include "test_frmwnl.moc"
