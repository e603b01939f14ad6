// The annual chart over a natal chart: its refusals, its year counted from
// 立春, the age and period point, and its text block.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "chartheader.h"
#include "chartrequests.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

// Counts what the engine asks the picture to paint.
struct CountingPainter : ChartPainter {
  int natal = 0, annual = 0;
  void PaintNatal(CVoVirer&) override { ++natal; }
  void PaintAnnual(CVoVirer&, const AnnualChart&) override { ++annual; }
};

class Annual : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.SetSettingsPath((dir / "set.ini").string());
    engine.SetPainter(&painter);
  }
  double Jd(int y, int mo, int d, int h, int mi) {
    return engine.dateService.JulianDayOf(DateTime{static_cast<int16_t>(y), static_cast<int16_t>(mo),
                                                   static_cast<int16_t>(d), static_cast<int16_t>(h),
                                                   static_cast<int16_t>(mi)});
  }
  test::TempDir dir;
  CVoVirer engine;
  CountingPainter painter;
};

}  // namespace

TEST_F(Annual, RefusedBeforeANatalChart) {
  EXPECT_FALSE(engine.ComputeAnnual(8, Jd(2020, 1, 1, 0, 0)));
  EXPECT_EQ(engine.lastError, "请先排一个本命盘。");
  EXPECT_EQ(engine.model.chartMode, -1);
  EXPECT_EQ(painter.annual, 0);
}

TEST_F(Annual, RefusalsLeaveTheChartAsItWas) {
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 14, 25)));
  const int age0 = engine.model.ageOffset;
  struct Case {
    int zone;
    double jd;
    const char* message;
  } cases[] = {
      {8, std::numeric_limits<double>::quiet_NaN(), "不存在这个日期。"},
      {8, std::numeric_limits<double>::infinity(), "不存在这个日期。"},
      {8, 1e12, "不存在这个日期。"},
      {8, Jd(1990, 3, 7, 14, 24), "流年时间应大于出生时间。"},
      {8, Jd(1800, 1, 1, 0, 0), "流年时间应大于出生时间。"},
      {8, Jd(1990 + age0 + 73, 6, 1, 0, 0), "只排十步运,岁数越界。"},  // age offset + 74
      {8, Jd(2100, 12, 31, 23, 59), "只排十步运,岁数越界。"},
      {24, Jd(2020, 1, 1, 0, 0), "时区应在0-23之间"},
      {-1, Jd(2020, 1, 1, 0, 0), "时区应在0-23之间"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(engine.ComputeAnnual(c.zone, c.jd)) << c.message;
    EXPECT_EQ(engine.lastError, c.message);
    EXPECT_EQ(engine.model.chartMode, 0);
  }
  EXPECT_EQ(painter.annual, 0);
  // The last year of the last period is still drawn.
  EXPECT_TRUE(engine.ComputeAnnual(8, Jd(1990 + age0 + 72, 6, 1, 0, 0))) << engine.lastError;
  EXPECT_EQ(engine.annual.age - age0, 73);
  EXPECT_EQ(engine.annual.period.period, 9);
}

// In either frame the annual bodies of the birth moment are the natal ones.
TEST_F(Annual, TheBirthMomentIsTheFirstProposal) {
  for (uint8_t frame : {0, 1}) {
    ChartSettings s;
    s.frame = frame;
    ASSERT_TRUE(SaveChartSettings((dir / "set.ini").string(), s));
    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 14, 25)));
    ASSERT_TRUE(engine.ComputeAnnual(8, engine.BirthJulianDay())) << engine.lastError;
    EXPECT_EQ(engine.model.chartMode, 1);
    EXPECT_EQ(engine.annual.year, 1990);
    EXPECT_EQ(engine.annual.yearPillar, engine.model.yearPillar);
    EXPECT_EQ(engine.annual.age, 1);
    EXPECT_EQ(engine.annual.period.period, 0);
    EXPECT_EQ(engine.annual.period.elapsed, 0);
    for (int k = 0; k < kChartBodyCount; ++k)
      EXPECT_NEAR(engine.annual.longitude[k], engine.model.places[k].longitude, 1e-9) << "frame " << +frame << " " << k;
    // The next natal chart ends the overlay.
    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 14, 25)));
    EXPECT_EQ(engine.model.chartMode, 0);
  }
  EXPECT_EQ(painter.annual, 2);
}

// The proposal is the birth moment in UTC+8 labelled with the birth's zone:
// east of Beijing (position 9 is UTC+9) it lies an hour before the birth
// and is refused, west of it after the birth.
TEST_F(Annual, ABirthEastOfBeijingRefusesItsUnchangedProposal) {
  struct Case {
    int zone;
    float longitude, latitude;
    bool accepted;
  } cases[] = {{9, 139.7f, 35.7f, false}, {7, 100.5f, 13.75f, true}};
  for (const Case& c : cases) {
    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 14, 25, c.zone, c.longitude, c.latitude)));
    EXPECT_EQ(engine.ComputeAnnual(c.zone, engine.BirthJulianDay()), c.accepted) << c.zone;
    EXPECT_EQ(engine.lastError, c.accepted ? "" : "流年时间应大于出生时间。") << c.zone;
  }
}

