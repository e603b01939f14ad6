// The era table and the era names of a year.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "eras.h"
#include "gbk.h"
#include "lunar.h"

using namespace lumtar;
using namespace lumtar::calendar;

namespace {

std::string Field(const char* f, std::size_t n) { return GbkFieldToUtf8(f, n); }

}  // namespace

TEST(EraTable, RowsAreInHistoricalOrderAndWellFormed) {
  const EraRow* rows = EraTable();
  const int n = EraTableSize();
  ASSERT_GT(n, 500);
  EXPECT_EQ(rows[0].firstYear, -2069);
  int offsets = 0;
  for (int i = 0; i < n; ++i) {
    const EraRow& r = rows[i];
    EXPECT_GT(r.yearCount, 0) << i;
    if (i > 0) {
      EXPECT_LE(rows[i - 1].firstYear, r.firstYear) << i;
    }
    // Every text is zero-terminated within its field.
    EXPECT_NE(std::memchr(r.dynasty, 0, sizeof r.dynasty), nullptr) << i;
    EXPECT_NE(std::memchr(r.title, 0, sizeof r.title), nullptr) << i;
    EXPECT_NE(std::memchr(r.personalName, 0, sizeof r.personalName), nullptr) << i;
    EXPECT_NE(std::memchr(r.eraName, 0, sizeof r.eraName), nullptr) << i;
    if (r.yearOffset != 0) ++offsets;
  }
  EXPECT_GT(offsets, 1);

  const EraRow& last = rows[n - 1];
  EXPECT_EQ(last.firstYear, 1949);
  EXPECT_EQ(last.yearCount, 9999);
  EXPECT_EQ(last.yearOffset, 1948);
  EXPECT_EQ(Field(last.dynasty, 11), "当代");
  EXPECT_EQ(Field(last.title, 11), "中国");
  EXPECT_EQ(Field(last.personalName, 31), "");
  EXPECT_EQ(Field(last.eraName, sizeof last.eraName), "公历纪元");

  const EraRow& roc = rows[n - 2];
  EXPECT_EQ(roc.firstYear, 1912);
  EXPECT_EQ(roc.yearCount, 37);
  EXPECT_EQ(roc.yearOffset, 0);
  EXPECT_EQ(Field(roc.dynasty, 11), "近、现代");
  EXPECT_EQ(Field(roc.title, 11), "中华民国");
  EXPECT_EQ(Field(roc.eraName, sizeof roc.eraName), "民国");
}

TEST(EraTable, EveryYearFromXiaOnHasAName) {
  obb_class eras;
  for (int y = -2069; y <= 2100; ++y) EXPECT_FALSE(eras.EraNamesOfYear(y).empty()) << y;
  EXPECT_EQ(eras.EraNamesOfYear(-2070), "");
}

TEST(EraTable, EraNamesOfYear) {
  obb_class eras;
  EXPECT_EQ(eras.EraNamesOfYear(2000), "[当代] 中国  公历纪元2000年");
  EXPECT_EQ(eras.EraNamesOfYear(1949), "[当代] 中国  公历纪元1949年");
  EXPECT_EQ(eras.EraNamesOfYear(1912), "[近、现代] 中华民国  民国1年");
  EXPECT_EQ(eras.EraNamesOfYear(1948), "[近、现代] 中华民国  民国37年");
  // The last reign of 明 and the first of 清.
  EXPECT_EQ(eras.EraNamesOfYear(1644), "[明] 明思宗 朱由检 崇祯17年；[清] 清世祖 福临 顺治1年");
  EXPECT_EQ(eras.EraNamesOfYear(-139), "[西汉] 汉武帝 刘彻 建元1年");
  // 明郑 kept counting the years of 永历.
  EXPECT_NE(eras.EraNamesOfYear(1670).find("永历24年"), std::string::npos);
}

