// Name tables, sexagenary numbering and Chinese numerals.
#include <gtest/gtest.h>

#include "calnames.h"
#include "yidateex.h"

using namespace lumtar::calendar;

TEST(CalendarNames, SexagenaryNamesFollowTheCycle) {
  EXPECT_EQ(SexagenaryName(1), "甲子");
  EXPECT_EQ(SexagenaryName(2), "乙丑");
  EXPECT_EQ(SexagenaryName(59), "壬戌");
  EXPECT_EQ(SexagenaryName(0), "癸亥");
  EXPECT_EQ(SexagenaryName(55), "戊午");
  EXPECT_EQ(SexagenaryName(60), "癸亥");
  EXPECT_EQ(SexagenaryName(-1), "壬戌");
}

TEST(CalendarNames, SexagenaryIndexInvertsStemAndBranch) {
  // Every index is found again from its stem and branch.
  for (int i = 0; i < 60; ++i) EXPECT_EQ(MYiDateEx::SexagenaryIndex(StemOf(i), BranchOf(i)), i) << i;
  EXPECT_EQ(MYiDateEx::SexagenaryIndex(3, 3), 3);   // 丙寅
  EXPECT_EQ(MYiDateEx::SexagenaryIndex(0, 2), 50);  // 癸丑
}

TEST(CalendarNames, SolarTermNamesByLongitude) {
  EXPECT_STREQ(kSolarTermNames[0], "小寒");
  EXPECT_STREQ(kSolarTermNames[2], "立春");
  EXPECT_STREQ(kSolarTermNames[5], "春分");
  EXPECT_STREQ(kSolarTermNames[23], "冬至");
}

TEST(CalendarNames, ChineseNumerals) {
  struct Case {
    int n;
    const char* text;
  };
  const Case cases[] = {
      {1, "一"},     {9, "九"},        {10, "十"},           {11, "十一"},     {19, "十九"},
      {20, "二十"},  {21, "廿一"},     {29, "廿九"},         {30, "三十"},     {35, "三五"},
      {100, "一○○"}, {0, "○○○○"},      {1984, "一九八四"},   {-5, "前五"},     {-104, "前一○四"},
      {12345, "一二三四五"},
  };
  MYiDateEx date;
  for (const Case& c : cases) EXPECT_STREQ(date.ChineseNumeral(static_cast<int16_t>(c.n)), c.text) << c.n;
  // The extreme values do not overflow.
  EXPECT_STREQ(date.ChineseNumeral(-32768), "前三二七六八");
}

TEST(CalendarNames, MonthAndDayTexts) {
  EXPECT_EQ(LunarMonthText(1, false), "正月");
  EXPECT_EQ(LunarMonthText(2, true), "闰二月");
  EXPECT_EQ(LunarMonthText(11, false), "十一月");
  EXPECT_EQ(LunarMonthText(12, false), "十二月");
  EXPECT_EQ(LunarDayText(1), "初一");
  EXPECT_EQ(LunarDayText(10), "初十");
  EXPECT_EQ(LunarDayText(11), "十一");
  EXPECT_EQ(LunarDayText(20), "二十");
  EXPECT_EQ(LunarDayText(21), "廿一");
  EXPECT_EQ(LunarDayText(30), "三十");
}
