#include <gtest/gtest.h>

#include "chartrequest.h"
#include "files.h"
#include "gbk.h"
#include "inifile.h"
#include "tempdir.h"

using namespace lumtar;

TEST(ChartSettings, AbsentFileGivesDefaults) {
  test::TempDir dir;
  ChartSettings s = LoadChartSettings((dir / "dat/set.ini").string());
  EXPECT_EQ(s.frame, 0);
  EXPECT_EQ(s.backgroundColour, 0xFFFFFFu);
  EXPECT_EQ(s.nodeConvention, 0);
  EXPECT_EQ(s.aspectOrb, 3);
  EXPECT_EQ(s.ascendantMethod, 0);
  EXPECT_EQ(s.pillarTime, 0);
}

TEST(ChartSettings, ReadsTheSixKeys) {
  test::TempDir dir;
  WriteWholeFileAtomic(dir / "set.ini",
                       "[lumtar]\r\nguidao=1\r\nbkcolor=12635344\r\nluoji=1\r\nnpos=7\r\nmgong=1\r\niDate=2\r\n");
  ChartSettings s = LoadChartSettings((dir / "set.ini").string());
  EXPECT_EQ(s, (ChartSettings{1, 12635344u, 1, 7, 1, 2}));
}

TEST(ChartSettings, HandEditedValuesAreBroughtIntoRange) {
  struct Case {
    const char* file;
    ChartSettings expected;
  } cases[] = {
      {"[lumtar]\r\nguidao=7\r\nnpos=0\r\n", {1, 0xFFFFFF, 0, 1, 0, 0}},
      {"[lumtar]\r\nguidao=-2\r\nnpos=99\r\nluoji=5\r\nmgong=-1\r\niDate=3\r\n", {0, 0xFFFFFF, 1, 10, 0, 2}},
      {"[lumtar]\r\nnpos=abc\r\niDate=-9\r\nbkcolor=-1\r\n", {0, 0xFFFFFF, 0, 3, 0, 0}},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    WriteWholeFileAtomic(dir / "set.ini", c.file);
    EXPECT_EQ(LoadChartSettings((dir / "set.ini").string()), c.expected) << c.file;
  }
}

TEST(ChartSettings, SaveWritesTheKeysInDialogOrder) {
  test::TempDir dir;
  ASSERT_TRUE(SaveChartSettings((dir / "set.ini").string(), ChartSettings{1, 255, 0, 4, 1, 1}));
  std::string bytes;
  ReadWholeFile(dir / "set.ini", &bytes);
  EXPECT_EQ(bytes, "[lumtar]\r\nguidao=1\r\nbkcolor=255\r\nluoji=0\r\nnpos=4\r\nmgong=1\r\niDate=1\r\n");
}

TEST(TimeZones, ListTextAndHoursEast) {
  struct Case {
    int index;
    const char* text;
    int hours;
  } cases[] = {
      {0, "零时区", 0},   {1, "东一区", 1},   {8, "东八区", 8},       {11, "东十一区", 11},
      {12, "中十二区", 12}, {13, "西一区", -1}, {22, "西十区", -10}, {23, "西十一区", -11},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeZoneText(c.index), c.text);
    EXPECT_EQ(HoursEastOfZone(c.index), c.hours);
  }
}

TEST(ChartRequest, TextFieldsAreGbkAndZeroTerminated) {
  ChartRequest r;
  r.SetName("张三丰李四王五赵六");  // 18 bytes of GBK: cut to 11
  EXPECT_EQ(r.NameUtf8(), "张三丰李四");
  EXPECT_EQ(r.name[11], '\0');
  r.SetPlaceName("福建省-福州市");
  EXPECT_EQ(std::string(r.placeName), Utf8ToGbk("福建省-福州市"));
}