// An era kept by the rulers after the one who proclaimed it is named under
// each of them from the year of his accession, counting on from the same
// first year; the year of a change names both.
TEST(EraTable, SuccessorsWhoKeptAnEraAreNamedUnderIt) {
  const struct {
    int year;
    const char* text;
  } cases[] = {
      // 郭威 died in the first month of 显德; 柴荣 and then 柴宗训 kept it.
      {954, "[辽] 辽穆宗 耶律璟 应历4年；[后周] 周太祖 郭威 显德1年；[后周] 周世宗 柴荣 显德1年"},
      {959, "[辽] 辽穆宗 耶律璟 应历9年；[后周] 周世宗 柴荣 显德6年；[后周] 周恭帝 柴宗训 显德6年"},
      {960, "[辽] 辽穆宗 耶律璟 应历10年；[后周] 周恭帝 柴宗训 显德7年；[北宋] 宋太祖 赵匡胤 建隆1年"},
      // 唐 restored under 神龙; 唐哀帝 kept 天祐 after 昭宗's murder.
      {706, "[唐] 唐中宗 李显 神龙2年"},
      {905, "[唐] 唐哀帝 李柷 天祐2年"},
      {976, "[北宋] 宋太祖 赵匡胤 开宝9年；[辽] 辽景宗 耶律贤 保宁8年；[北宋] 宋太宗 赵光义 开宝9年；"
            "[北宋] 宋太宗 赵光义 太平兴国1年"},
      // Two successors in one year.
      {125, "[东汉] 汉安帝 刘祜 延光4年；[东汉] 北乡侯 刘懿 延光4年；[东汉] 汉顺帝 刘保 延光4年"},
      {1398, "[明] 明太祖 朱元璋 洪武31年；[明] 明惠宗 朱允炆 洪武31年"},
      {1820, "[清] 清仁宗 颙琰 嘉庆25年；[清] 清宣宗 旻宁 嘉庆25年"},
      // 后汉 took up 后晋's 天福 with its twelfth year.
      {947, "[辽] 辽太宗 耶律德光 会同10年；[后汉] 汉高祖 刘知远 天福12年；[辽] 辽太宗 耶律德光 大同1年；"
            "[辽] 辽世宗 耶律阮 大同1年；[辽] 辽世宗 耶律阮 天禄1年"},
  };
  obb_class eras;
  for (const auto& c : cases) EXPECT_EQ(eras.EraNamesOfYear(c.year), c.text) << c.year;
}

// Rows that carry one era on, whoever keeps it, agree on its year number.
TEST(EraTable, AnEraNamedTwiceInAYearHasOneYearNumber) {
  const EraRow* rows = EraTable();
  const int n = EraTableSize();
  std::vector<std::string> names(n);
  for (int i = 0; i < n; ++i) names[i] = Field(rows[i].eraName, sizeof rows[i].eraName);
  for (int year = -2069; year < 1949; ++year) {
    std::map<std::string, int> numbers;
    for (int i = 0; i < n; ++i) {
      const EraRow& r = rows[i];
      if (names[i].empty() || year < r.firstYear || year >= r.firstYear + r.yearCount) continue;
      const int number = year - r.firstYear + r.yearOffset + 1;
      const auto [it, added] = numbers.emplace(names[i], number);
      EXPECT_EQ(it->second, number) << year << ' ' << names[i] << " row " << i;
    }
  }
}

// The faults a review found: 1402 took up 洪武 again with its 35th year, and
// the six-character names of 西夏 were cut to five.
TEST(EraTable, ErasTakenUpAgainAndLongNamesAreWhole) {
  obb_class eras;
  EXPECT_EQ(eras.EraNamesOfYear(1402), "[明] 明惠宗 朱允炆 建文4年；[明] 明成祖 朱棣 洪武35年");
  EXPECT_NE(eras.EraNamesOfYear(1038).find("[西夏] 夏景宗 李元昊 天授礼法延祚1年"), std::string::npos);
  EXPECT_NE(eras.EraNamesOfYear(1048).find("[西夏] 夏毅宗 李谅祚 天授礼法延祚11年"), std::string::npos);
  EXPECT_NE(eras.EraNamesOfYear(1069).find("[西夏] 夏惠宗 李秉常 天赐礼盛国庆1年"), std::string::npos);
}

