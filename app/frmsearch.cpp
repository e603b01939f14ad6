#include "frmsearch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

#include "caseclasses.h"
#include "database.h"
#include "msgbox.h"
#include "places.h"
#include "scriptui.h"
#include "searchcriteria.h"
#include "widgets.h"

namespace lumtar {
namespace {

constexpr int kNameBytes = 10;
constexpr int kFrames = 12;

enum SexItem { kAnySex = 0, kMale = 1, kFemale = 2 };

QString YearBoxText(int year) { return QString::number(year <= 0 ? year - 1 : year); }

}  // namespace

// ---- animation

SearchAnimation::SearchAnimation(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  timer_->setInterval(90);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % kFrames;
    update();
  });
  setFixedSize(sizeHint());
  hide();
}

void SearchAnimation::Start() {
  frame_ = 0;
  show();
  timer_->start();
  // The search that follows holds the event loop; the first picture is
  // painted now so that it shows while the store is read.
  repaint();
}

void SearchAnimation::Stop() {
  timer_->stop();
  hide();
}

bool SearchAnimation::IsRunning() const { return timer_->isActive(); }

void SearchAnimation::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  // A folder with a page in it.
  p.setPen(QPen(QColor(150, 105, 20), 1));
  p.setBrush(QColor(236, 190, 80));
  p.drawRoundedRect(QRectF(2.5, 8.5, 24, 17), 2, 2);
  p.setPen(QPen(QColor(120, 120, 120), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(7.5, 4.5, 14, 16));
  p.setPen(QPen(QColor(170, 170, 170), 1));
  for (int y = 8; y <= 17; y += 3) p.drawLine(QPointF(10, y + 0.5), QPointF(19, y + 0.5));
  // The magnifier goes round over the page.
  const double a = 2 * 3.14159265 * frame_ / kFrames;
  const QPointF c(16 + 6 * std::cos(a), 13 + 4 * std::sin(a));
  p.setPen(QPen(QColor(60, 60, 60), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(3.5, 3.5), c + QPointF(8, 8));
  p.setPen(QPen(QColor(40, 70, 140), 1.6));
  p.setBrush(QColor(200, 225, 255, 170));
  p.drawEllipse(c, 5, 5);
}

// ---- dialog

TFrmSearch::TFrmSearch(SearchCriteria& criteria, MDataBase& store, const IniFile* settings, QWidget* parent,
                       const QStringList& shown)
    : QDialog(parent), criteria_(criteria), store_(store) {
  setWindowTitle(QStringLiteral("查找命例"));
  setFont(SongTiPixelFont(14));

  RdoSex = new RadioGroup(QStringLiteral("性别"), {QStringLiteral("不分"), QStringLiteral("男"), QStringLiteral("女")},
                          3, this);
  cbodiZ = new QComboBox(this);
  cbodiZ->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  cbodiZ->setMaxVisibleItems(25);
  cbodiZ->addItem(QStringLiteral(" "));
  for (const char* name : ProvinceNames) cbodiZ->addItem(QString::fromUtf8(name));
  ShowEntriesInScript(cbodiZ);
  cbodiZ->setToolTip(QStringLiteral("省份"));

  LedtY1 = new QLineEdit(this);
  LedtY2 = new QLineEdit(this);
  for (QLineEdit* e : {LedtY1, LedtY2}) {
    e->setMaxLength(4);
    e->setFixedWidth(52);
  }

  CboFenLei = MakeClassBox(this, settings, shown);
  ChkClass = new QCheckBox(QStringLiteral("全字匹配"), this);

  Edtname = new QLineEdit(this);
  Edtname->setValidator(new GbkByteValidator(kNameBytes, Edtname));
  ChkName = new QCheckBox(QStringLiteral("全字匹配"), this);

  Animate1 = new SearchAnimation(this);
  BtoAll = new QPushButton(QStringLiteral("全部"), this);
  BtnSearch = new QPushButton(QStringLiteral("查找"), this);
  BtnSearch->setDefault(true);
  BtoCancel = new QPushButton(QStringLiteral("关闭"), this);

  auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setBuddy(buddy);
    return l;
  };
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(6);
  grid->addWidget(label("省份", cbodiZ), 0, 0);
  grid->addWidget(cbodiZ, 0, 1, 1, 2);
  auto* years = new QHBoxLayout;
  years->setSpacing(4);
  years->addWidget(LedtY1);
  years->addWidget(label("到", LedtY2));
  years->addWidget(LedtY2);
  years->addStretch(1);
  grid->addWidget(label("出生年从", LedtY1), 1, 0);
  grid->addLayout(years, 1, 1, 1, 2);
  grid->addWidget(label("类别", CboFenLei), 2, 0);
  grid->addWidget(CboFenLei, 2, 1);
  grid->addWidget(ChkClass, 2, 2);
  grid->addWidget(label("姓名", Edtname), 3, 0);
  grid->addWidget(Edtname, 3, 1);
  grid->addWidget(ChkName, 3, 2);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(Animate1);
  buttons->addStretch(1);
  for (QPushButton* b : {BtoAll, BtnSearch, BtoCancel}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(52);
    buttons->addWidget(b);
  }
  BtnSearch->setAutoDefault(true);
  // The buttons' row keeps its height whether the animation shows or not.
  buttons->addStrut(Animate1->sizeHint().height());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 8);
  layout->setSpacing(6);
  layout->addWidget(RdoSex);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(257, 193)));

  connect(BtnSearch, &QPushButton::clicked, this, [this] { BtnSearchClick(); });
  connect(BtoAll, &QPushButton::clicked, this, [this] { BtoAllClick(); });
  connect(BtoCancel, &QPushButton::clicked, this, [this] { BtoCancelClick(); });
  LoadCriteria();
}

