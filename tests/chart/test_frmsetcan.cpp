#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

#include "answeredboxes.h"
#include "chartrequest.h"
#include "files.h"
#include "frmsetcan.h"
#include "tempdir.h"
#include "widgets.h"

using namespace lumtar;

class FrmSetcanTest : public QObject {
  Q_OBJECT
 private slots:
  void readsDefaultsFromAbsentFile() {
    test::TempDir dir;
    QString path = QString::fromStdString((dir / "dat/set.ini").string());
    TFrmSetcan dlg(nullptr, path);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("排盘设置"));
    QCOMPARE(dlg.Rdozx_style->itemIndex(), 0);
    QCOMPARE(dlg.Rdozx_luoji->itemIndex(), 0);
    QCOMPARE(dlg.RdoMingGong->itemIndex(), 0);
    QCOMPARE(dlg.RdoDate->itemIndex(), 0);
    QCOMPARE(dlg.UpRangle->value(), 3);
    QCOMPARE(BgrFromColor(dlg.Labzx_Color->color()), 0xFFFFFFu);
    QCOMPARE(dlg.RdoDate->count(), 3);
    QCOMPARE(dlg.RdoDate->button(2)->text(), QStringLiteral("地方时"));
    QVERIFY(!FileExists(dir / "dat/set.ini"));
  }

  void confirmWritesAllSixKeysInOrder() {
    test::TempDir dir;
    QString path = QString::fromStdString((dir / "set.ini").string());
    TFrmSetcan dlg(nullptr, path);
    dlg.Rdozx_style->setItemIndex(1);
    dlg.Rdozx_luoji->setItemIndex(1);
    dlg.RdoMingGong->setItemIndex(1);
    dlg.RdoDate->setItemIndex(2);
    dlg.UpRangle->stepBy(2);
    dlg.chooseColor = [](QColor* c) {
      *c = QColor(0x10, 0x20, 0x30);
      return true;
    };
    dlg.Button1->click();
    dlg.BitBtn1->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    std::string bytes;
    QVERIFY(ReadWholeFile(dir / "set.ini", &bytes));
    QCOMPARE(QString::fromStdString(bytes),
             QStringLiteral("[lumtar]\r\nguidao=1\r\nbkcolor=3153936\r\nluoji=1\r\nnpos=5\r\nmgong=1\r\niDate=2\r\n"));
  }

  void defaultsThenCancelLeavesTheFileAlone() {
    test::TempDir dir;
    const std::string original = "[lumtar]\r\nguidao=1\r\nbkcolor=255\r\nluoji=1\r\nnpos=9\r\nmgong=1\r\niDate=1\r\n";
    WriteWholeFileAtomic(dir / "set.ini", original);
    TFrmSetcan dlg(nullptr, QString::fromStdString((dir / "set.ini").string()));
    QCOMPARE(dlg.UpRangle->value(), 9);
    dlg.Button2->click();
    QCOMPARE(dlg.Rdozx_style->itemIndex(), 0);
    QCOMPARE(dlg.UpRangle->value(), 3);
    QCOMPARE(BgrFromColor(dlg.Labzx_Color->color()), 0xFFFFFFu);
    dlg.BitBtn2->click();
    std::string bytes;
    ReadWholeFile(dir / "set.ini", &bytes);
    QCOMPARE(QString::fromStdString(bytes), QString::fromStdString(original));
  }

  void handEditedValuesShowWhatTheChartUses() {
    // The dialog shows the values the next chart will use, so that "确认"
    // without a change keeps the chart as it is.
    test::TempDir dir;
    const std::string path = (dir / "set.ini").string();
    WriteWholeFileAtomic(path, "[lumtar]\r\nguidao=7\r\nbkcolor=-1\r\nluoji=-3\r\nnpos=0\r\nmgong=2\r\niDate=9\r\n");
    const ChartSettings used = LoadChartSettings(path);
    TFrmSetcan dlg(nullptr, QString::fromStdString(path));
    QCOMPARE(dlg.Rdozx_style->itemIndex(), int(used.frame));
    QCOMPARE(dlg.Rdozx_luoji->itemIndex(), int(used.nodeConvention));
    QCOMPARE(dlg.UpRangle->value(), int(used.aspectOrb));
    QCOMPARE(dlg.RdoMingGong->itemIndex(), int(used.ascendantMethod));
    QCOMPARE(dlg.RdoDate->itemIndex(), int(used.pillarTime));
    QCOMPARE(BgrFromColor(dlg.Labzx_Color->color()), used.backgroundColour);
    dlg.BitBtn1->click();
    QVERIFY(LoadChartSettings(path) == used);
  }

  void confirmThatCannotWriteSaysSoAndStaysOpen() {
    // dat/ is a file here, so set.ini cannot be written.
    test::TempDir dir;
    WriteWholeFileAtomic(dir / "dat", "not a folder");
    test::AnsweredBoxes boxes;
    TFrmSetcan dlg(nullptr, QString::fromStdString((dir / "dat/set.ini").string()));
    dlg.Rdozx_style->setItemIndex(1);
    dlg.BitBtn1->click();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("排盘设置没有保存：文件 dat/set.ini 无法写入。")});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("错误"));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));  // still open: the user may cancel
    QCOMPARE(dlg.Rdozx_style->itemIndex(), 1);
  }

  void opensInTheMiddleOfTheScreen() {
    // Opened from a main window that sits in a corner, it still centres on
    // the screen.
    test::TempDir dir;
    QMainWindow owner;
    owner.setGeometry(0, 0, 300, 200);
    owner.show();
    TFrmSetcan dlg(&owner, QString::fromStdString((dir / "set.ini").string()));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QPoint at = dlg.geometry().center();
    QVERIFY2((at - centre).manhattanLength() <= 10,  // the window frame may shift it a little
             qPrintable(QStringLiteral("dialog centre %1,%2").arg(at.x()).arg(at.y())));
  }

  void orbStaysWithinOneToTen() {
    test::TempDir dir;
    WriteWholeFileAtomic(dir / "set.ini", "[lumtar]\r\nnpos=99\r\n");
    TFrmSetcan dlg(nullptr, QString::fromStdString((dir / "set.ini").string()));
    QCOMPARE(dlg.UpRangle->value(), 10);
    dlg.UpRangle->stepBy(3);
    QCOMPARE(dlg.UpRangle->value(), 10);
    dlg.UpRangle->stepBy(-20);
    QCOMPARE(dlg.UpRangle->value(), 1);
    QTest::keyClicks(dlg.UpRangle, "7");  // typing is not possible
    QCOMPARE(dlg.UpRangle->value(), 1);
  }
};

QTEST_MAIN(FrmSetcanTest)
#include "test_frmsetcan.moc"
