#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "charttables.h"
#include "chartstars.h"

using namespace lumtar;

namespace {

const std::string kBranches = "亥子丑寅卯辰巳午未申酉戌";
int B(const std::string& c) { return static_cast<int>(kBranches.find(c) / 3); }
std::string BranchName(int b) { return kBranches.substr(3 * b, 3); }

// Single spirits of a year pillar by name.
std::map<std::string, int> SinglesOf(int yearPillar) {
  std::map<std::string, int> m;
  for (int i = 0; i < kSingleSpiritCount; ++i)
    m[std::string(SingleSpiritName(i))] = SingleSpiritBranch(i, yearPillar);
  return m;
}

}  // namespace

TEST(Spirits, JiaziYear) {
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"的杀", "巳"}, {"咸池", "酉"}, {"飞廉", "申"}, {"孤辰", "寅"}, {"寡宿", "戌"}, {"禄勋", "寅"},
      {"阳刃", "卯"}, {"飞刃", "酉"}, {"国印", "戌"}, {"天乙", "未"}, {"玉堂", "丑"}, {"文昌", "巳"},
      {"天厨", "巳"}, {"三刑", "卯"}, {"六害", "未"}, {"劫杀", "巳"}, {"亡神", "亥"}, {"红鸾", "卯"},
      {"天喜", "酉"}, {"血刃", "戌"}, {"地解", "未"}, {"天哭", "午"}, {"披头", "辰"}, {"黄幡", "辰"},
      {"豹尾", "戌"}};
  ASSERT_EQ(expected.size(), static_cast<size_t>(kSingleSpiritCount));
  for (int i = 0; i < kSingleSpiritCount; ++i) {
    EXPECT_EQ(SingleSpiritName(i), expected[i].first) << i;  // placement order
    EXPECT_EQ(BranchName(SingleSpiritBranch(i, 1)), expected[i].second) << expected[i].first;
  }
}

TEST(Spirits, BranchTableFollowsItsRules) {
  // Most columns of the year-branch table follow simple rules; checking them
  // against every row catches a slip in the table.
  for (int yb = 0; yb < 12; ++yb) {
    const int g = yb == 0 ? 12 : yb;  // a year pillar with this branch (stem irrelevant here)
    auto m = SinglesOf(g);
    auto mod = [](int v) { return ((v % 12) + 12) % 12; };
    EXPECT_EQ(m["的杀"], mod(10 - 4 * (yb % 3))) << yb;
    EXPECT_EQ(m["孤辰"], mod(3 * (yb / 3) + 3)) << yb;
    EXPECT_EQ(m["寡宿"], mod(3 * (yb / 3) + 11)) << yb;
    EXPECT_EQ(m["六害"], mod(9 - yb)) << yb;
    EXPECT_EQ(m["劫杀"], mod(9 - 3 * (yb % 4))) << yb;
    EXPECT_EQ(m["亡神"], mod(3 - 3 * (yb % 4))) << yb;
    EXPECT_EQ(m["红鸾"], mod(5 - yb)) << yb;
    EXPECT_EQ(m["天喜"], mod(11 - yb)) << yb;
    EXPECT_EQ(m["血刃"], mod(-yb)) << yb;
    EXPECT_EQ(m["地解"], mod(((yb + 1) % 12) / 2 + 7)) << yb;
    EXPECT_EQ(m["天哭"], mod(8 - yb)) << yb;
    EXPECT_EQ(m["披头"], mod(6 - yb)) << yb;
    EXPECT_EQ(BranchName(m["咸池"]), std::string("子酉午卯").substr(3 * (yb % 4), 3)) << yb;
    EXPECT_EQ(BranchName(m["黄幡"]), std::string("戌辰丑未").substr(3 * (yb % 4), 3)) << yb;
    EXPECT_EQ(BranchName(m["豹尾"]), std::string("丑戌未辰").substr(3 * (yb % 4), 3)) << yb;
  }
}

TEST(Spirits, StagesAndYearCycleTakeTheFirstTwoPositions) {
  for (int g = 0; g < 60; ++g) {
    SpiritCounters counters{};
    const int element = NayinElementOf(g);
    std::vector<SpiritLabel> labels = PlaceSpirits(g, element, counters);
    ASSERT_EQ(labels.size(), 12u + 12u + kSingleSpiritCount);
    int perBranch[12] = {};
    for (size_t i = 0; i < labels.size(); ++i) {
      const SpiritLabel& l = labels[i];
      if (i < 12) {
        EXPECT_EQ(l.kind, SpiritKind::Stage);
        EXPECT_EQ(l.branch, (11 + static_cast<int>(i)) % 12);  // from 戌 on
        EXPECT_EQ(l.position, 0);
      } else if (i < 24) {
        EXPECT_EQ(l.kind, SpiritKind::YearCycle);
        EXPECT_EQ(l.position, 1);
      } else {
        EXPECT_EQ(l.position, perBranch[l.branch] < 6 ? perBranch[l.branch] : -1);
      }
      ++perBranch[l.branch];
    }
    for (int b = 0; b < 12; ++b) EXPECT_EQ(counters[b], std::min(perBranch[b], 6) - 1);
  }
}

