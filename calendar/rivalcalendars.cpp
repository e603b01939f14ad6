// The calendars of the rival courts and the years that named two months alike.
#include "rivalcalendars.h"

#include <algorithm>
#include <map>

#include "eras.h"
#include "gbk.h"
#include "lunar.h"
#include "script.h"
#include "yidateex.h"

namespace lumtar::calendar {

namespace {

struct RivalRow {
  LunarCalendar calendar;
  int16_t year;
  int32_t firstJdn;
  int8_t leapAfter;
  const char* lengths;
};

constexpr RivalRow kRivalRows[] = {
#include "rivalmonths.inc"
};

constexpr int kJdnOfDayZero = 2451545;  // 2000-01-01

// The courts whose eras read a rival calendar.
LunarCalendar CalendarOfDynasty(const std::string& dynasty) {
  if (dynasty == "辽" || dynasty == "金" || dynasty == "蒙古" || dynasty == "元") return LunarCalendar::kLiaoJinYuan;
  if (dynasty == "南明" || dynasty == "明郑") return LunarCalendar::kSouthernMing;
  return LunarCalendar::kCentral;
}

const RivalYear* FindYear(LunarCalendar calendar, int year) {
  for (const RivalYear& y : RivalYears())
    if (y.calendar == calendar && y.year == year) return &y;
  return nullptr;
}

int MonthCount(const RivalYear& y) { return static_cast<int>(std::char_traits<char>::length(y.lengths)); }

constexpr const char* kMonthNumerals[14] = {"", "正", "二", "三", "四", "五", "六", "七", "八", "九", "十", "十一", "十二", "十三"};
// Branches from the 子 month on.
constexpr const char* kBranchesFromZi[12] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};

std::string PlainMonthName(int month, bool leap) {
  const int m = month >= 1 && month <= 13 ? month : 0;
  return std::string(leap ? "闰" : "") + kMonthNumerals[m] + "月";
}

// The branch of the central calendar's month that begins on a day: the
// months of a lunar-year layout are counted from the 子 month, which holds
// the winter solstice; a leap month has the branch of the month before it.
int BranchFromZiOfMonth(SSQ_class& ssq, int firstDay) {
  ssq.BuildLunarYear(firstDay);
  const LunarYearLayout& layout = ssq.Layout();
  const int b = ssq.MonthIndexOfDay(firstDay);
  const int counted = layout.leap != 0 && b >= layout.leap ? b - 1 : b;
  return ((counted % 12) + 12) % 12;
}

// The central calendar's months of a lunar year, as the date service names
// them, each with its first day and length.
std::vector<LunarMonthEntry> CentralMonths(int lunarYear) {
  std::vector<LunarMonthEntry> months;
  MYiDateEx date;
  // From the civil year before: 武周's years open with the 子 month, in the
  // civil November before.
  DateTime probe{static_cast<int16_t>(lunarYear - 1), 10, 15, 12, 0};
  DateTime lunar;
  date.SolarToLunar(probe, lunar);
  int d = date.LastDayNumber() - lunar.day + 1;  // a first day
  for (int guard = 0; guard < 20; ++guard) {
    DateTime civil;
    date.DateTimeOf(d + kJdnOfDayZero, civil);
    const bool leap = date.SolarToLunar(civil, lunar);
    if (lunar.year > lunarYear) break;
    // The next month's first day: 29 or 30 days on.
    DateTime next;
    date.DateTimeOf(d + 29 + kJdnOfDayZero, civil);
    date.SolarToLunar(civil, next);
    const int days = next.day == 1 ? 29 : 30;
    if (lunar.year == lunarYear) {
      LunarMonthEntry e;
      e.month = lunar.month;
      e.leap = leap;
      e.firstDay = d;
      e.days = days;
      months.push_back(e);
    }
    d += days;
  }
  return months;
}

// Numbers the months whose label comes twice and names every month.
void NameMonths(LunarCalendar calendar, std::vector<LunarMonthEntry>& months) {
  std::map<std::pair<int, bool>, int> seen;
  for (LunarMonthEntry& e : months) e.occurrence = ++seen[{e.month, e.leap}];
  for (LunarMonthEntry& e : months)
    if (seen[{e.month, e.leap}] == 1) e.occurrence = 0;
  SSQ_class ssq;
  for (std::size_t i = 0; i < months.size(); ++i) {
    LunarMonthEntry& e = months[i];
    e.name = PlainMonthName(e.month, e.leap);
    if (calendar != LunarCalendar::kCentral) continue;
    // 武周: the 子 month opened the year as 正月, the 丑 month after it was
    // 腊月 and the 寅 month 一月.
    const bool twoFirstMonths = seen[{1, false}] == 2;
    if (twoFirstMonths && e.month == 1 && !e.leap && e.occurrence == 2) {
      e.name = "一月";
      continue;
    }
    if (twoFirstMonths && e.month == 12 && !e.leap && i > 0 && months[i - 1].month == 1 &&
        months[i - 1].occurrence == 1) {
      e.name = "腊月";
      continue;
    }
    if (twoFirstMonths && (e.month == 1 || e.month == 12)) continue;
    // Other months named twice (762, back from the 子 month to the 寅 month
    // in its 建巳 month): told apart by their branch.
    if (e.occurrence != 0) e.name += std::string("(建") + kBranchesFromZi[BranchFromZiOfMonth(ssq, e.firstDay)] + ")";
  }
}

}  // namespace

