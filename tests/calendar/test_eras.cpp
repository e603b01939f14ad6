// The era table and the era names of a year.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

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
  EXPECT_EQ(Field(last.eraName, 11), "公历纪元");

  const EraRow& roc = rows[n - 2];
  EXPECT_EQ(roc.firstYear, 1912);
  EXPECT_EQ(roc.yearCount, 37);
  EXPECT_EQ(roc.yearOffset, 0);
  EXPECT_EQ(Field(roc.dynasty, 11), "近、现代");
  EXPECT_EQ(Field(roc.title, 11), "中华民国");
  EXPECT_EQ(Field(roc.eraName, 11), "民国");
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
