// The era entry of the input panel: a lunar date written with an era name
// (康熙 五十年 八月 十三日).
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "calnames.h"
#include "dateinputs.h"
#include "eras.h"
#include "frmmain.h"
#include "rivalcalendars.h"
#include "script.h"

namespace lumtar {
namespace {

using calendar::Era;
using calendar::Eras;

// In the chosen script; the list and the completer show the same label.
QString Label(const Era& era) { return QString::fromStdString(TextInScript(calendar::EraLabel(era))); }

// A year of an era that a chart can be asked for (the lunar year 618 from
// its days in 619 on).
bool Chartable(int lunarYear) { return InputYearTakes(lunarYear, true); }

// The eras the box offers: those with a year that can be charted.
bool Chartable(const Era& era) {
  for (int n = era.firstNumber; n <= era.lastNumber; ++n)
    if (Chartable(era.LunarYear(n))) return true;
  return false;
}

std::vector<const Era*> ChartableEras(std::vector<const Era*> eras) {
  std::erase_if(eras, [](const Era* era) { return !Chartable(*era); });
  return eras;
}

// The list's rows hold the position of their era in Eras().
const Era* EraAt(const QComboBox* list, int row) {
  const int index = row >= 0 && row < list->count() ? list->itemData(row).toInt() : -1;
  return index >= 0 && index < static_cast<int>(Eras().size()) ? &Eras()[static_cast<std::size_t>(index)] : nullptr;
}

int RowOf(const QComboBox* list, const Era* era) {
  return era ? list->findData(static_cast<int>(era - Eras().data())) : -1;
}

// A year of an era as the list shows it: its number and the stem-branch of
// its lunar year (五十年 辛卯), in the chosen script.
QString EraYearItem(const Era& era, int number) {
  // The lunar year 4 was 甲子, sexagenary 1.
  const int sexagenary = era.LunarYear(number) - 3;
  return QString::fromStdString(TextInScript(calendar::EraYearText(number)) + " " +
                                calendar::SexagenaryName(sexagenary));
}

// The year list of an era: its years a chart can be asked for, from 元年 to
// its last year, each with its number.
void FillEraYears(QComboBox* list, const Era* era) {
  list->clear();
  if (!era) return;
  for (int n = era->firstNumber; n <= era->lastNumber; ++n)
    if (Chartable(era->LunarYear(n))) list->addItem(EraYearItem(*era, n), n);
}

}  // namespace

void TFrmMain::BuildEraInputs(QVBoxLayout* box) {
  CboEra = new QComboBox(PanelInput);
  CboEra->setEditable(true);
  CboEra->setInsertPolicy(QComboBox::NoInsert);
  CboEra->setToolTip(QStringLiteral("年号：输入年号（如 康熙、建武）或朝代，从列出的年号中选择"));
  CboEra->lineEdit()->setPlaceholderText(QStringLiteral("如 康熙"));
  CboEra->setMaxVisibleItems(20);
  CboEra->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  CboEra->setMinimumContentsLength(2);
  for (std::size_t i = 0; i < Eras().size(); ++i)
    if (Chartable(Eras()[i])) CboEra->addItem(Label(Eras()[i]), static_cast<int>(i));
  CboEra->view()->setMinimumWidth(CboEra->view()->sizeHintForColumn(0) + 30);
  CboEra->setCurrentIndex(-1);

  // The eras of the text typed so far, those of that very name first.
  auto* completer = new QCompleter(new QStringListModel(CboEra), CboEra);
  completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  completer->setMaxVisibleItems(12);
  CboEra->setCompleter(completer);

  CboEraYear = new QComboBox(PanelInput);
  CboEraYear->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  CboEraYear->setMaxVisibleItems(20);
  CboEraYear->setToolTip(QStringLiteral("年号纪年"));
  CboEraYear->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  CboEraYear->setMinimumContentsLength(2);
  QFont bold = CboEraYear->font();
  bold.setBold(true);
  CboEraYear->setFont(bold);
  auto* label = new QLabel(QStringLiteral("年号"), PanelInput);
  label->setBuddy(CboEra);
  CboEraMonth = new QComboBox(PanelInput);
  CboEraMonth->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  CboEraMonth->setMaxVisibleItems(15);
  CboEraMonth->setToolTip(QStringLiteral("年号纪年的月份：按当时历法的月名"));
  CboEraMonth->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  CboEraMonth->setMinimumContentsLength(2);
  CboEraMonth->setFont(bold);
  box->addWidget(label);
  box->addWidget(CboEra);
  auto* yearMonth = new QHBoxLayout;
  yearMonth->setContentsMargins(0, 0, 0, 0);
  yearMonth->setSpacing(2);
  yearMonth->addWidget(CboEraYear, 1);
  yearMonth->addWidget(CboEraMonth, 1);
  box->addLayout(yearMonth);
  CboEraYear->setEnabled(false);
  CboEraMonth->setEnabled(false);
  connect(CboEraMonth, &QComboBox::currentIndexChanged, this, [this] {
    if (!showingEra_) CboEraMonthChange();
  });

  connect(CboEra, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showingEra_) CboEraChoose(index);
  });
  connect(CboEra->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) { CboEraTyped(text); });
  connect(completer, qOverload<const QString&>(&QCompleter::activated), this, [this](const QString& label) {
    const int index = CboEra->findText(label, Qt::MatchExactly);
    if (index >= 0) CboEra->setCurrentIndex(index);
  });
  // Enter takes the first era offered; leaving the box shows the era chosen.
  connect(CboEra->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    const QString text = CboEra->lineEdit()->text();
    if (CboEra->findText(text, Qt::MatchExactly) >= 0) return;
    const std::vector<const Era*> found = ChartableEras(calendar::SearchEras(text.toStdString()));
    if (!found.empty()) CboEra->setCurrentIndex(RowOf(CboEra, found.front()));
  });
  connect(CboEra->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    const QString shown = CboEra->currentIndex() >= 0 ? CboEra->itemText(CboEra->currentIndex()) : QString();
    if (CboEra->lineEdit()->text() != shown) CboEra->lineEdit()->setText(shown);
  });
  connect(CboEraYear, &QComboBox::currentIndexChanged, this, [this] {
    if (!showingEra_) CboEraYearChange();
  });
  connect(EdtYear, &QLineEdit::textChanged, this, [this] { ShowEraOfDate(); });
  connect(Rdonl, &QRadioButton::toggled, this, [this] { ShowEraOfDate(); });
  connect(Chkrun, &QCheckBox::toggled, this, [this] { ShowEraOfDate(); });
  connect(cbom, &QComboBox::currentIndexChanged, this, [this] { ShowEraOfDate(); });
}

