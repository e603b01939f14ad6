// Where the round chart puts things, as numbers: label stacking, the palace
// ring, the life periods and their point, and the hint under the pointer.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>

#include "chartlayout.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

// The point at a screen angle and radius, as the pointer would be there.
ChartPoint At(double theta, double r) { return PointAt(theta, r); }

}  // namespace

TEST(Geometry, AnglesOfLongitudes) {
  EXPECT_DOUBLE_EQ(ScreenAngleOf(0), 30);     // 30° below the right-hand horizontal
  EXPECT_DOUBLE_EQ(ScreenAngleOf(30), 0);
  EXPECT_DOUBLE_EQ(ScreenAngleOf(120), 270);  // 午's sign at the top
  const ChartPoint top = PointAt(270, 100);
  EXPECT_NEAR(top.x, 302, 1e-9);
  EXPECT_NEAR(top.y, 202, 1e-9);  // screen y grows downwards
  EXPECT_DOUBLE_EQ(SpiritAngle(11, 0), 2.5);   // 戌 in sector 0
  EXPECT_DOUBLE_EQ(SpiritAngle(0, 5), 57.5);   // 亥 in sector 1, last position
}

TEST(LabelStacking, NatalRingFillsLevelsInOrder) {
  LabelGrid grid;
  const RingParameters ring = NatalRing();
  struct Step {
    double theta;
    int level, position;
  } steps[] = {
      {35, 0, 0},  // degree 5 of sector 1: candidate 0
      {35, 0, 1},  // taken: upwards first
      {35, 0, 2},  // 1 taken, 0 taken: up again
      {59, 0, 4},  // degree 29: candidate 4
      {59, 0, 3},  // 4 taken and the last: downwards
      {35, 1, 0},  // level 0 full: the second level
      {59, 1, 4},
  };
  for (const Step& s : steps) {
    const LabelPlacement l = PlaceLabelsInRing(grid, ring, s.theta);
    ASSERT_TRUE(l.placed);
    EXPECT_EQ(l.sector, 1);
    EXPECT_EQ(l.level, s.level) << s.theta;
    EXPECT_EQ(l.position, s.position) << s.theta;
    EXPECT_DOUBLE_EQ(l.angle, 6.0 * s.position + 30 + 3);
    const double r = 210 - (s.level == 0 ? 24 : 45);
    EXPECT_NEAR(std::hypot(l.anchor.x - 302, l.anchor.y - 302), r, 1e-9);
    EXPECT_NEAR(std::hypot(l.from.x - 302, l.from.y - 302), 210, 1e-9);
  }
}

TEST(LabelStacking, ZeroLongitudeFallsIntoTheSectorOfHai) {
  LabelGrid grid;
  const LabelPlacement l = PlaceLabelsInRing(grid, NatalRing(), ScreenAngleOf(0));
  EXPECT_EQ(l.sector, 1);  // sector 1 holds 亥
  EXPECT_EQ(l.position, 0);
  EXPECT_DOUBLE_EQ(l.angle, 33);
}

TEST(LabelStacking, ThirteenLabelsFitOneSectorAndAFourteenthIsDrawnAnyway) {
  for (const RingParameters& ring : {NatalRing(), AnnualRing()}) {
    LabelGrid grid;
    for (int i = 0; i < 13; ++i) EXPECT_TRUE(PlaceLabelsInRing(grid, ring, 100 + i % 5).placed) << i;
    const LabelPlacement extra = PlaceLabelsInRing(grid, ring, 104);
    EXPECT_FALSE(extra.placed);
    EXPECT_EQ(extra.level, 2);
  }
}

TEST(LabelStacking, AnnualRingSeventhPositionLiesPastTheSector) {
  LabelGrid grid;
  const RingParameters ring = AnnualRing();
  for (int i = 0; i < 6; ++i) ASSERT_LT(PlaceLabelsInRing(grid, ring, 29.5).level, 2);
  const LabelPlacement l = PlaceLabelsInRing(grid, ring, 29.5);
  EXPECT_EQ(l.level, 2);
  EXPECT_EQ(l.position, 7);  // 29 div (30 div 7)
  EXPECT_NEAR(l.angle, 30.0 / 7 * 7 + 30.0 / 7 / 2, 1e-12);
  EXPECT_NEAR(std::hypot(l.anchor.x - 302, l.anchor.y - 302), 156 - 75, 1e-9);
}

