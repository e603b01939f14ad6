// The windows under traditional characters (选项 → 繁體): every text they
// show has its traditional form, the choice is kept in dat/xminit.ini and
// taken at the next start, going back gives the windows' texts exactly as
// before, and a case saved under either script is stored byte for byte the
// same.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "database.h"
#include "files.h"
#include "frmdili.h"
#include "frmfenlei.h"
#include "frmmain.h"
#include "frmsetcan.h"
#include "frmtxthelp.h"
#include "frmwnl.h"
#include "gbk.h"
#include "inifile.h"
#include "mainwindow.h"
#include "msgbox.h"
#include "scriptconvert.h"
#include "scriptui.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

const script::SimplifiedOnly& SimplifiedOnlyCharacters() {
  static const script::SimplifiedOnly chars(LUMTAR_OPENCC_DATA);
  return chars;
}

// "where: text" for each shown text of a window that still holds a
// character only simplified writing uses.
class ShownTextCheck {
 public:
  void Text(const QString& where, const QString& text) {
    ++count;
    // A folder's name as it is on disk (the export folder) is quoted as it is.
    QString shown = text;
    for (const char* name : kNamesOnDisk) shown.remove(QString::fromUtf8(name));
    if (!SimplifiedOnlyCharacters().In(shown.toStdString()).empty()) faults << where + QStringLiteral(": ") + text;
  }
  void Action(const QString& where, QAction* a) {
    if (a->isSeparator()) return;
    Text(where + QStringLiteral(" action"), a->text());
    Text(where + QStringLiteral(" action tip"), a->toolTip());
    if (QMenu* m = a->menu()) {
      Text(where + QStringLiteral(" menu"), m->title());
      for (QAction* sub : m->actions()) Action(where + QStringLiteral(" > ") + a->text(), sub);
    }
  }
  // The window and every control in it (edit boxes and the case tree hold
  // what a person typed, and are not looked at).
  void Window(QWidget* window) {
    const QString name = window->metaObject()->className();
    Text(name + QStringLiteral(" title"), window->windowTitle());
    QList<QWidget*> all = window->findChildren<QWidget*>();
    all.prepend(window);
    for (QWidget* w : all) {
      // What is hidden is looked at as it appears (pop-up menus are shown
      // before the check).
      if (w != window && !qobject_cast<QMenu*>(w) && !w->isVisibleTo(window)) continue;
      const QString where = name + QLatin1Char('/') + w->metaObject()->className();
      Text(where + QStringLiteral(" tip"), w->toolTip());
      if (auto* l = qobject_cast<QLabel*>(w)) Text(where, l->text());
      if (auto* b = qobject_cast<QAbstractButton*>(w)) Text(where, b->text());
      if (auto* g = qobject_cast<QGroupBox*>(w)) Text(where, g->title());
      if (auto* t = qobject_cast<QTabBar*>(w))
        for (int i = 0; i < t->count(); ++i) Text(where, t->tabText(i));
      if (auto* e = qobject_cast<QLineEdit*>(w)) Text(where + QStringLiteral(" hint"), e->placeholderText());
      // The program's own lists (an editable box holds what a person typed).
      if (auto* c = qobject_cast<QComboBox*>(w); c && (c->property("lumtarEntriesInScript").toBool() || !c->isEditable()))
        for (int i = 0; i < c->count(); ++i) Text(where + QStringLiteral(" entry"), c->itemText(i));
      if (auto* b = qobject_cast<QTextBrowser*>(w)) Text(where, b->toPlainText());
      for (QAction* a : w->actions()) Action(where, a);
    }
  }
  int count = 0;
  QStringList faults;
};