TEST(Spirits, SeventhLabelOfAPalaceIsDropped) {
  // A 甲寅 year (51) puts six single spirits into 巳: only four more fit after
  // its stage and year-cycle labels.
  SpiritCounters counters{};
  std::vector<SpiritLabel> labels = PlaceSpirits(51, NayinElementOf(51), counters);
  std::vector<std::pair<std::string, int>> inSi;
  for (const SpiritLabel& l : labels)
    if (l.branch == B("巳")) inSi.emplace_back(std::string(l.text), l.position);
  const std::vector<std::pair<std::string, int>> expected = {
      {"绝", 0}, {"贯索", 1}, {"孤辰", 2}, {"文昌", 3}, {"天厨", 4}, {"三刑", 5}, {"六害", -1}, {"亡神", -1}};
  EXPECT_EQ(inSi, expected);
  EXPECT_EQ(counters[B("巳")], 5);
}

TEST(Spirits, PlaceSpiritLabelStopsAtSix) {
  SpiritCounters counters{};
  ResetSpiritCounters(counters);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(PlaceSpiritLabel(counters, 4), i);
  EXPECT_EQ(PlaceSpiritLabel(counters, 4), -1);
  EXPECT_EQ(counters[4], 5);
  EXPECT_EQ(PlaceSpiritLabel(counters, 12), -1);  // no such branch
  EXPECT_EQ(PlaceSpiritLabel(counters, -1), -1);
}

TEST(Spirits, StagesStartAtTheElementsChangsheng) {
  struct Case {
    int element;
    const char* changsheng;
  } cases[] = {{kEarth, "申"}, {kMetal, "巳"}, {kWater, "申"}, {kWood, "亥"}, {kFire, "寅"}};
  for (const Case& c : cases) {
    EXPECT_EQ(BranchName(StageBranch(c.element, 0)), c.changsheng);
    EXPECT_EQ(StageBranch(c.element, 11), (B(c.changsheng) + 11) % 12);
  }
  EXPECT_EQ(StageName(5), "衰");  // the one-character stages stand alone
  EXPECT_EQ(YearCycleName(0), "太岁");
  EXPECT_EQ(YearCycleName(11), "病符");
}

namespace {

std::map<std::string, std::string> StarsOf(int yearPillar, int element, int ascendantBranch) {
  std::map<std::string, std::string> m;
  for (const ChartStar& s : ChartStars(yearPillar, element, ascendantBranch))
    m[std::string(s.title)] = std::string(BodyChar(s.body));
  return m;
}

}  // namespace

TEST(ChartStars, HuayaoCycleMatchesTheStemTable) {
  // 天禄 天贵 天印 天权 天暗 天耗 天刑 天囚 by year stem 甲 … 癸.
  const char* rows[10] = {"火月气罗孛金水计", "孛水计火木土气罗", "木气罗孛金月计火", "金计火木土水罗孛",
                          "土罗孛金月气火木", "月火木土水计孛金", "水孛金月气罗木土", "气木土水计火金月",
                          "计金月气罗孛土水", "罗土水计火木月气"};
  const char* titles[8] = {"天禄", "天贵", "天印", "天权", "天暗", "天耗", "天刑", "天囚"};
  for (int row = 0; row < 10; ++row) {
    const int stem = (row + 1) % 10;
    auto m = StarsOf(stem, kMetal, 1);  // sexagenary index `stem` has that stem
    for (int t = 0; t < 8; ++t) EXPECT_EQ(m[titles[t]], std::string(rows[row] + 3 * t, 3)) << row << titles[t];
  }
}

TEST(ChartStars, TitlesInHeaderOrder) {
  // 甲子 year, 纳音 金, 命宫 in 寅.
  std::vector<ChartStar> stars = ChartStars(1, kMetal, B("寅"));
  std::string line;
  for (const ChartStar& s : stars) line += std::string(s.title) + std::string(BodyChar(s.body)) + " ";
  EXPECT_EQ(line,
            "寿元金 科甲水 赦文水 天禄火 天贵月 天印气 天权罗 天暗孛 天耗金 天刑水 天囚计 "
            "伤官金 禄元木 催官金 禄神木 喜神罗 马元木 爵星土 天马火 地驿木 血支木 血忌日 产星金 ");
}

TEST(ChartStars, MayuanByYearBranch) {
  const std::string expected = "水木木水水木木水水木木水";  // 亥 子 … 戌
  for (int yb = 0; yb < 12; ++yb)
    EXPECT_EQ(StarsOf(yb == 0 ? 12 : yb, kEarth, 1)["马元"], expected.substr(3 * yb, 3)) << yb;
}
