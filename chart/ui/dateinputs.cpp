#include "dateinputs.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>

#include <algorithm>

#include "chartrequest.h"
#include "inifile.h"
#include "scriptui.h"

namespace lumtar {

namespace {

QStringList Numbered(int first, int last, const char* unit) {
  QStringList items;
  const QString suffix = QString::fromUtf8(unit);
  for (int i = first; i <= last; ++i) items << QString::number(i) + suffix;
  return items;
}

void SelectIndex(QComboBox* list, int index) {
  if (list && index >= 0 && index < list->count()) list->setCurrentIndex(index);
}

}  // namespace

QStringList MonthItems() { return Numbered(1, 12, "月"); }
QStringList DayItems() { return Numbered(1, 31, "日"); }
QStringList MinuteItems() { return Numbered(0, 59, "分"); }

QStringList HourItems() {
  // Branches counted from 亥, so that 子 is 1.
  static const char* const kBranches[12] = {"亥", "子", "丑", "寅", "卯", "辰",
                                            "巳", "午", "未", "申", "酉", "戌"};
  QStringList items;
  for (int h = 0; h < 24; ++h) {
    int branch = (((h % 2 == 1 ? h + 1 : h) % 24) / 2 + 1) % 12;
    items << QStringLiteral("%1时").arg(h) + QString::fromUtf8(kBranches[branch]);
  }
  return items;
}

QStringList TimeZoneItems() {
  QStringList items;
  for (int i = 0; i < kTimeZoneCount; ++i) items << QString::fromStdString(TimeZoneText(i));
  return items;
}

int YearOfText(const QString& text) {
  int year = 0;
  if (!IniFile::ParseInteger(text.toStdString(), &year)) return 0;
  return year;
}

UpDown::UpDown(QWidget* parent) : QSpinBox(parent) {
  setWrapping(false);
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  setFocusPolicy(Qt::NoFocus);
  lineEdit()->hide();
  setFixedWidth(18);
}

void UpDown::stepBy(int steps) {
  QSpinBox::stepBy(steps);
  emit clicked();
}

void FillDateLists(const DateInputs& in) {
  if (in.month) in.month->addItems(MonthItems());
  if (in.day) in.day->addItems(DayItems());
  if (in.hour) {
    // "0时子" … in the chosen script; the hour is read by its position.
    in.hour->addItems(HourItems());
    ShowEntriesInScript(in.hour);
  }
  if (in.minute) in.minute->addItems(MinuteItems());
}

void ShowDate(const DateInputs& in, int year, int month, int day, int hour, int minute) {
  if (in.yearUpDown) in.yearUpDown->setPosition(year - kInputFirstYear);
  if (in.year) in.year->setText(QString::number(year));
  SelectIndex(in.month, month - 1);
  SelectIndex(in.day, day - 1);
  SelectIndex(in.hour, hour);
  SelectIndex(in.minute, minute);
}

void ShowLocalTime(const DateInputs& in, const QDateTime& now) {
  const QDate d = now.date();
  const QTime t = now.time();
  ShowDate(in, std::min(d.year(), kInputLastYear), d.month(), d.day(), t.hour(), t.minute());
}

void ShowCurrentTime(const DateInputs& in) { ShowLocalTime(in, QDateTime::currentDateTime()); }

}  // namespace lumtar
