// The lunar year layout and the conversions between civil and lunar dates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "gbk.h"
#include "timescale.h"
#include "yidateex.h"

using namespace lumtar;
using namespace lumtar::calendar;

namespace {

struct LunarCase {
  DateTime civil;
  int year, month, day;
  bool leap;
};

std::string Text(const DateTime& d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%d-%02d-%02d", d.year, d.month, d.day);
  return buf;
}

// The months of a compact month table (tools/calendar/compact_month_table.py):
// first day (day number), name and length, in order.
struct TableMonth {
  int firstDay;
  int year, month;
  bool leap;
  int length;
};

std::vector<TableMonth> ReadMonthTable(const std::string& path) {
  std::vector<TableMonth> months;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    int year, leapAfter, y, m, d;
    std::string first, lengths;
    s >> year >> first >> leapAfter >> lengths;
    if (std::sscanf(first.c_str(), "%d-%d-%d", &y, &m, &d) != 3) return {};
    int day = static_cast<int>(std::lround(astro::JulianDayOfCalendar(y, m, d + 0.5) - astro::kJ2000));
    if (!months.empty() && months.back().firstDay + months.back().length != day) return {};
    int month = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      const bool leap = leapAfter != 0 && i == static_cast<std::size_t>(leapAfter);
      if (!leap) ++month;
      const int length = lengths[i] == '1' ? 30 : 29;
      months.push_back({day, year, month, leap, length});
      day += length;
    }
  }
  return months;
}

}  // namespace

TEST(LunarCalendar, SolarToLunar) {
  const LunarCase cases[] = {
      {{2000, 2, 5, 10, 30}, 2000, 1, 1, false},   // 正月初一
      {{2000, 2, 4, 10, 30}, 1999, 12, 29, false},  // the last day of a 29-day 十二月
      {{2000, 1, 7, 0, 0}, 1999, 12, 1, false},
      {{2033, 12, 22, 0, 0}, 2033, 11, 1, true},  // 闰十一月初一
      {{2023, 3, 22, 0, 0}, 2023, 2, 1, true},    // 闰二月初一
      {{2023, 2, 20, 0, 0}, 2023, 2, 1, false},
      {{2023, 3, 21, 0, 0}, 2023, 2, 30, false},
      {{1984, 2, 2, 0, 0}, 1984, 1, 1, false},
      {{2024, 2, 10, 0, 0}, 2024, 1, 1, false},
  };
  MYiDateEx date;
  for (const LunarCase& c : cases) {
    DateTime lunar;
    const bool leap = date.SolarToLunar(c.civil, lunar);
    EXPECT_EQ(lunar.year, c.year) << Text(c.civil);
    EXPECT_EQ(lunar.month, c.month) << Text(c.civil);
    EXPECT_EQ(lunar.day, c.day) << Text(c.civil);
    EXPECT_EQ(leap, c.leap) << Text(c.civil);
    EXPECT_EQ(lunar.hour, c.civil.hour);
    EXPECT_EQ(lunar.minute, c.civil.minute);
  }
}

TEST(LunarCalendar, LeapMonthIsTheFirstWithoutAPrincipalTerm) {
  MYiDateEx date;
  date.BuildLunarYear(8500);  // 2023-04-09: the year from the solstice of 2022
  const LunarYearLayout& y = date.Layout();
  ASSERT_NE(y.leap, 0);
  EXPECT_EQ(y.monthNumbers[y.leap], 2);
  EXPECT_EQ(y.monthNumbers[y.leap - 1], 2);
  // The leap month holds no principal term; the month before it does.
  for (int t = 0; t <= 24; t += 2) {
    EXPECT_FALSE(y.solarTerms[t] >= y.newMoons[y.leap] && y.solarTerms[t] < y.newMoons[y.leap + 1]) << t;
  }
  // Months follow one another by 29 or 30 days.
  for (int i = 0; i < 14; ++i) {
    const int length = y.newMoons[i + 1] - y.newMoons[i];
    EXPECT_TRUE(length == 29 || length == 30) << i;
  }
}

