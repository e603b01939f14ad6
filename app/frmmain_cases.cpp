// The case tree, saving and viewing cases, and the menus that work on the
// case store as a whole.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <iterator>
#include <string>

#include "caseclasses.h"
#include "caseicons.h"
#include "chartheader.h"
#include "database.h"
#include "dateinputs.h"
#include "editordialogs.h"
#include "eras.h"
#include "rivalcalendars.h"
#include "files.h"
#include "frmfenlei.h"
#include "frmmain.h"
#include "frmsearch.h"
#include "inifile.h"
#include "msgbox.h"
#include "picturebox.h"
#include "places.h"
#include "rtf.h"
#include "script.h"
#include "vovirer.h"

namespace lumtar {
namespace {

constexpr int kStartUpCases = 1000;
// A search or 显示全部命例 that lists at most this many cases shows them at
// once, their classes open.
constexpr int kFewFoundCases = 50;
// The image index of a node (CaseImage), beside its picture.
constexpr int kImageRole = Qt::UserRole + 1;
// The digest of a case node's record as read (CaseKey): a change through the
// node is refused when the record in its slot is another now.
constexpr int kDigestRole = Qt::UserRole + 2;

const QString kAppCaption = QString::fromUtf8(kAppTitle);
const QString kSaveFailed =
    QStringLiteral("命例没有保存：文件 dat/Lumtar.dat 或评语文件无法写入。");
const QString kSelectCase = QStringLiteral("请先选择一个命例！");
const QString kClassNameRule = QStringLiteral("类别名不能为空，并且最多可以有6个汉字！");

QTreeWidgetItem* MakeNode(const QString& text, int image) {
  auto* node = new QTreeWidgetItem(QStringList{text});
  node->setIcon(0, CaseIcon(image));
  node->setData(0, kImageRole, image);
  return node;
}

int ImageOf(const CaseRecord& r) { return r.isMale != 0 ? kImageMale : kImageFemale; }

// The era form of a case's lunar date from 619 to 1911, the years of the
// calendars in use ("清康熙五十年八月十三日"): the date entered, or the lunar
// date of the civil date entered; empty for other years and for a date that
// does not exist.
std::string CaseEraText(const CaseRecord& r) {
  if (r.year < kFirstYear || r.year > 1912 || r.month < 1 || r.month > 12 || r.day < 1 || r.day > 30) return {};
  if (r.isLunar == 1) {
    // On the calendar it was read on, the month named as that calendar did.
    const CaseCalendar read = CaseCalendarOf(r);
    std::string monthName;
    if (read.monthOccurrence != 0)
      for (const calendar::LunarMonthEntry& m : calendar::MonthsOfLunarYear(calendar::LunarCalendar::kCentral, r.year))
        if (m.month == r.month && m.leap == (r.isLeapMonth == 1) && m.occurrence == read.monthOccurrence &&
            m.name.find('(') == std::string::npos)
          monthName = m.name;
    return calendar::EraDateTextOn(static_cast<calendar::LunarCalendar>(read.lunarCalendar), r.year, r.month,
                                   r.isLeapMonth == 1, r.day, monthName);
  }
  static calendar::MYiDateEx dates;
  const DateTime civil{r.year, r.month, r.day, 12, 0};
  if (!dates.IsValidSolarDate(civil)) return {};
  DateTime lunar;
  const bool leap = dates.SolarToLunar(civil, lunar);
  return calendar::EraDateText(lunar.year, lunar.month, leap, lunar.day);
}

// The case as the tree shows it, with the era form of its date from 619 to
// 1911 before the slot: "张三  农1711-8-13 清康熙五十年八月十三日|5".
QString CaseNodeText(const CaseRecord& r) {
  std::string text = CaseText(r);
  // A civil date before 1582-10-15 is a Julian one: "公1036-12-19(儒略历)".
  if (r.isLunar != 1 && IsJulianCalendarDate(r.year, r.month, r.day))
    text.insert(text.rfind('|'), InScript(kJulianMark));
  const std::string era = CaseEraText(r);
  if (!era.empty()) text.insert(text.rfind('|'), " " + era);
  return QString::fromStdString(text);
}

// A case node's picture, text and key.
void ShowCase(QTreeWidgetItem* node, const CaseRecord& r) {
  node->setText(0, CaseNodeText(r));
  node->setIcon(0, CaseIcon(ImageOf(r)));
  node->setData(0, kImageRole, ImageOf(r));
  node->setData(0, kDigestRole, QVariant::fromValue<qulonglong>(KeyOf(r).digest));
}

QTreeWidgetItem* MakeCaseNode(const CaseRecord& r) {
  auto* node = new QTreeWidgetItem;
  ShowCase(node, r);
  return node;
}

// 0 the root, 1 a class, 2 a case.
int Level(const QTreeWidgetItem* node) {
  int level = 0;
  for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent()) ++level;
  return level;
}

// The slot a case node stands for: the number after its last '|'.
int SlotOfCaseText(const QString& text) {
  const qsizetype bar = text.lastIndexOf(QLatin1Char('|'));
  if (bar < 0) return -1;
  bool ok = false;
  const int slot = text.mid(bar + 1).toInt(&ok);
  return ok ? slot : -1;
}

// The case a node stands for, as the tree read it.
CaseKey KeyOfNode(const QTreeWidgetItem* node) {
  return {SlotOfCaseText(node->text(0)), node->data(0, kDigestRole).toULongLong()};
}

std::vector<CaseKey> KeysOfChildren(const QTreeWidgetItem* node) {
  std::vector<CaseKey> keys;
  for (int i = 0; i < node->childCount(); ++i) keys.push_back(KeyOfNode(node->child(i)));
  return keys;
}

void SetExpandedAll(QTreeWidgetItem* node, bool expanded) {
  node->setExpanded(expanded);
  for (int i = 0; i < node->childCount(); ++i) SetExpandedAll(node->child(i), expanded);
}

// Menu captions show '&' as written, not as an accelerator mark.
QString LiteralCaption(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// A right button press on the tree tells the window before the menu opens
// and leaves the selection as it is: the menu acts on the selected node,
// not on the one under the pointer.
class TreeMouseHook : public QObject {
 public:
  TreeMouseHook(QObject* parent, std::function<void()> rightDown)
      : QObject(parent), rightDown_(std::move(rightDown)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress) return false;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) return false;
    rightDown_();
    return true;
  }

