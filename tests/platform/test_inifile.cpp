#include <gtest/gtest.h>

#include <sys/stat.h>

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

// A folder or a pipe where the file is expected reads as a missing file, at
// once; a write does not replace it.
TEST(IniFile, OddFilesReadAsMissing) {
  test::TempDir dir;
  ASSERT_TRUE(CreateDirectories(dir / "set.ini"));
  ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
  for (const char* name : {"set.ini", "pipe.ini"}) {
    IniFile ini(dir / name);
    EXPECT_EQ(ini.ReadInteger("lumtar", "npos", 3), 3) << name;
    EXPECT_EQ(ini.ReadString("lumtar", "x", "d"), "d") << name;
    EXPECT_TRUE(ini.ReadSections().empty()) << name;
    EXPECT_FALSE(ini.WriteInteger("lumtar", "npos", 5)) << name;
    EXPECT_FALSE(ini.WriteStrings({{"a", "b", "c"}})) << name;
  }
  EXPECT_TRUE(DirectoryExists(dir / "set.ini"));
  EXPECT_EQ(std::filesystem::status(dir / "pipe.ini").type(), std::filesystem::file_type::fifo);
}

// A file beyond kIniMaxBytes is not parsed: it reads as missing, says so,
// and the next write replaces it with the keys written.
TEST(IniFile, AnAbsurdFileIsNotReadAndAWriteTruncatesIt) {
  test::TempDir dir;
  std::string huge = "[lumtar]\r\nnpos=5\r\n";
  while (huge.size() <= kIniMaxBytes) huge += "[s" + std::to_string(huge.size()) + "]\r\nk=v\r\n";
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "set.ini", huge));
  IniFile ini(dir / "set.ini");
  EXPECT_TRUE(ini.TooLarge());
  EXPECT_EQ(ini.ReadInteger("lumtar", "npos", 3), 3);
  ASSERT_TRUE(ini.WriteInteger("lumtar", "guidao", 1));
  EXPECT_FALSE(ini.TooLarge());
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(dir / "set.ini", &bytes));
  EXPECT_EQ(bytes, "[lumtar]\r\nguidao=1\r\n");
  // What the large file held is kept beside it, not lost.
  ASSERT_TRUE(ReadWholeFile(IniFile::LargeCopyPath(dir / "set.ini"), &bytes));
  EXPECT_EQ(bytes, huge);
  EXPECT_FALSE(IniFile(dir / "none.ini").TooLarge());
}

// Many reads through one object parse the file once, until it changes.
TEST(IniFile, ReadsParseTheFileOnce) {
  test::TempDir dir;
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "a.ini", "[s]\r\na=1\r\nb=2\r\n"));
  const IniFile ini(dir / "a.ini");
  const long before = IniFile::Parses();
  int sum = 0;
  for (int i = 0; i < 10; ++i) sum += ini.ReadInteger("s", "a", 0) + ini.ReadInteger("s", "b", 0);
  EXPECT_EQ(ini.ReadSection("s").size(), 2u);
  EXPECT_EQ(sum, 30);
  EXPECT_EQ(IniFile::Parses() - before, 1);
  // Another program changes the file: the next read sees it.
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "a.ini", "[s]\r\na=7\r\n"));
  EXPECT_EQ(ini.ReadInteger("s", "a", 0), 7);
  EXPECT_EQ(ini.ReadInteger("s", "b", 0), 0);
  // Its own write too, without another parse.
  IniFile writer(dir / "a.ini");
  ASSERT_TRUE(writer.WriteInteger("s", "b", 9));
  const long afterWrite = IniFile::Parses();
  EXPECT_EQ(writer.ReadInteger("s", "b", 0), 9);
  EXPECT_EQ(IniFile::Parses(), afterWrite);
  EXPECT_EQ(ini.ReadInteger("s", "b", 0), 9);
}

// Many sections, blank lines between them as the file had them or not: one
// blank line between sections after a write.
TEST(IniFile, ManySectionsKeepOneBlankLineBetween) {
  test::TempDir dir;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n\r\n\r\n";
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "a.ini", text));
  IniFile ini(dir / "a.ini");
  ASSERT_TRUE(ini.WriteString("s19999", "k", "last"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(dir / "a.ini", &bytes));
  std::string expected;
  for (int i = 0; i < 20000; ++i)
    expected += (i ? "\r\n" : "") + std::string("[s") + std::to_string(i) + "]\r\nk=" + (i == 19999 ? "last" : std::to_string(i)) + "\r\n";
  EXPECT_EQ(bytes, expected);
}