TEST(LunarCalendar, LunarToSolar) {
  MYiDateEx date;
  std::string message;
  DateTime civil;
  ASSERT_TRUE(date.LunarToSolar({2023, 2, 1, 8, 15}, true, civil, message));
  EXPECT_EQ(civil, (DateTime{2023, 3, 22, 8, 15}));
  EXPECT_TRUE(message.empty());
  ASSERT_TRUE(date.LunarToSolar({2023, 2, 1, 0, 0}, false, civil, message));
  EXPECT_EQ(civil, (DateTime{2023, 2, 20, 0, 0}));
  ASSERT_TRUE(date.LunarToSolar({2033, 11, 1, 0, 0}, true, civil, message));
  EXPECT_EQ(civil, (DateTime{2033, 12, 22, 0, 0}));
  ASSERT_TRUE(date.LunarToSolar({1999, 12, 29, 0, 0}, false, civil, message));
  EXPECT_EQ(civil, (DateTime{2000, 2, 4, 0, 0}));
  EXPECT_EQ(date.LastDayNumber(), 34);
}

TEST(LunarCalendar, LunarDatesThatDoNotExist) {
  const struct {
    DateTime lunar;
    bool leap;
  } cases[] = {
      {{1999, 12, 30, 0, 0}, false},  // 十二月 of 1999 has 29 days
      {{2023, 3, 1, 0, 0}, true},     // 2023 has no 闰三月
      {{2023, 13, 1, 0, 0}, false},
      {{2023, 0, 1, 0, 0}, false},
      {{2023, 1, 0, 0, 0}, false},
      {{2023, 1, 31, 0, 0}, false},
      {{-32768, -5, -9, 0, 0}, false},
  };
  MYiDateEx date;
  for (const auto& c : cases) {
    std::string message;
    DateTime civil{1, 2, 3, 4, 5};
    EXPECT_FALSE(date.LunarToSolar(c.lunar, c.leap, civil, message)) << Text(c.lunar);
    EXPECT_EQ(message, "不存在这个农历日期，无法转换到公历！");
    EXPECT_EQ(Utf8ToGbk(message).size(), 36u);
  }
}

TEST(LunarCalendar, RoundTripOverCenturies) {
  // Lunar and back gives the same day: every 37th day from 1600 to 2100,
  // every 3rd day of the 春秋 and 战国 years, whose extra month is 十三月, and
  // every day of 新 (9-22), whose months are named a month early, so that the
  // search often starts in a leap month.
  const struct {
    int firstYear, lastYear, step;
  } spans[] = {{1600, 2100, 37}, {-720, -222, 3}, {9, 22, 1}};
  MYiDateEx date;
  for (const auto& span : spans) {
    const double first = astro::JulianDayOfCalendar(span.firstYear, 1, 1.5);
    const double last = astro::JulianDayOfCalendar(span.lastYear, 12, 31.5);
    int thirteenth = 0;
    for (double jd = first; jd <= last; jd += span.step) {
      const DateTime civil = astro::DateTimeOfJulianDay(jd);
      DateTime lunar, back;
      std::string message;
      const bool leap = date.SolarToLunar(civil, lunar);
      thirteenth += lunar.month == 13;
      ASSERT_TRUE(date.LunarToSolar(lunar, leap, back, message)) << Text(civil);
      EXPECT_EQ(Text(back), Text(civil));
    }
    if (span.lastYear < -221) {
      EXPECT_GT(thirteenth, 0) << span.firstYear;
    }
  }
}

TEST(LunarCalendar, ResultsDoNotDependOnEarlierCalls) {
  MYiDateEx fresh, used;
  DateTime lunar;
  // Fill the other instance's caches with many distant years first.
  for (int y = -700; y <= 2900; y += 97) used.SolarToLunar({static_cast<int16_t>(y), 6, 1, 0, 0}, lunar);
  for (int y = 1890; y <= 1910; ++y) {
    for (int m = 1; m <= 12; m += 5) {
      const DateTime civil{static_cast<int16_t>(y), static_cast<int16_t>(m), 15, 0, 0};
      DateTime a, b;
      const bool la = fresh.SolarToLunar(civil, a);
      const bool lb = used.SolarToLunar(civil, b);
      EXPECT_EQ(a, b);
      EXPECT_EQ(la, lb);
      EXPECT_EQ(std::memcmp(&fresh.Layout(), &used.Layout(), sizeof(LunarYearLayout)), 0);
    }
  }
}