 private:
  std::function<void()> rightDown_;
};

// A tooltip with the whole text of a tree item that the tree's width cuts.
class TreeTipHook : public QObject {
 public:
  explicit TreeTipHook(QTreeWidget* tree) : QObject(tree), tree_(tree) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    QTreeWidgetItem* item = tree_->itemAt(help->pos());
    if (item && Cut(item))
      QToolTip::showText(help->globalPos(), item->text(0), tree_->viewport(), tree_->visualItemRect(item));
    else
      QToolTip::hideText();
    return true;
  }

 private:
  // True when part of the item's text lies outside the tree's view.
  bool Cut(QTreeWidgetItem* item) const {
    QStyleOptionViewItem option;
    option.initFrom(tree_);
    option.rect = tree_->visualItemRect(item);
    option.text = item->text(0);
    option.icon = item->icon(0);
    option.font = tree_->font();
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const int icon = tree_->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, tree_);
    option.decorationSize = tree_->iconSize().isValid() ? tree_->iconSize() : QSize(icon, icon);
    const QRect text = tree_->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, tree_);
    const int right = text.left() + tree_->fontMetrics().horizontalAdvance(item->text(0));
    return text.left() < 0 || right > tree_->viewport()->width();
  }

  QTreeWidget* tree_;
};

// The input panel set from a stored case.
void FillPanelFromCase(TFrmMain& w, const CaseRecord& r) {
  w.UpDyear->setPosition(r.year - kInputFirstYear);
  w.EdtYear->setText(QString::number(r.year <= 0 ? r.year - 1 : r.year));
  w.cbom->setCurrentIndex(r.month - 1);
  w.cbod->setCurrentIndex(r.day - 1);
  w.cbos->setCurrentIndex(r.hour);
  w.cbomin->setCurrentIndex(r.minute);
  (r.isLunar != 0 ? w.Rdonl : w.Rdogl)->setChecked(true);
  w.Chkrun->setChecked(r.isLeapMonth != 0);
  (r.isMale != 0 ? w.Rdona : w.Rdonv)->setChecked(true);
  w.Edtname->setText(QString::fromStdString(r.NameUtf8()));
  const CaseClock clock = CaseClockOf(r);
  const bool listed = r.timeZoneIndex >= 0 && r.timeZoneIndex < kTimeZoneCount;
  w.Cboshiqu->setCurrentIndex(!clock.timeZone.empty() ? kLocalTimeZoneIndex : listed ? r.timeZoneIndex : -1);
  w.cbodiZ->setCurrentIndex(r.provinceIndex);
  w.cbodiZClick();
  w.cbodiC->setCurrentIndex(r.cityIndex >= 0 && r.cityIndex < w.cbodiC->count() ? r.cityIndex : 0);
  w.cbodiCClick();
  // The stored coordinates, whatever the city's are.
  w.ledtjing->setText(QString::fromStdString(CoordinateBoxText(r.longitude)));
  w.ledtwei->setText(QString::fromStdString(CoordinateBoxText(r.latitude)));
  // The atlas place and the clock the case was charted on.
  w.pickedPlace.reset();
  if (clock.placeId != 0) w.pickedPlace = w.Places().AtlasPlaceById(clock.placeId);
  w.EdtPlace->setText(w.pickedPlace ? QString::fromStdString(w.pickedPlace->name) : QString());
  w.PlaceChanged();
  if (!clock.timeZone.empty()) {
    w.localZone = QString::fromStdString(clock.timeZone);
    w.Cboshiqu->setItemText(kLocalTimeZoneIndex, QStringLiteral("当地时间 (%1)").arg(w.localZone));
  }
  w.ChkStandardTime->setChecked(clock.dstChoice == static_cast<uint8_t>(DstChoice::Standard));
  w.UpdateClockIndicator();
  // The era and month the lunar date was read on.
  const CaseCalendar calendar = CaseCalendarOf(r);
  w.ShowEraOfCase(calendar.lunarCalendar, calendar.monthOccurrence);
}

