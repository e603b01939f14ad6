#include "dateinputs.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QStandardItemModel>

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

QStringList LunarMonthItems(bool leap) {
  static const char* const kMonths[12] = {"正月", "二月", "三月", "四月", "五月", "六月",
                                          "七月", "八月", "九月", "十月", "冬月", "腊月"};
  QStringList items;
  for (const char* month : kMonths) items << (leap ? QStringLiteral("闰") : QString()) + QString::fromUtf8(month);
  return items;
}

QStringList LunarDayItems() {
  static const char* const kDigits[10] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
  QStringList items;
  for (int day = 1; day <= 30; ++day) {
    const QString digit = QString::fromUtf8(kDigits[day % 10]);
    if (day <= 10)
      items << QStringLiteral("初") + (day == 10 ? QStringLiteral("十") : digit);
    else if (day < 20)
      items << QStringLiteral("十") + digit;
    else if (day == 20 || day == 30)
      items << QString::fromUtf8(kDigits[day / 10]) + QStringLiteral("十");
    else
      items << QStringLiteral("廿") + digit;
  }
  return items;
}

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

namespace {

// The texts of a list's entries, from the first; entries beyond the texts
// keep theirs.
void SetEntryTexts(QComboBox* list, const QStringList& texts) {
  for (int i = 0; i < list->count() && i < texts.size(); ++i)
    if (EntryText(list, i) != texts[i]) list->setItemText(i, texts[i]);
  ShowEntriesInScript(list);
}

}  // namespace

void ShowCalendarOfLists(QComboBox* month, QComboBox* day, bool lunar, bool leap) {
  if (month) SetEntryTexts(month, lunar ? LunarMonthItems(leap) : MonthItems());
  if (day) {
    SetEntryTexts(day, lunar ? LunarDayItems() : DayItems());
    // The 31st day stays in the list, so that a date read or stored with it
    // still shows, but a lunar date is not offered it.
    if (auto* model = qobject_cast<QStandardItemModel*>(day->model()))
      for (int i = 30; i < model->rowCount(); ++i)
        if (QStandardItem* item = model->item(i)) item->setEnabled(!lunar);
  }
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
