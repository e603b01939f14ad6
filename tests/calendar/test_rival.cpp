// The rival courts' calendars and the years that named two months alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "eras.h"
#include "rivalcalendars.h"
#include "timescale.h"
#include "yidateex.h"

using namespace lumtar;
using namespace lumtar::calendar;

namespace {

std::string CivilText(int dayNumber) {
  const DateTime t = astro::DateTimeOfJulianDay(dayNumber + astro::kJ2000);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
  return buf;
}

}  // namespace

// Every month of the rival calendars' tables beside the central calendar's
// month of the same name in that year: 203 begin on another day, last
// another number of days or are leap months the central year does not have.
// Each day of them reads back as its rival date, and the date service's
// central reading stays what it was.
TEST(RivalCalendars, TheMonthsThatDifferFromTheCentralCalendar) {
  int months = 0, differing = 0, leapOnlyThere = 0;
  std::map<LunarCalendar, int> perCalendar;
  MYiDateEx date;
  std::map<int, std::vector<LunarMonthEntry>> centralYears;
  for (const RivalYear& y : RivalYears()) {
    auto& central = centralYears[y.year];
    if (central.empty()) central = MonthsOfLunarYear(LunarCalendar::kCentral, y.year);
    for (const LunarMonthEntry& m : MonthsOfLunarYear(y.calendar, y.year)) {
      ++months;
      const LunarMonthEntry* same = nullptr;
      for (const LunarMonthEntry& c : central)
        if (c.month == m.month && c.leap == m.leap) same = &c;
      if (same && same->firstDay == m.firstDay && same->days == m.days) continue;
      ++differing;
      ++perCalendar[y.calendar];
      if (!same) ++leapOnlyThere;
      for (int day = 1; day <= m.days; ++day) {
        int number = 0;
        ASSERT_TRUE(DayOfLunarDate(y.calendar, y.year, m.month, m.leap, day, 0, &number))
            << y.year << " " << m.name << day;
        EXPECT_EQ(number, m.firstDay + day - 1);
        int ry = 0, rm = 0, rd = 0;
        bool rl = false;
        ASSERT_TRUE(RivalLunarDateOfDay(y.calendar, number, &ry, &rm, &rl, &rd));
        EXPECT_EQ(std::make_tuple(ry, rm, rl, rd), std::make_tuple(int{y.year}, m.month, m.leap, day))
            << CivilText(number);
      }
    }
  }
  EXPECT_EQ(months, 4650);
  EXPECT_EQ(differing, 203);
  EXPECT_GT(perCalendar[LunarCalendar::kLiaoJinYuan], 0);
  EXPECT_GT(perCalendar[LunarCalendar::kSouthernMing], 0);
  EXPECT_GT(leapOnlyThere, 0);
}

// Dates written with the eras of the rival courts, read on their calendar;
// the same dates without an era stay on the central calendar.
TEST(RivalCalendars, EraDatesOfTheRivalCourts) {
  const struct {
    const char* era;
    int number, month, day;
    bool leap;
    const char* rival;
    const char* central;
  } cases[] = {
      {"统和", 3, 9, 25, false, "0985-11-10", "0985-10-11"},
      {"南明:永历", 2, 4, 1, false, "1648-05-22", "1648-04-23"},
      {"会同", 9, 1, 1, false, "0946-02-05", "0946-02-05"},  // a month both calendars begin alike
  };
  for (const auto& c : cases) {
    const EraLookup found = LookUpEra(c.era, c.number);
    ASSERT_EQ(found.result, EraLookup::kFound) << c.era;
    const int year = found.era->LunarYear(c.number);
    const LunarCalendar calendar = CalendarOfEra(*found.era, year);
    EXPECT_NE(calendar, LunarCalendar::kCentral) << c.era;
    int rival = 0, central = 0;
    ASSERT_TRUE(DayOfLunarDate(calendar, year, c.month, c.leap, c.day, 0, &rival)) << c.era;
    ASSERT_TRUE(DayOfLunarDate(LunarCalendar::kCentral, year, c.month, c.leap, c.day, 0, &central)) << c.era;
    EXPECT_EQ(CivilText(rival), c.rival) << c.era;
    EXPECT_EQ(CivilText(central), c.central) << c.era;
  }
  // The central courts' eras stay on the central calendar, and so do the
  // rival courts' eras in years their calendar's table does not hold.
  EXPECT_EQ(CalendarOfEra(*LookUpEra("雍熙", 2).era, 985), LunarCalendar::kCentral);
  EXPECT_EQ(CalendarOfEra(*LookUpEra("顺治", 5).era, 1648), LunarCalendar::kCentral);
  EXPECT_EQ(CalendarOfEra(*LookUpEra("元世祖:至元", 18).era, 1281), LunarCalendar::kCentral);
  EXPECT_EQ(CalendarOfEra(*LookUpEra("元世祖:至元", 17).era, 1280), LunarCalendar::kLiaoJinYuan);
  // The era form names the rival court's era.
  EXPECT_EQ(EraDateTextOn(LunarCalendar::kLiaoJinYuan, 985, 9, false, 25), "辽统和三年九月廿五日");
  EXPECT_EQ(EraDateTextOn(LunarCalendar::kSouthernMing, 1648, 4, false, 1), "南明永历二年四月初一日");
}

