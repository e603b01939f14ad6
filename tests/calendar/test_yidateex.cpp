// The date service: days, weekdays, pillars, solar terms, pillar time.
#include <gtest/gtest.h>

#include <cmath>

#include "calnames.h"
#include "yidateex.h"

using namespace lumtar;
using namespace lumtar::calendar;

TEST(DateService, DaysAndWeekdays) {
  MYiDateEx date;
  EXPECT_EQ(date.DayPillarOf({2000, 1, 1, 0, 0}), 55);  // 戊午
  EXPECT_EQ(date.DayPillarOf({1984, 2, 2, 0, 0}), 3);   // 丙寅
  EXPECT_EQ(date.WeekdayOf({2000, 1, 1, 0, 0}), 6);     // Saturday
  EXPECT_EQ(date.WeekdayOf({1582, 10, 15, 0, 0}), 5);   // Friday, the day after Thursday 10-04
  EXPECT_EQ(date.WeekdayOf({1582, 10, 4, 0, 0}), 4);
  // Far back the cycles still count forward without a negative result.
  const int before = date.DayPillarOf({-4713, 1, 1, 0, 0});
  const int after = date.DayPillarOf({-4713, 1, 2, 0, 0});
  EXPECT_GE(before, 0);
  EXPECT_EQ((before + 1) % 60, after);
  EXPECT_GE(date.WeekdayOf({-4713, 1, 1, 0, 0}), 0);
}

TEST(DateService, ValidSolarDates) {
  const struct {
    DateTime t;
    bool valid;
  } cases[] = {
      {{2023, 2, 29, 0, 0}, false}, {{2024, 2, 29, 0, 0}, true},  {{1582, 10, 10, 0, 0}, false},
      {{1582, 10, 4, 0, 0}, true},  {{1582, 10, 15, 0, 0}, true}, {{1582, 10, 20, 0, 0}, true},
      {{1582, 10, 31, 0, 0}, true}, {{1500, 2, 29, 0, 0}, true},  {{1900, 2, 29, 0, 0}, false},
      {{2000, 2, 29, 0, 0}, true},  {{2023, 4, 31, 0, 0}, false}, {{2023, 12, 31, 0, 0}, true},
      {{2023, 13, 1, 0, 0}, false}, {{2023, 0, 1, 0, 0}, false},  {{2023, 1, 0, 0, 0}, false},
      {{2023, 1, -3, 0, 0}, false}, {{-4713, 1, 1, 0, 0}, true},  {{9999, 12, 31, 0, 0}, true},
  };
  MYiDateEx date;
  for (const auto& c : cases)
    EXPECT_EQ(date.IsValidSolarDate(c.t), c.valid) << c.t.year << "-" << c.t.month << "-" << c.t.day;
}

TEST(DateService, AddOneDay) {
  MYiDateEx date;
  DateTime t{2023, 12, 31, 23, 59};
  date.AddOneDay(t);
  EXPECT_EQ(t, (DateTime{2024, 1, 1, 23, 59}));
  t = {1582, 10, 4, 7, 30};
  date.AddOneDay(t);
  EXPECT_EQ(t, (DateTime{1582, 10, 15, 7, 30}));
}

TEST(DateService, SolarTermMoments) {
  MYiDateEx date;
  DateTime t;
  date.SolarTermMoment(2000, 2, true, t);
  EXPECT_EQ(t, (DateTime{2000, 2, 4, 20, 40}));  // 立春
  date.SolarTermMoment(1984, 2, true, t);
  EXPECT_EQ(t, (DateTime{1984, 2, 4, 23, 19}));  // 23:18:44 rounded
  date.SolarTermMoment(2000, 12, false, t);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.day, 21);  // 冬至
}

TEST(DateService, YearSolarTerms) {
  MYiDateEx date;
  const std::vector<SolarTermEntry> terms = date.YearSolarTerms(2000);
  ASSERT_EQ(terms.size(), 25u);
  EXPECT_EQ(terms.front().index, 0);
  EXPECT_EQ(terms.front().moment.month, 1);
  EXPECT_EQ(terms.front().moment.day, 6);  // 小寒 2000-01-06
  EXPECT_EQ(terms[2].moment, (DateTime{2000, 2, 4, 20, 40}));
  EXPECT_EQ(terms[23].index, 23);
  EXPECT_EQ(terms[23].moment.month, 12);
  EXPECT_EQ(terms[23].moment.day, 21);  // 冬至 2000-12-21
  EXPECT_EQ(terms[24].moment.year, kEndOfTermsYear);
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(terms[i].index, i);
    EXPECT_EQ(terms[i].moment.year, 2000);
  }
  // A year whose first term is not 小寒 still lists every term within it,
  // in order, and far years end cleanly.
  for (int year : {-4712, -1000, 1, 1582, 1600, 2100, 9999}) {
    const std::vector<SolarTermEntry> list = date.YearSolarTerms(year);
    ASSERT_GE(list.size(), 24u) << year;
    EXPECT_LE(list.size(), 26u) << year;
    EXPECT_EQ(list.back().moment.year, kEndOfTermsYear);
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
      EXPECT_EQ(list[i].moment.year, year);
      if (i > 0) {
        EXPECT_EQ(list[i].index, (list[i - 1].index + 1) % 24) << year;
      }
    }
  }
}