// The chart request of a viewed case: the panel as the natal-chart button
// reads it, but the coordinates, the time zone and the clock as stored.
ChartRequest RequestOfViewedCase(TFrmMain& w, const CaseRecord& stored) {
  ChartRequest r;
  r.year = static_cast<int16_t>(YearOfText(w.EdtYear->text()));
  r.month = static_cast<int16_t>(w.cbom->currentIndex() + 1);
  r.day = static_cast<int16_t>(w.cbod->currentIndex() + 1);
  r.hour = static_cast<int16_t>(w.cbos->currentIndex());
  r.minute = static_cast<int16_t>(w.cbomin->currentIndex());
  r.isLunar = w.Rdonl->isChecked() ? 1 : 0;
  r.isLeapMonth = w.Chkrun->isChecked() ? 1 : 0;
  r.isMale = w.Rdona->isChecked() ? 1 : 0;
  r.cityIndex = static_cast<int16_t>(w.cbodiC->currentIndex());
  r.provinceIndex = static_cast<int16_t>(w.cbodiZ->currentIndex());
  r.SetName(w.Edtname->text().toStdString());
  r.longitude = stored.longitude;
  r.latitude = stored.latitude;
  // The place the case stands for: its atlas place or its city while the
  // stored coordinates lie near it, else 未知地.
  r.SetPlaceName(w.CurrentPlace().name);
  CopyCaseClockToRequest(stored, &r);
  // A zone outside the list stays outside it (the engine refuses it) rather
  // than wrapping into the list's range.
  r.timeZoneIndex = static_cast<int8_t>(
      stored.timeZoneIndex >= 0 && stored.timeZoneIndex < kTimeZoneCount ? stored.timeZoneIndex : -1);
  return r;
}

}  // namespace

// ---- the tree

std::vector<int> TFrmMain::StartUpSlots() const {
  std::vector<int> slotList;
  const int count = DataBase->RecordCount();
  for (int slot = count - 1; slot >= count - kStartUpCases && slot >= 0; --slot) slotList.push_back(slot);
  return slotList;
}

void TFrmMain::FillTree(const std::vector<int>& slotList) {
  Tree->setUpdatesEnabled(false);
  Tree->clear();
  QTreeWidgetItem* root = MakeNode(QStringLiteral("命例"), kImageRoot);
  Tree->addTopLevelItem(root);

  // Classes by folded name, the first of equal names taking the cases.
  QList<QTreeWidgetItem*> classes;
  std::vector<QList<QTreeWidgetItem*>> cases;
  QHash<QString, int> classOf;
  auto addClass = [&](const QString& name) {
    classes.append(MakeNode(name, kImageClass));
    cases.emplace_back();
    const int index = static_cast<int>(classes.size()) - 1;
    const QString key = FoldedClassName(name);
    if (!classOf.contains(key)) classOf.insert(key, index);
    return index;
  };
  if (XmInit)
    for (const QString& name : ReadClassList(*XmInit, QString())) addClass(name);
  bool scanning = DataBase->BeginScan();
  std::vector<int> fresh;
  if (!scanning && DataBase->LastFault() == StoreFault::kChanged) {
    // The slots belong to a numbering another program replaced: the newest
    // cases of the store as it is now instead.
    DataBase->Adopt();
    LeaveViewedCase();
    fresh = StartUpSlots();
    scanning = DataBase->BeginScan();
  }
  const std::vector<int>& slotsToShow = fresh.empty() ? slotList : fresh;
  if (scanning) {
    CaseRecord record;
    for (int slot : slotsToShow) {
      if (!DataBase->ReadScanned(slot, &record)) continue;
      const QString className = ShownClassName(QString::fromStdString(record.ClassNameUtf8()));
      auto it = classOf.constFind(FoldedClassName(className));
      const int index = it != classOf.constEnd() ? it.value() : addClass(className);
      cases[static_cast<size_t>(index)].append(MakeCaseNode(record));
    }
    DataBase->EndScan();
  }
  // Whole lists at once: far cheaper than a node at a time.
  root->addChildren(classes);
  for (qsizetype i = 0; i < classes.size(); ++i) classes[i]->addChildren(cases[static_cast<size_t>(i)]);
  Tree->setUpdatesEnabled(true);
  root->setExpanded(true);
}

void TFrmMain::OpenFewFoundCases() {
  QTreeWidgetItem* root = Tree->topLevelItem(0);
  if (!root) return;
  int cases = 0;
  for (int i = 0; i < root->childCount(); ++i) cases += root->child(i)->childCount();
  if (cases > kFewFoundCases) return;
  for (int i = 0; i < root->childCount(); ++i)
    if (root->child(i)->childCount() > 0) root->child(i)->setExpanded(true);
}

void TFrmMain::RefreshCaseNodeTexts() {
  QTreeWidgetItem* root = Tree->topLevelItemCount() ? Tree->topLevelItem(0) : nullptr;
  if (!root) return;
  CaseRecord r;
  for (int c = 0; c < root->childCount(); ++c)
    for (int k = 0; k < root->child(c)->childCount(); ++k) {
      QTreeWidgetItem* node = root->child(c)->child(k);
      const int slot = SlotOfCaseText(node->text(0));
      if (slot >= 0 && DataBase->ReadRecord(slot, &r)) ShowCase(node, r);
    }
}