void TFrmMain::CboEraTyped(const QString& text) {
  QStringList labels;
  for (const Era* era : ChartableEras(calendar::SearchEras(text.toStdString()))) labels << Label(*era);
  auto* model = static_cast<QStringListModel*>(CboEra->completer()->model());
  model->setStringList(labels);
  if (labels.isEmpty()) {
    CboEra->completer()->popup()->hide();
    return;
  }
  // As wide as its longest label, opening to the left from the box's right
  // edge: the panel lies at the window's right side.
  QAbstractItemView* popup = CboEra->completer()->popup();
  const QFontMetrics metrics(popup->font());
  int longest = 0;
  for (const QString& label : labels) longest = std::max(longest, metrics.horizontalAdvance(label));
  const int width = std::max(longest + popup->verticalScrollBar()->sizeHint().width() + 16, CboEra->width());
  QLineEdit* edit = CboEra->lineEdit();
  const int right = edit->mapFrom(CboEra, QPoint(CboEra->width(), 0)).x();
  const QRect under(right - width, 0, width, edit->height());
  // After the line edit has shown the completer at its own width.
  QTimer::singleShot(0, CboEra, [this, under] { CboEra->completer()->complete(under); });
}

void TFrmMain::CboEraChoose(int index) {
  const Era* era = EraAt(CboEra, index);
  showingEra_ = true;
  // The box is narrower than the label: its dynasty and name show, also
  // after the completer has written the label in.
  CboEra->lineEdit()->setCursorPosition(0);
  QTimer::singleShot(0, CboEra, [this] { CboEra->lineEdit()->setCursorPosition(0); });
  FillEraYears(CboEraYear, era);
  if (era) {
    // A lunar year already entered within the era keeps its number.
    const int year = YearOfText(EdtYear->text());
    const int at = Rdonl->isChecked() ? CboEraYear->findData(year - era->baseYear + 1) : -1;
    CboEraYear->setCurrentIndex(at >= 0 ? at : 0);
  }
  CboEraYear->setEnabled(era != nullptr);
  showingEra_ = false;
  if (era) CboEraYearChange();
}

