#include <gtest/gtest.h>

#include "files.h"
#include "gbk.h"
#include "inifile.h"
#include "tempdir.h"

using namespace lumtar;

TEST(IniFile, MissingFileSectionOrKeyGivesDefaults) {
  test::TempDir dir;
  IniFile ini(dir / "none.ini");
  EXPECT_EQ(ini.ReadInteger("a", "b", 7), 7);
  EXPECT_EQ(ini.ReadString("a", "b", "x"), "x");
  EXPECT_TRUE(ini.ReadBool("a", "b", true));
  EXPECT_TRUE(ini.ReadSection("a").empty());
  EXPECT_FALSE(FileExists(dir / "none.ini"));  // reading creates nothing
}

TEST(IniFile, NonIntegersReadAsTheDefault) {
  test::TempDir dir;
  WriteWholeFileAtomic(dir / "a.ini",
                       "[s]\r\nok= 12 \r\nneg=-3\r\ntext=abc\r\nmixed=12abc\r\nempty=\r\nhuge=99999999999\r\n");
  IniFile ini(dir / "a.ini");
  EXPECT_EQ(ini.ReadInteger("s", "ok", 0), 12);
  EXPECT_EQ(ini.ReadInteger("s", "neg", 0), -3);
  EXPECT_EQ(ini.ReadInteger("s", "text", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "mixed", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "empty", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "huge", 5), 5);
}

TEST(IniFile, WritesGbkWithCrlfAtOnce) {
  test::TempDir dir;
  IniFile ini(dir / "dat" / "x.ini");  // the folder is created as needed
  ASSERT_TRUE(ini.WriteString("福建省", "福州市", "119:18*26:5"));
  ASSERT_TRUE(ini.WriteInteger("winpos", "left", -4));
  ASSERT_TRUE(ini.WriteBool("window", "skined", true));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(dir / "dat" / "x.ini", &bytes));
  EXPECT_EQ(bytes, Utf8ToGbk("[福建省]\r\n福州市=119:18*26:5\r\n\r\n[winpos]\r\nleft=-4\r\n\r\n[window]\r\nskined=1\r\n"));
  // A second object sees the write immediately.
  IniFile other(dir / "dat" / "x.ini");
  EXPECT_EQ(other.ReadString("福建省", "福州市", ""), "119:18*26:5");
  EXPECT_TRUE(other.ReadBool("window", "skined", false));
}

TEST(IniFile, NamesCompareCaseInsensitivelyAndKeysKeepFileOrder) {
  test::TempDir dir;
  WriteWholeFileAtomic(dir / "a.ini", Utf8ToGbk("[Lumtar]\r\nGuiDao=1\r\n[广东省]\r\n广州市=113:16*23:8\r\n深圳市=114:3*22:33\r\n珠海市=113:34*22:16\r\n"));
  IniFile ini(dir / "a.ini");
  EXPECT_EQ(ini.ReadInteger("lumtar", "guidao", 0), 1);
  ASSERT_TRUE(ini.WriteInteger("LUMTAR", "GUIDAO", 0));
  EXPECT_EQ(ini.ReadInteger("Lumtar", "GuiDao", 9), 0);
  EXPECT_EQ(ini.ReadSection("广东省"), (std::vector<std::string>{"广州市", "深圳市", "珠海市"}));
  // Updating a value keeps its place in the order.
  ASSERT_TRUE(ini.WriteString("广东省", "深圳市", "114:4*22:33"));
  EXPECT_EQ(ini.ReadSection("广东省"), (std::vector<std::string>{"广州市", "深圳市", "珠海市"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Lumtar", "广东省"}));
}

TEST(IniFile, AcceptsUtf8WithByteOrderMark) {
  test::TempDir dir;
  WriteWholeFileAtomic(dir / "a.ini", "\xEF\xBB\xBF[类]\r\n名=张三\r\n");
  EXPECT_EQ(IniFile(dir / "a.ini").ReadString("类", "名", ""), "张三");
}

TEST(IniFile, SeveralWritesInOneUpdateLeaveWhatSingleWritesLeave) {
  test::TempDir dir;
  const std::string start = Utf8ToGbk("[winpos]\r\nleft=3\r\n\r\n[classes]\r\ncount=1\r\n1=亲友\r\n");
  WriteWholeFileAtomic(dir / "one.ini", start);
  WriteWholeFileAtomic(dir / "many.ini", start);
  const std::vector<IniFile::Value> values = {
      {"winpos", "left", "10"}, {"winpos", "top", "-4"}, {"classes", "count", "2"},
      {"classes", "2", "名人"}, {"minggao", "fname", "宋体"}, {"WINPOS", "Left", "11"}};
  IniFile one(dir / "one.ini");
  for (const auto& v : values) ASSERT_TRUE(one.WriteString(v.section, v.key, v.text));
  ASSERT_TRUE(IniFile(dir / "many.ini").WriteStrings(values));
  std::string a, b;
  ASSERT_TRUE(ReadWholeFile(dir / "one.ini", &a));
  ASSERT_TRUE(ReadWholeFile(dir / "many.ini", &b));
  EXPECT_EQ(a, b);
  EXPECT_EQ(IniFile(dir / "many.ini").ReadInteger("winpos", "left", 0), 11);
  // A missing file is created.
  ASSERT_TRUE(IniFile(dir / "new" / "x.ini").WriteStrings(values));
  EXPECT_EQ(IniFile(dir / "new" / "x.ini").ReadString("classes", "2", ""), "名人");
}