TEST(Eras, EraYearOfAnEraName) {
  const struct {
    const char* era;
    int number;
    int lunarYear;
  } cases[] = {
      {"康熙", 50, 1711},      {"康熙", 1, 1662},        {"景祐", 3, 1036},   {"唐:天宝", 3, 744},
      {"东晋:建武", 1, 317},   {"东汉:建武", 32, 56},    {"洪武", 35, 1402},  {"洪武", 31, 1398},
      {"天授礼法延祚", 11, 1048}, {"至元", 20, 1283},    {"元惠宗:至元", 5, 1339}, {"元世祖:至元", 5, 1268},
      {" 宣统 ", 3, 1911},     {"清：光绪", 34, 1908},  {"太极", 1, 712},    {"民国", 37, 1948},
      {"后汉:天福", 12, 947},
  };
  for (const auto& c : cases) {
    const EraLookup l = LookUpEra(c.era, c.number);
    ASSERT_EQ(l.result, EraLookup::kFound) << c.era << " " << EraLookupMessage(c.era, c.number, l);
    EXPECT_EQ(l.era->LunarYear(c.number), c.lunarYear) << c.era;
  }
}

// Era names as people write them: with a variant character (佑 for 祐, 寳
// for 宝) or in traditional characters, the dynasty as well.
TEST(Eras, VariantAndTraditionalCharactersFindTheEra) {
  const struct {
    const char* era;
    int number;
    int lunarYear;
  } cases[] = {
      {"元佑", 3, 1088},      {"唐:天佑", 1, 904},   {"嘉佑", 2, 1057},    {"景佑", 3, 1036},
      {"皇佑", 1, 1049},      {"淳佑", 1, 1241},     {"宝佑", 2, 1254},    {"寳祐", 2, 1254},
      {"德佑", 1, 1275},      {"延佑", 1, 1314},     {"贞佑", 1, 1213},    {"后汉:乾佑", 1, 948},
      {"天佑民安", 1, 1090},  {"天佑垂圣", 1, 1050}, {"唐:天寶", 3, 744},  {"東漢:建武", 32, 56},
      {"東晉：建武", 1, 317}, {"萬曆", 10, 1582},    {"清:乾隆", 60, 1795}, {"唐:貞觀", 1, 627},
      {"元世祖:至元", 5, 1268}, {"元惠宗：至元", 5, 1339},
  };
  for (const auto& c : cases) {
    const EraLookup l = LookUpEra(c.era, c.number);
    ASSERT_EQ(l.result, EraLookup::kFound) << c.era << " " << EraLookupMessage(c.era, c.number, l);
    EXPECT_EQ(l.era->LunarYear(c.number), c.lunarYear) << c.era;
  }
  // A variant of a name several dynasties used still asks which.
  EXPECT_EQ(LookUpEra("天佑", 1).result, EraLookup::kSeveralDynasties);
  EXPECT_EQ(EraLabel(*SearchEras("元佑").front()), "北宋 元祐 1086-1094");
  EXPECT_EQ(EraLabel(*SearchEras("東漢 建").front()), "东汉 建武 25-56");
  ASSERT_EQ(SearchEras("唐:天寶").size(), 1u);
  EXPECT_EQ(EraLabel(*SearchEras("唐:天寶").front()), "唐 天宝 742-756");
  EXPECT_EQ(SearchEras("北宋：元佑").size(), 1u);
}

// An era name that several dynasties used needs the dynasty; one that a
// dynasty used twice needs the ruler where both reach the year.
TEST(Eras, AmbiguousAndUnknownEraNames) {
  EraLookup l = LookUpEra("建武", 2);
  EXPECT_EQ(l.result, EraLookup::kSeveralDynasties);
  std::vector<std::string> dynasties;
  for (const Era* e : l.candidates) dynasties.push_back(e->dynasty);
  EXPECT_EQ(dynasties, (std::vector<std::string>{"东汉", "西晋", "东晋", "南齐"}));
  EXPECT_EQ(EraLookupMessage("建武", 2, l),
            "几个朝代都用过年号建武，请写明朝代（朝代:年号）：\n东汉:建武  25-56  共32年\n西晋:建武  304  共1年\n"
            "东晋:建武  317-318  共2年\n南齐:建武  494-498  共5年");

  l = LookUpEra("至元", 5);
  EXPECT_EQ(l.result, EraLookup::kSeveral);
  ASSERT_EQ(l.candidates.size(), 2u);
  EXPECT_EQ(l.candidates[0]->ruler, "元世祖");
  EXPECT_EQ(l.candidates[1]->ruler, "元惠宗");

  EXPECT_EQ(LookUpEra("康熙", 62).result, EraLookup::kBeyondLength);
  EXPECT_EQ(LookUpEra("康熙", 0).result, EraLookup::kBeyondLength);
  EXPECT_EQ(EraLookupMessage("康熙", 62, LookUpEra("康熙", 62)), "年号康熙没有第62年：\n清:康熙  1662-1722  共61年");
  EXPECT_EQ(LookUpEra("康煕", 5).result, EraLookup::kUnknown);
  EXPECT_EQ(LookUpEra("唐:康熙", 5).result, EraLookup::kUnknown);
  EXPECT_EQ(LookUpEra("", 5).result, EraLookup::kUnknown);
  EXPECT_EQ(EraLookupMessage("康煕", 5, LookUpEra("康煕", 5)), "没有这个年号：康煕");
}