void TFrmSearch::showEvent(QShowEvent* event) {
  BtnSearch->setFocus();
  QDialog::showEvent(event);
}

void TFrmSearch::LoadCriteria() {
  const SearchCriteria& c = criteria_;
  const int province = c.provinceIndex + 1;
  cbodiZ->setCurrentIndex(province >= 0 && province < cbodiZ->count() ? province : 0);
  RdoSex->setItemIndex(!c.sexFilter ? kAnySex : c.wantMale == 1 ? kMale : kFemale);
  LedtY1->setText(c.yearFilter ? YearBoxText(c.yearFrom) : QString());
  LedtY2->setText(c.yearFilter ? YearBoxText(c.yearTo) : QString());
  ChkName->setChecked(c.nameMode == 2);
  Edtname->setText(!c.namePattern.empty() && c.nameMode != 0 ? QString::fromStdString(c.NamePatternUtf8())
                                                              : QString());
  ChkClass->setChecked(c.classMode == 2);
  CboFenLei->setEditText(!c.classPattern.empty() && c.classMode != 0
                             ? QString::fromStdString(c.ClassPatternUtf8())
                             : QString());
  showResult = false;
}

bool TFrmSearch::CollectAndSearch() {
  SearchCriteria& c = criteria_;
  const int province = cbodiZ->currentIndex();
  c.provinceIndex = static_cast<int16_t>(province <= 0 ? -1 : province - 1);
  const int sex = RdoSex->itemIndex();
  c.sexFilter = sex == kMale || sex == kFemale;
  if (c.sexFilter) c.wantMale = sex == kMale ? 1 : 0;

  std::string message;
  if (!SetYearRange(&c, LedtY1->text().toStdString(), LedtY2->text().toStdString(), &message)) {
    ShowMessage(this, QString::fromStdString(message), QStringLiteral("年份错误"), MsgIcon::Warning);
    return false;
  }

  // The name as typed (a trailing space is searched for); the class trimmed.
  const QString name = Edtname->text();
  c.nameMode = name.isEmpty() ? 0 : ChkName->isChecked() ? 2 : 1;
  if (!name.isEmpty()) c.SetNamePattern(name.toStdString());
  const QString className = CboFenLei->currentText().trimmed();
  c.classMode = className.isEmpty() ? 0 : ChkClass->isChecked() ? 2 : 1;
  if (!className.isEmpty()) c.SetClassPattern(className.toStdString());

  if (store_.RecordCount() == 0) {
    // Cases waiting for a person after an import cut short are not none.
    if (store_.LastFault() == StoreFault::kDamaged)
      ShowMessage(this, QString::fromStdString(store_.FaultText()), QStringLiteral("错误"), MsgIcon::Error);
    else
      ShowMessage(this, QString::fromUtf8(kNoRecordsMessage), QStringLiteral("LumtarV3.1"));
    return false;
  }

  for (QPushButton* b : {BtoAll, BtnSearch, BtoCancel}) b->setEnabled(false);
  Animate1->Start();
  foundSlots.clear();
  store_.SearchRecords(c, &foundSlots);
  Animate1->Stop();
  for (QPushButton* b : {BtoAll, BtnSearch, BtoCancel}) b->setEnabled(true);

  if (foundSlots.empty()) {
    ShowMessage(this, QString::fromUtf8(kNothingFoundMessage), QStringLiteral("信息"), MsgIcon::Information);
    return false;
  }
  return AskYesNo(this, QStringLiteral("共找到%1条记录，要显示到命例列表中吗？").arg(foundSlots.size()),
                  QStringLiteral("提示"), MsgIcon::Information);
}

void TFrmSearch::BtnSearchClick() {
  if (!CollectAndSearch()) return;
  showResult = true;
  accept();
}

void TFrmSearch::BtoAllClick() {
  if (!AskYesNo(this, QStringLiteral("这将清除所有输入的条件参数，以便搜索所有命例，确定吗？"), QStringLiteral("提示"),
                MsgIcon::Information))
    return;
  RdoSex->setItemIndex(kAnySex);
  LedtY1->clear();
  LedtY2->clear();
  ChkName->setChecked(false);
  Edtname->clear();
  ChkClass->setChecked(false);
  CboFenLei->setEditText(QString());
  cbodiZ->setCurrentIndex(0);
  if (!CollectAndSearch()) return;
  showResult = true;
  accept();
}

void TFrmSearch::BtoCancelClick() {
  showResult = false;
  reject();
}

}  // namespace lumtar
