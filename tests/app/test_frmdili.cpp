#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>

#include <vector>

#include "answeredboxes.h"
#include "files.h"
#include "filetraps.h"
#include "frmdili.h"
#include "gbk.h"
#include "inifile.h"
#include "msgbox.h"
#include "places.h"
#include "tempdir.h"

using namespace lumtar;
using lumtar::test::SetFileStepTraps;

namespace {

const char* kFixture =
    "[福建省]\r\n福州市=119:18*26:5\r\n厦门市=118:5*24:30\r\n坏值=abc\r\n\r\n"
    "[北京市]\r\n北京市=116:24*39:54\r\n\r\n"
    "[河北省]\r\n\r\n"
    "[澳门]\r\n远方=-120:30*-30:15\r\n";

// Answers every box and remembers it.
using Boxes = test::AnsweredBoxes;

std::string Bytes(const std::filesystem::path& p) {
  std::string b;
  ReadWholeFile(p, &b);
  return b;
}

void SetBoxes(TFrmDiLi& d, const char* a, const char* b, const char* c, const char* e) {
  d.LedtJingDu->setText(QString::fromUtf8(a));
  d.LedtJingFen->setText(QString::fromUtf8(b));
  d.LedtWeiDu->setText(QString::fromUtf8(c));
  d.LedtWeiFen->setText(QString::fromUtf8(e));
}

QStringList Pieces(const TFrmDiLi& d) {
  return {d.LedtJingDu->text(), d.LedtJingFen->text(), d.LedtWeiDu->text(), d.LedtWeiFen->text()};
}

}  // namespace

class FrmDiLiTest : public QObject {
  Q_OBJECT

  test::TempDir* dir_ = nullptr;
  std::filesystem::path ini_;
  QString Path() const { return QString::fromStdString(ini_.string()); }

 private slots:
  void init() {
    dir_ = new test::TempDir;
    ini_ = *dir_ / "dili.ini";
    WriteWholeFileAtomic(ini_, Utf8ToGbk(kFixture));
  }
  void cleanup() {
    delete dir_;
    dir_ = nullptr;
  }

  void opensOnTheFirstProvinceAndCity() {
    TFrmDiLi d(nullptr, Path());
    QCOMPARE(d.windowTitle(), QStringLiteral("经纬度修改"));
    QCOMPARE(d.CboSheng->count(), 34);
    QCOMPARE(d.CboSheng->itemText(0), QStringLiteral("福建省"));
    QCOMPARE(d.CboSheng->itemText(33), QStringLiteral("澳门"));
    QCOMPARE(d.CboSheng->maxVisibleItems(), 18);
    QCOMPARE(d.CboShi->maxVisibleItems(), 18);
    // A list popup, which keeps to that row count in every look.
    for (QComboBox* c : {d.CboSheng, d.CboShi}) {
      QStyleOptionComboBox opt;
      opt.initFrom(c);
      QCOMPARE(c->style()->styleHint(QStyle::SH_ComboBox_Popup, &opt, c), 0);
    }
    QCOMPARE(d.CboShi->count(), 3);
    QCOMPARE(d.CboShi->currentText(), QStringLiteral("福州市"));
    QCOMPARE(Pieces(d), QStringList({"119", "18", "26", "5"}));
    QCOMPARE(d.BtoEdit->text(), QStringLiteral("修改"));
  }

  void choosingShowsTheStoredPieces() {
    TFrmDiLi d(nullptr, Path());
    d.CboShi->setCurrentIndex(2);  // malformed: shown as the splitting yields
    QCOMPARE(Pieces(d), QStringList({"abc", "", "", ""}));
    d.CboSheng->setCurrentIndex(1);
    QCOMPARE(d.CboShi->count(), 1);
    QCOMPARE(Pieces(d), QStringList({"116", "24", "39", "54"}));
    d.CboSheng->setCurrentIndex(3);  // empty section: no city, boxes kept
    QCOMPARE(d.CboShi->count(), 0);
    QCOMPARE(Pieces(d), QStringList({"116", "24", "39", "54"}));
    d.CboSheng->setCurrentIndex(33);
    QCOMPARE(Pieces(d), QStringList({"-120", "30", "-30", "15"}));
  }

