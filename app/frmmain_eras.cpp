// The era entry of the input panel: a lunar date written with an era name
// (康熙 五十年 八月 十三日).
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "dateinputs.h"
#include "eras.h"
#include "frmmain.h"
#include "script.h"

namespace lumtar {
namespace {

using calendar::Era;
using calendar::Eras;

// In the chosen script; the list and the completer show the same label.
QString Label(const Era& era) { return QString::fromStdString(TextInScript(calendar::EraLabel(era))); }

const Era* EraAt(int index) {
  return index >= 0 && index < static_cast<int>(Eras().size()) ? &Eras()[static_cast<std::size_t>(index)] : nullptr;
}

int IndexOf(const Era* era) { return era ? static_cast<int>(era - Eras().data()) : -1; }

// The year list of an era: 元年 … its last year, each with its number.
void FillEraYears(QComboBox* list, const Era* era) {
  list->clear();
  if (!era) return;
  for (int n = era->firstNumber; n <= era->lastNumber; ++n)
    list->addItem(QString::fromStdString(TextInScript(calendar::EraYearText(n))), n);
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
  for (const Era& era : Eras()) CboEra->addItem(Label(era));
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
  box->addWidget(label);
  box->addWidget(CboEra);
  box->addWidget(CboEraYear);
  CboEraYear->setEnabled(false);

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
    const std::vector<const Era*> found = calendar::SearchEras(text.toStdString());
    if (!found.empty()) CboEra->setCurrentIndex(IndexOf(found.front()));
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
  for (const Era* era : calendar::SearchEras(text.toStdString())) labels << Label(*era);
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
  const Era* era = EraAt(index);
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
  const Era* era = EraAt(CboEra->currentIndex());
  if (!era || CboEraYear->currentIndex() < 0) return;
  showingEra_ = true;
  EdtYear->setText(QString::number(era->LunarYear(CboEraYear->currentData().toInt())));
  Rdonl->setChecked(true);
  showingEra_ = false;
}

void TFrmMain::ShowEraOfDate() {
  if (showingEra_ || !CboEra) return;
  const int year = YearOfText(EdtYear->text());
  const Era* era = nullptr;
  if (Rdonl->isChecked()) {
    era = EraAt(CboEra->currentIndex());
    if (!era || year < era->FirstYear() || year > era->LastYear())
      era = calendar::CentralEra(year, cbom->currentIndex() + 1, Chkrun->isChecked());
  }
  showingEra_ = true;
  if (IndexOf(era) != CboEra->currentIndex()) {
    CboEra->setCurrentIndex(IndexOf(era));
    FillEraYears(CboEraYear, era);
  }
  if (!era) CboEra->lineEdit()->clear();
  CboEra->lineEdit()->setCursorPosition(0);
  CboEraYear->setCurrentIndex(era ? CboEraYear->findData(year - era->baseYear + 1) : -1);
  CboEraYear->setEnabled(era != nullptr);
  showingEra_ = false;
}

void TFrmMain::ShowEraTextsInScript() {
  if (!CboEra) return;
  showingEra_ = true;
  for (int i = 0; i < CboEra->count() && i < static_cast<int>(Eras().size()); ++i)
    CboEra->setItemText(i, Label(Eras()[static_cast<std::size_t>(i)]));
  for (int i = 0; i < CboEraYear->count(); ++i) {
    const std::string year = calendar::EraYearText(CboEraYear->itemData(i).toInt());
    CboEraYear->setItemText(i, QString::fromStdString(TextInScript(year)));
  }
  CboEra->lineEdit()->setCursorPosition(0);
  showingEra_ = false;
}

}  // namespace lumtar