// The leap months of the rival calendars that the central year lacks: every
// one of their days was refused on the central calendar and is a day now.
TEST(RivalCalendars, LeapMonthsTheCentralCalendarLacks) {
  MYiDateEx date;
  int refusedBefore = 0;
  for (const RivalYear& y : RivalYears()) {
    for (const LunarMonthEntry& m : MonthsOfLunarYear(y.calendar, y.year)) {
      if (!m.leap) continue;
      for (int day = 1; day <= m.days; ++day) {
        DateTime civil;
        std::string message;
        const DateTime lunar{y.year, static_cast<int16_t>(m.month), static_cast<int16_t>(day), 12, 0};
        if (date.LunarToSolar(lunar, true, civil, message)) continue;
        ++refusedBefore;
        int number = 0;
        EXPECT_TRUE(DayOfLunarDate(y.calendar, y.year, m.month, true, day, 0, &number)) << y.year;
      }
    }
  }
  EXPECT_EQ(refusedBefore, 588);
}

// 武周 (690-700) and 762 named two months of a year alike. Every day of
// those years is reached by its lunar date and the month named as the
// calendar then did; without saying which month (occurrence 0) a date
// reads as it always did, which left 413 days out of reach.
TEST(MonthsNamedTwice, EveryDayIsReachedByItsLunarDate) {
  MYiDateEx date;
  int doubled = 0, days = 0;
  std::set<int> reachedBefore, reachedNow, all;
  for (int year = 689; year <= 763; ++year) {
    for (const LunarMonthEntry& m : MonthsOfLunarYear(LunarCalendar::kCentral, year)) {
      if (m.occurrence != 0) ++doubled;
      for (int day = 1; day <= m.days; ++day) {
        ++days;
        all.insert(m.firstDay + day - 1);
        // As the date service always read it.
        const DateTime lunar{static_cast<int16_t>(year), static_cast<int16_t>(m.month), static_cast<int16_t>(day),
                             12, 0};
        DateTime civil;
        std::string message;
        if (date.LunarToSolar(lunar, m.leap, civil, message)) reachedBefore.insert(date.LastDayNumber());
        if (m.occurrence == 0) {
          EXPECT_EQ(date.LastDayNumber(), m.firstDay + day - 1) << year << m.name << day;
          reachedNow.insert(m.firstDay + day - 1);
          continue;
        }
        int number = 0;
        ASSERT_TRUE(DayOfLunarDate(LunarCalendar::kCentral, year, m.month, m.leap, day, m.occurrence, &number))
            << year << m.name << day;
        EXPECT_EQ(number, m.firstDay + day - 1) << year << m.name << day;
        reachedNow.insert(number);
      }
    }
  }
  // 正月 and 一月 in 690-700, 腊月 and 十二月 in 700, 四月 and 五月 in 762.
  EXPECT_EQ(doubled, 2 * 11 + 2 + 4);
  EXPECT_EQ(reachedNow, all);
  EXPECT_EQ(all.size() - reachedBefore.size(), 413u);  // a whole month of every pair but one
  EXPECT_EQ(static_cast<std::size_t>(days), all.size());
}

TEST(MonthsNamedTwice, TheMonthsAreNamedAsTheirCalendarDid) {
  const auto names = [](int year) {
    std::vector<std::string> out;
    for (const LunarMonthEntry& m : MonthsOfLunarYear(LunarCalendar::kCentral, year)) out.push_back(m.name);
    return out;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(names(691), (Names{"正月", "腊月", "一月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月",
                               "十月"}));
  EXPECT_EQ(names(700), (Names{"正月", "腊月", "一月", "二月", "三月", "四月", "五月", "六月", "七月", "闰七月",
                               "八月", "九月", "十月", "十一月", "十二月"}));
  EXPECT_EQ(names(762), (Names{"正月", "二月", "三月", "四月(建卯)", "五月(建辰)", "四月(建巳)", "五月(建午)", "六月",
                               "七月", "八月", "九月", "十月", "十一月", "十二月"}));
  EXPECT_EQ(names(1711).size(), 12u);
  // The first days: 正月 of 天授二年 (691) is the 子 month, 一月 the 寅 month.
  const std::vector<LunarMonthEntry> y691 = MonthsOfLunarYear(LunarCalendar::kCentral, 691);
  EXPECT_EQ(CivilText(y691[0].firstDay), "0690-12-06");
  EXPECT_EQ(CivilText(y691[2].firstDay), "0691-02-04");
  EXPECT_EQ(MonthNameOfDay(LunarCalendar::kCentral, 691, y691[2].firstDay + 3), "一月");
  EXPECT_EQ(MonthNameOfDay(LunarCalendar::kCentral, 691, y691[0].firstDay), "");
  EXPECT_EQ(MonthNameOfDay(LunarCalendar::kCentral, 691, y691[1].firstDay), "腊月");
}