TEST(LunarCalendar, AncientYearsCountFromTheRuleOfTheirTime) {
  MYiDateEx date;
  DateTime lunar;
  for (int year = -722; year <= -100; ++year) {
    date.SolarToLunar({static_cast<int16_t>(year), 7, 1, 0, 0}, lunar);
    const LunarYearLayout& y = date.Layout();
    if (year >= -720 && year <= -105) {
      EXPECT_EQ(y.leap, 0) << year;
    }
    for (int i = 0; i + 1 < 14; ++i) {
      const int m = y.monthNumbers[i], next = y.monthNumbers[i + 1];
      if (year >= -718 && year <= -224) {
        // 春秋 and 战国: the year opens with 正月; an extra month closes it
        // as 十三月.
        const int expected = m == 12 ? 13 : m == 13 ? 1 : m + 1;
        EXPECT_TRUE(next == expected || (m == 12 && next == 1)) << year << " month " << i;
      } else if (year >= -218 && year <= -106) {
        // 秦 and early 汉: the year opens with 十月 and the extra month after
        // 九月 closes it under the number 10.
        EXPECT_NE(m, 13) << year;
        if (m == 9) {
          EXPECT_EQ(next, 10) << year << " month " << i;
        }
        if (m == 10 && next != 10) {
          EXPECT_EQ(next, 11) << year << " month " << i;
        }
      }
    }
  }
}

// Where the months were named from another branch, each lunar date still
// follows the one before: the next day of the same month and year, or the
// first day of a month after a 29th or 30th.
TEST(LunarCalendar, LunarDatesRunDayByDayWhereMonthsWereNamedOtherwise) {
  const struct {
    int firstYear, lastYear;
  } spans[] = {
      {688, 701},  // 武周: the year opened with the 子 month
      {760, 763},  // 761-762: 唐肃宗's year opened with the 子 month
  };
  MYiDateEx date;
  for (const auto& span : spans) {
    const double first = astro::JulianDayOfCalendar(span.firstYear, 1, 1.5);
    const double last = astro::JulianDayOfCalendar(span.lastYear, 12, 31.5);
    DateTime before;
    bool beforeLeap = date.SolarToLunar(astro::DateTimeOfJulianDay(first), before);
    for (double jd = first + 1; jd <= last; ++jd) {
      const DateTime civil = astro::DateTimeOfJulianDay(jd);
      DateTime lunar;
      const bool leap = date.SolarToLunar(civil, lunar);
      const bool sameMonth = lunar.year == before.year && lunar.month == before.month && leap == beforeLeap &&
                             lunar.day == before.day + 1;
      const bool nextMonth = lunar.day == 1 && (before.day == 29 || before.day == 30);
      EXPECT_TRUE(sameMonth || nextMonth) << Text(civil) << ": " << lunar.year << "-" << lunar.month << "-"
                                          << lunar.day << " after " << before.year << "-" << before.month << "-"
                                          << before.day;
      before = lunar;
      beforeLeap = leap;
    }
  }
  // 正月初一 of 武周's years fell in December of the civil year before.
  DateTime lunar;
  date.SolarToLunar({690, 12, 6, 0, 0}, lunar);
  EXPECT_EQ(lunar, (DateTime{691, 1, 1, 0, 0}));
  date.SolarToLunar({690, 12, 20, 0, 0}, lunar);  // after the winter solstice
  EXPECT_EQ(lunar, (DateTime{691, 1, 15, 0, 0}));
  // 761-762 named 建子 to 建辰 正月 to 五月; 建巳 was 四月 again.
  const struct {
    DateTime civil, lunar;
  } named[] = {
      {{761, 12, 2, 0, 0}, {762, 1, 1, 0, 0}},
      {{762, 3, 30, 0, 0}, {762, 5, 1, 0, 0}},
      {{762, 4, 29, 0, 0}, {762, 4, 1, 0, 0}},
  };
  for (const auto& c : named) {
    date.SolarToLunar(c.civil, lunar);
    EXPECT_EQ(lunar, c.lunar) << Text(c.civil);
  }
}