  void typingLimits() {
    TFrmDiLi d(nullptr, Path());
    d.CboSheng->setCurrentIndex(3);  // no city: the boxes keep what is typed
    d.LedtJingDu->clear();
    QTest::keyClicks(d.LedtJingDu, "-179");
    QCOMPARE(d.LedtJingDu->text(), QStringLiteral("-17"));
    d.LedtWeiDu->clear();
    QTest::keyClicks(d.LedtWeiDu, "-45");
    QCOMPARE(d.LedtWeiDu->text(), QStringLiteral("-4"));
    d.LedtJingFen->clear();
    QTest::keyClicks(d.LedtJingFen, "123");
    QCOMPARE(d.LedtJingFen->text(), QStringLiteral("12"));
  }

  void confirmedEditWritesTheValueAndSaysDone() {
    const std::string before = Bytes(ini_);
    TFrmDiLi d(nullptr, Path());
    d.CboShi->setCurrentIndex(1);
    SetBoxes(d, "118", "06", "24", "29");
    Boxes boxes(true);
    d.BtoEdit->click();
    QCOMPARE(boxes.seen.size(), size_t(2));
    QCOMPARE(boxes.seen[0].text, QStringLiteral("确定要修改：福建省厦门市 的经纬度数据吗？"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("注意了"));
    QVERIFY(boxes.seen[0].icon == MsgIcon::Warning);
    QVERIFY(boxes.seen[0].buttons == MsgButtons::YesNoDefaultNo);
    QCOMPARE(boxes.seen[1].text, QStringLiteral("完成"));
    std::string want = before;
    const std::string from = Utf8ToGbk("厦门市=118:5*24:30"), to = Utf8ToGbk("厦门市=118:6*24:29");
    want.replace(want.find(from), from.size(), to);
    QCOMPARE(QString::fromStdString(GbkToUtf8(Bytes(ini_))), QString::fromStdString(GbkToUtf8(want)));
  }

  void answeringNoWritesNothingEvenForBadNumbers() {
    const std::string before = Bytes(ini_);
    TFrmDiLi d(nullptr, Path());
    SetBoxes(d, "999", "99", "x", "");
    Boxes boxes(false);
    d.BtoEdit->click();
    QCOMPARE(boxes.seen.size(), size_t(1));
    QVERIFY(Bytes(ini_) == before);
  }

  void refusedInput_data() {
    QTest::addColumn<QString>("jingDu");
    QTest::addColumn<QString>("jingFen");
    QTest::addColumn<QString>("weiDu");
    QTest::addColumn<QString>("weiFen");
    QTest::addColumn<bool>("longitudeMessage");
    QTest::newRow("longitude 180") << "180" << "0" << "30" << "0" << true;
    QTest::newRow("longitude -99 minutes 60") << "-99" << "60" << "30" << "0" << true;
    QTest::newRow("longitude not a number") << "abc" << "5" << "30" << "0" << true;
    QTest::newRow("longitude minutes empty") << "120" << "" << "30" << "0" << true;
    QTest::newRow("longitude empty") << "" << "5" << "30" << "0" << true;
    QTest::newRow("latitude 90") << "120" << "0" << "90" << "0" << false;
    QTest::newRow("latitude minutes 60") << "120" << "0" << "45" << "60" << false;
    QTest::newRow("latitude minutes negative") << "120" << "0" << "45" << "-1" << false;
    QTest::newRow("latitude not a number") << "120" << "0" << "x" << "0" << false;
  }
  void refusedInput() {
    QFETCH(QString, jingDu);
    QFETCH(QString, jingFen);
    QFETCH(QString, weiDu);
    QFETCH(QString, weiFen);
    QFETCH(bool, longitudeMessage);
    const std::string before = Bytes(ini_);
    TFrmDiLi d(nullptr, Path());
    d.LedtJingDu->setText(jingDu);
    d.LedtJingFen->setText(jingFen);
    d.LedtWeiDu->setText(weiDu);
    d.LedtWeiFen->setText(weiFen);
    Boxes boxes(true);
    d.BtoEdit->click();
    QCOMPARE(boxes.seen.size(), size_t(2));
    QCOMPARE(boxes.seen[1].text, longitudeMessage ? QStringLiteral("经度在-180到180之间，分数在0-60之间")
                                                  : QStringLiteral("纬度在-90到90之间，分数在0-60之间"));
    QCOMPARE(boxes.seen[1].caption, QStringLiteral("输入错误"));
    QVERIFY(boxes.seen[1].icon == MsgIcon::Error);
    QVERIFY(Bytes(ini_) == before);
  }

  void limitsThatPass() {
    TFrmDiLi d(nullptr, Path());
    SetBoxes(d, "179", "59", "89", "59");
    Boxes boxes(true);
    d.BtoEdit->click();
    d.CboSheng->setCurrentIndex(1);
    SetBoxes(d, "-99", "0", "-9", "0");
    d.BtoEdit->click();
    IniFile ini(ini_);
    QCOMPARE(QString::fromStdString(ini.ReadString("福建省", "福州市", "")), QStringLiteral("179:59*89:59"));
    QCOMPARE(QString::fromStdString(ini.ReadString("北京市", "北京市", "")), QStringLiteral("-99:0*-9:0"));
  }

  // A stored value longer than what may be typed is shown whole, so saving
  // it unchanged writes it back unchanged.
  void longStoredValueSurvivesAnUnchangedSave() {
    TFrmDiLi d(nullptr, Path());
    d.CboSheng->setCurrentIndex(33);
    QCOMPARE(d.LedtJingDu->text(), QStringLiteral("-120"));
    Boxes boxes(true);
    d.BtoEdit->click();
    QCOMPARE(boxes.seen.back().text, QStringLiteral("完成"));
    IniFile ini(ini_);
    QCOMPARE(QString::fromStdString(ini.ReadString("澳门", "远方", "")), QStringLiteral("-120:30*-30:15"));
    d.CboSheng->setCurrentIndex(0);  // back to a short value: the typing limit is back too
    d.LedtJingDu->clear();
    QTest::keyClicks(d.LedtJingDu, "1234");
    QCOMPARE(d.LedtJingDu->text(), QStringLiteral("123"));
  }

  void failedWriteIsNotReportedAsDone() {
    const std::string before = Bytes(ini_);
    // The write's first step fails, as on a full disk (a privileged user
    // passes every permission test).
    TFrmDiLi d(nullptr, Path());
    SetBoxes(d, "119", "20", "26", "6");
    Boxes boxes(true);
    SetFileStepTraps(0, 1);
    d.BtoEdit->click();
    SetFileStepTraps(0, 0);
    QCOMPARE(boxes.seen.size(), size_t(2));
    QVERIFY(boxes.seen[1].text != QStringLiteral("完成"));
    QVERIFY(boxes.seen[1].icon == MsgIcon::Error);
    QVERIFY(Bytes(ini_) == before);
  }

  void nothingHappensWithoutACity() {
    TFrmDiLi d(nullptr, Path());
    d.CboSheng->setCurrentIndex(3);
    Boxes boxes(true);
    d.BtoEdit->click();
    QVERIFY(boxes.seen.empty());
  }

  void missingFileGivesEmptyLists() {
    TFrmDiLi d(nullptr, QString::fromStdString((*dir_ / "none.ini").string()));
    QCOMPARE(d.CboSheng->count(), 34);
    QCOMPARE(d.CboShi->count(), 0);
    QCOMPARE(d.LedtJingDu->text(), QStringLiteral("120"));
    Boxes boxes(true);
    d.BtoEdit->click();
    QVERIFY(boxes.seen.empty());
    QVERIFY(!FileExists(*dir_ / "none.ini"));
  }
};

QTEST_MAIN(FrmDiLiTest)
#include "test_frmdili.moc"