// Every text of the windows as it stands: window titles, labels, buttons,
// group boxes, tabs, tool tips, actions and menus.
QStringList AllTexts(QWidget* window) {
  QStringList out;
  QList<QWidget*> all = window->findChildren<QWidget*>();
  all.prepend(window);
  for (QWidget* w : all) {
    out << w->windowTitle() << w->toolTip();
    if (auto* l = qobject_cast<QLabel*>(w)) out << l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) out << b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) out << g->title();
    if (auto* t = qobject_cast<QTabBar*>(w))
      for (int i = 0; i < t->count(); ++i) out << t->tabText(i);
    if (auto* c = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    for (QAction* a : w->actions()) {
      out << a->text();
      if (a->menu())
        for (QAction* sub : a->menu()->actions()) out << sub->text();
    }
  }
  return out;
}

}  // namespace

class ScriptWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  std::filesystem::path xminit_;

  std::unique_ptr<TFrmMain> Start() {
    auto w = std::make_unique<TFrmMain>();
    w->runCaseDialog = test::SaveIntoClass(QStringLiteral("朋友"));
    return test::Shown(std::move(w));
  }

  // 张三, 1990-3-7 10:30, 广东省 广州市, charted.
  static void Chart(TFrmMain& w) {
    test::TypeBirth(w);
    w.cbodiZ->setCurrentIndex(18);
    w.cbodiZClick();
    w.cbodiC->setCurrentIndex(0);
    w.cbodiCClick();
    w.BtnpaiClick();
  }

 private slots:
  void init() {
    dir_ = test::ProgramFolder();
    xminit_ = *dir_ / "dat/xminit.ini";
    SetMessageHandler([](const MsgRequest&) { return MsgResult::Ok; });
  }
  void cleanup() {
    ApplyScript(Script::Simplified);
    SetMessageHandler(nullptr);
    dir_.reset();
  }

  void everyShownTextHasItsTraditionalForm() {
    WriteWholeFileAtomic(xminit_, Utf8ToGbk("[window]\r\nfanti=1\r\n"));
    ApplyScript(ReadScriptSetting(IniFile(xminit_)));
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    QVERIFY(w->VoVirer && w->VoVirer->model.chartMode == 0);
    QCoreApplication::processEvents();
    QVERIFY(w->mnuO_fanti->isChecked());
    QCOMPARE(w->cbodiZ->currentText(), QStringLiteral("廣東省"));

    // Every pop-up menu as it appears.
    for (QMenu* menu : w->findChildren<QMenu*>()) {
      menu->popup(QPoint(0, 0));
      QCoreApplication::processEvents();
      menu->hide();
    }
    ShownTextCheck check;
    check.Window(w.get());
    check.Window(w->menuBar());
    check.Text(QStringLiteral("analysis"), w->RedtDuan->toPlainText());
    check.Text(QStringLiteral("comment prompt"), w->RedtPingYu->toPlainText());
    // The other windows, each as it appears.
    TFrmTxtHelp help(w.get());
    help.show();
    TFrmWnl calendar;
    calendar.show();
    TFrmSetcan settings(w.get(), QString::fromStdString((*dir_ / "dat/set.ini").string()));
    settings.show();
    TFrmDiLi placeEditor(w.get(), QString::fromStdString((*dir_ / "dat/dili.ini").string()));
    placeEditor.show();
    QCoreApplication::processEvents();
    for (QWidget* window : std::initializer_list<QWidget*>{&help, &calendar, &settings, &placeEditor})
      check.Window(window);
    // The help's words are the windows' (曆 for calendars, 程式, 檔案, 鐘錶),
    // and it names the export folder as it is on disk.
    QString helpText;
    for (QTextBrowser* page : help.findChildren<QTextBrowser*>()) helpText += page->toPlainText();
    for (const char* word : {"麟德曆", "行用的曆法", "鐘錶", "程式", "檔案", "“Lumtar_导出数据”"})
      QVERIFY2(helpText.contains(QString::fromUtf8(word)), word);
    for (const char* word : {"歷法", "麟德歷", "鐘表", "程序", "Lumtar_匯出", "導出", "數據", "軟件", "設置"})
      QVERIFY2(!helpText.contains(QString::fromUtf8(word)), word);
    for (QPlainTextEdit* box : calendar.findChildren<QPlainTextEdit*>())
      check.Text(QStringLiteral("calendar box"), box->toPlainText());
    check.Text(QStringLiteral("calendar eras"), calendar.labxiao->text());
    // A control the panel shows later (a repeated hour) as it appears.
    w->ChkStandardTime->show();
    QCoreApplication::processEvents();
    check.Text(QStringLiteral("standard time"), w->ChkStandardTime->text());
    check.Text(QStringLiteral("standard time tip"), w->ChkStandardTime->toolTip());
    QVERIFY2(check.faults.isEmpty(), qPrintable(check.faults.join(QLatin1Char('\n'))));
    qInfo("%d texts of the windows looked at", check.count);
    QVERIFY(check.count > 150);
  }

  void theChoiceIsKeptAndGoingBackRestoresEveryText() {
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    const QStringList simplified = AllTexts(w.get());
    const QString analysis = w->RedtDuan->toPlainText();
    QVERIFY(w->mnuO_jianti->isChecked());

    w->mnuO_fanti->trigger();
    QCOMPARE(CurrentScript(), Script::Traditional);
    QCOMPARE(IniFile(xminit_).ReadInteger("window", "fanti", 0), 1);
    QVERIFY(AllTexts(w.get()) != simplified);
    QVERIFY(w->RedtDuan->toPlainText() != analysis);
    QCOMPARE(w->menuBar()->actions().first()->text(), QStringLiteral("檔案(&F)"));

    w->mnuO_jianti->trigger();
    QCOMPARE(CurrentScript(), Script::Simplified);
    QCOMPARE(IniFile(xminit_).ReadInteger("window", "fanti", 1), 0);
    QCOMPARE(AllTexts(w.get()), simplified);
    QCOMPARE(w->RedtDuan->toPlainText(), analysis);
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("输入自己的评语："));
  }

  // A message box quoting a name or a path shows it as it was typed, the
  // message around it in the script; a handler gets the texts without marks.
  void aMessageBoxShowsTypedNamesAsTyped() {
    ApplyScript(Script::Traditional);
    const MsgRequest request{nullptr,
                             QStringLiteral("确定要删除“") + Verbatim(QStringLiteral("亲友数据")) +
                                 QStringLiteral("”这个类别吗？"),
                             QStringLiteral("注意"), MsgIcon::Warning, MsgButtons::YesNo};
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(request);
    box->show();
    QCoreApplication::processEvents();
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label);
    box->repaint();
    QCOMPARE(label->text(), QStringLiteral("確定要刪除“亲友数据”這個類別嗎？"));
    QCOMPARE(box->windowTitle(), QStringLiteral("注意"));
    box->hide();

    QString handed;
    SetMessageHandler([&](const MsgRequest& r) {
      handed = r.text;
      return MsgResult::Yes;
    });
    ShowMessageBox(request);
    QCOMPARE(handed, QStringLiteral("确定要删除“亲友数据”这个类别吗？"));
  }

  void aCaseIsStoredTheSameUnderEitherScript() {
    QByteArray stored[2];
    for (int pass = 0; pass < 2; ++pass) {
      init();
      ApplyScript(pass == 0 ? Script::Simplified : Script::Traditional);
      auto w = Start();
      QVERIFY(w);
      Chart(*w);
      w->SbtoSaveClick();
      QCOMPARE(w->DataBase->RecordCount(), 1);
      CaseRecord r;
      QVERIFY(w->DataBase->ReadRecord(0, &r));
      QCOMPARE(QString::fromStdString(r.PlaceNameUtf8()), QStringLiteral("广东省-广州市"));
      QCOMPARE(QString::fromStdString(r.NameUtf8()), QStringLiteral("张三"));
      w.reset();
      std::string bytes;
      QVERIFY(ReadWholeFile(*dir_ / "dat/Lumtar.dat", &bytes));
      stored[pass] = QByteArray::fromStdString(bytes);
      cleanup();
    }
    QCOMPARE(stored[1], stored[0]);
  }
};

QTEST_MAIN(ScriptWindowsTest)
#include "test_script_ui.moc"
