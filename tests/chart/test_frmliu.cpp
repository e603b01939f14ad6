// The annual chart's time dialog: its lists and proposal, the year up-down,
// and the checks of "确定" with their messages.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <vector>

#include "dateinputs.h"
#include "frmliu.h"
#include "msgbox.h"
#include "yidateex.h"

using namespace lumtar;

class FrmLiuTest : public QObject {
  Q_OBJECT

  // Every box the dialog shows, answered with OK.
  std::vector<MsgRequest> boxes_;
  calendar::MYiDateEx dates_;

  double Jd(int y, int mo, int d, int h, int mi) {
    return dates_.JulianDayOf(astro::DateTime{static_cast<int16_t>(y), static_cast<int16_t>(mo),
                                              static_cast<int16_t>(d), static_cast<int16_t>(h),
                                              static_cast<int16_t>(mi)});
  }

 private slots:
  void init() {
    boxes_.clear();
    SetMessageHandler([this](const MsgRequest& r) {
      boxes_.push_back(r);
      return MsgResult::Ok;
    });
  }
  void cleanup() { SetMessageHandler(nullptr); }

  void showsTheProposal() {
    int zone = 9;
    double jd = Jd(2024, 5, 1, 13, 45);
    TFrmLiu dlg(&zone, &jd);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("流年时间(公历)"));
    QVERIFY(dlg.width() >= 428 && dlg.height() >= 87);
    QCOMPARE(dlg.font().pixelSize(), 14);
    QCOMPARE(dlg.SbtoNow->toolTip(), QStringLiteral("现在时间"));
    QCOMPARE(dlg.EdtYear->maxLength(), 4);
    QCOMPARE(dlg.EdtYear->text(), QStringLiteral("2024"));
    QCOMPARE(dlg.UpDyear->position(), 2024 - kInputFirstYear);
    QCOMPARE(dlg.cbom->currentIndex(), 4);
    QCOMPARE(dlg.cbod->currentIndex(), 0);
    QCOMPARE(dlg.cbos->currentIndex(), 13);
    QCOMPARE(dlg.cbomin->currentIndex(), 45);
    QCOMPARE(dlg.Cboshiqu->currentIndex(), 9);
    QCOMPARE(dlg.cbom->count(), 12);
    QCOMPARE(dlg.cbod->count(), 31);
    QCOMPARE(dlg.cbos->itemText(23), QStringLiteral("23时子"));
    QCOMPARE(dlg.cbomin->count(), 60);
    QCOMPARE(dlg.Cboshiqu->count(), 24);
    QCOMPARE(dlg.Cboshiqu->itemText(12), QStringLiteral("中十二区"));
    QCOMPARE(dlg.Cboshiqu->itemText(13), QStringLiteral("西一区"));
    QCOMPARE(dlg.Label4->text(), QStringLiteral("时区"));
    QVERIFY(dlg.Btnok->isDefault());
  }

  void confirmsAValidMoment() {
    int zone = 8;
    double jd = Jd(1990, 3, 7, 14, 25);
    TFrmLiu dlg(&zone, &jd);
    dlg.EdtYear->setText(QStringLiteral("2030"));
    dlg.cbom->setCurrentIndex(1);   // February
    dlg.cbod->setCurrentIndex(27);  // 28th
    dlg.cbos->setCurrentIndex(23);
    dlg.cbomin->setCurrentIndex(59);
    dlg.Cboshiqu->setCurrentIndex(0);
    dlg.Btnok->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(boxes_.empty());
    QCOMPARE(zone, 0);
    QCOMPARE(jd, Jd(2030, 2, 28, 23, 59));
  }

  void refusesAndStaysOpen_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("618") << "618" << 1 << 1 << "年份最大范围619-2100" << "年份错误";
    QTest::newRow("2101") << "2101" << 1 << 1 << "年份最大范围619-2100" << "年份错误";
    QTest::newRow("letters") << "abcd" << 1 << 1 << "年份最大范围619-2100" << "年份错误";
    QTest::newRow("empty") << "" << 1 << 1 << "年份最大范围619-2100" << "年份错误";
    QTest::newRow("29 February 2100") << "2100" << 2 << 29 << "不存在这个日期" << "日期错误";
    QTest::newRow("31 April") << "2024" << 4 << 31 << "不存在这个日期" << "日期错误";
  }
  void refusesAndStaysOpen() {
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    int zone = 8;
    const double proposal = Jd(2024, 5, 1, 12, 0);
    double jd = proposal;
    TFrmLiu dlg(&zone, &jd);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.Cboshiqu->setCurrentIndex(3);
    dlg.EdtYear->setText(year);
    dlg.cbom->setCurrentIndex(month - 1);
    dlg.cbod->setCurrentIndex(day - 1);
    dlg.Btncancel->setFocus();
    dlg.Btnok->click();
    QCOMPARE(int(boxes_.size()), 1);
    QCOMPARE(boxes_[0].text, text);
    QCOMPARE(boxes_[0].caption, caption);
    QCOMPARE(int(boxes_[0].icon), int(MsgIcon::Warning));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(zone, 8);
    QCOMPARE(jd, proposal);
    if (caption == QStringLiteral("年份错误")) QCOMPARE(dlg.focusWidget(), static_cast<QWidget*>(dlg.EdtYear));
  }

  void cancelKeepsTheProposal() {
    int zone = 8;
    double jd = Jd(2024, 5, 1, 12, 0);
    TFrmLiu dlg(&zone, &jd);
    dlg.EdtYear->setText(QStringLiteral("2030"));
    dlg.Cboshiqu->setCurrentIndex(2);
    dlg.Btncancel->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(zone, 8);
    QCOMPARE(jd, Jd(2024, 5, 1, 12, 0));
  }

  void upDownSetsTheYearAndStopsAtItsEnds() {
    int zone = 8;
    double jd = Jd(2099, 5, 1, 12, 0);
    TFrmLiu dlg(&zone, &jd);
    dlg.EdtYear->setText(QStringLiteral("1999"));  // typing does not move the up-down
    QCOMPARE(dlg.UpDyear->position(), 2099 - kInputFirstYear);
    dlg.UpDyear->stepBy(1);
    QCOMPARE(dlg.EdtYear->text(), QStringLiteral("2100"));
    dlg.UpDyear->stepBy(1);
    QCOMPARE(dlg.EdtYear->text(), QStringLiteral("2100"));
    dlg.UpDyear->setPosition(0);
    dlg.UpDyear->stepBy(-1);
    QCOMPARE(dlg.EdtYear->text(), QStringLiteral("619"));
  }

  void nowButtonShowsTheCurrentTime() {
    int zone = 5;
    double jd = Jd(1990, 3, 7, 14, 25);
    TFrmLiu dlg(&zone, &jd);
    dlg.SbtoNow->click();
    const QDateTime now = QDateTime::currentDateTime();
    QCOMPARE(dlg.EdtYear->text().toInt(), std::min(now.date().year(), 2100));
    QCOMPARE(dlg.cbom->currentIndex(), now.date().month() - 1);
    QCOMPARE(dlg.Cboshiqu->currentIndex(), 5);  // the zone stays
  }
};

QTEST_MAIN(FrmLiuTest)
#include "test_frmliu.moc"