QTreeWidgetItem* TFrmMain::ClassNode(const QString& name) const {
  QTreeWidgetItem* root = Tree->topLevelItem(0);
  if (!root) return nullptr;
  for (int i = 0; i < root->childCount(); ++i)
    if (SameClassName(root->child(i)->text(0), name)) return root->child(i);
  return nullptr;
}

QStringList TFrmMain::TreeClassNames() const {
  QStringList names;
  if (const QTreeWidgetItem* root = Tree->topLevelItem(0))
    for (int i = 0; i < root->childCount(); ++i) names << root->child(i)->text(0);
  return names;
}

QTreeWidgetItem* TFrmMain::CaseNode(int slot) const {
  QTreeWidgetItem* root = Tree->topLevelItem(0);
  if (!root) return nullptr;
  for (int i = 0; i < root->childCount(); ++i) {
    QTreeWidgetItem* cls = root->child(i);
    for (int k = 0; k < cls->childCount(); ++k)
      if (SlotOfCaseText(cls->child(k)->text(0)) == slot) return cls->child(k);
  }
  return nullptr;
}

namespace {

QTreeWidgetItem* SelectedNode(const QTreeWidget* tree) {
  const QList<QTreeWidgetItem*> selected = tree->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

}  // namespace

int TFrmMain::SelectedCaseSlot() const {
  const QTreeWidgetItem* node = SelectedNode(Tree);
  return node && Level(node) == 2 ? SlotOfCaseText(node->text(0)) : -1;
}

void TFrmMain::BuildTreeMenu() {
  PopupTree = new QMenu(Tree);
  pop_view = PopupTree->addAction(QStringLiteral("查看命例"));
  pop_move = PopupTree->addMenu(QStringLiteral("移动到"));
  pop_delete = PopupTree->addAction(QStringLiteral("删除命例"));
  PopupTree->addSeparator();
  pop_class_add = PopupTree->addAction(QStringLiteral("增加类别"));
  pop_class_rename = PopupTree->addAction(QStringLiteral("修改类名"));
  pop_class_delete = PopupTree->addAction(QStringLiteral("删除类别"));
  pop_class_save = PopupTree->addAction(QStringLiteral("保存类别"));
  PopupTree->addSeparator();
  pop_search = PopupTree->addAction(QStringLiteral("查找"));
  pop_showall = PopupTree->addAction(QStringLiteral("显示全部命例"));
  PopupTree->addSeparator();
  pop_expand = PopupTree->addAction(QStringLiteral("展开"));
  pop_collapse = PopupTree->addAction(QStringLiteral("收缩"));

  connect(pop_view, &QAction::triggered, this, [this] { pop_viewClick(); });
  connect(pop_delete, &QAction::triggered, this, [this] { pop_deleteClick(); });
  connect(pop_class_add, &QAction::triggered, this, [this] { pop_class_addClick(); });
  connect(pop_class_rename, &QAction::triggered, this, [this] { pop_class_renameClick(); });
  connect(pop_class_delete, &QAction::triggered, this, [this] { pop_class_deleteClick(); });
  connect(pop_class_save, &QAction::triggered, this, [this] { pop_class_saveClick(); });
  connect(pop_search, &QAction::triggered, this, [this] { pop_searchClick(); });
  connect(pop_showall, &QAction::triggered, this, [this] { pop_showallClick(); });
  connect(pop_expand, &QAction::triggered, this, [this] { pop_expandClick(); });
  connect(pop_collapse, &QAction::triggered, this, [this] { pop_collapseClick(); });

  // Case texts are shown whole, with a scroll bar when the tree is narrow.
  Tree->setTextElideMode(Qt::ElideNone);
  Tree->header()->setStretchLastSection(false);
  Tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  Tree->setSelectionMode(QAbstractItemView::SingleSelection);
  Tree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Tree, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupTree->popup(Tree->viewport()->mapToGlobal(pos)); });
  connect(Tree, &QTreeWidget::itemDoubleClicked, this, [this] { pop_viewClick(); });
  Tree->viewport()->installEventFilter(new TreeMouseHook(Tree, [this] { TreeRightMouseDown(); }));
  Tree->viewport()->installEventFilter(new TreeTipHook(Tree));
}

void TFrmMain::TreeRightMouseDown() {
  QTreeWidgetItem* node = SelectedNode(Tree);
  if (!node) return;
  const int level = Level(node);
  const bool isCase = level >= 2, isClass = level == 1;
  for (QAction* a : {pop_view, pop_move->menuAction(), pop_delete}) a->setEnabled(isCase);
  for (QAction* a : {pop_class_add, pop_class_save, pop_search, pop_showall}) a->setEnabled(true);
  for (QAction* a : {pop_class_rename, pop_class_delete}) a->setEnabled(isClass);
  for (QAction* a : {pop_expand, pop_collapse}) a->setEnabled(!isCase);
  if (!isCase) return;

  // Every class but the case's own, in tree order.
  pop_move->clear();
  const QTreeWidgetItem* own = node->parent();
  const QTreeWidgetItem* root = own->parent();
  for (int i = 0; i < root->childCount(); ++i) {
    if (root->child(i) == own) continue;
    QAction* entry = pop_move->addAction(LiteralCaption(root->child(i)->text(0)));
    entry->setData(i);
    connect(entry, &QAction::triggered, this, [this, i] { MoveCaseTo(i); });
  }
}