TEST(PalaceRing, StartAgesAndTicks) {
  const int ascendant = 7;  // 午
  const auto ring = PalaceRing(ascendant, 15, false);
  EXPECT_EQ(ring[0].name, "命");
  EXPECT_EQ(ring[0].startAge, 1);
  EXPECT_EQ(ring[0].ticks, 15);
  EXPECT_EQ(ring[0].tickAngles.size(), 16u);
  EXPECT_DOUBLE_EQ(ring[0].startAngle, 270);  // 午's sign begins at 120°
  EXPECT_DOUBLE_EQ(ring[0].nameAngle, 262.5);
  EXPECT_DOUBLE_EQ(ring[0].ageAngle, 247.5);
  EXPECT_DOUBLE_EQ(ring[0].tickAngles.back(), 240);
  for (int i : {1, 2}) {
    EXPECT_FALSE(ring[static_cast<size_t>(i)].showsAge) << i;
    EXPECT_DOUBLE_EQ(ring[static_cast<size_t>(i)].nameAngle, ring[static_cast<size_t>(i)].startAngle - 15);
  }
  EXPECT_EQ(ring[2].name, "姐");
  EXPECT_EQ(ring[6].name, "夫");
  struct Expect {
    int palace, age, ticks;
  } expect[] = {{3, 85, 4}, {4, 81, 4}, {5, 77, 4}, {6, 66, 11}, {7, 59, 7},
                {8, 51, 8}, {9, 36, 15}, {10, 25, 11}, {11, 15, 10}};
  for (const Expect& e : expect) {
    const PalaceRingEntry& p = ring[static_cast<size_t>(e.palace)];
    EXPECT_TRUE(p.showsAge);
    EXPECT_EQ(p.startAge, e.age) << e.palace;
    EXPECT_EQ(p.ticks, e.ticks) << e.palace;
    EXPECT_EQ(p.branch, ((ascendant - e.palace) % 12 + 12) % 12);
  }
  EXPECT_DOUBLE_EQ(ring[11].startAngle, 300);  // 270 − 11·30 + 360
}

TEST(LifePeriods, TenPeriodsCoverTheAgesUpToOffsetPlus73) {
  const auto periods = LifePeriods(7, 12);
  EXPECT_EQ(periods[0].startAge, 1);
  EXPECT_EQ(periods[0].length, 11);
  EXPECT_EQ(periods[1].startAge, 12);
  EXPECT_EQ(periods[1].branch, 8);
  EXPECT_EQ(periods[9].startAge + periods[9].length - 1, 12 + 73);
  const int years = std::accumulate(periods.begin(), periods.end(), 0,
                                    [](int sum, const LifePeriod& p) { return sum + p.length; });
  EXPECT_EQ(years, 11 + 74);
}

