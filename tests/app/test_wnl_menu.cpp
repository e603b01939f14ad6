// The main window's "万年历": one calendar window, on the input panel's date,
// forgotten when it closes.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <memory>

#include "files.h"
#include "frmmain.h"
#include "frmwnl.h"
#include "msgbox.h"
#include "tempdir.h"

using namespace lumtar;

class WnlMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void menuOpensOneCalendarOnThePanelDate() {
    test::TempDir dir;
    SetProgramDir(dir.str());
    SetMessageHandler([](const MsgRequest&) { return MsgResult::Yes; });
    auto main = std::make_unique<TFrmMain>();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));

    main->UpDyear->setPosition(1984 - kInputFirstYear);
    main->cbom->setCurrentIndex(1);
    main->cbod->setCurrentIndex(3);
    main->cbos->setCurrentIndex(23);
    main->cbomin->setCurrentIndex(18);
    main->mnuT_wnl->trigger();
    auto* calendar = qobject_cast<TFrmWnl*>(main->FrmWnl.data());
    QVERIFY(calendar);
    QVERIFY(calendar->isVisible());
    QVERIFY(!calendar->isModal());
    QCOMPARE(calendar->EdtYear->text(), QStringLiteral("1984"));
    QVERIFY(calendar->selected == (DateTime{1984, 2, 4, 23, 18}));
    QCOMPARE(calendar->labtitle->text(), QStringLiteral("1984年2月"));

    // The same window, moved to the panel's new date.
    main->cbom->setCurrentIndex(6);
    main->mnuT_wnl->trigger();
    QCOMPARE(main->FrmWnl.data(), static_cast<QWidget*>(calendar));
    QCOMPARE(calendar->labtitle->text(), QStringLiteral("1984年7月"));

    // A lunar date opens its own month: 2023 闰二月初一 is 2023-03-22, and a
    // day its month lacks opens the month at its first day.
    main->UpDyear->setPosition(2023 - kInputFirstYear);
    main->Rdonl->setChecked(true);
    main->Chkrun->setChecked(true);
    main->cbom->setCurrentIndex(1);
    main->cbod->setCurrentIndex(0);
    main->mnuT_wnl->trigger();
    QCOMPARE(calendar->EdtYear->text(), QStringLiteral("2023"));
    QVERIFY(calendar->selected == (DateTime{2023, 3, 22, 23, 18}));
    QCOMPARE(calendar->labtitle->text(), QStringLiteral("2023年3月"));
    main->cbod->setCurrentIndex(30);
    main->mnuT_wnl->trigger();
    QVERIFY(calendar->selected == (DateTime{2023, 3, 22, 23, 18}));
    main->Chkrun->setChecked(false);
    main->cbod->setCurrentIndex(0);
    main->mnuT_wnl->trigger();
    QVERIFY(calendar->selected == (DateTime{2023, 2, 20, 23, 18}));

    calendar->close();
    QTRY_VERIFY(main->FrmWnl.isNull());
    main->mnuT_wnl->trigger();
    QVERIFY(qobject_cast<TFrmWnl*>(main->FrmWnl.data()));
    main->FrmWnl->close();
    SetMessageHandler(nullptr);
    main->hide();
  }
};

QTEST_MAIN(WnlMenuTest)
#include "test_wnl_menu.moc"
