// The birth clock and the place search in the main window: a foreign place
// typed and picked from the list, the zone list's 当地时间, the clock
// indicator, skipped and repeated hours, the chart header, and a case that
// keeps its clock through saving and viewing.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "birthclock.h"
#include "chartheader.h"
#include "database.h"
#include "files.h"
#include "frmfenlei.h"
#include "frmliu.h"
#include "frmmain.h"
#include "answeredboxes.h"
#include "mainwindow.h"
#include "msgbox.h"
#include "picturebox.h"
#include "tempdir.h"
#include "typing.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

using Boxes = test::AnsweredBoxes;

QString HeaderText(TFrmMain& w, int i) {
  return QString::fromStdString(HeaderLines(*w.VoVirer)[static_cast<size_t>(i)].text);
}

void SetBirth(TFrmMain& w, int year, int month, int day, int hour, int minute) {
  w.EdtYear->setText(QString::number(year));
  w.cbom->setCurrentIndex(month - 1);
  w.cbod->setCurrentIndex(day - 1);
  w.cbos->setCurrentIndex(hour);
  w.cbomin->setCurrentIndex(minute);
}

int Inked(const QImage& picture) {
  int inked = 0;
  for (int y = 0; y < picture.height(); y += 4)
    for (int x = 0; x < picture.width(); x += 4) inked += picture.pixelColor(x, y) != QColor(Qt::white);
  return inked;
}

}  // namespace

class PlacesUiTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;

  std::unique_ptr<TFrmMain> Start() {
    auto w = std::make_unique<TFrmMain>();
    w->runCaseDialog = [](QDialog& d) {
      auto* save = qobject_cast<TFrmFenLei*>(&d);
      if (!save) return static_cast<int>(QDialog::Rejected);
      save->CboFenLei->setEditText(QStringLiteral("朋友"));
      save->BtnOkClick();
      return save->result();
    };
    return test::Shown(std::move(w));
  }

  // Types into the place box as a user does and picks the list's row.
  static bool TypeAndPick(TFrmMain& w, const QString& text, int row = 0) {
    w.EdtPlace->setFocus();
    w.EdtPlace->clear();
    test::TypeText(w.EdtPlace, text);
    QAbstractItemView* list = w.placeCompleter->popup();
    if (!list->isVisible() || list->model()->rowCount() <= row) return false;
    list->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(list, Qt::Key_Return);
    return !list->isVisible();
  }

 private slots:
  void init() {
    dir_ = test::ProgramFolder({"dili.ini", "atlas.txt"});
    CreateDirectories(*dir_ / "Lumtar_f");
  }
  void cleanup() { dir_.reset(); }

  void theZoneListEndsWithThePlacesClock() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->Cboshiqu->count(), 25);
    QCOMPARE(w->Cboshiqu->currentIndex(), 8);  // 东八区 stays the default
    QCOMPARE(w->Cboshiqu->itemText(24), QStringLiteral("当地时间 (Asia/Shanghai)"));
    QCOMPARE(w->LabClock->text(), QStringLiteral("UTC+8"));
    QVERIFY(!w->ChkStandardTime->isVisibleTo(w.get()));
    QVERIFY(boxes.Texts().isEmpty());
  }

  // An atlas that cannot be read is said when a place is first looked for,
  // once; the Chinese cities are still found.
  void anUnreadableAtlasIsSaid() {
    std::filesystem::remove(*dir_ / "dat/atlas.txt");
    QVERIFY(CreateDirectories(*dir_ / "dat/atlas.txt"));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QVERIFY(TypeAndPick(*w, QStringLiteral("广州")));
    const QString message = QStringLiteral("地名文件 %1 无法读取：不是普通文件（是文件夹、管道或设备）")
                                .arg(QString::fromStdString((*dir_ / "dat/atlas.txt").string()));
    QCOMPARE(boxes.Texts().count(message), 1);
    QVERIFY(!TypeAndPick(*w, QStringLiteral("Singapore")));
    QCOMPARE(boxes.Texts().count(message), 1);
  }

  void aForeignPlaceTypedPickedAndDrawn() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    SetBirth(*w, 1970, 3, 1, 12, 0);
    QVERIFY(TypeAndPick(*w, QStringLiteral("新加坡")));
    QCOMPARE(w->EdtPlace->text(), QStringLiteral("Singapore"));
    QCOMPARE(w->ledtjing->text(), QStringLiteral("103:51"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("1:17"));
    QCOMPARE(w->cbodiZ->currentText(), QStringLiteral("未知地"));
    QCOMPARE(w->Cboshiqu->currentIndex(), kLocalTimeZoneIndex);
    QCOMPARE(w->Cboshiqu->currentText(), QStringLiteral("当地时间 (Asia/Singapore)"));
    QVERIFY2(w->LabClock->text().contains(QStringLiteral("UTC+7:30")), qPrintable(w->LabClock->text()));

    const QImage& picture = w->Imgzhanxing->Picture();
    w->BtnpaiClick();
    QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join(QLatin1Char('\n'))));
    QCOMPARE(w->natalChartShown, uint8_t(1));
    QVERIFY(Inked(picture) > 1000);
    QCOMPARE(HeaderText(*w, 4), QStringLiteral("时区:Asia/Singapore UTC+7:30"));
    QCOMPARE(HeaderText(*w, 6), QStringLiteral("地名:新加坡-Singapore"));
    QCOMPARE(HeaderText(*w, 8), QStringLiteral("公历:1970年3月1日12时0分(当地标准时)"));
    // The case to be saved: 东八区 for readers that know no zones, the zone
    // and the place in the reserved bytes.
    QCOMPARE(w->currentCase.timeZoneIndex, int16_t(8));
    QCOMPARE(CaseClockOf(w->currentCase).timeZone, std::string("Asia/Singapore"));
    QCOMPARE(CaseClockOf(w->currentCase).placeId, 1880252);
    // The annual dialog proposes the birth on its own clock, which charts.
    QCOMPARE(w->annualTimeZoneIndex, kLocalTimeZoneIndex);
    QVERIFY(w->ComputeAnnualChart());
    QCOMPARE(QString::fromStdString(AnnualLines(w->VoVirer->annual)[0]),
             QStringLiteral("流盘:1970-3-1 12:0 Asia/Singapore UTC+7:30"));
    TFrmLiu dialog(&w->annualTimeZoneIndex, &w->annualMomentJd, w.get(), QString::fromStdString(w->AnnualLocalZone()));
    QCOMPARE(dialog.Cboshiqu->count(), 25);
    QCOMPARE(dialog.Cboshiqu->currentText(), QStringLiteral("当地时间 (Asia/Singapore)"));
    QCOMPARE(dialog.cbos->currentIndex(), 12);

    // A whole-hour zone chosen by hand is read as before; the indicator
    // says the place's clock read otherwise.
    w->Cboshiqu->setCurrentIndex(8);
    QVERIFY2(w->LabClock->text().contains(QStringLiteral("当地时钟UTC+7:30")), qPrintable(w->LabClock->text()));
    w->BtnpaiClick();
    QCOMPARE(HeaderText(*w, 4), QStringLiteral("时区:东八区"));
    QCOMPARE(HeaderText(*w, 8), QStringLiteral("公历:1970年3月1日12时0分(北京时间)"));
    QCOMPARE(w->chartRequest.TimeZoneName(), std::string());
  }

  void daylightSavingSkippedAndRepeatedHours() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    SetBirth(*w, 1969, 7, 20, 22, 56);
    QVERIFY(TypeAndPick(*w, QStringLiteral("纽约")));
    QCOMPARE(w->Cboshiqu->currentText(), QStringLiteral("当地时间 (America/New_York)"));
    QVERIFY2(w->LabClock->text().contains(QStringLiteral("夏令时 +1小时")), qPrintable(w->LabClock->text()));
    w->BtnpaiClick();
    QCOMPARE(HeaderText(*w, 4), QStringLiteral("时区:America/New_York UTC-5 夏令时 已减1小时"));
    QCOMPARE(w->VoVirer->model.beijingMoment.hour, int16_t(10));

    // Clocks set forward: 2:30 never happened.
    SetBirth(*w, 2021, 3, 14, 2, 30);
    QVERIFY(w->LabClock->text().contains(QStringLiteral("不存在这个时间")));
    w->BtnpaiClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("当地时钟在这时拨快了1小时，不存在这个时间")});
    QCOMPARE(w->natalChartShown, uint8_t(0));

    // Clocks set back: 1:30 happened twice; the daylight-saving reading
    // unless 按标准时 is ticked.
    SetBirth(*w, 2021, 11, 7, 1, 30);
    QVERIFY(w->ChkStandardTime->isVisibleTo(w.get()));
    QVERIFY(w->LabClock->text().contains(QStringLiteral("此刻出现两次，按夏令时")));
    w->BtnpaiClick();
    QCOMPARE(w->VoVirer->model.beijingMoment.hour, int16_t(13));
    w->ChkStandardTime->setChecked(true);
    QVERIFY(w->LabClock->text().contains(QStringLiteral("按标准时")));
    w->BtnpaiClick();
    QCOMPARE(w->VoVirer->model.beijingMoment.hour, int16_t(14));
    QCOMPARE(w->currentCase.dstChoice, uint8_t(DstChoice::Standard));
    // An hour later the choice is gone with the repeated hour.
    w->cbos->setCurrentIndex(3);
    QVERIFY(!w->ChkStandardTime->isVisibleTo(w.get()));
    QVERIFY(!w->ChkStandardTime->isChecked());
  }

  // Before standard time a birth is read on its place's mean time: the
  // indicator says so, with the offset the chart then uses.
  void theIndicatorSaysTheClockTheChartUses() {
    struct Case {
      const char* what;
      const char* place;
      int year, month, day;
      int zone;
      const char* indicator;  // a part of the indicator's text
      const char* header;     // the chart's 时区 line
    };
    const Case cases[] = {
        {"纽约 1850 当地时间", "纽约", 1850, 7, 15, kLocalTimeZoneIndex, "地方平时 UTC-4:56",
         "时区:America/New_York 地方平时 UTC-4:56"},
        {"成都 1711 当地时间", "成都", 1711, 9, 25, kLocalTimeZoneIndex, "地方平时 UTC+6:56:16",
         "时区:Asia/Shanghai 地方平时 UTC+6:56:16"},
        {"成都 1711 东八区", "成都", 1711, 9, 25, 8, "当地时钟地方平时 UTC+6:56:16", "时区:东八区"},
        {"福州 1573 东八区", nullptr, 1573, 3, 1, 8, "当地时钟地方平时 UTC+7:57:12", "时区:东八区"},
        {"纽约 1990 当地时间", "纽约", 1990, 3, 7, kLocalTimeZoneIndex, "UTC-5", "时区:America/New_York UTC-5"},
    };
    for (const Case& c : cases) {
      Boxes boxes;
      auto w = Start();
      QVERIFY(w);
      w->Edtname->setText(QStringLiteral("王五"));
      if (c.place) QVERIFY(TypeAndPick(*w, QString::fromUtf8(c.place)));
      w->Cboshiqu->setCurrentIndex(c.zone);
      SetBirth(*w, c.year, c.month, c.day, 10, 0);
      const QString indicator = w->LabClock->text();
      QVERIFY2(indicator.contains(QString::fromUtf8(c.indicator)), qPrintable(QString::fromUtf8(c.what) + ": " + indicator));
      QVERIFY2(!indicator.contains(QStringLiteral("UTC+0")), qPrintable(indicator));
      w->BtnpaiClick();
      QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join(QLatin1Char('\n'))));
      QCOMPARE(HeaderText(*w, 4), QString::fromUtf8(c.header));
    }
  }

  void aChineseCityByNameReadsItsSummerTime() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    SetBirth(*w, 1988, 7, 15, 10, 0);
    QVERIFY(TypeAndPick(*w, QStringLiteral("北京")));
    QCOMPARE(w->cbodiZ->currentText(), QStringLiteral("北京市"));
    QCOMPARE(w->cbodiC->currentText(), QStringLiteral("北京市"));
    QCOMPARE(w->Cboshiqu->currentText(), QStringLiteral("当地时间 (Asia/Shanghai)"));
    QVERIFY(w->LabClock->text().contains(QStringLiteral("夏令时 +1小时")));
    w->BtnpaiClick();
    QCOMPARE(HeaderText(*w, 4), QStringLiteral("时区:Asia/Shanghai UTC+8 夏令时 已减1小时"));
    QCOMPARE(HeaderText(*w, 6), QStringLiteral("地名:北京市-北京市"));
    QCOMPARE(w->VoVirer->model.beijingMoment.hour, int16_t(9));
    // Choosing a city by hand clears the name typed; the clock follows the
    // province (Taipei).
    w->cbodiZ->setCurrentIndex(31);
    emit w->cbodiZ->activated(31);
    QVERIFY(w->EdtPlace->text().isEmpty());
    QCOMPARE(w->Cboshiqu->currentText(), QStringLiteral("当地时间 (Asia/Taipei)"));
  }

  // Names typed in traditional characters pick their places.
  void aPlaceTypedInTraditionalCharacters() {
    auto w = Start();
    QVERIFY(w);
    const struct {
      const char* typed;
      const char* province;
      const char* city;
    } cases[] = {{"臺北", "台湾省", "台北市"}, {"臺中", "台湾省", "台中市"}, {"廣州", "广东省", "广州市"}};
    for (const auto& c : cases) {
      QVERIFY2(TypeAndPick(*w, QString::fromUtf8(c.typed)), c.typed);
      QCOMPARE(w->cbodiZ->currentText(), QString::fromUtf8(c.province));
      QCOMPARE(w->cbodiC->currentText(), QString::fromUtf8(c.city));
    }
  }

  // Typed coordinates far from the chosen place are a place of their own:
  // the header no longer names the old one.
  void typedCoordinatesNameWhatWasUsed() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    SetBirth(*w, 1990, 3, 7, 10, 30);
    QCOMPARE(w->cbodiC->currentText(), QStringLiteral("福州市"));
    w->ledtjing->setText(QStringLiteral("-74:0"));
    w->ledtwei->setText(QStringLiteral("40:43"));
    emit w->ledtwei->textEdited(w->ledtwei->text());
    QCOMPARE(w->Cboshiqu->itemText(24), QStringLiteral("当地时间 (America/New_York)"));
    w->BtnpaiClick();
    QCOMPARE(HeaderText(*w, 6), QStringLiteral("地名:未知地"));
    // Near the picked place the name stays.
    QVERIFY(TypeAndPick(*w, QStringLiteral("Vancouver")));
    QCOMPARE(w->EdtPlace->text(), QStringLiteral("温哥华"));
    w->ledtjing->setText(QStringLiteral("-123:0"));  // 9 km away
    w->BtnpaiClick();
    QCOMPARE(HeaderText(*w, 6), QStringLiteral("地名:加拿大-温哥华"));
  }

  void aCaseKeepsItsPlaceAndClock() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->Edtname->setText(QStringLiteral("李四"));
    SetBirth(*w, 1975, 9, 1, 8, 15);
    QVERIFY(TypeAndPick(*w, QStringLiteral("吉隆坡")));
    w->BtnpaiClick();
    QCOMPARE(w->natalChartShown, uint8_t(1));
    w->SbtoSaveClick();
    QCOMPARE(w->DataBase->RecordCount(), 1);

    // A fresh window views it: the place, the zone and the chart as saved.
    w.reset();
    auto v = Start();
    QVERIFY(v);
    QTreeWidgetItem* root = v->Tree->topLevelItem(0);
    QVERIFY(root && root->childCount() == 1 && root->child(0)->childCount() == 1);
    v->Tree->setCurrentItem(root->child(0)->child(0));
    v->pop_viewClick();
    QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join(QLatin1Char('\n'))));
    QCOMPARE(v->EdtPlace->text(), QStringLiteral("吉隆坡"));
    QCOMPARE(v->Cboshiqu->currentText(), QStringLiteral("当地时间 (Asia/Kuala_Lumpur)"));
    QCOMPARE(HeaderText(*v, 4), QStringLiteral("时区:Asia/Kuala_Lumpur UTC+7:30"));
    QCOMPARE(HeaderText(*v, 6), QStringLiteral("地名:马来西亚-吉隆坡"));
    QCOMPARE(v->VoVirer->model.beijingMoment.minute, int16_t(45));
  }
};

QTEST_MAIN(PlacesUiTest)
#include "test_places_ui.moc"