std::string LunarCalendarName(LunarCalendar calendar) {
  switch (calendar) {
    case LunarCalendar::kLiaoJinYuan:
      return "辽金元历";
    case LunarCalendar::kSouthernMing:
      return "南明历";
    case LunarCalendar::kCentral:
      break;
  }
  return {};
}

const std::vector<RivalYear>& RivalYears() {
  static const std::vector<RivalYear> years = [] {
    std::vector<RivalYear> out;
    for (const RivalRow& r : kRivalRows) out.push_back({r.calendar, r.year, r.firstJdn, r.leapAfter, r.lengths});
    return out;
  }();
  return years;
}

LunarCalendar CalendarOfEra(const Era& era, int lunarYear) {
  const LunarCalendar calendar = CalendarOfDynasty(era.dynasty);
  if (calendar == LunarCalendar::kCentral || !FindYear(calendar, lunarYear)) return LunarCalendar::kCentral;
  return calendar;
}

std::vector<LunarMonthEntry> MonthsOfLunarYear(LunarCalendar calendar, int lunarYear) {
  std::vector<LunarMonthEntry> months;
  const RivalYear* y = calendar == LunarCalendar::kCentral ? nullptr : FindYear(calendar, lunarYear);
  if (!y) {
    months = CentralMonths(lunarYear);
    NameMonths(LunarCalendar::kCentral, months);
    return months;
  }
  int first = y->firstJdn - kJdnOfDayZero;
  int month = 0;
  for (int i = 0; i < MonthCount(*y); ++i) {
    LunarMonthEntry e;
    e.leap = y->leapAfter != 0 && i == y->leapAfter;
    if (!e.leap) ++month;
    e.month = month;
    e.firstDay = first;
    e.days = y->lengths[i] == '1' ? 30 : 29;
    first += e.days;
    months.push_back(e);
  }
  NameMonths(calendar, months);
  return months;
}

std::string MonthNameOfDay(LunarCalendar calendar, int lunarYear, int dayNumber) {
  // Only the central calendar's years 690-700 and 762 name months so.
  if (calendar != LunarCalendar::kCentral || lunarYear < 689 || lunarYear > 763) return {};
  for (const LunarMonthEntry& e : MonthsOfLunarYear(calendar, lunarYear)) {
    if (dayNumber < e.firstDay || dayNumber >= e.firstDay + e.days) continue;
    return e.name == PlainMonthName(e.month, e.leap) ? std::string() : e.name;
  }
  return {};
}

