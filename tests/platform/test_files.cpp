#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

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

namespace {

std::string Bytes(const std::filesystem::path& p) {
  std::string s;
  EXPECT_TRUE(ReadWholeFile(p, &s)) << p;
  return s;
}

unsigned Mode(const std::filesystem::path& p) {
  return static_cast<unsigned>(std::filesystem::status(p).permissions()) & 07777;
}

}  // namespace

TEST(Files, AnEmptyProgramFolderIsRefused) {
  test::TempDir dir;
  ASSERT_TRUE(SetProgramDir(dir.str()));
  EXPECT_FALSE(SetProgramDir(""));
  EXPECT_EQ(ProgramDir(), dir.str());
}

// Links planted where a replacement is written are never written through:
// at the name the old temporary file had, and at the target's own name
// (the link is replaced). The victim elsewhere keeps its bytes.
TEST(Files, ReplacingAFileFollowsNoPlantedLink) {
  test::TempDir dir, elsewhere;
  const auto victim = elsewhere / "victim";
  ASSERT_TRUE(WriteWholeFileAtomic(victim, "precious"));
  std::filesystem::create_symlink(victim, dir / "a.ini.tmp~");
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "a.ini", "new"));
  EXPECT_EQ(Bytes(dir / "a.ini"), "new");
  EXPECT_EQ(Bytes(victim), "precious");

  std::filesystem::create_symlink(victim, dir / "b.ini");
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "b.ini", "new"));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "b.ini"));
  EXPECT_EQ(Bytes(dir / "b.ini"), "new");
  EXPECT_EQ(Bytes(victim), "precious");
  // Nothing else is left in the folder.
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"a.ini", "a.ini.tmp~", "b.ini"}));
}

TEST(Files, AReplacementKeepsThePermissions) {
  test::TempDir dir;
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "private", "one"));
  std::filesystem::permissions(dir / "private", std::filesystem::perms(0600));
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "private", "two"));
  EXPECT_EQ(Mode(dir / "private"), 0600u);
  std::filesystem::permissions(dir / "private", std::filesystem::perms(0640));
  ASSERT_TRUE(CopyFileOverwrite(dir / "private", dir / "copy"));
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "copy", "three"));
  EXPECT_EQ(Bytes(dir / "copy"), "three");
  // A copy has no permission its source lacks.
  EXPECT_EQ(Mode(dir / "copy"), 0640u & FileModeOr(dir / "none"));
  // A new file has the usual permissions, not those of a temporary file.
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "new", "four"));
  EXPECT_EQ(Mode(dir / "new"), FileModeOr(dir / "none"));
  EXPECT_NE(FileModeOr(dir / "none") & 0044u, 0u);
}

// A folder or a pipe where a file is expected reads as no file, at once;
// a file beyond the limit is not read.
TEST(Files, OddFilesAreNotRead) {
  test::TempDir dir;
  ASSERT_TRUE(CreateDirectories(dir / "folder"));
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "big", std::string(1000, 'x')));
  std::string bytes = "unchanged";
  EXPECT_EQ(ReadFile(dir / "folder", &bytes), ReadResult::NotAFile);
  EXPECT_EQ(ReadFile(dir / "pipe", &bytes), ReadResult::NotAFile);
  EXPECT_EQ(ReadFile(dir / "none", &bytes), ReadResult::Missing);
  EXPECT_EQ(ReadFile(dir / "big", &bytes, 999), ReadResult::TooLarge);
  EXPECT_EQ(bytes, "unchanged");
  EXPECT_EQ(ReadFile(dir / "big", &bytes, 1000), ReadResult::Read);
  EXPECT_EQ(bytes.size(), 1000u);
  EXPECT_FALSE(ReadWholeFile(dir / "folder", &bytes));
}

// Copying takes regular files only, a piece at a time, never through a link.
TEST(Files, CopyingTakesRegularFilesOnly) {
  test::TempDir dir;
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "secret", "outside"));
  std::filesystem::create_symlink(dir / "secret", dir / "link.rtf");
  ASSERT_TRUE(CreateDirectories(dir / "folder.rtf"));
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "big.rtf", std::string(3u << 20, 'b')));
  EXPECT_EQ(CopyRegularFile(dir / "link.rtf", dir / "out1"), CopyResult::NotAFile);
  EXPECT_EQ(CopyRegularFile(dir / "folder.rtf", dir / "out2"), CopyResult::NotAFile);
  EXPECT_EQ(CopyRegularFile(dir / "big.rtf", dir / "out3", 1u << 20), CopyResult::TooLarge);
  EXPECT_EQ(CopyRegularFile(dir / "big.rtf", dir / "out4"), CopyResult::Copied);
  EXPECT_EQ(Bytes(dir / "out4"), std::string(3u << 20, 'b'));
  for (const char* name : {"out1", "out2", "out3"}) EXPECT_FALSE(PathTaken(dir / name)) << name;
  EXPECT_EQ(ListFiles(dir.path(), "*.rtf", false), std::vector<std::string>{"big.rtf"});
  EXPECT_EQ(ListFiles(dir.path(), "*.rtf", true), (std::vector<std::string>{"big.rtf", "link.rtf"}));
}

// A replacement not committed leaves the target and no temporary file.
TEST(Files, APendingFileChangesNothingUntilCommitted) {
  test::TempDir dir;
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "doc", "old"));
  {
    PendingFile pending;
    ASSERT_TRUE(pending.Open(dir / "doc"));
    ASSERT_TRUE(pending.Write("new"));
    ASSERT_TRUE(pending.Finish());
    EXPECT_EQ(Bytes(dir / "doc"), "old");
  }
  EXPECT_EQ(Bytes(dir / "doc"), "old");
  EXPECT_EQ(ListNames(dir.path(), "*").size(), 1u);
  PendingFile pending;
  ASSERT_TRUE(pending.Open(dir / "doc"));
  ASSERT_TRUE(pending.Write("new"));
  ASSERT_TRUE(pending.Commit());
  EXPECT_EQ(Bytes(dir / "doc"), "new");
  EXPECT_EQ(ListNames(dir.path(), "*").size(), 1u);
}
