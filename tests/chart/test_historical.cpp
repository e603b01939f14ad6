// Charts of historical persons: a lunar date written with an era name gives
// the civil date of the calendar then in use, and a chart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chartheader.h"
#include "chartrequests.h"
#include "eras.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

class Historical : public ::testing::Test {
 protected:
  void SetUp() override { engine.SetSettingsPath((dir / "set.ini").string()); }

  std::vector<std::string> BirthLines() {
    std::vector<std::string> out;
    for (const HeaderLine& l : HeaderLines(engine))
      if (l.block == HeaderBlock::Birth) out.push_back(l.text);
    return out;
  }

  test::TempDir dir;
  CVoVirer engine;
};

}  // namespace

// Births as their biographies give them (Julian calendar before 1582-10-15).
TEST_F(Historical, EraDatesOfBirthsGiveTheirCivilDatesAndCharts) {
  const struct {
    const char* who;
    const char* era;
    int number, month;
    bool leap;
    int day;
    int year, civilMonth, civilDay;
    const char* eraText;
  } births[] = {
      {"白居易", "大历", 7, 1, false, 20, 772, 2, 28, "唐大历七年正月二十日"},
      {"杜甫", "太极", 1, 1, false, 1, 712, 2, 12, "唐太极元年正月初一日"},
      {"司马光", "天禧", 3, 10, false, 18, 1019, 11, 17, "北宋天禧三年十月十八日"},
      {"苏轼", "景祐", 3, 12, false, 19, 1037, 1, 8, "北宋景祐三年十二月十九日"},
      {"岳飞", "崇宁", 2, 2, false, 15, 1103, 3, 24, "北宋崇宁二年二月十五日"},
      {"陆游", "宣和", 7, 10, false, 17, 1125, 11, 13, "北宋宣和七年十月十七日"},
      {"朱熹", "建炎", 4, 9, false, 15, 1130, 10, 18, "南宋建炎四年九月十五日"},
      {"辛弃疾", "绍兴", 10, 5, false, 11, 1140, 5, 28, "南宋绍兴十年五月十一日"},
      {"文天祥", "端平", 3, 5, false, 2, 1236, 6, 6, "南宋端平三年五月初二日"},
      {"朱元璋", "天历", 1, 9, false, 18, 1328, 10, 21, "元天历元年九月十八日"},
      {"王守仁", "成化", 8, 9, false, 30, 1472, 10, 31, "明成化八年九月三十日"},
      {"戚继光", "嘉靖", 7, 10, true, 1, 1528, 11, 12, "明嘉靖七年闰十月初一日"},
      {"玄烨", "顺治", 11, 3, false, 18, 1654, 5, 4, "清顺治十一年三月十八日"},
      {"胤禛", "康熙", 17, 10, false, 30, 1678, 12, 13, "清康熙十七年十月三十日"},
      {"弘历", "康熙", 50, 8, false, 13, 1711, 9, 25, "清康熙五十年八月十三日"},
      {"林则徐", "乾隆", 50, 7, false, 26, 1785, 8, 30, "清乾隆五十年七月廿六日"},
      {"曾国藩", "嘉庆", 16, 10, false, 11, 1811, 11, 26, "清嘉庆十六年十月十一日"},
      {"孙文", "同治", 5, 10, false, 6, 1866, 11, 12, "清同治五年十月初六日"},
      {"周树人", "光绪", 7, 8, false, 3, 1881, 9, 25, "清光绪七年八月初三日"},
      {"康有为", "咸丰", 8, 2, false, 5, 1858, 3, 19, "清咸丰八年二月初五日"},
      {"梁启超", "同治", 12, 1, false, 26, 1873, 2, 23, "清同治十二年正月廿六日"},
      {"毛泽东", "光绪", 19, 11, false, 19, 1893, 12, 26, "清光绪十九年十一月十九日"},
  };
  for (const auto& b : births) {
    const calendar::EraLookup era = calendar::LookUpEra(b.era, b.number);
    ASSERT_EQ(era.result, calendar::EraLookup::kFound) << b.who;
    const int lunarYear = era.era->LunarYear(b.number);
    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(lunarYear, b.month, b.day, 12, 0, 8, 116.4167f, 39.9f, true,
                                                      b.leap)))
        << b.who << ": " << engine.lastError;
    const ChartModel& m = engine.model;
    EXPECT_EQ(m.beijingMoment, (DateTime{static_cast<int16_t>(b.year), static_cast<int16_t>(b.civilMonth),
                                         static_cast<int16_t>(b.civilDay), 12, 0}))
        << b.who;
    EXPECT_EQ(m.lunarDate, (DateTime{static_cast<int16_t>(lunarYear), static_cast<int16_t>(b.month),
                                     static_cast<int16_t>(b.day), 12, 0}))
        << b.who;
    EXPECT_EQ(m.request.isLeapMonth, b.leap ? 1 : 0) << b.who;
    const std::vector<std::string> lines = BirthLines();
    ASSERT_EQ(lines.size(), 8u) << b.who;
    EXPECT_EQ(lines[7], std::string("年号:") + b.eraText) << b.who;
  }
}

// The first and the last day of the years a chart takes; a lunar date of
// lunar year 618 whose day falls in 619 is a chart too.
TEST_F(Historical, RangeEdges) {
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(619, 1, 1, 0, 0))) << engine.lastError;
  EXPECT_EQ(engine.model.lunarDate.year, 618);
  EXPECT_EQ(engine.model.lunarDate.month, 12);
  EXPECT_EQ(engine.model.lunarDate.day, 11);
  EXPECT_EQ(BirthLines().back(), "年号:唐武德元年十二月十一日");
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(2100, 12, 31, 22, 59))) << engine.lastError;
  EXPECT_EQ(BirthLines().size(), 7u);  // no era text after 1911
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(618, 12, 11, 0, 0, 8, 116.4167f, 39.9f, true)))
      << engine.lastError;
  EXPECT_EQ(engine.model.beijingMoment, (DateTime{619, 1, 1, 0, 0}));

  EXPECT_FALSE(engine.ComputeNatal(test::MakeRequest(618, 12, 31, 23, 59)));
  EXPECT_EQ(engine.lastError, kYearOutOfRange);
  EXPECT_FALSE(engine.ComputeNatal(test::MakeRequest(618, 12, 10, 23, 59, 8, 116.4167f, 39.9f, true)));
  EXPECT_EQ(engine.lastError, kYearOutOfRange);
  EXPECT_FALSE(engine.ComputeNatal(test::MakeRequest(2100, 12, 31, 23, 0)));
  EXPECT_EQ(engine.lastError, kYearOutOfRange);
}
