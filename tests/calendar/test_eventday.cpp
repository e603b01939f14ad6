// Days of the solar terms and new moons over the three ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lunar.h"
#include "moon.h"
#include "planets.h"
#include "timescale.h"

using namespace lumtar;
using namespace lumtar::calendar;

namespace {

int DayNumber(int y, int m, int d) {
  return static_cast<int>(std::lround(astro::JulianDayOfCalendar(y, m, d + 0.5) - astro::kJ2000));
}

}  // namespace

TEST(EventDay, EphemerisRangeEvents) {
  SSQ_class ssq;
  // 立春 2000 on 2000-02-04 (day 34).
  EXPECT_EQ(ssq.EventDay(34, EventKind::kSolarTerm), 34);
  EXPECT_EQ(ssq.EventDay(30, EventKind::kSolarTerm), 34);
  // The new moon of 2000-01-06 18:14 UT is at 02:14 on 2000-01-07 in Beijing.
  EXPECT_EQ(ssq.EventDay(5, EventKind::kNewMoon), 6);
  EXPECT_EQ(ssq.EventDay(10, EventKind::kNewMoon), 6);
  // The winter solstice of 2000 on 2000-12-21.
  EXPECT_EQ(ssq.EventDay(355, EventKind::kSolarTerm), DayNumber(2000, 12, 21));
}

// The twelfth month of 元封七年, the first after the Taichu epoch (the
// 甲子 day of the winter solstice, -104-12-25 of the Julian calendar), began
// on 甲午, -103-01-24, as the Qin-Han calendar then still in use had it (the
// Taichu calendar was proclaimed in the fifth month of 太初元年, 汉书·武帝纪),
// and not on the Taichu mean new moon's 癸巳 the day before.
TEST(EventDay, FirstMonthAfterTheTaichuEpochBeginsOnTheQinHanDay) {
  SSQ_class ssq;
  auto cycleDay = [](int day) { return ((day + static_cast<int>(astro::kJ2000) + 49) % 60 + 60) % 60; };  // 0 甲子
  const int epoch = DayNumber(-104, 12, 25), month = DayNumber(-103, 1, 24);
  ASSERT_EQ(cycleDay(epoch), 0);
  EXPECT_EQ(cycleDay(month), 30);  // 甲午
  EXPECT_EQ(ssq.EventDay(epoch + 2, EventKind::kNewMoon), epoch);
  EXPECT_EQ(ssq.EventDay(month - 3, EventKind::kNewMoon), month);
  EXPECT_EQ(ssq.EventDay(month + 3, EventKind::kNewMoon), month);
}

TEST(EventDay, RangeLimits) {
  EXPECT_DOUBLE_EQ(SSQ_class::CorrectedRangeStart(EventKind::kSolarTerm), 2322140.76);  // 1645-09-14
  EXPECT_DOUBLE_EQ(SSQ_class::CorrectedRangeStart(EventKind::kNewMoon), 1947154);      // 619-01-07
  EXPECT_DOUBLE_EQ(SSQ_class::MeanTableStart(EventKind::kSolarTerm), 1640643.479938);
  EXPECT_DOUBLE_EQ(SSQ_class::MeanTableStart(EventKind::kNewMoon), 1457684.231017);
}

// At 1960-01-01 the corrected formula gives way to the ephemeris: the events
// around the switch still follow each other at their usual intervals.
TEST(EventDay, DaysIncreaseSteadilyAcrossTheSwitchTo1960) {
  SSQ_class ssq;
  struct Case {
    EventKind kind;
    double step;
    int minGap, maxGap;
  };
  const Case cases[] = {
      {EventKind::kSolarTerm, 365.2422 / 24, 14, 17},
      {EventKind::kNewMoon, 29.5306, 29, 30},
  };
  const double start = SSQ_class::kEphemerisRangeStart - astro::kJ2000;
  for (const Case& c : cases) {
    for (double phase = 0; phase < c.step; phase += c.step / 7) {
      int previous = ssq.EventDay(start + phase - 20 * c.step, c.kind);
      for (int i = -19; i <= 20; ++i) {
        const int day = ssq.EventDay(start + phase + i * c.step, c.kind);
        EXPECT_GE(day - previous, c.minGap) << "phase " << phase << " step " << i;
        EXPECT_LE(day - previous, c.maxGap) << "phase " << phase << " step " << i;
        previous = day;
      }
    }
  }
}