TEST_F(Annual, TheYearBeginsAtLichun) {
  // Born in the Beijing morning of 2000-01-10, before 立春 2000 (4 February,
  // 20:40 Beijing time).
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(2000, 1, 10, 8, 0)));
  DateTime lichun;
  engine.dateService.SolarTermMoment(2024, 2, true, lichun);
  const double lichunJd = engine.dateService.JulianDayOf(lichun);
  struct Case {
    double jd;
    int year, pillar, age;
  } cases[] = {
      {engine.BirthJulianDay(), 1999, 16, 0},  // 己卯, the year of the birth: age 0
      {Jd(2000, 2, 1, 0, 0), 1999, 16, 0},
      {Jd(2000, 3, 1, 0, 0), 2000, 17, 1},     // 庚辰
      {lichunJd - 2 / 1440.0, 2023, 40, 24},  // 癸卯
      {lichunJd + 2 / 1440.0, 2024, 41, 25},  // 甲辰
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(engine.ComputeAnnual(8, c.jd)) << engine.lastError;
    EXPECT_EQ(engine.annual.year, c.year);
    EXPECT_EQ(engine.annual.yearPillar, c.pillar) << c.year;
    EXPECT_EQ(engine.annual.age, c.age) << c.year;
  }
  ASSERT_TRUE(engine.ComputeAnnual(8, engine.BirthJulianDay()));
  EXPECT_EQ(engine.annual.period.period, 0);
  EXPECT_EQ(engine.annual.period.elapsed, -1);
}

// The annual year pillar counts the sixty years from 1864 (甲子, 1) on,
// whatever the birth.
TEST_F(Annual, YearPillarsByTheSameResidueEveryYear) {
  struct Case {
    int birthYear, year, pillar;
  } cases[] = {{1850, 1864, 1}, {1950, 1984, 1}, {1950, 1983, 0}};  // 甲子 甲子 癸亥
  for (const Case& c : cases) {
    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(c.birthYear, 6, 1, 12, 0)));
    ASSERT_TRUE(engine.ComputeAnnual(8, Jd(c.year, 6, 1, 0, 0))) << engine.lastError;
    EXPECT_EQ(engine.annual.yearPillar, c.pillar) << c.birthYear << " " << c.year;
  }
}

TEST_F(Annual, FirstYearOfTheSecondPeriodStartsAtTheEndOfItsSign) {
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 14, 25)));
  const int offset = engine.model.ageOffset;
  ASSERT_TRUE(engine.ComputeAnnual(8, Jd(1990 + offset - 1, 6, 1, 0, 0)));
  EXPECT_EQ(engine.annual.age, offset);
  EXPECT_EQ(engine.annual.period.period, 1);
  const int branch = (engine.model.places[kAscendantPlace].branch + 1) % 12;
  EXPECT_NEAR(engine.annual.period.start.longitude, std::fmod((11 - branch) * 30.0 + 30, 360.0), 1e-9);
}

TEST_F(Annual, TextBlockAndTitle) {
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 14, 25)));
  EXPECT_EQ(HeaderLines(engine)[2].text, "本命盘");
  struct Case {
    int zone;
    const char* first;
  } cases[] = {
      {8, "流盘:2024-5-1 12:0 东八区"},
      {0, "流盘:2024-5-1 20:0 零时区"},
      {12, "流盘:2024-5-1 8:0 中十二区"},
      {13, "流盘:2024-5-1 21:0 西一区"},  // 12 − 13 = −1 hours east
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(engine.ComputeAnnual(c.zone, Jd(2024, 5, 1, 12, 0))) << engine.lastError;
    EXPECT_EQ(AnnualLines(engine.annual)[0], c.first);
  }
  ASSERT_TRUE(engine.ComputeAnnual(8, Jd(2024, 5, 1, 12, 0)));
  EXPECT_EQ(HeaderLines(engine)[2].text, "流年盘");
  const std::vector<std::string> lines = AnnualLines(engine.annual);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "甲辰(火)  35岁[内盘]");  // 甲's body in the 化曜 cycle is 火
  // 命宫 in 午, offset 15: age 35 is the eleventh year of 福 in 申.
  ASSERT_EQ(engine.model.places[kAscendantPlace].branch, 7);
  ASSERT_EQ(engine.model.ageOffset, 15);
  EXPECT_EQ(lines[2], "行限:昴03申02--昴00申00 ");
}