void TFrmMain::MoveCaseTo(int classPosition) {
  QTreeWidgetItem* node = SelectedNode(Tree);
  const int slot = SelectedCaseSlot();
  QTreeWidgetItem* root = Tree->topLevelItem(0);
  if (slot < 0 || !root || classPosition < 0 || classPosition >= root->childCount()) return;
  QTreeWidgetItem* target = root->child(classPosition);
  const std::string className = target->text(0).toStdString();
  std::vector<CaseKey> renamed;
  if (!DataBase->SetClassName({KeyOfNode(node)}, className, &renamed)) {
    ReportStoreFault();
    return;
  }
  // A later "存旧" writes the viewed case back in its new class.
  if (caseLoaded && slot == loadedSlot) {
    currentCase.SetClassName(className);
    viewedCase.record.SetClassName(className);
  }
  QTreeWidgetItem* moved = MakeNode(node->text(0), node->data(0, kImageRole).toInt());
  moved->setData(0, kDigestRole, QVariant::fromValue<qulonglong>(renamed.front().digest));
  delete node;
  target->addChild(moved);
}

// ---- saving

void TFrmMain::ShowSaveMode(bool savesViewedCase) {
  SbtoSave->setText(savesViewedCase ? QStringLiteral("存旧") : QStringLiteral("存新"));
  SbtoSave->setStyleSheet(savesViewedCase ? QStringLiteral("color: #0000ff;") : QString());
}

void TFrmMain::LeaveViewedCase() {
  caseLoaded = false;
  loadedSlot = -1;
  loadedCommentPath.clear();
  viewedCase = ViewedCase{};
  ShowSaveMode(false);
}

void TFrmMain::ReportStoreFault(bool unsaved) {
  const StoreFault fault = DataBase->LastFault();
  QString text = QString::fromStdString(fault == StoreFault::kNone ? std::string(kStoreFailedMessage)
                                                                    : DataBase->FaultText());
  if (fault == StoreFault::kChanged) {
    // Every slot the window holds may name another case now.
    DataBase->Adopt();
    LeaveViewedCase();
    FillTree(StartUpSlots());
    text += QStringLiteral("\r\n命例列表已重新读取，请重新查看命例。");
  }
  if (unsaved) text += QStringLiteral("\r\n编辑框中的评语没有保存，仍留在编辑框中。");
  ShowMessage(this, text, QStringLiteral("错误"), MsgIcon::Error);
}

namespace {

int RunDialog(const std::function<int(QDialog&)>& hook, QDialog& dialog) {
  return hook ? hook(dialog) : dialog.exec();
}

}  // namespace

void TFrmMain::SbtoSaveClick() {
  if (CommentLoading()) {
    ShowMessage(this, QStringLiteral("评语还在读取中，请稍候再保存。"), QStringLiteral("提示"), MsgIcon::Information);
    return;
  }
  if (caseLoaded) {
    // Back into the viewed case's slot, with its class and comment name.
    if (!AskYesNo(this, QStringLiteral("要修改“%1”这条记录吗？").arg(Verbatim(QString::fromStdString(currentCase.NameUtf8()))),
                  QStringLiteral("提示"), MsgIcon::Information))
      return;
    // The store writes the document and the record together, and only
    // while both are still what the view read.
    CaseRecord record = currentCase;
    const bool editedInPart = !commentRest.empty() && RedtPingYu->document()->isModified();
    const std::string document = CommentDocument();
    if (!DataBase->SaveCase(&viewedCase, &record, document)) {
      if (DataBase->LastFault() == StoreFault::kFailed) {
        ShowMessage(this, kSaveFailed, QStringLiteral("错误"), MsgIcon::Error);
      } else {
        ReportStoreFault(RedtPingYu->document()->isModified());
      }
      return;
    }
    currentCase = record;
    loadedCommentPath = DataBase->CommentPath(currentCase);
    CommentStored(document);
    RedtPingYu->document()->setModified(false);
    if (QTreeWidgetItem* node = CaseNode(loadedSlot)) ShowCase(node, viewedCase.record);
    QString saved = QStringLiteral("已保存编辑后的命例。");
    if (editedInPart)
      saved += QStringLiteral("\r\n评语只有编辑框中的开头部分可以编辑；其后未显示的%1字已原样接在后面保存。")
                   .arg(commentRest.Length());
    ShowMessage(this, saved, kAppCaption);
    return;
  }
  // Birth data changed in the panel since the chart was made: what is saved
  // is what the panel shows, charted again (a refusal of the entries stops
  // the save with its own message).
  if (natalChartShown && PanelEntries() != chartedEntries) {
    BtnpaiClick();
    if (!natalChartShown) return;
  }
  if (!natalChartShown) {
    ShowMessage(this, QStringLiteral("请先排一个正确的盘后再保存"), QStringLiteral("提示"), MsgIcon::Information);
    return;
  }

  TFrmFenLei dialog(XmInit.get(), this, TreeClassNames());
  if (RunDialog(runCaseDialog, dialog) != QDialog::Accepted) return;
  CaseRecord record = currentCase;
  // A new record is written as the layout says: the reserved bytes zero
  // but for the clock of the chart on screen, whatever a case viewed before
  // (perhaps written elsewhere) held there.
  SetCaseClock(chartRequest, &record);
  record.SetClassName(dialog.className.toStdString());
  const std::string document = CommentDocument();
  if (!DataBase->AddCase(&record, document)) {
    if (DataBase->LastFault() == StoreFault::kFailed) ShowMessage(this, kSaveFailed, QStringLiteral("错误"), MsgIcon::Error);
    else ReportStoreFault();
    return;
  }
  currentCase = record;
  CommentStored(document);

  QTreeWidgetItem* root = Tree->topLevelItem(0);
  if (!root) return;
  const QString className = QString::fromStdString(record.ClassNameUtf8());
  QTreeWidgetItem* classNode = ClassNode(className);
  if (!classNode) {
    classNode = MakeNode(className, kImageClass);
    root->addChild(classNode);
  }
  classNode->addChild(MakeCaseNode(record));
  SetExpandedAll(classNode, true);
}

