#include <gtest/gtest.h>

#include "gbk.h"

using namespace lumtar;

TEST(Gbk, RoundTripsChineseText) {
  const std::string utf8 = "七政四余 星命 LumtarV3.1 €";
  std::string gbk = Utf8ToGbk(utf8);
  // 七 is C6 DF in GBK; the euro sign is the single byte 0x80 of code page 936.
  EXPECT_EQ(gbk.substr(0, 2), "\xC6\xDF");
  EXPECT_EQ(gbk.back(), '\x80');
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

TEST(Gbk, InvalidBytesAreReplacedVisibly) {
  struct Case {
    std::string gbk;
    std::string utf8;
  } cases[] = {
      {"\xFF", "\xEF\xBF\xBD"},               // no GBK lead byte
      {"A\x81", "A\xEF\xBF\xBD"},             // lead byte cut at the end
      {"\x81\x30" "B", "\xEF\xBF\xBD" "0B"},  // invalid pair: the ASCII trail survives
  };
  for (const auto& c : cases) EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
}

TEST(Gbk, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z");  // an emoji
  EXPECT_EQ(Utf8ToGbk("a\xC3z"), "a?z");              // broken UTF-8
}

TEST(Gbk, FixedFieldsCutAtWholeCharacters) {
  char field[6];
  CopyToGbkField("张三丰", field, sizeof field);  // 6 bytes do not fit in 5
  EXPECT_EQ(std::string(field), Utf8ToGbk("张三"));
  EXPECT_EQ(field[4], '\0');
  EXPECT_EQ(field[5], '\0');
  EXPECT_EQ(GbkFieldToUtf8(field, sizeof field), "张三");
  // A field without terminator is read to its end.
  char full[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(GbkFieldToUtf8(full, sizeof full), "abcd");
}

TEST(Gbk, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("七政"));
  EXPECT_FALSE(IsValidUtf8(Utf8ToGbk("七政")));
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));
}