TEST(DateService, MonthTermsAround) {
  MYiDateEx date;
  DateTime before, principal, after;
  // 2000-03-01 lies in the 寅 month from 立春 2000-02-04 20:40.
  EXPECT_EQ(date.MonthTermsAround({2000, 3, 1, 12, 0}, before, principal, after), 3);
  EXPECT_EQ(before, (DateTime{2000, 2, 4, 20, 40}));
  EXPECT_EQ(principal.month, 2);
  EXPECT_EQ(principal.day, 19);  // 雨水
  EXPECT_EQ(after.month, 3);
  EXPECT_EQ(after.day, 5);  // 惊蛰
  // The minute of the term belongs to the month it opens.
  EXPECT_EQ(date.MonthTermsAround({2000, 2, 4, 20, 40}, before, principal, after), 3);
  EXPECT_EQ(date.MonthTermsAround({2000, 2, 4, 20, 39}, before, principal, after), 2);
  EXPECT_EQ(date.MonthTermsAround({2000, 12, 30, 0, 0}, before, principal, after), 1);   // 子, from 大雪
  EXPECT_EQ(date.MonthTermsAround({2000, 1, 3, 0, 0}, before, principal, after), 1);     // still 子
  EXPECT_EQ(date.MonthTermsAround({2000, 11, 20, 0, 0}, before, principal, after), 0);   // 亥, from 立冬
}

TEST(DateService, FourPillars) {
  MYiDateEx date;
  struct Case {
    DateTime moment;
    const char* year;
    const char* month;
    const char* day;
    const char* hour;
  };
  const Case cases[] = {
      // 立春 1984 at 23:19; 23:00 already belongs to the next day, 己巳.
      {{1984, 2, 4, 23, 18}, "癸亥", "乙丑", "己巳", "甲子"},
      {{1984, 2, 4, 23, 19}, "甲子", "丙寅", "己巳", "甲子"},
      {{1984, 2, 4, 22, 59}, "癸亥", "乙丑", "戊辰", "癸亥"},
      {{2000, 1, 1, 12, 0}, "己卯", "丙子", "戊午", "戊午"},
      {{2000, 1, 1, 0, 30}, "己卯", "丙子", "戊午", "壬子"},
      {{1999, 12, 31, 23, 0}, "己卯", "丙子", "戊午", "壬子"},  // 23:00 is already the next day
      {{2000, 2, 4, 20, 40}, "庚辰", "戊寅", "壬辰", "庚戌"},
  };
  for (const Case& c : cases) {
    const FourPillarIndexes p = date.FourPillars(c.moment, c.moment);
    EXPECT_EQ(SexagenaryName(p.year), c.year);
    EXPECT_EQ(SexagenaryName(p.month), c.month);
    EXPECT_EQ(SexagenaryName(p.day), c.day);
    EXPECT_EQ(SexagenaryName(p.hour), c.hour);
  }
}

TEST(DateService, PillarTime) {
  MYiDateEx date;
  DateTime t{2000, 6, 1, 12, 0};
  EXPECT_EQ(date.ApplyPillarTime(120.0f, t, kLocalMeanTime), 0);
  EXPECT_EQ(t, (DateTime{2000, 6, 1, 12, 0}));
  date.ApplyPillarTime(116.5f, t, kLocalMeanTime);
  EXPECT_EQ(t, (DateTime{2000, 6, 1, 11, 46}));  // 840 s earlier
  // 116.4 in single precision is 863.9996 s from 120°, counted as 863 s:
  // 11:45:37 rounds to 11:46.
  t = {2000, 6, 1, 12, 0};
  date.ApplyPillarTime(116.4f, t, kLocalMeanTime);
  EXPECT_EQ(t, (DateTime{2000, 6, 1, 11, 46}));
  t = {2000, 6, 1, 12, 0};
  date.ApplyPillarTime(119.9f, t, kLocalMeanTime);  // 23 s earlier: 11:59:38 rounds to 12:00
  EXPECT_EQ(t, (DateTime{2000, 6, 1, 12, 0}));
  // A longitude that is no place leaves the moment alone.
  for (float bad : {std::nanf(""), 1e30f, -1e30f, 400.0f}) {
    t = {2000, 6, 1, 12, 0};
    EXPECT_EQ(date.ApplyPillarTime(bad, t, kTrueSolarTime), 0);
    EXPECT_EQ(t, (DateTime{2000, 6, 1, 12, 0}));
  }
  // True solar time: early November the Sun runs about 16 minutes fast.
  t = {2000, 11, 3, 12, 0};
  const int e = date.ApplyPillarTime(120.0f, t, kTrueSolarTime);
  EXPECT_NEAR(e, 984, 10);
  EXPECT_EQ(t.hour, 12);
  EXPECT_EQ(t.minute, 16);
}

TEST(DateService, EquationOfTime) {
  MYiDateEx date;
  // Near zero about 15 April, 13 June, 1 September and 25 December; about
  // -14 min in mid-February.
  EXPECT_NEAR(date.EquationOfTimeSeconds({2000, 4, 15, 20, 0}), 0, 30);
  EXPECT_NEAR(date.EquationOfTimeSeconds({2000, 6, 13, 20, 0}), 0, 30);
  EXPECT_NEAR(date.EquationOfTimeSeconds({2000, 9, 1, 20, 0}), 0, 30);
  EXPECT_NEAR(date.EquationOfTimeSeconds({2000, 2, 12, 20, 0}), -14 * 60 - 15, 20);
}