// Every day from 1900-01-31 to 2099-12-31 against the official calendar.
//
// One month is known to differ: the new moon of 1978-09-02 UT falls at
// 00:08:54 on 1978-09-03 Beijing time by our ephemeris, nine minutes after
// midnight; the official calendar of that year put 八月初一 on 1978-09-02.
TEST(LunarCalendar, WalkAgainstTheOfficialTable) {
  struct KnownDifference {
    DateTime from, to;
  };
  const KnownDifference known[] = {{{1978, 9, 2, 0, 0}, {1978, 10, 1, 0, 0}}};

  const std::vector<TableMonth> months = ReadMonthTable(LUMTAR_TEST_DATA_DIR "/lunar_months_1900_2099.txt");
  ASSERT_FALSE(months.empty());
  struct Expected {
    int year, month, day;
    bool leap;
  };
  std::vector<Expected> days;  // from 1900-01-31 on
  const int firstDay = months.front().firstDay;
  for (const TableMonth& m : months)
    for (int dd = 1; dd <= m.length; ++dd) days.push_back({m.year, m.month, dd, m.leap});
  const int lastDay = static_cast<int>(std::lround(astro::JulianDayOfCalendar(2099, 12, 31.5) - astro::kJ2000));
  ASSERT_GE(firstDay + static_cast<int>(days.size()) - 1, lastDay);

  MYiDateEx date;
  std::vector<std::string> failures;
  for (int d = firstDay; d <= lastDay; ++d) {
    const DateTime civil = astro::DateTimeOfJulianDay(d + astro::kJ2000);
    DateTime lunar;
    const bool leap = date.SolarToLunar(civil, lunar);
    const Expected& e = days[d - firstDay];
    bool explained = false;
    for (const KnownDifference& k : known) {
      if (Text(civil) >= Text(k.from) && Text(civil) <= Text(k.to)) explained = true;
    }
    if (explained) continue;
    if (lunar.year != e.year || lunar.month != e.month || lunar.day != e.day || leap != e.leap) {
      char buf[120];
      std::snprintf(buf, sizeof buf, "%s: got %d-%s%d-%d, table %d-%s%d-%d", Text(civil).c_str(), lunar.year,
                    leap ? "闰" : "", lunar.month, lunar.day, e.year, e.leap ? "闰" : "", e.month, e.day);
      failures.push_back(buf);
    }
  }
  std::string shown;
  for (std::size_t i = 0; i < failures.size() && i < 40; ++i) shown += failures[i] + "\n";
  EXPECT_TRUE(failures.empty()) << failures.size() << " days differ:\n" << shown;
}