// Around every change of method (the start of the mean tables in -721 and
// -221, the corrected formula from 619 and 1645, the ephemeris from 1960) the
// lunar years built for each day hold 25 terms and 15 new moons at plausible
// intervals: no event twice, none skipped.
TEST(EventDay, LunarYearsAroundTheSwitchesAreWhole) {
  SSQ_class ssq;
  for (int year : {-722, -721, -720, -222, -221, -220, 618, 619, 620, 1644, 1645, 1646, 1959, 1960, 1961}) {
    const int first = DayNumber(year, 1, 1);
    for (int d = first; d < first + 366; ++d) {
      ssq.BuildLunarYear(d);
      const LunarYearLayout& y = ssq.Layout();
      for (int i = 0; i < 24; ++i) {
        const int gap = y.solarTerms[i + 1] - y.solarTerms[i];
        ASSERT_TRUE(gap >= 13 && gap <= 18) << "day " << d << " term " << i << " gap " << gap;
      }
      for (int i = 0; i < 14; ++i) {
        const int gap = y.newMoons[i + 1] - y.newMoons[i];
        ASSERT_TRUE(gap == 29 || gap == 30) << "day " << d << " month " << i << " gap " << gap;
      }
      ASSERT_LE(y.newMoons[0], d);
      ASSERT_GT(y.newMoons[14], d);
    }
  }
}

// In the corrected range before 1900, each solar term falls on the day of
// the true term in Beijing local mean time (116°25′E), the meridian of the
// Qing calendar, but for the four terms moved to the next day across
// midnight so that the leap month falls where the Qing calendar put it. The
// new moons are the first days of the months of the calendars in use (the
// month walk checks them): never more than a day from the true new moon.
// (From 1900 on the walk test checks the new moons against the official
// calendar, and the terms agree with the true terms in Beijing time.)
TEST(EventDay, CorrectedRangeMatchesTheTrueEvents) {
  SSQ_class ssq;
  const double lmt = (116.0 + 25.0 / 60) / 360;
  const int termsFrom = static_cast<int>(std::ceil(SSQ_class::CorrectedRangeStart(EventKind::kSolarTerm) - astro::kJ2000));
  const int moonsFrom = static_cast<int>(std::ceil(SSQ_class::CorrectedRangeStart(EventKind::kNewMoon) - astro::kJ2000));
  const int day1900 = DayNumber(1900, 1, 1);
  // The moved terms: their true day and the day they are put on.
  const std::map<int, int> moved = {
      {DayNumber(1651, 3, 21), DayNumber(1651, 3, 20)},   // 春分, 01:16
      {DayNumber(1661, 9, 22), DayNumber(1661, 9, 23)},   // 秋分, 23:37
      {DayNumber(1727, 4, 21), DayNumber(1727, 4, 20)},   // 谷雨, 00:26
      {DayNumber(1805, 8, 23), DayNumber(1805, 8, 24)},   // 处暑, 23:52
  };
  std::set<int> terms, moons;
  std::vector<std::string> failures;
  int movedSeen = 0, moonsOffTheTrueDay = 0;
  for (int year = 619; year < 1900; ++year) {
    for (int month = 1; month <= 12; month += 3) {
      ssq.BuildLunarYear(DayNumber(year, month, 1));
      const LunarYearLayout& y = ssq.Layout();
      for (int d : y.solarTerms) {
        if (d < termsFrom || d >= day1900 || !terms.insert(d).second) continue;
        const double k = std::round((d + astro::kJ2000 - 2451259) / (365.2422 / 24));
        const double tt = astro::TimeOfSunLongitude(k * astro::kPi / 12) * 36525;
        int reference = static_cast<int>(std::floor(tt - astro::DeltaTDays(tt) + lmt + 0.5));
        if (moved.count(reference)) {
          reference = moved.at(reference);
          ++movedSeen;
        }
        if (d != reference) failures.push_back("term on day " + std::to_string(d));
      }
      for (int d : y.newMoons) {
        if (d < moonsFrom || d >= day1900 || !moons.insert(d).second) continue;
        const double k = std::round((d + astro::kJ2000 - 2451551) / 29.530588853);
        const double tt = astro::TimeOfElongation(2 * astro::kPi * k) * 36525;
        const int reference = static_cast<int>(std::floor(tt - astro::DeltaTDays(tt) + lmt + 0.5));
        if (std::abs(d - reference) > 1) failures.push_back("new moon on day " + std::to_string(d));
        moonsOffTheTrueDay += d != reference;
      }
    }
  }
  EXPECT_GT(terms.size(), 6000u);
  EXPECT_GT(moons.size(), 15000u);
  EXPECT_EQ(movedSeen, 4);
  std::printf("%zu new moons, %d not on the day of the true new moon\n", moons.size(), moonsOffTheTrueDay);
  EXPECT_TRUE(failures.empty()) << failures.size() << " events off, first " << failures.front();
}