TEST(Eras, SearchOffersEveryEraOfTheText) {
  std::vector<std::string> labels;
  for (const Era* e : SearchEras("康熙")) labels.push_back(EraLabel(*e));
  EXPECT_EQ(labels, (std::vector<std::string>{"清 康熙 1662-1722"}));
  labels.clear();
  for (const Era* e : SearchEras(" 建武")) labels.push_back(EraLabel(*e));
  EXPECT_EQ(labels, (std::vector<std::string>{"东汉 建武 25-56", "西晋 建武 304", "东晋 建武 317-318",
                                              "南齐 建武 494-498", "东汉 建武中元 56-57"}));
  EXPECT_EQ(SearchEras("").size(), 0u);
  EXPECT_EQ(SearchEras("清 康").size(), 1u);
  EXPECT_GT(SearchEras("清").size(), 10u);  // every era of 清
  EXPECT_EQ(EraLabel(*SearchEras("建元").front()), "西汉 建元 前140-前135");
  // Every era of the table is found by its own name and label.
  for (const Era& e : Eras()) {
    const std::vector<const Era*> found = SearchEras(EraLabel(e));
    EXPECT_NE(std::find(found.begin(), found.end(), &e), found.end()) << EraLabel(e);
    EXPECT_LE(e.firstNumber, e.lastNumber) << EraLabel(e);
  }
}

TEST(Eras, EraYearText) {
  const struct {
    int number;
    const char* text;
  } cases[] = {{1, "元年"}, {2, "二年"}, {10, "十年"}, {11, "十一年"}, {20, "二十年"},
               {21, "二十一年"}, {50, "五十年"}, {61, "六十一年"}};
  for (const auto& c : cases) EXPECT_EQ(EraYearText(c.number), c.text);
}

// The era form of a lunar date names the era of the central dynasty that
// was current in that month.
TEST(Eras, EraFormOfALunarDate) {
  const struct {
    int year, month;
    bool leap;
    int day;
    const char* text;
  } cases[] = {
      {1711, 8, false, 13, "清康熙五十年八月十三日"},
      {1036, 12, false, 19, "北宋景祐三年十二月十九日"},
      {1038, 10, false, 1, "北宋景祐五年十月初一日"},   // 宝元 from the eleventh month
      {1038, 11, false, 1, "北宋宝元元年十一月初一日"},
      {1402, 5, false, 30, "明建文四年五月三十日"},     // 洪武 again from the sixth month
      {1402, 6, false, 1, "明洪武三十五年六月初一日"},
      {1644, 3, false, 19, "明崇祯十七年三月十九日"},
      {1645, 1, false, 1, "清顺治二年正月初一日"},
      {1264, 9, false, 1, "南宋景定五年九月初一日"},    // 元's 至元 dates no day before 1279
      {712, 1, false, 1, "唐太极元年正月初一日"},
      {760, 4, true, 10, "唐上元元年闰四月初十日"},     // 上元 from the leap fourth month
      {760, 4, false, 10, "唐乾元三年四月初十日"},
      {1911, 12, false, 25, "清宣统三年十二月廿五日"},
      {619, 1, false, 1, "唐武德二年正月初一日"},
      {1912, 1, false, 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EraDateText(c.year, c.month, c.leap, c.day), c.text) << c.year;
}