// Every month of the calendars in use from 619 to 1911 (one month of each
// dynasty's own calendar a line): its first and its last day, the name of the
// month, and back from that name to its first day.
//
// The first days all agree. The names differ where our month names follow
// the rules of their time and the table numbers the months from the 寅
// month throughout, and where the leap rule cannot place the leap month: the
// solar terms before 1645 are the mean terms (平气) of the fixed table, which
// no correction digit moves.
TEST(LunarCalendar, WalkAgainstTheHistoricalTable) {
  const std::vector<TableMonth> months = ReadMonthTable(LUMTAR_TEST_DATA_DIR "/historical_months_619_1911.txt");
  ASSERT_EQ(months.size(), 15993u);
  EXPECT_EQ(Text(astro::DateTimeOfJulianDay(months.front().firstDay + astro::kJ2000)), "619-01-21");
  EXPECT_EQ(Text(astro::DateTimeOfJulianDay(months.back().firstDay + months.back().length + astro::kJ2000)),
            "1912-02-18");

  struct Name {
    int year, month;
    bool leap;
    bool operator==(const Name&) const = default;
  };
  auto dayOf = [](int y, int m, int d) {
    return static_cast<int>(std::lround(astro::JulianDayOfCalendar(y, m, d + 0.5) - astro::kJ2000));
  };
  // The spans whose months are named from another branch, as our calendar
  // names the table's months there: 武周 (689-700) opened the year with the
  // 子 month as 正月 and called the 丑 month 腊月 (12) of the new year;
  // 761-762 named the 子 to 辰 months 正月 to 五月 of 762.
  const int wuZhouFirst = dayOf(689, 12, 18), wuZhouLast = dayOf(700, 11, 15);
  const int suZongFirst = dayOf(761, 12, 2), suZongLast = dayOf(762, 3, 30);
  auto renamed = [&](const TableMonth& m) {
    Name n{m.year, m.month, m.leap};
    if (m.firstDay >= wuZhouFirst && m.firstDay <= wuZhouLast && !m.leap && m.month >= 11)
      n = {m.year + 1, m.month == 11 ? 1 : 12, false};
    if (m.firstDay >= suZongFirst && m.firstDay <= suZongLast)
      n = {762, m.year == 761 ? m.month - 10 : m.month + 2, false};
    return n;
  };
  // The leap months the calendar then in use put one month earlier than the
  // leap rule with the mean terms: 神功 (697) 闰十月, which our calendar, by
  // 武周's names, has as the 腊月 after it; 开元 12 (724) 闰十二月, ours 闰正月
  // of 725.
  const struct {
    int firstDay;
    Name ours;
  } leapElsewhere[] = {
      {dayOf(697, 11, 20), {698, 1, false}},  // table 697 闰十月
      {dayOf(697, 12, 20), {698, 12, false}}, // table 697 十一月
      {dayOf(698, 1, 18), {698, 12, true}},   // table 697 十二月
      {dayOf(725, 1, 19), {725, 1, false}},   // table 724 闰十二月
      {dayOf(725, 2, 18), {725, 1, true}},    // table 725 正月
  };

  auto ourName = [&](const TableMonth& m) {
    for (const auto& l : leapElsewhere)
      if (l.firstDay == m.firstDay) return l.ours;
    return renamed(m);
  };
  // Two months of one name: a lunar date of that name gives the day of one
  // of them.
  std::map<std::tuple<int, int, bool>, int> sameName;
  for (const TableMonth& m : months) {
    const Name n = ourName(m);
    ++sameName[{n.year, n.month, n.leap}];
  }

  MYiDateEx date;
  std::vector<std::string> failures;
  int renamedMonths = 0, leapsElsewhere = 0, twoOfAName = 0;
  for (const TableMonth& m : months) {
    const Name expected = ourName(m);
    if (!(expected == renamed(m)))
      ++leapsElsewhere;
    else if (!(expected == Name{m.year, m.month, m.leap}))
      ++renamedMonths;
    const bool unique = sameName[{expected.year, expected.month, expected.leap}] == 1;
    twoOfAName += !unique;
    const DateTime first = astro::DateTimeOfJulianDay(m.firstDay + astro::kJ2000);
    const DateTime last = astro::DateTimeOfJulianDay(m.firstDay + m.length - 1 + astro::kJ2000);
    DateTime a, b, back;
    const bool leapA = date.SolarToLunar(first, a);
    const bool leapB = date.SolarToLunar(last, b);
    std::string message;
    const bool found =
        date.LunarToSolar({static_cast<int16_t>(expected.year), static_cast<int16_t>(expected.month), 1, 0, 0},
                          expected.leap, back, message);
    const Name got{a.year, a.month, leapA};
    if (!(got == expected) || a.day != 1 || !(Name{b.year, b.month, leapB} == expected) || b.day != m.length ||
        (unique && (!found || Text(back) != Text(first)))) {
      char buf[160];
      std::snprintf(buf, sizeof buf, "%s: got %d-%s%d-%d to %d-%s%d-%d, expected %d-%s%d of %d days",
                    Text(first).c_str(), a.year, leapA ? "闰" : "", a.month, a.day, b.year, leapB ? "闰" : "",
                    b.month, b.day, expected.year, expected.leap ? "闰" : "", expected.month, m.length);
      failures.push_back(buf);
    }
  }
  EXPECT_EQ(renamedMonths, 25);  // 20 of 武周, 5 of 761-762
  EXPECT_EQ(leapsElsewhere, 5);
  // 正月 and 一月 of 武周's 11 years 690-700, 700's 腊月 and 十二月, 762's
  // 四月 and 五月.
  EXPECT_EQ(twoOfAName, 2 * 11 + 2 + 4);
  std::string shown;
  for (std::size_t i = 0; i < failures.size() && i < 40; ++i) shown += failures[i] + "\n";
  EXPECT_TRUE(failures.empty()) << failures.size() << " months differ:\n" << shown;
}
