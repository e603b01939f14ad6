#include <gtest/gtest.h>

#include "casefixture.h"
#include "gbk.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

class Search : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    std::vector<CaseRecord> recs = {
        MakeCase("张三", "朋友", 1990, true, 2),      // 0
        MakeCase("小张", "同事", 1985, false, 5),     // 1
        MakeCase("张", "朋友", -119, true, 2),        // 2  (120 BC)
        MakeCase("张四", "朋友", 1990, true, 2),      // 3  deleted
        MakeCase("王五", "老朋友", 2000, false, 0),   // 4
        MakeCase("张", "Friends", 1600, false, 7),    // 5  garbage after the name
        MakeCase("欧阳娜娜娜", "客户", 1700, true, 1),  // 6
    };
    recs[3].isDeleted = 1;
    std::memcpy(recs[5].name + 3, Utf8ToGbk("三").c_str(), 2);
    WriteRawStore(StoreFile(), recs);
  }

  std::vector<int> Run(const SearchCriteria& c) {
    std::vector<int> slots{-5};
    EXPECT_TRUE(db.SearchRecords(c, &slots));
    return slots;
  }
};

SearchCriteria Name(const std::string& pattern, uint8_t mode) {
  SearchCriteria c;
  c.SetNamePattern(pattern);
  c.nameMode = mode;
  return c;
}

SearchCriteria Class(const std::string& pattern, uint8_t mode) {
  SearchCriteria c;
  c.SetClassPattern(pattern);
  c.classMode = mode;
  return c;
}

}  // namespace

TEST_F(Search, EachConditionAlone) {
  SearchCriteria male, female, years, bc, province, all;
  male.sexFilter = true;
  male.wantMale = 1;
  female.sexFilter = true;
  years.yearFilter = true;
  years.yearFrom = 1600;
  years.yearTo = 1990;
  bc.yearFilter = true;
  bc.yearFrom = -119;
  bc.yearTo = -99;
  province.provinceIndex = 2;
  struct Case {
    const char* what;
    SearchCriteria criteria;
    std::vector<int> slots;
  } cases[] = {
      {"every condition off lists every live case", all, {0, 1, 2, 4, 5, 6}},
      {"name contains 张", Name("张", 1), {0, 1, 2, 5}},
      {"name equals 张", Name("张", 2), {2, 5}},
      {"bytes after the terminator are no part of the name", Name("三", 1), {0}},
      {"pattern with a trailing space", Name("张 ", 1), {}},
      {"class contains 朋友", Class("朋友", 1), {0, 2, 4}},
      {"class equals 朋友", Class("朋友", 2), {0, 2}},
      {"no case folding", Class("friends", 2), {}},
      {"male", male, {0, 2, 6}},
      {"female", female, {1, 4, 5}},
      {"years inclusive", years, {0, 1, 5, 6}},
      {"years before the common era", bc, {2}},
      {"province", province, {0, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(Run(c.criteria), c.slots) << c.what;
}

TEST_F(Search, ConditionsCombine) {
  SearchCriteria c = Name("张", 1);
  c.sexFilter = true;
  c.wantMale = 0;
  c.provinceIndex = 5;
  EXPECT_EQ(Run(c), std::vector<int>{1});
}

// The comparison is byte for byte: the trail byte of 张 and the lead byte of
// 三 together read as 湃, and that matches.
TEST_F(Search, MatchingIgnoresCharacterBoundaries) {
  EXPECT_EQ(Run(Name("湃", 1)), std::vector<int>{0});
}

// A pattern longer than any name finds nothing; cut to the field it would
// have found 欧阳娜娜娜.
TEST_F(Search, LongPatternIsNotCut) {
  EXPECT_EQ(Run(Name("欧阳娜娜娜", 2)), std::vector<int>{6});
  EXPECT_EQ(Run(Name("欧阳娜娜娜娜", 2)), std::vector<int>{});
  EXPECT_EQ(Run(Name("欧阳娜娜娜娜", 1)), std::vector<int>{});
}

TEST(SearchYears, YearBoxes) {
  struct Case {
    const char* from;
    const char* to;
    bool ok;
    const char* message;
    int16_t yearFrom, yearTo;
  } cases[] = {
      {"1990", "", false, kYearRangeMessage, 0, 0},  // the empty box reads as -1000
      {"-120", "-100", true, "", -119, -99},
      {"-1", "1", true, "", 0, 1},
      {"0", "5", false, kYearRangeMessage, 0, 0},
      {"-851", "5", false, kYearRangeMessage, 0, 0},
      {"1990", "2101", false, kYearRangeMessage, 0, 0},
      {"abc", "1990", false, kYearRangeMessage, 0, 0},
      {"2000", "1990", false, kYearOrderMessage, 0, 0},
      {"-850", "2100", true, "", -849, 2100},
  };
  for (const Case& c : cases) {
    SearchCriteria s;
    std::string message;
    EXPECT_EQ(SetYearRange(&s, c.from, c.to, &message), c.ok) << c.from << " " << c.to;
    EXPECT_EQ(message, c.message) << c.from << " " << c.to;
    EXPECT_EQ(s.yearFilter, c.ok);
    EXPECT_EQ(s.yearFrom, c.yearFrom);
    EXPECT_EQ(s.yearTo, c.yearTo);
  }
  SearchCriteria s;
  s.yearFilter = true;
  std::string message;
  EXPECT_TRUE(SetYearRange(&s, "", "", &message));
  EXPECT_FALSE(s.yearFilter);
}