bool DayOfLunarDate(LunarCalendar calendar, int lunarYear, int month, bool leap, int day, int occurrence,
                    int* dayNumber) {
  if (day < 1 || day > 30) return false;
  const bool rival = calendar != LunarCalendar::kCentral && FindYear(calendar, lunarYear);
  if (!rival && occurrence == 0) {
    // As the date service always read it.
    MYiDateEx date;
    const DateTime lunar{static_cast<int16_t>(lunarYear), static_cast<int16_t>(month), static_cast<int16_t>(day), 12,
                         0};
    DateTime civil;
    std::string message;
    if (!date.LunarToSolar(lunar, leap, civil, message)) return false;
    *dayNumber = date.LastDayNumber();
    return true;
  }
  for (const LunarMonthEntry& e : MonthsOfLunarYear(rival ? calendar : LunarCalendar::kCentral, lunarYear)) {
    if (e.month != month || e.leap != leap) continue;
    // The first of two alike, or the only one.
    if (occurrence != 0 && e.occurrence != occurrence && !(occurrence == 1 && e.occurrence == 0)) continue;
    if (day > e.days) return false;
    *dayNumber = e.firstDay + day - 1;
    return true;
  }
  return false;
}

bool RivalLunarDateOfDay(LunarCalendar calendar, int dayNumber, int* lunarYear, int* month, bool* leap, int* day) {
  if (calendar == LunarCalendar::kCentral) return false;
  const int jdn = dayNumber + kJdnOfDayZero;
  for (const RivalYear& y : RivalYears()) {
    if (y.calendar != calendar || jdn < y.firstJdn) continue;
    int first = y.firstJdn;
    int number = 0;
    for (int i = 0; i < MonthCount(y); ++i) {
      const bool isLeap = y.leapAfter != 0 && i == y.leapAfter;
      if (!isLeap) ++number;
      const int days = y.lengths[i] == '1' ? 30 : 29;
      if (jdn < first + days) {
        *lunarYear = y.year;
        *month = number;
        *leap = isLeap;
        *day = jdn - first + 1;
        return true;
      }
      first += days;
    }
  }
  return false;
}

const Era* RivalEra(LunarCalendar calendar, int lunarYear, int month, bool leap) {
  if (calendar == LunarCalendar::kCentral) return nullptr;
  // The court that comes first in the table among those of the calendar
  // (辽 before 金, 南明 before 明郑), and of its eras of the year the one that
  // began last before the month (a year that only eras beginning later in it
  // name takes the first).
  const EraRow* rows = EraTable();
  const EraRow* best = nullptr;
  const EraRow* earliest = nullptr;
  std::string court;
  const int when = month * 2 + (leap ? 1 : 0);
  auto start = [lunarYear](const EraRow& r) {
    return r.firstYear < lunarYear ? -1 : r.firstMonth * 2 + r.firstMonthLeap;
  };
  for (int i = 0; i < EraTableSize(); ++i) {
    const EraRow& r = rows[i];
    if (r.eraName[0] == '\0' || r.yearCount >= 9999) continue;
    if (lunarYear < r.firstYear || lunarYear >= r.firstYear + r.yearCount) continue;
    const std::string dynasty = GbkFieldToUtf8(r.dynasty, sizeof r.dynasty);
    if (CalendarOfDynasty(dynasty) != calendar) continue;
    if (court.empty()) court = dynasty;
    if (dynasty != court) continue;
    if (!earliest || start(r) < start(*earliest)) earliest = &r;
    if (start(r) <= when && (!best || start(r) >= start(*best))) best = &r;
  }
  if (!best) best = earliest;
  if (!best) return nullptr;
  const std::string name = GbkFieldToUtf8(best->eraName, sizeof best->eraName);
  const int base = best->firstYear - best->yearOffset;
  for (const Era& era : Eras())
    if (era.baseYear == base && era.name == name && era.dynasty == court) return &era;
  return nullptr;
}

std::string EraDateTextOn(LunarCalendar calendar, int lunarYear, int month, bool leap, int day,
                          const std::string& monthName) {
  const Era* era = calendar == LunarCalendar::kCentral ? CentralEra(lunarYear, month, leap)
                                                       : RivalEra(calendar, lunarYear, month, leap);
  if (!era && calendar != LunarCalendar::kCentral) era = CentralEra(lunarYear, month, leap);
  if (!era) return {};
  const std::string monthText = monthName.empty() ? LunarMonthText(month, leap) : std::string(InScript(monthName));
  return TextInScript(era->dynasty + era->name + EraYearText(lunarYear - era->baseYear + 1) + monthText +
                      LunarDayText(day) + "日");
}

}  // namespace lumtar::calendar
