// The calendars of the rival courts: from 946 to 1280 辽, 金 and the Mongol
// court kept a calendar of their own beside the Song's, and from 1644 to 1684
// 南明 and 明郑 beside the Qing's. Their months often began on another day
// than the central calendar's, and some leap months lie elsewhere. A lunar
// date written with an era of those courts is read on their calendar.
//
// Also the years whose calendar named two months alike (武周 690-700, whose
// 子 month was 正月 and 寅 month 一月; 762, whose 四月 and 五月 came twice when
// the year went back to the 寅 month): which of the two a date means.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumtar::calendar {

struct Era;

// The calendar a lunar date is read on. The numbers are stored in cases:
// never change them.
enum class LunarCalendar : uint8_t {
  kCentral = 0,       // the central dynasty's calendar, as every date without an era
  kLiaoJinYuan = 1,   // 辽, 金 and 蒙古/元 946-1280
  kSouthernMing = 2,  // 南明 and 明郑 1644-1684
};
inline constexpr int kLunarCalendarCount = 3;

// "辽金元历", "南明历" (UTF-8); empty for the central calendar.
std::string LunarCalendarName(LunarCalendar calendar);

// One lunar year of a calendar's month table.
struct RivalYear {
  LunarCalendar calendar;
  int16_t year;       // named by the civil year of its 正月初一
  int32_t firstJdn;   // Julian day number of 正月初一
  int8_t leapAfter;   // the month followed by the leap month, 0 none
  const char* lengths;  // one character a month, the leap month in place: '1' 30 days, '0' 29
};
// Every year of the rival calendars' tables, each calendar's in order.
const std::vector<RivalYear>& RivalYears();

// The calendar an era's dates are read on in a lunar year: the rival
// calendar of its court while that calendar's table holds the year, else the
// central one.
LunarCalendar CalendarOfEra(const Era& era, int lunarYear);

// One month of a lunar year as its calendar named it.
struct LunarMonthEntry {
  int month = 1;        // 1..12 (13: the closing month of the ancient calendars)
  bool leap = false;
  int occurrence = 0;   // 0: its label is the only one in the year; 1, 2: the first or second of two alike
  int firstDay = 0;     // day number of its first day (0 is 2000-01-01)
  int days = 30;
  std::string name;     // "正月", "闰三月", "一月", "腊月", "四月(建卯)" (UTF-8)
};

// The months of a lunar year on a calendar, in order. A rival calendar's
// year outside its table has the central calendar's months.
std::vector<LunarMonthEntry> MonthsOfLunarYear(LunarCalendar calendar, int lunarYear);

// The name of the month holding a day where its calendar named it otherwise
// than by its number (一月, 腊月, 四月(建巳)); empty elsewhere.
std::string MonthNameOfDay(LunarCalendar calendar, int lunarYear, int dayNumber);

// The day number of a lunar date on a calendar (occurrence 0: the first
// month of that label, or, in a year with two alike on the central calendar,
// the one the date service finds, as always). False when no such day.
bool DayOfLunarDate(LunarCalendar calendar, int lunarYear, int month, bool leap, int day, int occurrence,
                    int* dayNumber);

// The lunar date of a day on a calendar: false when the calendar's table does
// not hold the day (the central calendar's date applies then).
bool RivalLunarDateOfDay(LunarCalendar calendar, int dayNumber, int* lunarYear, int* month, bool* leap, int* day);

// The era of a rival calendar's court that named a lunar month (the one that
// began last before it), or null.
const Era* RivalEra(LunarCalendar calendar, int lunarYear, int month, bool leap);

// The era form of a lunar date on a calendar: as EraDateText for the central
// one, by the rival court's era for the others ("辽统和三年九月廿五日"); with
// the month's own name where its calendar named it otherwise (MonthNameOfDay).
std::string EraDateTextOn(LunarCalendar calendar, int lunarYear, int month, bool leap, int day,
                          const std::string& monthName = {});

}  // namespace lumtar::calendar