void TFrmMain::CboEraYearChange() {
  const Era* era = EraAt(CboEra, CboEra->currentIndex());
  if (!era || CboEraYear->currentIndex() < 0) return;
  showingEra_ = true;
  EdtYear->setText(QString::number(era->LunarYear(CboEraYear->currentData().toInt())));
  Rdonl->setChecked(true);
  showingEra_ = false;
  FillEraMonths();
  SelectEraMonth(0);
}

void TFrmMain::ShowEraOfDate() {
  if (showingEra_ || !CboEra) return;
  const int year = YearOfText(EdtYear->text());
  const Era* era = nullptr;
  if (Rdonl->isChecked()) {
    era = EraAt(CboEra, CboEra->currentIndex());
    if (!era || year < era->FirstYear() || year > era->LastYear())
      era = calendar::CentralEra(year, cbom->currentIndex() + 1, Chkrun->isChecked());
  }
  // A year the box does not offer (one no chart takes) shows no era.
  if (era && (RowOf(CboEra, era) < 0 || !Chartable(year))) era = nullptr;
  ShowEra(era, year, 0);
}

namespace {

// A month of the era month list: its number, leap flag and occurrence.
int MonthData(const calendar::LunarMonthEntry& m) { return m.month | (m.leap ? 0x100 : 0) | (m.occurrence << 16); }
int MonthOf(int data) { return data & 0xFF; }
bool LeapOf(int data) { return (data & 0x100) != 0; }
int OccurrenceOf(int data) { return data >> 16; }
// The first day (day number) and the length of a month of the list.
constexpr int kFirstDayRole = Qt::UserRole + 1;
constexpr int kDaysRole = Qt::UserRole + 2;

}  // namespace

void TFrmMain::FillEraMonths() {
  if (!CboEraMonth) return;
  const Era* era = Rdonl->isChecked() ? EraAt(CboEra, CboEra->currentIndex()) : nullptr;
  const int year = YearOfText(EdtYear->text());
  const bool covered = era && year >= era->FirstYear() && year <= era->LastYear();
  const int key = covered ? CboEra->currentIndex() : -1;
  if (key == eraMonthsEra_ && (!covered || year == eraMonthsYear_)) return;
  eraMonthsEra_ = key;
  eraMonthsYear_ = year;
  const bool was = showingEra_;
  showingEra_ = true;
  CboEraMonth->clear();
  if (covered) {
    for (const calendar::LunarMonthEntry& m : calendar::MonthsOfLunarYear(calendar::CalendarOfEra(*era, year), year))
      if (m.month >= 1 && m.month <= 12) {
        CboEraMonth->addItem(QString::fromStdString(TextInScript(m.name)), MonthData(m));
        CboEraMonth->setItemData(CboEraMonth->count() - 1, m.firstDay, kFirstDayRole);
        CboEraMonth->setItemData(CboEraMonth->count() - 1, m.days, kDaysRole);
      }
  }
  CboEraMonth->setEnabled(covered);
  showingEra_ = was;
}

void TFrmMain::SelectEraMonth(int occurrence) {
  if (!CboEraMonth) return;
  const int month = cbom->currentIndex() + 1;
  const bool leap = Chkrun->isChecked();
  auto matches = [&](int i) {
    const int data = CboEraMonth->itemData(i).toInt();
    return MonthOf(data) == month && LeapOf(data) == leap;
  };
  int at = -1;
  // The month shown stays while it is the date's (one of two alike).
  if (occurrence == 0 && CboEraMonth->currentIndex() >= 0 && matches(CboEraMonth->currentIndex()))
    at = CboEraMonth->currentIndex();
  // Of two alike, a date that does not say which is the one the date
  // service finds, as always.
  int dayAsBefore = 0;
  if (occurrence == 0 && at < 0 && !calendar::DayOfLunarDate(calendar::LunarCalendar::kCentral,
                                                               YearOfText(EdtYear->text()), month, leap,
                                                               cbod->currentIndex() + 1, 0, &dayAsBefore))
    dayAsBefore = 0;
  for (int i = 0; i < CboEraMonth->count() && at < 0; ++i) {
    if (!matches(i)) continue;
    const int found = OccurrenceOf(CboEraMonth->itemData(i).toInt());
    const int first = CboEraMonth->itemData(i, kFirstDayRole).toInt();
    const bool holds = dayAsBefore >= first && dayAsBefore < first + CboEraMonth->itemData(i, kDaysRole).toInt();
    if (occurrence != 0 ? found == occurrence : (found == 0 || holds || dayAsBefore == 0)) at = i;
  }
  const bool was = showingEra_;
  showingEra_ = true;
  CboEraMonth->setCurrentIndex(at);
  showingEra_ = was;
}

