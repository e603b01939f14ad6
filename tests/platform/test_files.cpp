#include <gtest/gtest.h>

#include "files.h"
#include "tempdir.h"

using namespace lumtar;

TEST(Files, WildcardMatching) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.skn", "Mx1.skn", true},   {"*.skn", "Mx1.SKN", true}, {"*.skn", "Mx1.skn.bak", false},
      {"张三*.rtf", "张三_0.rtf", true}, {"a?c", "abc", true},    {"a?c", "ac", false},
      {"*", "", true},              {"*a*b", "xxaxxb", true},   {"*a*b", "xxaxxbc", false},
  };
  for (const auto& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Files, CopyRenameDeleteAndList) {
  test::TempDir dir;
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "a.skn", "one"));
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "b.skn", "two"));
  ASSERT_TRUE(CopyFileOverwrite(dir / "a.skn", dir / "b.skn"));
  std::string s;
  ASSERT_TRUE(ReadWholeFile(dir / "b.skn", &s));
  EXPECT_EQ(s, "one");
  ASSERT_TRUE(RenameFile(dir / "b.skn", dir / "c.txt"));
  EXPECT_EQ(ListFiles(dir.path(), "*.skn"), std::vector<std::string>{"a.skn"});
  ASSERT_TRUE(DeleteFileIfExists(dir / "a.skn"));
  ASSERT_TRUE(DeleteFileIfExists(dir / "a.skn"));  // already gone is fine
  EXPECT_TRUE(ListFiles(dir.path(), "*.skn").empty());
  EXPECT_TRUE(CreateDirectories(dir / "x" / "y"));
  EXPECT_TRUE(DirectoryExists(dir / "x" / "y"));
}

TEST(Files, ProgramFolderEndsWithSlash) {
  test::TempDir dir;
  SetProgramDir(dir.path().string());
  EXPECT_EQ(ProgramDir(), dir.path().string() + "/");
  EXPECT_EQ(ProgramPath("dat/set.ini").string(), dir.path().string() + "/dat/set.ini");
}
