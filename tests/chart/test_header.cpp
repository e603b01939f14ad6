#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chartheader.h"
#include "chartrequests.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

TEST(HeaderFormat, CoordinateDegreesAndMinutes) {
  struct Case {
    double value;
    int degrees, minutes;
  } cases[] = {{-0.5, 0, 30}, {25.7f, 25, 42}, {25.99f, 25, 59}, {25 + 30.5 / 60, 25, 30},
               {25 + 30.51 / 60, 25, 31}, {117 + 48 / 60.0f, 117, 48}, {25.9999, 26, 0}};
  for (const Case& c : cases) {
    DegreesMinutes dm = CoordinateDegreesMinutes(c.value);
    EXPECT_EQ(dm.degrees, c.degrees) << c.value;
    EXPECT_EQ(dm.minutes, c.minutes) << c.value;
  }
}

TEST(HeaderFormat, VoidBranches) {
  EXPECT_EQ(VoidBranchOf(1), 11);  // 甲子: 戌
  EXPECT_EQ(VoidBranchOf(2), 0);   // 乙丑: 亥
  EXPECT_EQ(VoidBranchOf(11), 9);  // 甲戌 decade: 申
  EXPECT_EQ(VoidBranchOf(0), 2);   // 癸亥 of the 甲寅 decade: 丑
}

namespace {

std::vector<std::string> Texts(CVoVirer& engine, HeaderBlock block) {
  std::vector<std::string> out;
  for (const HeaderLine& l : HeaderLines(engine))
    if (l.block == block) out.push_back(l.text);
  return out;
}

class Header : public ::testing::Test {
 protected:
  void SetUp() override { engine.SetSettingsPath((dir / "set.ini").string()); }
  bool Compute(int y, int mo, int d, int h, int mi, int zone, bool lunar = false, bool leap = false) {
    ChartRequest r = test::MakeRequest(y, mo, d, h, mi, zone, -0.5f, 25.7f, lunar, leap);
    r.SetName("张三");
    return engine.ComputeNatal(r);
  }
  test::TempDir dir;
  CVoVirer engine;
};

}  // namespace

TEST_F(Header, BirthBlock) {
  ASSERT_TRUE(Compute(2000, 6, 1, 4, 0, 12));
  std::vector<std::string> birth = Texts(engine, HeaderBlock::Birth);
  ASSERT_EQ(birth.size(), 7u);
  EXPECT_EQ(birth[0], "星图:黄道制");
  EXPECT_EQ(birth[1], "时区:中十二区");
  EXPECT_EQ(birth[2], "西经:0:30 北纬:25:42 ");
  EXPECT_EQ(birth[3], "地名:未知地");
  EXPECT_EQ(birth[4], "公历:2000年6月1日4时0分(输入时间)");
  // The pillars of the zone's own time, which the line names.
  EXPECT_EQ(birth[5], "公历:2000年6月1日4时0分(中十二区)");
  EXPECT_EQ(birth[6], "农历:二○○○年 四月 廿九日 寅时");
  EXPECT_EQ(engine.model.beijingMoment.hour, 0);  // 12 hours east: 4 hours back

  ASSERT_TRUE(Compute(2000, 6, 1, 4, 0, 13));
  EXPECT_EQ(Texts(engine, HeaderBlock::Birth)[1], "时区:西一区");
  EXPECT_EQ(Texts(engine, HeaderBlock::Title), (std::vector<std::string>{"Lumtar", kMakerLine, "本命盘"}));
}

TEST_F(Header, LunarMonthAndDayForms) {
  struct Case {
    int year, month, day;
    bool leap;
    const char* text;
  } cases[] = {
      {2023, 1, 10, false, "农历:二○二三年 正月 初十日 午时"},
      {2023, 2, 11, true, "农历:二○二三年 闰二月 十一日 午时"},
      {2023, 4, 20, false, "农历:二○二三年 四月 二十日 午时"},
      {1640, 1, 5, true, "农历:一六四○年 闰正月 初五日 午时"},  // 崇祯十三年
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Compute(c.year, c.month, c.day, 12, 0, 8, true, c.leap)) << engine.lastError;
    EXPECT_EQ(Texts(engine, HeaderBlock::Birth)[6], c.text);
  }
}

TEST_F(Header, PillarsAndPlaces) {
  ASSERT_TRUE(Compute(1984, 6, 1, 12, 0, 8));
  std::vector<std::string> pillars = Texts(engine, HeaderBlock::Pillars);
  ASSERT_EQ(pillars.size(), 3u);
  EXPECT_EQ(pillars[0], "姓名:张三");
  EXPECT_EQ(pillars[1].substr(0, std::string("乾造:甲子(金) ").size()), "乾造:甲子(金) ");
  EXPECT_EQ(pillars[2].substr(0, std::string("空亡:(戌)     ").size()), "空亡:(戌)     ");
  std::vector<std::string> places = Texts(engine, HeaderBlock::Places);
  ASSERT_EQ(places.size(), 3u + 14u);
  EXPECT_EQ(places[0].substr(0, 7), "命宫:");
  EXPECT_EQ(places[2], engine.BenefactorText());
  EXPECT_EQ(places[3].substr(0, 4), "日:");
  // The outer planets carry no dignity: their lines end with the motion mark.
  for (int k = 11; k < 14; ++k) EXPECT_EQ(places[3 + k].back(), ' ') << places[3 + k];
  EXPECT_EQ(Texts(engine, HeaderBlock::StarLines).size(), 3u);
  std::vector<std::string> columns = Texts(engine, HeaderBlock::StarColumns);
  ASSERT_EQ(columns.size(), 20u);
  EXPECT_EQ(columns[0], "天禄火");  // 甲 year
}
