// The era table and the era names of a year.
#include <gtest/gtest.h>

#include <cstring>

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