TEST(LifePeriods, PeriodPointOfAges) {
  const int ascendant = 7, offset = 15;
  const double origin = 190.7664;
  struct Case {
    int age;
    int period, elapsed;
  } cases[] = {
      {1, 0, 0},    // 命 from its sign's end, 14 steps of 30/14
      {0, 0, -1},   // before the first 立春: one step past the end
      {14, 0, 13},  // last year of 命
      {15, 1, 0},   // first year of 相
      {35, 2, 10},  // last year but one of 福
      {88, 9, 3},   // last year of the last period
  };
  const std::array<int, 10> years = {offset - 1, 10, 11, 15, 8, 7, 11, 4, 4, 4};
  for (const Case& c : cases) {
    const PeriodPoint p = PeriodPointOf(ascendant, offset, c.age, origin);
    EXPECT_EQ(p.period, c.period) << c.age;
    EXPECT_EQ(p.elapsed, c.elapsed) << c.age;
    const int branch = (ascendant + c.period) % 12;
    const double length = years[static_cast<size_t>(c.period)];
    EXPECT_NEAR(p.step, 30 / length, 1e-12);
    EXPECT_NEAR(p.start.longitude, std::fmod((length - c.elapsed) * (30 / length) + (11 - branch) * 30.0, 360.0),
                1e-9)
        << c.age;
    EXPECT_NEAR(p.next.longitude, std::fmod(p.start.longitude - p.step + 360, 360.0), 1e-9);
  }
  // Spelled out: age 15 is period 1 in 未 (branch 8), whose sign is 90..120;
  // its first year starts at the sign's end.
  const PeriodPoint first = PeriodPointOf(ascendant, offset, 15, origin);
  EXPECT_NEAR(first.start.longitude, 120, 1e-9);
  EXPECT_EQ(first.start.branch, 7);  // 120° is already the next sign (午)
  EXPECT_NEAR(first.next.longitude, 117, 1e-9);
  EXPECT_EQ(first.next.branch, 8);
  EXPECT_EQ(first.next.degreeInSign, 27);
  EXPECT_NEAR(first.lineAngle, 30 - 118.5 + 360, 1e-9);
  // Age 35: 福 in 申 (60..90), 10 years of 11 gone.
  const PeriodPoint p35 = PeriodPointOf(ascendant, offset, 35, origin);
  EXPECT_NEAR(p35.start.longitude, 60 + 30.0 / 11, 1e-9);
  EXPECT_EQ(p35.start.branch, 9);
  EXPECT_EQ(p35.start.degreeInSign, 2);
  EXPECT_EQ(p35.start.mansion, 18);  // 昴
  EXPECT_EQ(p35.start.degreeInMansion, 3);
  EXPECT_NEAR(p35.next.longitude, 60, 1e-9);
}

TEST(HoverHint, BlankBeforeTheFirstChart) {
  ChartModel m;
  std::string hint = "old";
  EXPECT_FALSE(HoverHint(m, 302 + 45, 302, hint));
  EXPECT_EQ(hint, " ");
}

TEST(HoverHint, RingsUnderThePointer) {
  ChartModel m;
  m.chartMode = 0;
  m.places[kAscendantPlace].branch = 7;  // 命宫 in 午
  m.mansionOrigin = 190.7664;
  struct Case {
    double x, y;
    bool over;
    const char* hint;
  } cases[] = {
      {302 + 45, 302, true, "宫主:火"},      // level with the centre, right: θ = 360, the sector of 戌
      {At(255, 45).x, At(255, 45).y, true, "宫主:日"},  // 午
      {At(285, 45).x, At(285, 45).y, true, "宫主:月"},  // 未
      {At(15, 59.9).x, At(15, 59.9).y, true, "宫主:火"},
      {At(255, 75).x, At(255, 75).y, true, "代表容貌、才能、性格"},               // 命宫 itself
      {At(225, 75).x, At(225, 75).y, true, "代表对钱财的经营能力,和拥有情形"},  // 巳: palace 1
      {At(285, 75).x, At(285, 75).y, true, "代表品格、行为,父母的品质,以及意愿,自我表现力"},  // 未: 11
      {At(30 - 195, 225).x, At(30 - 195, 225).y, true, "度主:水"},  // longitude 195: 轸
      {At(30 - 205, 225).x, At(30 - 205, 225).y, true, "度主:木"},  // 角
      {At(30 - 185, 225).x, At(30 - 185, 225).y, true, "度主:火"},  // 翼
      {302, 302, false, " "},
      {At(100, 150).x, At(100, 150).y, false, " "},  // body area
      {At(100, 270).x, At(100, 270).y, false, " "},  // spirit ring
      {At(100, 240).x, At(100, 240).y, false, " "},  // age-tick ring
      {870, 10, false, " "},
  };
  for (const Case& c : cases) {
    std::string hint;
    EXPECT_EQ(HoverHint(m, c.x, c.y, hint), c.over) << c.hint;
    EXPECT_EQ(hint, c.hint);
  }
}