// ---- viewing

void TFrmMain::pop_viewClick() {
  const int slot = SelectedCaseSlot();
  if (slot < 0) {
    ShowMessage(this, kSelectCase, kAppCaption);
    return;
  }
  ViewedCase viewed;
  DocumentReader document;  // read from disk in steps as well
  if (!DataBase->ReadCase(slot, &viewed, &document)) {
    // A deleted case stays silent; a store another program changed is
    // read again.
    if (DataBase->LastFault() != StoreFault::kNone) ReportStoreFault();
    return;
  }
  const CaseRecord& record = viewed.record;
  AskSaveComment();

  currentCase = record;
  FillPanelFromCase(*this, record);
  natalChartShown = 0;
  // The case on the panel is no longer the one a save would write back:
  // leave it, so that its slot cannot receive this record.
  if (Edtname->text().isEmpty()) {
    LeaveViewedCase();
    ShowMessage(this, QStringLiteral("姓名不能为空"), QStringLiteral("提示"), MsgIcon::Information);
    return;
  }
  const int year = YearOfText(EdtYear->text());
  if (!InputYearTakes(year, Rdonl->isChecked())) {
    LeaveViewedCase();
    ShowMessage(this, QStringLiteral("年份必须在619-2100年之间"), QStringLiteral("年份错误"), MsgIcon::Warning);
    EdtYear->setFocus();
    return;
  }
  chartRequest = RequestOfViewedCase(*this, record);

  caseLoaded = true;
  loadedSlot = slot;
  loadedCommentPath = DataBase->CommentPath(record);
  viewedCase = viewed;
  if (viewed.document != ViewedCase::Document::kNone) {
    StopComment();
    RedtPingYu->clear();
    if (viewed.document == ViewedCase::Document::kRead)
      ReadComment(std::move(document));
    else
      CommentUnreadable(viewed.document == ViewedCase::Document::kTooLarge ? QStringLiteral("文件过大")
                                                                           : QStringLiteral("无法读取文件"));
  }

  if (!VoVirer) return;
  if (!VoVirer->ComputeNatal(chartRequest)) {
    ShowMessage(this, QString::fromStdString(VoVirer->lastError), QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  const bool local = !chartRequest.TimeZoneName().empty();
  natalPlaceZone = CurrentPlace().timeZone;
  annualTimeZoneIndex = local ? kLocalTimeZoneIndex : chartRequest.timeZoneIndex;
  annualMomentJd = local ? VoVirer->model.inputJd : VoVirer->BirthJulianDay();
  Imgzhanxing->update();
  RedtPingYu->document()->setModified(false);
  natalChartShown = 1;
  chartedEntries = PanelEntries();
  ShowSaveMode(true);
  PageMain->setCurrentIndex(0);
}

// ---- deleting and moving

void TFrmMain::pop_deleteClick() {
  const int slot = SelectedCaseSlot();
  if (slot < 0) {
    ShowMessage(this, kSelectCase, kAppCaption);
    return;
  }
  QTreeWidgetItem* node = SelectedNode(Tree);
  const QString name = node->text(0).section(QLatin1Char(' '), 0, 0);
  if (!AskYesNo(this, QStringLiteral("确定要删除“") + Verbatim(name) + QStringLiteral("”这个命例吗？"), QStringLiteral("注意"),
                MsgIcon::Warning, true))
    return;
  const bool viewed = caseLoaded && slot == loadedSlot;
  if (viewed) {
    if (!AskYesNo(this, QStringLiteral("确定要删除当前正在查看的命例吗？"), QStringLiteral("提示"), MsgIcon::Warning))
      return;
  }
  // The record first, then its document: when the store cannot be written
  // the case stays whole, document and node included.
  if (!DataBase->DeleteCases({KeyOfNode(node)})) {
    ReportStoreFault();
    return;
  }
  if (viewed) {
    RedtDuan->clear();
    natalChartShown = 0;
  }
  delete node;
  // Saving must not bring the deleted case back.
  if (viewed) LeaveViewedCase();
}

// ---- classes

namespace {

bool InputText(const TFrmMain& w, QWidget* owner, const QString& title, const QString& prompt, QString* text) {
  if (w.inputCaseText) return w.inputCaseText(title, prompt, text);
  bool ok = false;
  const QString typed = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, *text, &ok);
  if (ok) *text = typed;
  return ok;
}

bool ValidTreeClassName(const QString& name) {
  const int bytes = GbkByteLength(name);
  return bytes > 0 && bytes <= kMaxTreeClassBytes && GbkCanHold(name);
}

}  // namespace

void TFrmMain::pop_class_addClick() {
  QTreeWidgetItem* root = Tree->topLevelItem(0);
  if (!root) return;
  QString name = QStringLiteral("新类别");
  if (!InputText(*this, this, QStringLiteral("新建类别"), QStringLiteral("请输入新建类别名："), &name)) return;
  name = ShownClassName(name).trimmed();
  if (!ValidTreeClassName(name)) {
    ShowMessage(this, kClassNameRule, kAppCaption);
    return;
  }
  if (QTreeWidgetItem* existing = ClassNode(name)) {
    ShowMessage(this, QStringLiteral("已有这个类别了！"), QStringLiteral("提示"), MsgIcon::Warning);
    Tree->setCurrentItem(existing);
    return;
  }
  root->addChild(MakeNode(name, kImageClass));
  if (XmInit && !ClassListHolds(*XmInit, name)) AppendClassToList(*XmInit, name);
}

void TFrmMain::pop_class_renameClick() {
  QTreeWidgetItem* node = SelectedNode(Tree);
  if (!node || Level(node) != 1) return;
  const QString oldName = node->text(0);
  QString name = oldName;
  if (!InputText(*this, this, QStringLiteral("修改类别名"), QStringLiteral("请输入新的类别名："), &name)) return;
  name = ShownClassName(name).trimmed();
  if (!ValidTreeClassName(name)) {
    ShowMessage(this, kClassNameRule, kAppCaption);
    return;
  }
  if (QTreeWidgetItem* existing = ClassNode(name)) {
    ShowMessage(this, QStringLiteral("已有这个类别了，请另起一个名称！"), QStringLiteral("提示"), MsgIcon::Warning);
    Tree->setCurrentItem(existing);
    return;
  }
  std::vector<int> slotList;
  for (int i = 0; i < node->childCount(); ++i) slotList.push_back(SlotOfCaseText(node->child(i)->text(0)));
  std::vector<CaseKey> renamed;
  if (!DataBase->SetClassName(KeysOfChildren(node), name.toStdString(), &renamed)) {
    ReportStoreFault();
    return;
  }
  for (int i = 0; i < node->childCount() && i < static_cast<int>(renamed.size()); ++i)
    node->child(i)->setData(0, kDigestRole, QVariant::fromValue<qulonglong>(renamed[static_cast<size_t>(i)].digest));
  if (caseLoaded && std::find(slotList.begin(), slotList.end(), loadedSlot) != slotList.end()) {
    currentCase.SetClassName(name.toStdString());
    viewedCase.record.SetClassName(name.toStdString());
  }
  if (XmInit) RenameClassInList(*XmInit, oldName, name);
  node->setText(0, name);
}

void TFrmMain::pop_class_deleteClick() {
  QTreeWidgetItem* node = SelectedNode(Tree);
  if (!node || Level(node) != 1) return;
  if (!AskYesNo(this, QStringLiteral("确定要删除“") + Verbatim(node->text(0)) + QStringLiteral("”这个类别吗？"),
                QStringLiteral("注意"), MsgIcon::Warning))
    return;
  std::vector<int> deleted;
  if (!DataBase->DeleteCases(KeysOfChildren(node), &deleted)) {
    ReportStoreFault();
    return;
  }
  delete node;
  if (caseLoaded && std::find(deleted.begin(), deleted.end(), loadedSlot) != deleted.end()) LeaveViewedCase();
}

void TFrmMain::pop_class_saveClick() {
  if (!Tree->topLevelItem(0) || !XmInit) return;
  const QStringList names = TreeClassNames();
  WriteClassList(*XmInit, names);
  if (!names.isEmpty()) ShowMessage(this, QStringLiteral("当前列表的类别已经保存！"), kAppCaption);
}

// ---- search, show all, expand and collapse

void TFrmMain::pop_searchClick() {
  TFrmSearch dialog(searchCriteria, *DataBase, XmInit.get(), this, TreeClassNames());
  RunDialog(runCaseDialog, dialog);
  if (!dialog.showResult) {
    if (DataBase->LastFault() == StoreFault::kChanged) ReportStoreFault();
    return;
  }
  FillTree(dialog.foundSlots);
  OpenFewFoundCases();
}

void TFrmMain::pop_showallClick() {
  if (DataBase->RecordCount() == 0) {
    // Cases waiting for a person after an import cut short are not none.
    if (DataBase->LastFault() == StoreFault::kDamaged) ReportStoreFault();
    else ShowMessage(this, QString::fromUtf8(kNoRecordsMessage), kAppCaption);
    return;
  }
  std::vector<int> slotList;
  if (!DataBase->SearchRecords(SearchCriteria{}, &slotList)) {
    ReportStoreFault();
    return;
  }
  if (slotList.empty()) {
    ShowMessage(this, QString::fromUtf8(kNothingFoundMessage), QStringLiteral("信息"), MsgIcon::Information);
    return;
  }
  FillTree(slotList);
  OpenFewFoundCases();
}

void TFrmMain::pop_expandClick() {
  QTreeWidgetItem* node = SelectedNode(Tree);
  if (node && Level(node) < 2) SetExpandedAll(node, true);
}

void TFrmMain::pop_collapseClick() {
  QTreeWidgetItem* node = SelectedNode(Tree);
  if (node && Level(node) < 2) SetExpandedAll(node, false);
}

// ---- the store as a whole (menu 文件)

void TFrmMain::mnuF_exportClick() {
  QString chosen = DialogFolder(kExportFolder);
  if (chooseExportFolder)
    chosen = chooseExportFolder(chosen);
  else if (!ChooseFolder(this, QStringLiteral("选择导出的文件夹"), &chosen))
    chosen.clear();
  if (chosen.isEmpty()) return;
  RememberDialogFolder(kExportFolder, chosen);
  std::string folder = WithSlash(chosen.toStdString()) + kExportFolderName;
  CreateDirectories(folder);
  folder = WithSlash(folder);
  if (!DataBase->ExportStore(folder)) {
    ShowMessage(this, QStringLiteral("导出没有完成：") + Verbatim(QString::fromStdString(folder)) + QStringLiteral(" 无法写入。"),
                QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  ShowMessage(this,
              QString::fromUtf8(kExportDonePrefix) + Verbatim(QString::fromStdString(folder)) +
                  QString::fromUtf8(kExportDoneSuffix),
              kAppCaption);
}

namespace {

QString ChooseImportFileWithDialog(QWidget* owner, const QString& folder) {
  FileDialogRequest request{owner, false, QString(), QStringLiteral("all.dat|*.dat"), 1};
  request.folder = folder;
  request.fileName = QStringLiteral("Lumtar.dat");
  FileDialogAnswer answer;
  if (!RunFileDialog(request, &answer)) return {};
  return answer.fileName;
}

}  // namespace

void TFrmMain::mnuF_importClick() {
  if (!AskYesNo(this, QStringLiteral("执行此操作将覆盖现有的历史记录，要继续吗？"), QStringLiteral("注意了"),
                MsgIcon::Warning, true))
    return;
  const QString start = DialogFolder(kImportFolder);
  const QString chosen = chooseImportFile ? chooseImportFile(start) : ChooseImportFileWithDialog(this, start);
  if (chosen.isEmpty()) return;
  RememberDialogFolder(kImportFolder, QFileInfo(chosen).absolutePath());
  const std::filesystem::path file(chosen.toStdString());
  if (!SameIgnoringAsciiCase(QString::fromStdString(file.filename().string()), QStringLiteral("Lumtar.dat"))) {
    ShowMessage(this, QString::fromUtf8(kNoImportFileMessage), kAppCaption);
    return;
  }
  const std::string folder = WithSlash(file.parent_path().string());
  if (!DirectoryExists(folder + kCommentFolderName)) {
    ShowMessage(this, QString::fromUtf8(kNoImportFolderMessage), kAppCaption);
    return;
  }
  // The store replaces its files itself and keeps the old ones on failure.
  // It takes the file chosen, whatever other letter cases of its name the
  // folder holds.
  std::vector<std::string> skipped;
  if (!DataBase->ImportStore(folder, file.filename().string(), &skipped)) {
    const StoreFault fault = DataBase->LastFault();
    QString text = fault == StoreFault::kBusy || fault == StoreFault::kDamaged
                       ? QString::fromStdString(DataBase->FaultText())
                       : QStringLiteral("导入没有完成，原有的历史记录没有改变。");
    if (fault != StoreFault::kDamaged && !DataBase->FaultDetail().empty())
      text += QStringLiteral("\r\n") + QString::fromStdString(DataBase->FaultDetail());
    ShowMessage(this, text, QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  // Slots now name the imported cases: nothing of the old store may be
  // saved back, and the tree lists the new store, also when the user
  // declines to close.
  LeaveViewedCase();
  FillTree(StartUpSlots());
  QString done = QString::fromUtf8(kImportDoneMessage);
  if (!skipped.empty()) done += QStringLiteral("\r\n") + QString::fromUtf8(SkippedDocumentsText(skipped));
  ShowMessage(this, done, kAppCaption);
  close();
}

void TFrmMain::mnuF_compactClick() {
  if (!AskYesNo(this, QStringLiteral("命例数据过多，读取速度慢才需要整理，确定要整理吗？"), QStringLiteral("提示"),
                MsgIcon::Information, true))
    return;
  if (DataBase->RecordCount() < kMinRecordsToCompact) {
    ShowMessage(this, QString::fromUtf8(kTooFewToCompactMessage), kAppCaption);
    return;
  }
  // The program ends without its close sequence after compacting; an edited
  // comment of the viewed case would be lost, so offer to save it now, while
  // its slot still names the record.
  AskSaveComment();
  if (!DataBase->CompactStore()) {
    ShowMessage(this,
                DataBase->LastFault() == StoreFault::kBusy ? QString::fromUtf8(kStoreBusyMessage)
                                                           : QStringLiteral("整理没有完成，记录文件没有改变。"),
                QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  ShowMessage(this, QString::fromUtf8(kCompactDoneMessage), kAppCaption);
  // Every slot the program holds is stale now: end at once, without the
  // close questions and without writing the settings.
  skipCloseSequence = true;
  close();
  QCoreApplication::quit();
}

}  // namespace lumtar