void TFrmMain::CboEraMonthChange() {
  if (CboEraMonth->currentIndex() < 0) return;
  const int data = CboEraMonth->currentData().toInt();
  showingEra_ = true;
  Rdonl->setChecked(true);
  cbom->setCurrentIndex(MonthOf(data) - 1);
  Chkrun->setChecked(LeapOf(data));
  showingEra_ = false;
}

void TFrmMain::ReadEraCalendar(ChartRequest& r) const {
  r.lunarCalendar = 0;
  r.monthOccurrence = 0;
  if (!CboEra || !CboEraMonth || !r.isLunar) return;
  const Era* era = EraAt(CboEra, CboEra->currentIndex());
  const int year = YearOfText(EdtYear->text());
  if (!era || year < era->FirstYear() || year > era->LastYear()) return;
  r.lunarCalendar = static_cast<uint8_t>(calendar::CalendarOfEra(*era, year));
  if (CboEraMonth->currentIndex() < 0 || !CboEraMonth->isEnabled()) return;
  const int data = CboEraMonth->currentData().toInt();
  if (MonthOf(data) == r.month && LeapOf(data) == (r.isLeapMonth != 0))
    r.monthOccurrence = static_cast<uint8_t>(OccurrenceOf(data));
}

void TFrmMain::ShowEraOfCase(uint8_t lunarCalendar, uint8_t monthOccurrence) {
  if (!CboEra || !Rdonl->isChecked()) return;
  const int year = YearOfText(EdtYear->text());
  const int month = cbom->currentIndex() + 1;
  const bool leap = Chkrun->isChecked();
  const Era* era = nullptr;
  if (lunarCalendar != 0 && lunarCalendar < calendar::kLunarCalendarCount)
    era = calendar::RivalEra(static_cast<calendar::LunarCalendar>(lunarCalendar), year, month, leap);
  if (!era) era = calendar::CentralEra(year, month, leap);
  ShowEra(era, year, monthOccurrence);
}

void TFrmMain::ShowEra(const Era* era, int year, int occurrence) {
  showingEra_ = true;
  if (RowOf(CboEra, era) != CboEra->currentIndex()) {
    CboEra->setCurrentIndex(RowOf(CboEra, era));
    FillEraYears(CboEraYear, era);
  }
  if (!era) CboEra->lineEdit()->clear();
  CboEra->lineEdit()->setCursorPosition(0);
  CboEraYear->setCurrentIndex(era ? CboEraYear->findData(year - era->baseYear + 1) : -1);
  CboEraYear->setEnabled(era != nullptr);
  showingEra_ = false;
  FillEraMonths();
  SelectEraMonth(occurrence);
}

void TFrmMain::ShowEraTextsInScript() {
  if (!CboEra) return;
  showingEra_ = true;
  for (int i = 0; i < CboEra->count(); ++i)
    if (const Era* era = EraAt(CboEra, i)) CboEra->setItemText(i, Label(*era));
  if (const Era* era = EraAt(CboEra, CboEra->currentIndex()))
    for (int i = 0; i < CboEraYear->count(); ++i)
      CboEraYear->setItemText(i, EraYearItem(*era, CboEraYear->itemData(i).toInt()));
  // The month names again in the script now chosen.
  if (CboEraMonth) {
    const int occurrence = CboEraMonth->currentIndex() >= 0 ? OccurrenceOf(CboEraMonth->currentData().toInt()) : 0;
    eraMonthsEra_ = -2;
    FillEraMonths();
    SelectEraMonth(occurrence);
  }
  CboEra->lineEdit()->setCursorPosition(0);
  showingEra_ = false;
}

}  // namespace lumtar
