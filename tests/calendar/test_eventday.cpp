// Days of the solar terms and new moons over the three ranges.
#include <gtest/gtest.h>

#include <cmath>
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

TEST(EventDay, MeanNewMoonMovedOffItsTableDay) {
  SSQ_class ssq;
  const int moved = 1683461 - static_cast<int>(astro::kJ2000);
  EXPECT_EQ(ssq.EventDay(moved - 3, EventKind::kNewMoon), moved);
  EXPECT_EQ(ssq.EventDay(moved + 3, EventKind::kNewMoon), moved);
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

// In the corrected range before 1900, each event falls on the day of the true
// event in Beijing local mean time (116°25′E); from 1900 on the solar terms
// fall on the day of the true term in Beijing time. The guesses are those the
// lunar-year builder makes: one per event, near its mean day.
TEST(EventDay, CorrectedRangeMatchesTheTrueEvents) {
  SSQ_class ssq;
  const double lmt = (116.0 + 25.0 / 60) / 360;
  const int day1900 = DayNumber(1900, 1, 1);
  int checked = 0;
  std::vector<std::string> failures;

  const double termStart = SSQ_class::CorrectedRangeStart(EventKind::kSolarTerm) - astro::kJ2000;
  for (double g = termStart + 10; g + astro::kJ2000 < SSQ_class::kEphemerisRangeStart - 10; g += 365.2422 / 24) {
    const double k = std::floor((g + astro::kJ2000 + 7 - 2451259) / 365.2422 * 24);
    const double tt = astro::TimeOfSunLongitude(k * astro::kPi / 12) * 36525;
    const double ut = tt - astro::DeltaTDays(tt);
    int reference = static_cast<int>(std::floor(ut + astro::kBeijingOffsetDays + 0.5));
    if (reference < day1900) reference = static_cast<int>(std::floor(ut + lmt + 0.5));
    ++checked;
    if (ssq.EventDay(g, EventKind::kSolarTerm) != reference) failures.push_back("term k=" + std::to_string(k));
  }
  const double moonStart = SSQ_class::CorrectedRangeStart(EventKind::kNewMoon) - astro::kJ2000;
  const int tableStart = DayNumber(1900, 1, 31);
  for (double g = moonStart + 15; g + astro::kJ2000 < SSQ_class::kEphemerisRangeStart - 15; g += 29.5306) {
    const double k = std::floor((g + astro::kJ2000 + 14 - 2451551) / 29.5306);
    const double tt = astro::TimeOfElongation(2 * astro::kPi * k) * 36525;
    const double ut = tt - astro::DeltaTDays(tt);
    const int reference = static_cast<int>(std::floor(ut + lmt + 0.5));
    if (reference >= tableStart - 1) break;  // from here the official table rules (the walk test)
    ++checked;
    if (ssq.EventDay(g, EventKind::kNewMoon) != reference) failures.push_back("new moon k=" + std::to_string(k));
  }
  EXPECT_GT(checked, 20000);
  EXPECT_TRUE(failures.empty()) << failures.size() << " events off, first " << failures.front();
}
