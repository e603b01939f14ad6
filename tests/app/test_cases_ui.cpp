// The case tree of the main window through its real widgets: saving new
// cases and saving viewed ones back, viewing, deleting, moving, the classes,
// the search dialog, show all, and export, import and compaction.
#include <QDir>
#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "answeredboxes.h"
#include "clirun.h"
#include "caseicons.h"
#include "database.h"
#include "dateinputs.h"
#include "files.h"
#include "frmfenlei.h"
#include "frmmain.h"
#include "mainwindow.h"
#include "vovirer.h"
#include "frmsearch.h"
#include "gbk.h"
#include "inifile.h"
#include "msgbox.h"
#include "picturebox.h"
#include "rtf.h"
#include "tempdir.h"
#include "typing.h"
#include "widgets.h"

using namespace lumtar;
namespace fs = std::filesystem;

namespace {

using Boxes = test::AnsweredBoxes;

struct Birth {
  const char* name;
  const char* className;
  int year;
  int month = 3;
  int day = 7;
  bool male = true;
  int province = 0;  // 福建省
  int city = 0;      // 福州市
};

CaseRecord MakeRecord(const Birth& b) {
  CaseRecord r;
  r.SetName(b.name);
  r.SetClassName(b.className);
  r.year = static_cast<int16_t>(b.year);
  r.month = static_cast<int16_t>(b.month);
  r.day = static_cast<int16_t>(b.day);
  r.hour = 10;
  r.minute = 30;
  r.isMale = b.male ? 1 : 0;
  r.provinceIndex = static_cast<int16_t>(b.province);
  r.cityIndex = static_cast<int16_t>(b.city);
  r.timeZoneIndex = 8;
  r.longitude = 119.3f;
  r.latitude = 26.08f;
  r.SetPlaceName("福建省-福州市");
  return r;
}

// Writes a store file of the records, numbered in order; `deleted` slots
// carry the deleted flag.
void WriteStore(const fs::path& programDir, std::vector<CaseRecord> records, const std::vector<int>& deleted = {}) {
  std::string bytes;
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].slot = static_cast<int32_t>(i);
    for (int d : deleted) records[i].isDeleted = records[i].isDeleted || d == static_cast<int>(i);
    bytes.append(reinterpret_cast<const char*>(&records[i]), sizeof(CaseRecord));
  }
  WriteWholeFileAtomic(programDir / "dat/Lumtar.dat", bytes);
}

// Text typed through an input method, as Chinese is typed: committed into
// the widget, replacing its selection.
void CommitText(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(widget, &event);
}

// A list item chosen by the user: the list opened and the item clicked.
void ChooseFromList(QComboBox* list, const QString& item) {
  const int index = list->findText(item);
  QVERIFY2(index >= 0, qPrintable(item));
  list->showPopup();
  QAbstractItemView* view = list->view();
  QTRY_VERIFY(view->isVisible());
  view->scrollTo(view->model()->index(index, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(index, 0)).center());
  QTRY_VERIFY(!view->isVisible());
  QCOMPARE(list->currentIndex(), index);
}

CaseRecord ReadBack(const fs::path& programDir, int slot) {
  MDataBase store;
  store.Open((programDir.string() + "/"), 0);
  CaseRecord r;
  store.ReadRecord(slot, &r);
  return r;
}

int StoredCount(const fs::path& programDir) {
  MDataBase store;
  store.Open(programDir.string() + "/", 0);
  return store.RecordCount();
}

QString DocumentText(const fs::path& path) {
  QTextDocument doc;
  if (!LoadRtfFile(path, &doc)) return QStringLiteral("<unreadable>");
  return doc.toPlainText();
}

void SaveDocument(const fs::path& path, const QString& text) {
  QTextDocument doc;
  doc.setPlainText(text);
  QVERIFY(SaveRtfFile(path, doc));
}

QTreeWidgetItem* Root(const TFrmMain& w) { return w.Tree->topLevelItem(0); }

QStringList ChildTexts(const QTreeWidgetItem* node) {
  QStringList t;
  for (int i = 0; node && i < node->childCount(); ++i) t << node->child(i)->text(0);
  return t;
}

QStringList ClassNames(const TFrmMain& w) { return ChildTexts(Root(w)); }

QTreeWidgetItem* ClassNamed(const TFrmMain& w, const QString& name) {
  QTreeWidgetItem* root = Root(w);
  for (int i = 0; root && i < root->childCount(); ++i)
    if (root->child(i)->text(0) == name) return root->child(i);
  return nullptr;
}

QTreeWidgetItem* CaseNamed(const TFrmMain& w, const QString& prefix) {
  QTreeWidgetItem* root = Root(w);
  for (int i = 0; root && i < root->childCount(); ++i)
    for (int k = 0; k < root->child(i)->childCount(); ++k)
      if (root->child(i)->child(k)->text(0).startsWith(prefix)) return root->child(i)->child(k);
  return nullptr;
}

int ImageIndex(const QTreeWidgetItem* node) { return node->data(0, Qt::UserRole + 1).toInt(); }

// Pixels of a widget's picture that are clearly blue.
int BluePixels(QWidget* widget) {
  const QImage img = widget->grab().toImage();
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = img.pixelColor(x, y);
      if (c.blue() > 180 && c.red() < 90 && c.green() < 90) ++n;
    }
  return n;
}

bool HasChart(const QImage& picture) {
  int coloured = 0;
  for (int y = 0; y < picture.height(); y += 4)
    for (int x = 0; x < picture.width(); x += 4)
      if (picture.pixel(x, y) != qRgb(255, 255, 255)) ++coloured;
  return coloured > 500;
}

// Typed key by key, as a person would (QTest's key clicks take ASCII only).
using test::TypeText;

// A double click as the mouse gives it: the first click, then the second.
void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* node) {
  tree->scrollToItem(node);
  const QPoint at = tree->visualItemRect(node).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

// The comment replaced as a person's edit does it, setting the modified
// mark.
void EditComment(TFrmMain& w, const QString& text) {
  QTextCursor cursor(w.RedtPingYu->document());
  cursor.select(QTextCursor::Document);
  cursor.insertText(text);
}

const QString kCloseQuestion = QStringLiteral("确定要关闭软件吗？");

}  // namespace

class CasesUiTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  fs::path xminit_;
  // What the save dialog is answered with; empty: cancelled.
  QString saveClass_ = QStringLiteral("朋友");
  // What the test does with the search dialog before it returns.
  std::function<void(TFrmSearch&)> search_;
  // Typed into the text input boxes; empty: cancelled.
  QString typed_;
  QStringList inputTitles_;

  void WriteSettings(const char* utf8) { WriteWholeFileAtomic(xminit_, Utf8ToGbk(utf8)); }

  std::unique_ptr<TFrmMain> Start() {
    auto w = std::make_unique<TFrmMain>();
    w->runCaseDialog = [this](QDialog& d) {
      if (auto* save = qobject_cast<TFrmFenLei*>(&d)) {
        if (saveClass_.isEmpty()) return static_cast<int>(QDialog::Rejected);
        save->CboFenLei->setEditText(saveClass_);
        save->BtnOkClick();
        return save->result();
      }
      if (auto* search = qobject_cast<TFrmSearch*>(&d)) {
        if (search_) search_(*search);
        return search->result();
      }
      return static_cast<int>(QDialog::Rejected);
    };
    w->inputCaseText = [this](const QString& title, const QString&, QString* text) {
      inputTitles_ << title + QLatin1Char('|') + *text;
      if (typed_.isEmpty()) return false;
      *text = typed_;
      return true;
    };
    return test::Shown(std::move(w));
  }

  // A birth that charts: 张三, 1990-3-7 10:30 at Fuzhou.
  static void Chart(TFrmMain& w, const QString& name = QStringLiteral("张三")) {
    test::TypeBirth(w, name);
    w.ledtjing->setText(QStringLiteral("119:18"));
    w.ledtwei->setText(QStringLiteral("26:5"));
    w.BtnpaiClick();
  }

  static void Select(TFrmMain& w, QTreeWidgetItem* node) {
    w.Tree->setCurrentItem(node);
    QVERIFY(node->isSelected());
  }

  // Views the case of that name through the tree's pop-up menu.
  static void View(TFrmMain& w, const QString& name) {
    Select(w, CaseNamed(w, name));
    w.pop_viewClick();
  }

 private slots:
  void init() {
    dir_ = test::ProgramFolder();
    CreateDirectories(*dir_ / "Lumtar_f");
    xminit_ = *dir_ / "dat/xminit.ini";
    saveClass_ = QStringLiteral("朋友");
    search_ = nullptr;
    typed_.clear();
    inputTitles_.clear();
  }
  void cleanup() { dir_.reset(); }

  void startUpTreeHoldsTheNewestThousandUnderTheirClasses() {
    WriteSettings("[classes]\r\ncount=3\r\n1=亲友\r\n2=\r\n3=名人\r\n");
    std::vector<CaseRecord> records;
    for (int i = 0; i < 1500; ++i)
      records.push_back(MakeRecord({"某人", i % 2 ? "名人" : "客户", 1900 + i % 200, 1, 1, i % 3 != 0}));
    records[1499] = MakeRecord({"张三", "亲友", 1990, 3, 7, true});
    records[1498] = MakeRecord({"前人", "古人", -120, 1, 1, false});
    records[1497].isLunar = 1;
    records[1497].isLeapMonth = 1;
    WriteStore(dir_->path(), records, {1000});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QTreeWidgetItem* root = Root(*w);
    QCOMPARE(w->Tree->topLevelItemCount(), 1);
    QCOMPARE(root->text(0), QStringLiteral("命例"));
    QCOMPARE(ImageIndex(root), int(kImageRoot));
    QVERIFY(root->isExpanded());
    // The file's classes first (the empty key left out), then the classes
    // met in the records, in the order met.
    QCOMPARE(ClassNames(*w), (QStringList{"亲友", "名人", "古人", "客户"}));
    QCOMPARE(ImageIndex(root->child(0)), int(kImageClass));
    QVERIFY(!root->child(0)->isExpanded());
    int cases = 0;
    for (int i = 0; i < root->childCount(); ++i) cases += root->child(i)->childCount();
    QCOMPARE(cases, 999);  // slots 1499 … 500 without the deleted 1000
    QCOMPARE(root->child(0)->child(0)->text(0), QStringLiteral("张三  公1990-3-7|1499"));
    QCOMPARE(ImageIndex(root->child(0)->child(0)), int(kImageMale));
    QCOMPARE(root->child(2)->child(0)->text(0), QStringLiteral("前人  公-121-1-1(儒略历)|1498"));
    QCOMPARE(ImageIndex(root->child(2)->child(0)), int(kImageFemale));
    QVERIFY(CaseNamed(*w, QStringLiteral("某人  农闰"))->text(0).endsWith(QStringLiteral("|1497")));
    // Newest first within a class; nothing older than slot 500.
    const QStringList famous = ChildTexts(root->child(1));
    QVERIFY(famous.first().endsWith(QStringLiteral("|1497")));
    QVERIFY(famous.last().endsWith(QStringLiteral("|501")));

    // Show all: every live case in ascending slots.
    w->pop_showallClick();
    root = Root(*w);
    cases = 0;
    for (int i = 0; i < root->childCount(); ++i) cases += root->child(i)->childCount();
    QCOMPARE(cases, 1499);
    QVERIFY(ClassNamed(*w, QStringLiteral("客户"))->child(0)->text(0).endsWith(QStringLiteral("|0")));
    QVERIFY(boxes.seen.empty());
  }

  // Cases from 619 to 1911 show the era form of their lunar date (of the
  // lunar year: 1912-02-17 is the last day of 宣统三年).
  void casesOfHistoricalPersonsShowTheirEraDates() {
    CaseRecord kangxi = MakeRecord({"弘历", "古人", 1711, 8, 13});
    kangxi.isLunar = 1;
    CaseRecord leap = MakeRecord({"戚继光", "古人", 1528, 10, 1});
    leap.isLunar = 1;
    leap.isLeapMonth = 1;
    WriteStore(dir_->path(), {MakeRecord({"苏轼", "古人", 1037, 1, 8}), kangxi, leap,
                              MakeRecord({"某人", "古人", 1912, 2, 18}), MakeRecord({"前人", "古人", 618, 12, 31}),
                              MakeRecord({"末人", "古人", 1912, 2, 17})});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(ChildTexts(ClassNamed(*w, QStringLiteral("古人"))),
             (QStringList{QStringLiteral("末人  公1912-2-17 清宣统三年十二月三十日|5"),
                          QStringLiteral("前人  公618-12-31(儒略历)|4"), QStringLiteral("某人  公1912-2-18|3"),
                          QStringLiteral("戚继光  农闰1528-10-1 明嘉靖七年闰十月初一日|2"),
                          QStringLiteral("弘历  农1711-8-13 清康熙五十年八月十三日|1"),
                          QStringLiteral("苏轼  公1037-1-8(儒略历) 北宋景祐三年十二月十九日|0")}));
    QVERIFY(boxes.seen.empty());
  }

  // A civil date before 1582-10-15 is marked as Julian; a lunar date is not
  // a civil one.
  void julianDatesAreMarkedInTheTree() {
    CaseRecord lunar = MakeRecord({"农人", "古人", 1036, 11, 29});
    lunar.isLunar = 1;
    WriteStore(dir_->path(), {MakeRecord({"旧历", "古人", 1582, 10, 4}), MakeRecord({"新历", "古人", 1582, 10, 15}),
                              lunar, MakeRecord({"古人", "古人", 1036, 12, 19})});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(ChildTexts(ClassNamed(*w, QStringLiteral("古人"))),
             (QStringList{QStringLiteral("古人  公1036-12-19(儒略历) 北宋景祐三年十一月廿九日|3"),
                          QStringLiteral("农人  农1036-11-29 北宋景祐三年十一月廿九日|2"),
                          QStringLiteral("新历  公1582-10-15 明万历十年九月十九日|1"),
                          QStringLiteral("旧历  公1582-10-4(儒略历) 明万历十年九月十八日|0")}));
    QVERIFY(boxes.seen.empty());
  }

  void anEmptyStoreShowsTheClassesOnly() {
    WriteSettings("[classes]\r\ncount=1\r\n1=亲友\r\n");
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(ClassNames(*w), QStringList{QStringLiteral("亲友")});
    w->pop_showallClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("没有记录，无从查找。")});
    // A double click or 查看命例 without a case node.
    boxes.Clear();
    DoubleClick(w->Tree, Root(*w));
    QVERIFY(Root(*w)->isSelected());
    Select(*w, Root(*w)->child(0));
    w->pop_viewClick();
    w->pop_deleteClick();
    QCOMPARE(boxes.Texts(), QStringList(3, QStringLiteral("请先选择一个命例！")));
  }

  // A class name of a store written elsewhere may hold line breaks. The
  // class list written at close must stay one key a class, and nothing of
  // such a name may become a section or key of its own.
  void classNamesWithLineBreaksStayOnOneLine() {
    WriteSettings("[classes]\r\ncount=1\r\n1=亲友\r\n");
    CaseRecord r = MakeRecord({"张三", "", 1990});
    std::memcpy(r.className, "a\r\n[w]\r\nx=1", 12);
    WriteStore(dir_->path(), {r});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    // Typed into the class input box, e.g. pasted.
    typed_ = QStringLiteral("b\r\n[v]");
    w->pop_class_addClick();
    QCOMPARE(ClassNames(*w), (QStringList{"亲友", "a  [w]  x=1", "b  [v]"}));
    w->pop_class_saveClick();
    IniFile ini(xminit_);
    QCOMPARE(ini.ReadSections(), (std::vector<std::string>{"classes"}));
    QCOMPARE(ini.ReadSection("classes"), (std::vector<std::string>{"count", "1", "2", "3"}));
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "2", "")), QStringLiteral("a  [w]  x=1"));
  }

  void theMenuFollowsTheLevelOfTheSelectedNode() {
    WriteSettings("[classes]\r\ncount=3\r\n1=亲友\r\n2=名人\r\n3=客户\r\n");
    WriteStore(dir_->path(), {MakeRecord({"张三", "名人", 1990})});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    struct Row {
      QTreeWidgetItem* node;
      bool view, classEdit, expand;
    };
    QTreeWidgetItem* famous = ClassNamed(*w, QStringLiteral("名人"));
    const std::vector<Row> rows = {{Root(*w), false, false, true}, {famous, false, true, true},
                                   {famous->child(0), true, false, false}};
    for (const Row& row : rows) {
      Select(*w, row.node);
      w->TreeRightMouseDown();
      for (QAction* a : {w->pop_view, w->pop_move->menuAction(), w->pop_delete}) QCOMPARE(a->isEnabled(), row.view);
      for (QAction* a : {w->pop_class_add, w->pop_class_save, w->pop_search, w->pop_showall}) QVERIFY(a->isEnabled());
      for (QAction* a : {w->pop_class_rename, w->pop_class_delete}) QCOMPARE(a->isEnabled(), row.classEdit);
      for (QAction* a : {w->pop_expand, w->pop_collapse}) QCOMPARE(a->isEnabled(), row.expand);
    }
    // The move submenu: every other class in tree order, '&' shown as is.
    QStringList entries;
    for (QAction* a : w->pop_move->actions()) entries << a->text();
    QCOMPARE(entries, (QStringList{"亲友", "客户"}));

    // A right press on another node leaves the selection alone.
    QTreeWidgetItem* first = ClassNamed(*w, QStringLiteral("亲友"));
    const QPoint at = w->Tree->visualItemRect(first).center();
    QTest::mousePress(w->Tree->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, w->Tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(w->Tree->viewport(), &menuEvent);
    QVERIFY(w->PopupTree->isVisible());
    w->PopupTree->close();
    QTest::mouseRelease(w->Tree->viewport(), Qt::RightButton, {}, at);
    QCOMPARE(w->Tree->selectedItems(), QList<QTreeWidgetItem*>{famous->child(0)});

    // Expand and collapse act on a node with all below it.
    Select(*w, Root(*w));
    w->pop_expandClick();
    QVERIFY(famous->isExpanded() && first->isExpanded());
    w->pop_collapseClick();
    QVERIFY(!Root(*w)->isExpanded() && !famous->isExpanded());
  }

  void storingTwoCasesGivesTheSecondDocumentACounter() {
    WriteSettings("[classes]\r\ncount=1\r\n1=亲友\r\n");
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("请先排一个正确的盘后再保存")});
    boxes.Clear();

    Chart(*w);
    QCOMPARE(w->natalChartShown, uint8_t(1));
    w->RedtPingYu->setPlainText(QStringLiteral("第一条评语"));
    w->SbtoSaveClick();
    w->SbtoSaveClick();
    QVERIFY(boxes.seen.empty());

    QCOMPARE(StoredCount(dir_->path()), 2);
    const CaseRecord first = ReadBack(dir_->path(), 0), second = ReadBack(dir_->path(), 1);
    QCOMPARE(QString::fromStdString(first.CommentNameUtf8()), QStringLiteral("张三_199003071030"));
    QCOMPARE(QString::fromStdString(second.CommentNameUtf8()), QStringLiteral("张三_199003071030_0"));
    QCOMPARE(QString::fromStdString(first.ClassNameUtf8()), QStringLiteral("朋友"));
    QCOMPARE(first.slot, 0);
    QCOMPARE(second.slot, 1);
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030.rtf"), QStringLiteral("第一条评语"));
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030_0.rtf"), QStringLiteral("第一条评语"));

    // A new class node at the end, expanded, with both cases.
    QCOMPARE(ClassNames(*w), (QStringList{"亲友", "朋友"}));
    QTreeWidgetItem* friends = ClassNamed(*w, QStringLiteral("朋友"));
    QVERIFY(friends->isExpanded());
    QCOMPARE(ChildTexts(friends), (QStringList{"张三  公1990-3-7|0", "张三  公1990-3-7|1"}));
    QCOMPARE(ImageIndex(friends->child(0)), int(kImageMale));
    // Still in "存新" mode; the class reaches the file only at close.
    QVERIFY(!w->caseLoaded);
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存新"));
    QCOMPARE(IniFile(xminit_).ReadInteger("classes", "count", 0), 1);

    // A class typed as an existing one with other letter case joins it;
    // a cancelled dialog stores nothing.
    saveClass_ = QStringLiteral("  亲友 ");
    w->SbtoSaveClick();
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 2).ClassNameUtf8()), QStringLiteral("亲友"));
    QCOMPARE(ClassNamed(*w, QStringLiteral("亲友"))->childCount(), 1);
    saveClass_.clear();
    w->SbtoSaveClick();
    QCOMPARE(StoredCount(dir_->path()), 3);
  }

  // 存新 after the birth data in the panel was changed saves what the panel
  // shows, charted again first; entries that do not chart save nothing.
  void savingNewAfterTheEntriesChangedChartsThemFirst() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    const double before = w->VoVirer->model.inputJd;
    w->Edtname->setText(QStringLiteral("李四"));
    w->cbos->setCurrentIndex(15);
    w->SbtoSaveClick();
    QVERIFY(boxes.seen.empty());
    QCOMPARE(StoredCount(dir_->path()), 1);
    const CaseRecord saved = ReadBack(dir_->path(), 0);
    QCOMPARE(QString::fromStdString(saved.NameUtf8()), QStringLiteral("李四"));
    QCOMPARE(int(saved.hour), 15);
    // The chart on screen is the one saved.
    QCOMPARE(QString::fromStdString(w->chartRequest.NameUtf8()), QStringLiteral("李四"));
    QVERIFY(w->VoVirer->model.inputJd != before);
    QVERIFY(ChildTexts(ClassNamed(*w, QStringLiteral("朋友"))).contains(QStringLiteral("李四  公1990-3-7|0")));

    // Unchanged entries: the chart is not made again.
    const double charted = w->VoVirer->model.inputJd;
    w->SbtoSaveClick();
    QCOMPARE(StoredCount(dir_->path()), 2);
    QCOMPARE(w->VoVirer->model.inputJd, charted);

    // Entries that do not chart: their own message, nothing saved.
    w->Edtname->clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("姓名不能为空")});
    QCOMPARE(StoredCount(dir_->path()), 2);
  }

  // A case of a store written elsewhere carries leftovers after its texts
  // and in the reserved bytes. A new case charted after viewing it is
  // written as the layout says, with zeros there.
  void aNewCaseAfterAForeignOneIsWrittenClean() {
    CaseRecord foreign = MakeRecord({"张三", "亲友", 1990});
    std::memset(foreign.name + 5, 'x', sizeof foreign.name - 5);
    auto* bytes = reinterpret_cast<uint8_t*>(&foreign);
    bytes[43] = 0x11;
    std::memset(bytes + 50, 0x22, 2);
    std::memset(bytes + 60, 0x33, 8);
    std::memset(foreign.placeName + 14, 'y', sizeof foreign.placeName - 14);
    WriteStore(dir_->path(), {foreign});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("张三"));
    QVERIFY(w->caseLoaded);
    w->SbtoNewClick();
    Chart(*w);
    w->SbtoSaveClick();
    QCOMPARE(StoredCount(dir_->path()), 2);
    const CaseRecord added = ReadBack(dir_->path(), 1);
    CaseRecord expected;
    CopyRequestToCase(w->chartRequest, &expected);
    expected.slot = 1;
    expected.SetClassName("朋友");
    expected.SetCommentName("张三_199003071030");
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&added), sizeof added),
             QByteArray(reinterpret_cast<const char*>(&expected), sizeof expected));
  }

  // A date written with a rival court's era is read on that court's
  // calendar, and the era's month list offers the months of its year as its
  // calendar named them: 辽 统和三年 with the 闰八月 the central year lacks,
  // 武周 天授二年 with 正月 (the 子 month), 腊月 and 一月. Each case keeps its
  // calendar and month; viewed again it gives the same chart and era.
  void aCaseKeepsTheCalendarOfItsEra() {
    const struct {
      const char* name;
      const char* era;
      const char* shown;
      const char* year;
      const char* month;
      int day;
      DateTime civil;
      uint8_t calendar, occurrence;
      const char* treeEra;  // the era form the case tree shows
    } cases[] = {
        {"例一", "统和", "辽 统和 983-1012", "三年 乙酉", "九月", 25, {985, 11, 10, 10, 30}, 1, 0, "辽统和三年九月廿五日"},
        {"例二", "统和", "辽 统和 983-1012", "三年 乙酉", "闰八月", 1, {985, 9, 17, 10, 30}, 1, 0, "辽统和三年闰八月初一日"},
        {"例三", "永历", "南明 永历 1647-1661", "二年 戊子", "四月", 1, {1648, 5, 22, 10, 30}, 2, 0, "南明永历二年四月初一日"},
        {"例四", "天授", "武周 天授 690-692", "二年 辛卯", "一月", 7, {691, 2, 10, 10, 30}, 0, 2, "武周天授二年一月初七日"},
        {"例五", "天授", "武周 天授 690-692", "二年 辛卯", "正月", 5, {690, 12, 10, 10, 30}, 0, 1, "武周天授二年正月初五日"},
        {"例六", "雍熙", "北宋 雍熙 984-987", "二年 乙酉", "九月", 25, {985, 10, 11, 10, 30}, 0, 0, "北宋雍熙二年九月廿五日"},
    };
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    auto monthNames = [&w] {
      QStringList names;
      for (int i = 0; i < w->CboEraMonth->count(); ++i) names << w->CboEraMonth->itemText(i);
      return names;
    };
    int slot = 0;
    for (const auto& c : cases) {
      w->SbtoNewClick();
      boxes.seen.clear();  // 新建 asks whether to begin a new case
      w->Rdogl->setChecked(true);
      w->Chkrun->setChecked(false);
      Chart(*w, QString::fromUtf8(c.name));
      w->CboEra->lineEdit()->setFocus();
      w->CboEra->lineEdit()->selectAll();
      CommitText(w->CboEra->lineEdit(), QString::fromUtf8(c.era));
      QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
      QCOMPARE(w->CboEra->currentText(), QString::fromUtf8(c.shown));
      ChooseFromList(w->CboEraYear, QString::fromUtf8(c.year));
      ChooseFromList(w->CboEraMonth, QString::fromUtf8(c.month));
      w->cbod->setCurrentIndex(c.day - 1);
      w->BtnpaiClick();
      QVERIFY2(boxes.seen.empty(), qPrintable(QString::fromUtf8(c.name) + boxes.Seen().join(QLatin1Char('\n')) +
                                              QStringLiteral(" %1-%2-%3 %4 %5 %6")
                                                  .arg(w->chartRequest.year)
                                                  .arg(w->chartRequest.month)
                                                  .arg(w->chartRequest.day)
                                                  .arg(w->chartRequest.isLeapMonth)
                                                  .arg(w->chartRequest.lunarCalendar)
                                                  .arg(w->chartRequest.monthOccurrence)));
      QCOMPARE(w->VoVirer->model.beijingMoment, c.civil);
      w->SbtoSaveClick();
      const CaseRecord saved = ReadBack(dir_->path(), slot++);
      QCOMPARE(saved.lunarCalendar, c.calendar);
      QCOMPARE(saved.monthOccurrence, c.occurrence);
    }
    // The months offered: 统和三年 on the 辽 calendar, 天授二年 as 武周 named them.
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("统和"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    ChooseFromList(w->CboEraYear, QStringLiteral("三年 乙酉"));
    QCOMPARE(monthNames(), (QStringList{"正月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "闰八月", "九月",
                                        "十月", "十一月", "十二月"}));
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("天授"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    ChooseFromList(w->CboEraYear, QStringLiteral("二年 辛卯"));
    QCOMPARE(monthNames(), (QStringList{"正月", "腊月", "一月", "二月", "三月", "四月", "五月", "六月", "七月", "八月",
                                        "九月", "十月"}));

    for (const auto& c : cases) {
      View(*w, QString::fromUtf8(c.name));
      QVERIFY(w->caseLoaded);
      QCOMPARE(w->VoVirer->model.beijingMoment, c.civil);
      QCOMPARE(w->CboEra->currentText(), QString::fromUtf8(c.shown));
      QCOMPARE(w->CboEraMonth->currentText(), QString::fromUtf8(c.month));
      QVERIFY2(w->Tree->currentItem()->text(0).contains(QString::fromUtf8(c.treeEra)),
               qPrintable(w->Tree->currentItem()->text(0)));
      // Charted again from the panel as it shows the case.
      w->BtnpaiClick();
      QCOMPARE(w->VoVirer->model.beijingMoment, c.civil);
    }
    QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
  }

  void theSaveDialogListsTheClassesAndRefusesAnEmptyOne() {
    WriteSettings("[classes]\r\ncount=3\r\n1=亲友\r\n3=名人\r\n");
    Boxes boxes;
    IniFile ini(xminit_);
    TFrmFenLei dialog(&ini);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("分类保存"));
    QStringList items;
    for (int i = 0; i < dialog.CboFenLei->count(); ++i) items << dialog.CboFenLei->itemText(i);
    QCOMPARE(items, (QStringList{"亲友", "临时保存", "名人"}));
    QCOMPARE(dialog.CboFenLei->currentText(), QStringLiteral("亲友"));
    QCOMPARE(dialog.CboFenLei->maxVisibleItems(), 16);
    dialog.CboFenLei->setEditText(QStringLiteral("   "));
    dialog.BtnOkClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("类别名不能为空")});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("错误"));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    // At most 13 bytes can be typed.
    QLineEdit* edit = dialog.CboFenLei->lineEdit();
    edit->clear();
    TypeText(edit, QStringLiteral("一二三四五六七八"));
    QCOMPARE(edit->text(), QStringLiteral("一二三四五六"));
    // Nor a character GBK has not, which would be stored as '?'.
    edit->clear();
    TypeText(edit, QStringLiteral("朋한友"));
    QCOMPARE(edit->text(), QStringLiteral("朋友"));
    dialog.CboFenLei->setEditText(QStringLiteral(" 新朋友 "));
    dialog.BtnOkClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.className, QStringLiteral("新朋友"));
  }

  // 分类保存 offers every class the tree shows: those of the settings file,
  // then a class made in this session by saving a case into it, or found in
  // the store, that the file does not list (names compared without letter
  // case).
  void theSaveDialogOffersEveryClassOfTheTree() {
    WriteSettings("[classes]\r\ncount=2\r\n1=亲友\r\n2=Abc\r\n");
    WriteStore(dir_->path(), {MakeRecord({"王五", "古人", 1950})});
    Boxes boxes;
    QStringList offered;
    auto w = Start();
    QVERIFY(w);
    auto original = w->runCaseDialog;
    w->runCaseDialog = [&](QDialog& d) {
      if (auto* save = qobject_cast<TFrmFenLei*>(&d)) {
        offered.clear();
        for (int i = 0; i < save->CboFenLei->count(); ++i) offered << save->CboFenLei->itemText(i);
      }
      return original(d);
    };
    saveClass_ = QStringLiteral("新朋友");
    Chart(*w);
    w->SbtoSaveClick();
    QCOMPARE(offered, (QStringList{"亲友", "Abc", "古人"}));
    saveClass_ = QStringLiteral("ABC");
    w->SbtoSaveClick();
    QCOMPARE(offered, (QStringList{"亲友", "Abc", "古人", "新朋友"}));
    // The search dialog's class list offers them too.
    TFrmSearch search(w->searchCriteria, *w->DataBase, w->XmInit.get(), w.get(), w->TreeClassNames());
    QStringList searched;
    for (int i = 0; i < search.CboFenLei->count(); ++i) searched << search.CboFenLei->itemText(i);
    QCOMPARE(searched, (QStringList{"亲友", "Abc", "古人", "新朋友"}));
    w->skipCloseSequence = true;
  }

  void viewingACaseFillsThePanelAndSavesItBack() {
    CaseRecord r = MakeRecord({"李四", "客户", 1985, 4, 5, false, 1, 0});
    r.hour = 6;
    r.minute = 7;
    r.timeZoneIndex = 7;
    r.longitude = 116.4f;
    r.latitude = 39.9f;
    r.SetCommentName("李四_198504050607");
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲友", 1990}), r});
    SaveDocument(*dir_ / "Lumtar_f/李四_198504050607.rtf", QStringLiteral("旧评语"));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(BluePixels(w->SbtoSave), 0);
    // A double click views the case.
    QTreeWidgetItem* node = CaseNamed(*w, QStringLiteral("李四"));
    Root(*w)->child(1)->setExpanded(true);
    DoubleClick(w->Tree, node);
    QVERIFY(node->isSelected());
    QVERIFY(boxes.seen.empty());

    QCOMPARE(w->EdtYear->text(), QStringLiteral("1985"));
    QCOMPARE(w->UpDyear->position(), 1985 - kInputFirstYear);
    QCOMPARE(w->cbom->currentIndex(), 3);
    QCOMPARE(w->cbod->currentIndex(), 4);
    QCOMPARE(w->cbos->currentIndex(), 6);
    QCOMPARE(w->cbomin->currentIndex(), 7);
    QVERIFY(w->Rdogl->isChecked() && w->Rdonv->isChecked() && !w->Chkrun->isChecked());
    QCOMPARE(w->Edtname->text(), QStringLiteral("李四"));
    QCOMPARE(w->Cboshiqu->currentIndex(), 7);
    QCOMPARE(w->cbodiZ->currentIndex(), 1);
    QCOMPARE(w->cbodiC->currentIndex(), 0);
    QCOMPARE(w->ledtjing->text(), QStringLiteral("116:24"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("39:54"));
    // The request takes the stored coordinates and zone.
    QCOMPARE(w->chartRequest.longitude, 116.4f);
    QCOMPARE(int(w->chartRequest.timeZoneIndex), 7);
    QCOMPARE(QString::fromStdString(w->chartRequest.PlaceNameUtf8()),
             w->cbodiZ->currentText() + QLatin1Char('-') + w->cbodiC->currentText());

    QVERIFY(w->caseLoaded);
    QCOMPARE(w->loadedSlot, 1);
    QCOMPARE(w->loadedCommentPath, *dir_ / "Lumtar_f/李四_198504050607.rtf");
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("旧评语"));
    QVERIFY(!w->RedtPingYu->document()->isModified());
    QCOMPARE(w->natalChartShown, uint8_t(1));
    QVERIFY(HasChart(w->Imgzhanxing->Picture()));
    QVERIFY(!w->RedtDuan->toPlainText().isEmpty());
    QCOMPARE(w->PageMain->currentIndex(), 0);
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存旧"));
    QVERIFY(BluePixels(w->SbtoSave) > 10);

    // Edited and charted again, then saved back into its slot.
    w->Edtname->setText(QStringLiteral("李小四"));
    w->Rdona->setChecked(true);
    w->BtnpaiClick();
    EditComment(*w, QStringLiteral("新评语"));
    QVERIFY(w->RedtPingYu->document()->isModified());
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), (QStringList{"要修改“李小四”这条记录吗？", "已保存编辑后的命例。"}));
    const CaseRecord back = ReadBack(dir_->path(), 1);
    QCOMPARE(QString::fromStdString(back.NameUtf8()), QStringLiteral("李小四"));
    QCOMPARE(back.isMale, uint8_t(1));
    QCOMPARE(QString::fromStdString(back.ClassNameUtf8()), QStringLiteral("客户"));
    QCOMPARE(QString::fromStdString(back.CommentNameUtf8()), QStringLiteral("李四_198504050607"));
    QCOMPARE(StoredCount(dir_->path()), 2);
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/李四_198504050607.rtf"), QStringLiteral("新评语"));
    QVERIFY(!w->RedtPingYu->document()->isModified());
    QCOMPARE(node->text(0), QStringLiteral("李小四  公1985-4-5|1"));
    QCOMPARE(ImageIndex(node), int(kImageMale));

    // Viewing another case after an unsaved edit offers to save it first.
    boxes.Clear();
    boxes.answers[QStringLiteral("当前评语文本已改变，要保存吗？")] = false;
    EditComment(*w, QStringLiteral("不要的评语"));
    View(*w, QStringLiteral("张三"));
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("当前评语文本已改变，要保存吗？")});
    QCOMPARE(w->loadedSlot, 0);
    // No document of its own: the editor keeps its text.
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("不要的评语"));
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/李四_198504050607.rtf"), QStringLiteral("新评语"));
  }

  // A lunar case shows its month and day as a lunar calendar names them and
  // its era year with its stem-branch, and is stored back as it was.
  void aLunarCaseShowsLunarNamesAndIsStoredBackAsItWas() {
    CaseRecord leap = MakeRecord({"戚继光", "古人", 1528, 10, 1});
    leap.isLunar = 1;
    leap.isLeapMonth = 1;
    leap.hour = 9;
    leap.minute = 5;
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲友", 1990}), leap});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("戚继光"));
    QCOMPARE(w->loadedSlot, 1);
    QVERIFY(w->Rdonl->isChecked() && w->Chkrun->isChecked());
    QCOMPARE(w->cbom->currentText(), QStringLiteral("闰十月"));
    QCOMPARE(w->cbod->currentText(), QStringLiteral("初一"));
    QCOMPARE(w->CboEraYear->currentText(), QStringLiteral("七年 戊子"));
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), (QStringList{"要修改“戚继光”这条记录吗？", "已保存编辑后的命例。"}));
    const CaseRecord back = ReadBack(dir_->path(), 1);
    QCOMPARE(back.year, leap.year);
    QCOMPARE(back.month, leap.month);
    QCOMPARE(back.day, leap.day);
    QCOMPARE(back.hour, leap.hour);
    QCOMPARE(back.minute, leap.minute);
    QCOMPARE(back.isLunar, uint8_t(1));
    QCOMPARE(back.isLeapMonth, uint8_t(1));
  }

  void aCaseThatCannotBeViewedLeavesTheViewedOne() {
    CaseRecord old = MakeRecord({"古人", "客户", 600});
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲友", 1990}), old});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("张三"));
    QVERIFY(w->caseLoaded);
    View(*w, QStringLiteral("古人"));
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("年份必须在619-2100年之间")});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("年份错误"));
    // The panel holds the other case now; saving must not write it over
    // the one viewed before.
    QVERIFY(!w->caseLoaded);
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存新"));
    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("请先排一个正确的盘后再保存")});
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 0).NameUtf8()), QStringLiteral("张三"));
  }

  void deletingTheViewedCaseAsksTwiceAndLeavesIt() {
    CaseRecord r = MakeRecord({"王五 号x", "亲友", 1970});
    r.SetCommentName("王五_197003071030");
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲友", 1990}), r});
    SaveDocument(*dir_ / "Lumtar_f/王五_197003071030.rtf", QStringLiteral("评"));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QTreeWidgetItem* node = CaseNamed(*w, QStringLiteral("王五"));
    Select(*w, node);
    w->pop_viewClick();
    QVERIFY(w->caseLoaded && !w->RedtDuan->toPlainText().isEmpty());

    // No to the first question changes nothing.
    boxes.answers[QStringLiteral("确定要删除“王五”这个命例吗？")] = false;
    w->pop_deleteClick();
    QCOMPARE(boxes.seen.size(), size_t(1));
    QCOMPARE(boxes.seen[0].buttons, MsgButtons::YesNoDefaultNo);
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("注意"));
    QVERIFY(CaseNamed(*w, QStringLiteral("王五")));

    boxes.Clear();
    boxes.answers.clear();
    w->pop_deleteClick();
    QCOMPARE(boxes.Texts(), (QStringList{"确定要删除“王五”这个命例吗？", "确定要删除当前正在查看的命例吗？"}));
    QVERIFY(w->RedtDuan->toPlainText().isEmpty());
    QCOMPARE(w->natalChartShown, uint8_t(0));
    QVERIFY(!CaseNamed(*w, QStringLiteral("王五")));
    QVERIFY(!FileExists(*dir_ / "Lumtar_f/王五_197003071030.rtf"));
    CaseRecord gone;
    MDataBase store;
    store.Open(dir_->str(), 0);
    QVERIFY(!store.ReadRecord(1, &gone));
    QCOMPARE(gone.isDeleted, uint8_t(1));
    // Back to "存新": saving cannot bring the deleted case back.
    QVERIFY(!w->caseLoaded);
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存新"));
    QCOMPARE(BluePixels(w->SbtoSave), 0);
    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("请先排一个正确的盘后再保存")});
    QVERIFY(!store.ReadRecord(1, &gone));
    QVERIFY(!FileExists(*dir_ / "Lumtar_f/王五_197003071030.rtf"));

    // Another case goes with one question.
    boxes.Clear();
    Select(*w, CaseNamed(*w, QStringLiteral("张三")));
    w->pop_deleteClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("确定要删除“张三”这个命例吗？")});
    QVERIFY(!store.ReadRecord(0, &gone));
  }

  // Cases of a store written elsewhere can name one document. Saving one
  // of them back gives it a document of its own; deleting one, alone or
  // with its class, leaves the document to the others.
  void aDocumentOfSeveralCasesGoesWithTheLastOne() {
    std::vector<CaseRecord> records = {MakeRecord({"张三", "亲友", 1990}), MakeRecord({"李四", "客户", 1980}),
                                       MakeRecord({"王五", "亲友", 1970})};
    for (CaseRecord& r : records) r.SetCommentName("共用");
    WriteStore(dir_->path(), records);
    const fs::path doc = *dir_ / "Lumtar_f/共用.rtf";
    SaveDocument(doc, QStringLiteral("评"));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("张三"));
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("评"));
    EditComment(*w, QStringLiteral("张三的评"));
    w->SbtoSaveClick();
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 0).CommentNameUtf8()), QStringLiteral("张三_199003071030"));
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030.rtf"), QStringLiteral("张三的评"));
    QCOMPARE(DocumentText(doc), QStringLiteral("评"));
    // Saved again, it stays with its own document.
    w->SbtoSaveClick();
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 0).CommentNameUtf8()), QStringLiteral("张三_199003071030"));

    Select(*w, ClassNamed(*w, QStringLiteral("客户")));
    w->pop_class_deleteClick();
    QVERIFY(FileExists(doc));
    Select(*w, CaseNamed(*w, QStringLiteral("张三")));
    w->pop_deleteClick();
    QVERIFY(!FileExists(*dir_ / "Lumtar_f/张三_199003071030.rtf"));
    QVERIFY(FileExists(doc));
    Select(*w, CaseNamed(*w, QStringLiteral("王五")));
    w->pop_deleteClick();
    QVERIFY(!FileExists(doc));
    QCOMPARE(StoredCount(dir_->path()), 3);
    QVERIFY(ChildTexts(ClassNamed(*w, QStringLiteral("亲友"))).isEmpty());
  }

  void movingACaseChangesItsClass() {
    WriteSettings("[classes]\r\ncount=2\r\n1=亲友\r\n2=A&B\r\n");
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲友", 1990}), MakeRecord({"李四", "A&B", 1980})});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("张三"));
    w->TreeRightMouseDown();
    QCOMPARE(w->pop_move->actions().size(), 1);
    QCOMPARE(w->pop_move->actions()[0]->text(), QStringLiteral("A&&B"));
    w->pop_move->actions()[0]->trigger();
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 0).ClassNameUtf8()), QStringLiteral("A&B"));
    QCOMPARE(ChildTexts(ClassNamed(*w, QStringLiteral("亲友"))), QStringList());
    QCOMPARE(ChildTexts(ClassNamed(*w, QStringLiteral("A&B"))),
             (QStringList{"李四  公1980-3-7|1", "张三  公1990-3-7|0"}));
    QCOMPARE(ImageIndex(CaseNamed(*w, QStringLiteral("张三"))), int(kImageMale));
    // Saving the viewed case back keeps it in its new class.
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), (QStringList{"要修改“张三”这条记录吗？", "已保存编辑后的命例。"}));
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 0).ClassNameUtf8()), QStringLiteral("A&B"));
  }

  void classesAreAddedRenamedDeletedAndSaved() {
    WriteSettings("[classes]\r\ncount=2\r\n1=亲友\r\n2=ABC\r\n");
    CaseRecord a = MakeRecord({"张三", "亲友", 1990});
    a.SetCommentName("张三_doc");
    WriteStore(dir_->path(), {a, MakeRecord({"李四", "亲友", 1980}), MakeRecord({"王五", "ABC", 1970})});
    SaveDocument(*dir_ / "Lumtar_f/张三_doc.rtf", QStringLiteral("评"));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);

    // Add: the preset, the rules, the file at once.
    typed_ = QStringLiteral(" 同事 ");
    w->pop_class_addClick();
    QCOMPARE(inputTitles_, QStringList{QStringLiteral("新建类别|新类别")});
    QCOMPARE(ClassNames(*w), (QStringList{"亲友", "ABC", "同事"}));
    QCOMPARE(ImageIndex(ClassNamed(*w, QStringLiteral("同事"))), int(kImageClass));
    IniFile ini(xminit_);
    QCOMPARE(ini.ReadInteger("classes", "count", 0), 3);
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "3", "")), QStringLiteral("同事"));
    struct Refused {
      const char* typed;
      const char* message;
    };
    const std::vector<Refused> refused = {{"abc", "已有这个类别了！"},
                                          {"   ", "类别名不能为空，并且最多可以有6个汉字！"},
                                          {"一二三四五六七", "类别名不能为空，并且最多可以有6个汉字！"},
                                          {"한국", "类别名不能为空，并且最多可以有6个汉字！"}};
    for (const Refused& r : refused) {
      boxes.Clear();
      typed_ = QString::fromUtf8(r.typed);
      w->pop_class_addClick();
      QCOMPARE(boxes.Texts(), QStringList{QString::fromUtf8(r.message)});
    }
    QCOMPARE(w->Tree->currentItem(), ClassNamed(*w, QStringLiteral("ABC")));
    QCOMPARE(ClassNames(*w).size(), 3);
    QCOMPARE(ini.ReadInteger("classes", "count", 0), 3);

    // Rename: to its own name (any letter case) is refused.
    QTreeWidgetItem* abc = ClassNamed(*w, QStringLiteral("ABC"));
    Select(*w, abc);
    boxes.Clear();
    inputTitles_.clear();
    typed_ = QStringLiteral("Abc");
    w->pop_class_renameClick();
    QCOMPARE(inputTitles_, QStringList{QStringLiteral("修改类别名|ABC")});
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("已有这个类别了，请另起一个名称！")});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示"));
    QCOMPARE(abc->text(0), QStringLiteral("ABC"));
    // … to a new one renames the node, its listed cases and the file's key.
    typed_ = QStringLiteral("名人");
    w->pop_class_renameClick();
    QCOMPARE(abc->text(0), QStringLiteral("名人"));
    QCOMPARE(QString::fromStdString(ReadBack(dir_->path(), 2).ClassNameUtf8()), QStringLiteral("名人"));
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "2", "")), QStringLiteral("名人"));
    // Rename on a case node does nothing.
    Select(*w, CaseNamed(*w, QStringLiteral("王五")));
    inputTitles_.clear();
    w->pop_class_renameClick();
    QVERIFY(inputTitles_.isEmpty());

    // Delete: its cases and documents go, the file's list stays.
    Select(*w, ClassNamed(*w, QStringLiteral("亲友")));
    boxes.Clear();
    w->pop_class_deleteClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("确定要删除“亲友”这个类别吗？")});
    QCOMPARE(ClassNames(*w), (QStringList{"名人", "同事"}));
    MDataBase store;
    store.Open(dir_->str(), 0);
    CaseRecord r;
    QVERIFY(!store.ReadRecord(0, &r) && !store.ReadRecord(1, &r) && store.ReadRecord(2, &r));
    QVERIFY(!FileExists(*dir_ / "Lumtar_f/张三_doc.rtf"));
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "1", "")), QStringLiteral("亲友"));

    // Save: the tree's classes in order; keys beyond stay.
    boxes.Clear();
    w->pop_class_saveClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("当前列表的类别已经保存！")});
    QCOMPARE(ini.ReadInteger("classes", "count", 0), 2);
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "1", "")), QStringLiteral("名人"));
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "2", "")), QStringLiteral("同事"));
    QCOMPARE(QString::fromStdString(ini.ReadString("classes", "3", "")), QStringLiteral("同事"));
  }

  void searchFindsByNameAndKeepsTheConditions() {
    WriteSettings("[classes]\r\ncount=2\r\n1=亲友\r\n2=朋友\r\n");
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲友", 1990}), MakeRecord({"小张", "朋友", 1980}),
                       MakeRecord({"张", "朋友", 1970, 1, 1, false}), MakeRecord({"李四", "朋友", 1960})});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    struct Case {
      bool wholeWord;
      QStringList found;
    };
    const std::vector<Case> cases = {{false, {"张三  公1990-3-7|0", "小张  公1980-3-7|1", "张  公1970-1-1|2"}},
                                     {true, {"张  公1970-1-1|2"}}};
    for (const Case& c : cases) {
      boxes.Clear();
      search_ = [&](TFrmSearch& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("查找命例"));
        d.Edtname->setText(QStringLiteral("张"));
        d.ChkName->setChecked(c.wholeWord);
        d.BtnSearchClick();
        QVERIFY(d.Animate1->isHidden() && !d.Animate1->IsRunning());
        QVERIFY(d.BtnSearch->isEnabled() && d.BtoAll->isEnabled() && d.BtoCancel->isEnabled());
      };
      w->pop_searchClick();
      QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("共找到%1条记录，要显示到命例列表中吗？").arg(c.found.size())});
      QStringList listed;
      for (int i = 0; i < Root(*w)->childCount(); ++i) listed << ChildTexts(Root(*w)->child(i));
      std::sort(listed.begin(), listed.end(), [](const QString& a, const QString& b) {
        return a.section('|', -1).toInt() < b.section('|', -1).toInt();
      });
      QCOMPARE(listed, c.found);
    }
    QCOMPARE(w->searchCriteria.nameMode, uint8_t(2));

    // Years before the common era move up by one; the dialog shows them as
    // typed when it opens again, with the other conditions kept.
    search_ = [&](TFrmSearch& d) {
      QCOMPARE(d.Edtname->text(), QStringLiteral("张"));
      QVERIFY(d.ChkName->isChecked());
      d.LedtY1->setText(QStringLiteral("-120"));
      d.LedtY2->setText(QStringLiteral("-100"));
      d.Edtname->clear();
      d.RdoSex->setItemIndex(2);
      d.cbodiZ->setCurrentIndex(2);
      d.CboFenLei->setEditText(QStringLiteral(" 朋友 "));
      d.BtnSearchClick();
    };
    boxes.Clear();
    w->pop_searchClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("没有找到符合条件的命例。")});
    const SearchCriteria& c = w->searchCriteria;
    QVERIFY(c.yearFilter && c.sexFilter);
    QCOMPARE(c.yearFrom, int16_t(-119));
    QCOMPARE(c.yearTo, int16_t(-99));
    QCOMPARE(c.wantMale, uint8_t(0));
    QCOMPARE(c.provinceIndex, int16_t(1));
    QCOMPARE(c.nameMode, uint8_t(0));
    QCOMPARE(c.classMode, uint8_t(1));
    QCOMPARE(QString::fromStdString(c.ClassPatternUtf8()), QStringLiteral("朋友"));
    search_ = [&](TFrmSearch& d) {
      QCOMPARE(d.LedtY1->text(), QStringLiteral("-120"));
      QCOMPARE(d.LedtY2->text(), QStringLiteral("-100"));
      QCOMPARE(d.RdoSex->itemIndex(), 2);
      QCOMPARE(d.cbodiZ->currentIndex(), 2);
      QCOMPARE(d.CboFenLei->currentText(), QStringLiteral("朋友"));
      QVERIFY(!d.ChkName->isChecked() && d.Edtname->text().isEmpty());
      // A year 0 or an empty box is refused and the dialog stays open.
      for (const auto& [from, to, message] :
           std::vector<std::tuple<QString, QString, QString>>{
               {"0", "100", QString::fromUtf8(kYearRangeMessage)},
               {"1990", "", QString::fromUtf8(kYearRangeMessage)},
               {"1990", "1980", QString::fromUtf8(kYearOrderMessage)}}) {
        boxes.Clear();
        d.LedtY1->setText(from);
        d.LedtY2->setText(to);
        d.BtnSearchClick();
        QCOMPARE(boxes.Texts(), QStringList{message});
        QCOMPARE(boxes.seen[0].caption, QStringLiteral("年份错误"));
        QVERIFY(!d.showResult);
      }
      // 全部 clears everything and lists every case.
      boxes.Clear();
      d.BtoAllClick();
      QVERIFY(d.showResult);
    };
    w->pop_searchClick();
    QCOMPARE(boxes.Texts(), (QStringList{"这将清除所有输入的条件参数，以便搜索所有命例，确定吗？",
                                         "共找到4条记录，要显示到命例列表中吗？"}));
    QVERIFY(!c.yearFilter && !c.sexFilter && c.nameMode == 0 && c.classMode == 0 && c.provinceIndex == -1);
    search_ = [&](TFrmSearch& d) {
      QVERIFY(d.LedtY1->text().isEmpty() && d.CboFenLei->currentText().isEmpty());
      QCOMPARE(d.RdoSex->itemIndex(), 0);
      QCOMPARE(d.cbodiZ->currentIndex(), 0);
      d.BtoCancelClick();
    };
    w->pop_searchClick();
  }

  // After a search or 显示全部命例 that lists few cases (50 or fewer), the
  // classes that hold them are open; with more, they stay closed.
  void fewFoundCasesAreShownOpen() {
    WriteSettings("[classes]\r\ncount=3\r\n1=亲友\r\n2=朋友\r\n3=空类\r\n");
    std::vector<CaseRecord> records = {MakeRecord({"张三", "亲友", 1990}), MakeRecord({"小张", "朋友", 1980}),
                                       MakeRecord({"李四", "朋友", 1960})};
    WriteStore(dir_->path(), records);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    auto openClasses = [&w] {
      QStringList open;
      for (int i = 0; i < Root(*w)->childCount(); ++i)
        if (Root(*w)->child(i)->isExpanded()) open << Root(*w)->child(i)->text(0);
      return open;
    };
    QVERIFY(openClasses().isEmpty());  // the start shows the classes closed
    search_ = [&](TFrmSearch& d) {
      d.Edtname->setText(QStringLiteral("张"));
      d.BtnSearchClick();
    };
    w->pop_searchClick();
    QCOMPARE(openClasses(), (QStringList{"亲友", "朋友"}));
    w->pop_collapseClick();
    Select(*w, Root(*w));
    w->pop_collapseClick();
    w->pop_showallClick();
    QCOMPARE(openClasses(), (QStringList{"亲友", "朋友"}));
    QVERIFY(Root(*w)->isExpanded());
    w->skipCloseSequence = true;
    w.reset();

    for (int i = 0; i < 48; ++i) records.push_back(MakeRecord({"某人", "朋友", 1900 + i}));
    WriteStore(dir_->path(), records);  // 51 cases
    w = Start();
    QVERIFY(w);
    w->pop_showallClick();
    QVERIFY(openClasses().isEmpty());
    w->skipCloseSequence = true;
  }

  // A tree item whose text the tree's width cuts shows the whole text as
  // its tooltip; one shown whole has none.
  void cutTreeItemsShowTheirTextAsATooltip() {
    WriteSettings("[winpos]\r\ntreewid=100\r\n[classes]\r\ncount=1\r\n1=亲\r\n");
    WriteStore(dir_->path(), {MakeRecord({"张三", "亲", 1990})});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QTreeWidgetItem* item = CaseNamed(*w, QStringLiteral("张三"));
    QVERIFY(item);
    item->parent()->setExpanded(true);
    QCoreApplication::processEvents();
    auto tipAt = [&w](QTreeWidgetItem* it) {
      QToolTip::hideText();
      if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return QStringLiteral("a tooltip stays");
      const QPoint at = w->Tree->visualItemRect(it).center();
      QHelpEvent help(QEvent::ToolTip, at, w->Tree->viewport()->mapToGlobal(at));
      QCoreApplication::sendEvent(w->Tree->viewport(), &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(item), item->text(0));
    QCOMPARE(tipAt(item->parent()), QString());  // 亲 fits
    w->SplitterTree->setSizes({400, 600});
    QCoreApplication::processEvents();
    QCOMPARE(tipAt(item), QString());
    QToolTip::hideText();
    w->skipCloseSequence = true;
  }

  void searchingAnEmptyStoreSaysSo() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    search_ = [&](TFrmSearch& d) {
      QCOMPARE(d.cbodiZ->count(), 36);
      QCOMPARE(d.cbodiZ->itemText(0), QStringLiteral(" "));
      d.BtnSearchClick();
      QCOMPARE(d.result(), int(QDialog::Rejected));
      QVERIFY(!d.showResult);
    };
    w->pop_searchClick();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("没有记录，无从查找。")});
  }

  void compactionIsRefusedBelowTwoThousandSlotsAndEndsTheProgram() {
    std::vector<CaseRecord> records(1999, MakeRecord({"某人", "亲友", 1990}));
    WriteStore(dir_->path(), records);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    // No to the question: nothing happens.
    boxes.answers[QStringLiteral("命例数据过多，读取速度慢才需要整理，确定要整理吗？")] = false;
    w->mnuF_compactClick();
    QCOMPARE(boxes.seen.size(), size_t(1));
    QCOMPARE(boxes.seen[0].buttons, MsgButtons::YesNoDefaultNo);
    boxes.answers.clear();
    boxes.Clear();
    w->mnuF_compactClick();
    QCOMPARE(boxes.Texts(), (QStringList{"命例数据过多，读取速度慢才需要整理，确定要整理吗？", "命例数据过少，无需整理！"}));
    QVERIFY(w->isVisible());
    QVERIFY(!FileExists(*dir_ / "dat/ming.bak"));

    // 2000 slots of which 500 deleted: 1500 left, renumbered, and the
    // program ends without the close question and without its settings.
    w.reset();
    records.push_back(records.front());
    std::vector<int> deleted;
    for (int i = 0; i < 2000; i += 4) deleted.push_back(i);
    WriteStore(dir_->path(), records, deleted);
    DeleteFileIfExists(xminit_);
    w = Start();
    QVERIFY(w);
    boxes.Clear();
    w->mnuF_compactClick();
    QCOMPARE(boxes.Texts(), (QStringList{"命例数据过多，读取速度慢才需要整理，确定要整理吗？", "整理数据完成，需重启软件！"}));
    QVERIFY(!w->isVisible());
    QVERIFY(!FileExists(xminit_));
    QCOMPARE(StoredCount(dir_->path()), 1500);
    QCOMPARE(ReadBack(dir_->path(), 1499).slot, 1499);
    // The program's event handling goes on for whatever follows.
    QTest::qWait(20);
  }

  // Compaction ends the program without its close sequence: an edited
  // comment of the viewed case is offered for saving first, into its slot.
  void compactionOffersToSaveAnEditedComment() {
    std::vector<CaseRecord> records(2000, MakeRecord({"某人", "亲友", 1990}));
    WriteStore(dir_->path(), records);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("某人"));
    QVERIFY(w->caseLoaded);
    const int slot = w->loadedSlot;
    EditComment(*w, QStringLiteral("整理前写下的评语"));
    boxes.Clear();
    w->mnuF_compactClick();
    QCOMPARE(boxes.Texts(), (QStringList{"命例数据过多，读取速度慢才需要整理，确定要整理吗？",
                                         "当前评语文本已改变，要保存吗？", "要修改“某人”这条记录吗？",
                                         "已保存编辑后的命例。", "整理数据完成，需重启软件！"}));
    QVERIFY(!w->isVisible());
    const CaseRecord back = ReadBack(dir_->path(), slot);
    QCOMPARE(DocumentText(*dir_ / ("Lumtar_f/" + back.CommentNameUtf8() + ".rtf")),
             QStringLiteral("整理前写下的评语"));
    QTest::qWait(20);
  }

  // The store: P0 … P2499 with every fifth slot deleted. While the
  // window views P1751, lumtar-cli compacts the store; saving the case back
  // and deleting it by its old slot are refused, the tree is read again,
  // and every case is still there once.
  void anotherProgramCompactingLeavesNoCaseToTheOldSlots() {
    std::vector<std::string> names;
    for (int i = 0; i < 2500; ++i) names.push_back("P" + std::to_string(i));
    std::vector<CaseRecord> records;
    std::vector<int> deleted;
    for (int i = 0; i < 2500; ++i) {
      records.push_back(MakeRecord({names[i].c_str(), "亲友", 1900 + i % 200}));
      if (i % 5 == 0) deleted.push_back(i);
    }
    const std::string compact = std::string(LUMTAR_PROGRAM_DIR) + "/lumtar-cli cases compact --program-dir '" +
                                dir_->str() + "' >/dev/null 2>&1";
    auto liveNames = [&] {
      MDataBase store;
      store.Open(dir_->str(), 0);
      std::map<std::string, int> live;
      for (int slot = 0; slot < store.RecordCount(); ++slot) {
        CaseRecord r;
        if (store.ReadRecord(slot, &r)) ++live[r.NameUtf8()];
      }
      return live;
    };
    const QString changed = QString::fromUtf8(kStoreChangedMessage);

    // Saving back.
    WriteStore(dir_->path(), records, deleted);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("P1751"));
    QCOMPARE(w->loadedSlot, 1751);
    QCOMPARE(test::RunCommandLine(compact).status, 0);
    EditComment(*w, QStringLiteral("P1751的评语"));
    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.seen.size(), size_t(2));
    QVERIFY(boxes.seen[1].text.startsWith(changed));
    QCOMPARE(boxes.seen[1].icon, MsgIcon::Error);
    std::map<std::string, int> live = liveNames();
    QCOMPARE(live.size(), size_t(2000));
    QCOMPARE(live["P2189"], 1);
    QCOMPARE(live["P1751"], 1);
    QVERIFY(!FileExists(*dir_ / "Lumtar_f/P1751_205103071030.rtf"));
    // The window left the case, kept the comment in the editor and shows
    // the store as it is now.
    QVERIFY(!w->caseLoaded);
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("P1751的评语"));
    QCOMPARE(CaseNamed(*w, QStringLiteral("P1751"))->text(0), QStringLiteral("P1751  公2051-3-7|1400"));

    // Deleting by a node of the old tree.
    w->skipCloseSequence = true;
    w.reset();
    DeleteFileIfExists(*dir_ / "dat/Lumtar.gen");
    WriteStore(dir_->path(), records, deleted);
    w = Start();
    QVERIFY(w);
    Select(*w, CaseNamed(*w, QStringLiteral("P1751")));
    QCOMPARE(test::RunCommandLine(compact).status, 0);
    boxes.Clear();
    w->pop_deleteClick();
    QCOMPARE(boxes.seen.size(), size_t(2));
    QVERIFY(boxes.seen[1].text.startsWith(changed));
    live = liveNames();
    QCOMPARE(live.size(), size_t(2000));
    QCOMPARE(live["P2189"], 1);
    QCOMPARE(live["P1751"], 1);
  }

  // A comment of one long run without a break opportunity (which the editor
  // would take minutes to lay out whole) is shown cut into paragraphs, with
  // a word why; its text is all there, and saved back all there.
  void aCommentOfOneLongRunIsShownCut() {
    CaseRecord r = MakeRecord({"张三", "亲友", 1990});
    r.SetCommentName("张三_199003071030");
    WriteStore(dir_->path(), {r});
    const QString run(300000, u'a');
    SaveDocument(*dir_ / "Lumtar_f/张三_199003071030.rtf", run);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    View(*w, QStringLiteral("张三"));
    QTRY_VERIFY_WITH_TIMEOUT(!w->CommentLoading(), 120000);
    QCOMPARE(boxes.Texts(),
             QStringList{QStringLiteral("文中有1个段落超过4096字，已分成几段显示（文字都在）；保存时按分开的段落写入。")});
    QCOMPARE(w->RedtPingYu->document()->blockCount(), 74);
    QCOMPARE(w->RedtPingYu->toPlainText().remove(u'\n'), run);
    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts().last(), QStringLiteral("已保存编辑后的命例。"));
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030.rtf").remove(u'\n'), run);
    w->skipCloseSequence = true;
  }

  // A comment far longer than the editor lays out fluently (one run of a
  // million letters): the window goes on handling events while it is read,
  // the editor is given its beginning, with a word why, and saving waits for
  // the reading. Saved back unedited, the document stays byte for byte;
  // edited, the edit is saved with the rest after it, and the user is told.
  void aLongCommentIsReadInStepsAndSavedWhole() {
    CaseRecord r = MakeRecord({"张三", "亲友", 1990});
    r.SetCommentName("张三_199003071030");
    WriteStore(dir_->path(), {r});
    const QString text = QStringLiteral("开头") + QString(1000000, u'a') + QStringLiteral("结尾");
    const fs::path path = *dir_ / "Lumtar_f/张三_199003071030.rtf";
    SaveDocument(path, text);
    std::string stored;
    QVERIFY(ReadWholeFile(path, &stored));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    int ticksWhileReading = 0;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, [&] { ticksWhileReading += w->CommentLoading() ? 1 : 0; });
    probe.start();
    View(*w, QStringLiteral("张三"));
    QVERIFY(w->CommentLoading());
    QVERIFY(w->RedtPingYu->isReadOnly());
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts().last(), QStringLiteral("评语还在读取中，请稍候再保存。"));
    QTRY_VERIFY_WITH_TIMEOUT(!w->CommentLoading(), 120000);
    QVERIFY2(ticksWhileReading > 10, qPrintable(QString::number(ticksWhileReading)));
    QVERIFY(!w->RedtPingYu->isReadOnly());
    QVERIFY(!w->RedtPingYu->document()->isModified());
    const QString shown = w->RedtPingYu->toPlainText().remove(u'\n');
    QVERIFY(shown.size() > 290000 && shown.size() <= 300000);
    QVERIFY(text.startsWith(shown));
    QVERIFY2(boxes.Texts().last().startsWith(QStringLiteral("评语很长，共1000004字。")), qPrintable(boxes.Texts().last()));

    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts().last(), QStringLiteral("已保存编辑后的命例。"));
    std::string after;
    QVERIFY(ReadWholeFile(path, &after));
    QVERIFY(after == stored);

    QTextCursor(w->RedtPingYu->document()).insertText(QStringLiteral("新"));
    boxes.Clear();
    w->SbtoSaveClick();
    QVERIFY2(boxes.Texts().last().contains(QStringLiteral("其后未显示的")), qPrintable(boxes.Texts().last()));
    QCOMPARE(DocumentText(path).remove(u'\n'), QStringLiteral("新") + text);
    // Saved again unedited: what the edited save wrote.
    QVERIFY(ReadWholeFile(path, &stored));
    w->SbtoSaveClick();
    QVERIFY(ReadWholeFile(path, &after));
    QVERIFY(after == stored);
    w->skipCloseSequence = true;
  }

  // A comment document of several megabytes is read from disk in steps as
  // well, the window answering between them; its digest, taken in steps,
  // lets the unchanged case save back, and a document another program put
  // in its place meanwhile is not written over.
  void aLargeCommentIsReadFromDiskInSteps() {
    CaseRecord r = MakeRecord({"张三", "亲友", 1990});
    r.SetCommentName("张三_199003071030");
    WriteStore(dir_->path(), {r});
    QTextDocument source;
    source.setPlainText(QStringLiteral("X"));
    std::string stored = WriteRtf(source);
    stored.replace(stored.find('X'), 1, std::string(6 << 20, 'a'));
    const fs::path path = *dir_ / "Lumtar_f/张三_199003071030.rtf";
    QVERIFY(WriteWholeFileAtomic(path, stored));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    std::vector<std::uintmax_t> seen;  // bytes read from disk, at the ticks while reading
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, [&] {
      if (w->CommentLoading()) seen.push_back(w->CommentBytesRead());
    });
    probe.start();
    View(*w, QStringLiteral("张三"));
    QVERIFY(w->CommentLoading());
    QTRY_VERIFY_WITH_TIMEOUT(!w->CommentLoading(), 120000);
    probe.stop();
    const auto partly = std::count_if(seen.begin(), seen.end(), [&](std::uintmax_t n) { return n > 0 && n < stored.size(); });
    QVERIFY2(partly >= 2, qPrintable(QString::number(partly)));
    QVERIFY(w->RedtPingYu->toPlainText().size() > 290000);
    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.Texts().last(), QStringLiteral("已保存编辑后的命例。"));
    std::string after;
    QVERIFY(ReadWholeFile(path, &after));
    QVERIFY(after == stored);

    // Viewed again; another program puts a comment in its place while it is read.
    View(*w, QStringLiteral("张三"));
    QVERIFY(w->CommentLoading());
    QVERIFY(WriteWholeFileAtomic(path, "{\\rtf1 other}"));
    QTRY_VERIFY_WITH_TIMEOUT(!w->CommentLoading(), 120000);
    boxes.Clear();
    w->SbtoSaveClick();
    QVERIFY2(boxes.Texts().last().startsWith(QString::fromUtf8(kStoreChangedMessage)), qPrintable(boxes.Texts().join("|")));
    QVERIFY(ReadWholeFile(path, &after));
    QCOMPARE(after, std::string("{\\rtf1 other}"));
    w->skipCloseSequence = true;
  }

  // Two windows on one store view the same case; the second saves a new
  // comment. The first one's save is refused: the second one's comment is
  // not written over, and the first one's stays in its editor.
  void twoWindowsOnOneCaseLoseNoComment() {
    CaseRecord r = MakeRecord({"张三", "亲友", 1990});
    r.SetCommentName("张三_199003071030");
    WriteStore(dir_->path(), {r});
    SaveDocument(*dir_ / "Lumtar_f/张三_199003071030.rtf", QStringLiteral("原来的评语"));
    Boxes boxes;
    auto first = Start();
    auto second = Start();
    QVERIFY(first && second);
    View(*first, QStringLiteral("张三"));
    View(*second, QStringLiteral("张三"));
    EditComment(*second, QStringLiteral("第二个窗口的评语"));
    second->SbtoSaveClick();
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030.rtf"), QStringLiteral("第二个窗口的评语"));
    EditComment(*first, QStringLiteral("第一个窗口的评语"));
    boxes.Clear();
    first->SbtoSaveClick();
    QCOMPARE(boxes.seen.size(), size_t(2));
    QVERIFY(boxes.seen[1].text.startsWith(QString::fromUtf8(kStoreChangedMessage)));
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030.rtf"), QStringLiteral("第二个窗口的评语"));
    QCOMPARE(first->RedtPingYu->toPlainText(), QStringLiteral("第一个窗口的评语"));
    QCOMPARE(StoredCount(dir_->path()), 1);
    // Viewed again, the case saves from the first window too.
    View(*first, QStringLiteral("张三"));
    EditComment(*first, QStringLiteral("再写的评语"));
    boxes.Clear();
    first->SbtoSaveClick();
    QCOMPARE(boxes.Texts(), (QStringList{"要修改“张三”这条记录吗？", "已保存编辑后的命例。"}));
    QCOMPARE(DocumentText(*dir_ / "Lumtar_f/张三_199003071030.rtf"), QStringLiteral("再写的评语"));
    first->skipCloseSequence = second->skipCloseSequence = true;
  }

  void exportThenImportIntoAFreshProgramFolder() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    w->RedtPingYu->setPlainText(QStringLiteral("导出的评语"));
    w->SbtoSaveClick();
    Chart(*w, QStringLiteral("李四"));
    w->SbtoSaveClick();
    test::TempDir target;
    w->chooseExportFolder = [&](const QString&) { return QString::fromStdString(target.path().string()); };
    boxes.Clear();
    w->mnuF_exportClick();
    const std::string set = target.path().string() + "/Lumtar_导出数据/";
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("成功导出，已保存到") + QString::fromStdString(set) +
                                        QStringLiteral("目录下")});
    QVERIFY(FileExists(set + "Lumtar.dat"));
    QVERIFY(FileExists(set + "Lumtar_f/张三_199003071030.rtf"));
    // A cancelled chooser does nothing.
    boxes.Clear();
    w->chooseExportFolder = [](const QString&) { return QString(); };
    w->mnuF_exportClick();
    QVERIFY(boxes.seen.empty());
    w->skipCloseSequence = true;
    w.reset();

    // A fresh program folder with a case of its own.
    test::TempDir fresh;
    SetProgramDir(fresh.str());
    CreateDirectories(fresh / "dat");
    CreateDirectories(fresh / "Lumtar_f");
    CopyFileOverwrite(fs::path(LUMTAR_SOURCE_DIR) / "data/dili.ini", fresh / "dat/dili.ini");
    WriteStore(fresh.path(), {MakeRecord({"本地", "本地", 2000})});
    SaveDocument(fresh / "Lumtar_f/本地_doc.rtf", QStringLiteral("本地评语"));
    w = Start();
    QVERIFY(w);

    // Refusals leave everything as it was.
    struct Refusal {
      std::string file;
      const char* message;
    };
    test::TempDir noDocs;
    CopyFileOverwrite(set + "Lumtar.dat", noDocs / "Lumtar.dat");
    const std::vector<Refusal> refusals = {{set + "other.dat", "没有导入的数据文件！"},
                                           {(noDocs / "Lumtar.dat").string(), "没有导入的数据文件夹！"}};
    for (const Refusal& r : refusals) {
      boxes.Clear();
      w->chooseImportFile = [&](const QString&) { return QString::fromStdString(r.file); };
      w->mnuF_importClick();
      QCOMPARE(boxes.Texts(), (QStringList{"执行此操作将覆盖现有的历史记录，要继续吗？", QString::fromUtf8(r.message)}));
      QCOMPARE(boxes.seen[0].caption, QStringLiteral("注意了"));
      QCOMPARE(boxes.seen[0].buttons, MsgButtons::YesNoDefaultNo);
      QCOMPARE(StoredCount(fresh.path()), 1);
      QVERIFY(FileExists(fresh / "Lumtar_f/本地_doc.rtf"));
    }

    // The file's name in another letter case is accepted.
    RenameFile(set + "Lumtar.dat", set + "LUMTAR.DAT");
    boxes.Clear();
    boxes.answers[kCloseQuestion] = false;
    w->chooseImportFile = [&](const QString&) { return QString::fromStdString(set + "LUMTAR.DAT"); };
    w->mnuF_importClick();
    QCOMPARE(boxes.Texts(), (QStringList{"执行此操作将覆盖现有的历史记录，要继续吗？", "成功导入，请重启软件！", kCloseQuestion}));
    QCOMPARE(StoredCount(fresh.path()), 2);
    QCOMPARE(QString::fromStdString(ReadBack(fresh.path(), 1).NameUtf8()), QStringLiteral("李四"));
    QCOMPARE(DocumentText(fresh / "Lumtar_f/张三_199003071030.rtf"), QStringLiteral("导出的评语"));
    QVERIFY(!FileExists(fresh / "Lumtar_f/本地_doc.rtf"));
    // Declining to close leaves a window that lists the imported store.
    QVERIFY(w->isVisible());
    QCOMPARE(ChildTexts(ClassNamed(*w, QStringLiteral("朋友"))),
             (QStringList{"李四  公1990-3-7|1", "张三  公1990-3-7|0"}));
    QVERIFY(!ClassNamed(*w, QStringLiteral("本地")));
    // Yes closes it through the close sequence.
    boxes.answers.clear();
    boxes.Clear();
    w->chooseImportFile = [&](const QString&) { return QString::fromStdString(set + "LUMTAR.DAT"); };
    w->mnuF_importClick();
    QVERIFY(boxes.Texts().contains(kCloseQuestion));
    QVERIFY(!w->isVisible());
    w.reset();
    SetProgramDir(dir_->str());
  }

  // 导出历史记录 into a folder typed in the chooser that does not exist yet:
  // it is created once the user confirms; declined, the chooser stays open.
  void exportIntoATypedNewFolder() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    w->SbtoSaveClick();
    test::TempDir target;
    const fs::path declined = target / "不要";
    const fs::path wanted = target / "新建/备份";
    const QString question = QStringLiteral("文件夹“%1”不存在，要创建它吗？");
    boxes.answers[question.arg(QString::fromStdString(declined.string()))] = false;
    bool declinedStaysOpen = false;
    QTimer::singleShot(0, [&] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(chooser);
      auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name);
      name->setText(QString::fromStdString(declined.string()));
      static_cast<QDialog*>(chooser)->accept();
      declinedStaysOpen = chooser->isVisible() && !DirectoryExists(declined);
      name->setText(QString::fromStdString(wanted.string()));
      static_cast<QDialog*>(chooser)->accept();
    });
    boxes.Clear();
    w->mnuF_exportClick();
    QVERIFY(declinedStaysOpen);
    QVERIFY(DirectoryExists(wanted));
    const std::string set = wanted.string() + "/Lumtar_导出数据/";
    QVERIFY(FileExists(set + "Lumtar.dat"));
    QCOMPARE(boxes.Texts(), (QStringList{question.arg(QString::fromStdString(declined.string())),
                                         question.arg(QString::fromStdString(wanted.string())),
                                         QStringLiteral("成功导出，已保存到") + QString::fromStdString(set) +
                                             QStringLiteral("目录下")}));
    w->skipCloseSequence = true;
  }

  // The chooser of 导出历史记录 and the file dialog of 导入历史记录 open in
  // the folder last chosen in them, in this session and after a restart;
  // a folder gone since gives the program folder again, and the home
  // folder for an import (a store to import comes from elsewhere).
  void storeDialogsOpenWhereTheyWereLastUsed() {
    Boxes boxes;
    test::TempDir elsewhere;
    const QString programFolder = QString::fromStdString(ProgramDir());
    const QString exportTo = QString::fromStdString((elsewhere / "备份").string());
    CreateDirectories(elsewhere / "备份");
    QStringList offered;
    auto w = Start();
    QVERIFY(w);
    w->chooseExportFolder = [&](const QString& folder) {
      offered << folder;
      return exportTo;
    };
    w->chooseImportFile = [&](const QString& folder) {
      offered << folder;
      return QString();  // cancelled: nothing imported, nothing remembered
    };
    w->mnuF_exportClick();
    w->mnuF_exportClick();
    w->mnuF_importClick();
    QCOMPARE(offered, (QStringList{programFolder, exportTo, QDir::homePath()}));
    // An import whose file is then refused still remembers its folder.
    const QString other = QString::fromStdString((elsewhere / "备份/other.dat").string());
    w->chooseImportFile = [&](const QString& folder) {
      offered << folder;
      return other;
    };
    w->mnuF_importClick();
    w->mnuF_importClick();
    QCOMPARE(offered.mid(3), (QStringList{QDir::homePath(), exportTo}));
    w->skipCloseSequence = true;
    w.reset();

    offered.clear();
    w = Start();
    QVERIFY(w);
    w->chooseExportFolder = [&](const QString& folder) {
      offered << folder;
      return QString();
    };
    w->chooseImportFile = w->chooseExportFolder;
    w->mnuF_exportClick();
    w->mnuF_importClick();
    QCOMPARE(offered, (QStringList{exportTo, exportTo}));
    IniFile ini(xminit_);
    QCOMPARE(QString::fromStdString(ini.ReadString("folders", "export", "")), exportTo);
    QCOMPARE(QString::fromStdString(ini.ReadString("folders", "import", "")), exportTo);
    w->skipCloseSequence = true;
    w.reset();

    std::filesystem::remove_all(elsewhere / "备份");
    offered.clear();
    w = Start();
    QVERIFY(w);
    w->chooseExportFolder = [&](const QString& folder) {
      offered << folder;
      return QString();
    };
    w->mnuF_exportClick();
    QCOMPARE(offered, QStringList{programFolder});
    w->skipCloseSequence = true;
  }
};

QTEST_MAIN(CasesUiTest)
#include "test_cases_ui.moc"
