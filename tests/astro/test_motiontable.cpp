// The tabulated motion states against the station search they were made
// with: every planet, every year of the table.
#include <gtest/gtest.h>

#include <string>

#include "mastrocalc.h"
#include "motionstates.h"

using namespace lumtar::astro;

namespace {

const char* const kPlanetNames[] = {"Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune"};

class MotionTable : public testing::TestWithParam<int> {};

DateTime MinuteOf(double jd) { return DateTimeOfJulianDay(jd); }

}  // namespace

// Every change of state within every year, bit for bit, and the state at
// each year's first midnight.
TEST_P(MotionTable, EqualsTheSearchInEveryYear) {
  const int body = GetParam();
  int changes = 0;
  for (int year = kMotionTableFirstYear; year <= kMotionTableLastYear; ++year) {
    const std::vector<MotionChange> searched = SearchedMotionChanges(body, year);
    const std::vector<MotionChange> table = TabulatedMotionChanges(body, year);
    ASSERT_EQ(table, searched) << kPlanetNames[body - 1] << " " << year;
    changes += static_cast<int>(table.size()) - 1;
  }
  // Mercury turns about six times a year, Venus about once.
  const int years = kMotionTableLastYear - kMotionTableFirstYear + 1;
  EXPECT_GT(changes, years * (body == kMercury ? 5 : body == kVenus ? 1 : body == kMars ? 0 : 1));
}

INSTANTIATE_TEST_SUITE_P(Planets, MotionTable, testing::Range(1, 8),
                         [](const testing::TestParamInfo<int>& p) { return std::string(kPlanetNames[p.param - 1]); });

// The service answers from the table inside it and from the search outside
// it, and both agree with a chain searched on the spot, on the minutes
// around every change of a few years and at the edges of the table.
TEST(MotionTableService, AgreesWithTheChainAroundEveryChange) {
  MAstroCalc service;
  const int chartBodyOf[8] = {0, kChartMercury, kChartVenus, kChartMars, kChartJupiter, kChartSaturn, kChartUranus,
                              kChartNeptune};
  for (int year : {kMotionTableFirstYear - 1, kMotionTableFirstYear, 1582, 1600, 1999, 2100, kMotionTableLastYear,
                   kMotionTableLastYear + 1}) {
    for (int body = 1; body <= 7; ++body) {
      StationChain chain(body, year);
      std::vector<DateTime> moments{{static_cast<int16_t>(year), 1, 1, 0, 0}, {static_cast<int16_t>(year), 12, 31, 23, 59}};
      for (const MotionChange& c : SearchedMotionChanges(body, year))
        for (double minutes : {-1.0, 0.0, 1.0}) moments.push_back(MinuteOf(c.jd + minutes / 1440));
      for (const DateTime& m : moments) {
        if (m.year != year) continue;
        const double j = JulianDayOfCalendar(m.year, m.month, m.day + (m.hour + m.minute / 60.0) / 24);
        EXPECT_EQ(service.MotionState(chartBodyOf[body], m), chain.StateAt(j))
            << kPlanetNames[body - 1] << " " << m.year << "-" << m.month << "-" << m.day << " " << m.hour << ":"
            << m.minute;
      }
    }
  }
}

// A moment whose fields run past the year (as odd input may give) leaves
// the table and is searched as before.
TEST(MotionTableService, MomentsOutsideTheirYearAreSearched) {
  MAstroCalc service;
  const DateTime odd[] = {{2000, 13, 40, 25, 61}, {2000, 1, 0, -1, 0}, {1990, 12, 31, 24, 0}};
  for (const DateTime& m : odd) {
    const double j = JulianDayOfCalendar(m.year, m.month, m.day + (m.hour + m.minute / 60.0) / 24);
    uint8_t state = 9;
    EXPECT_FALSE(TabulatedMotionState(kMercury, m.year, j, &state));
    StationChain chain(kMercury, m.year);
    EXPECT_EQ(service.MotionState(kChartMercury, m), chain.StateAt(j));
  }
  EXPECT_TRUE(TabulatedMotionChanges(kMercury, kMotionTableLastYear + 1).empty());
  EXPECT_TRUE(TabulatedMotionChanges(8, 2000).empty());
}
