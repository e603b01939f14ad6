// lumtar-cli against odd arguments and files: nothing written outside the
// program's folders and the file named, nothing taken from outside an
// export set, failures never reported as success.
//
// LUMTAR_TEST_CLI names another build of the tool to run these against.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "casefixture.h"
#include "clirun.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

using CliRun = CommandRun;

std::string Tool() {
  const char* other = std::getenv("LUMTAR_TEST_CLI");
  return other && *other ? other : LUMTAR_CLI;
}

class CliSafety : public StoreTest {
 protected:
  // Runs the tool with the arguments (already quoted for the shell);
  // `redirect` replaces the capture of standard output, and what it sends
  // to out.txt of the test's folder is the output.
  CliRun Cli(const std::string& args, const std::string& redirect = {}) {
    const std::string out = (dir / "out.txt").string(), err = (dir / "err.txt").string();
    CliRun run = RunCommandLine(Tool() + " " + args + (redirect.empty() ? "" : " " + redirect), err);
    std::string redirected;
    if (!redirect.empty() && ReadWholeFile(out, &redirected)) run.out = redirected;
    DeleteFileIfExists(out);
    DeleteFileIfExists(err);
    return run;
  }
  std::string Folder() const { return " --program-dir '" + dir.str() + "'"; }

  void WriteSet(const std::filesystem::path& set, const std::string& store) {
    ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
    ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar.dat", store));
  }
};

std::string Store(std::vector<CaseRecord> records) {
  std::string bytes;
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].slot = static_cast<int32_t>(i);
    bytes += RecordBytes(records[i]);
  }
  return bytes;
}

}  // namespace

// An empty program folder is no folder (it was taken as "/"), nor an empty
// export folder; the commands that only read create no store or folder.
TEST_F(CliSafety, EmptyFoldersAreRefusedAndReadersCreateNothing) {
  const bool rootStoreBefore = PathTaken("/dat/Lumtar.dat");
  const bool rootDocsBefore = PathTaken("/Lumtar_f");
  for (const char* args : {"cases list --program-dir ''", "cases search --name x --program-dir ''",
                           "chart --date 1990-01-01 --time 10:00 --program-dir ''"}) {
    CliRun r = Cli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("--program-dir"), std::string::npos) << args << ": " << r.err;
  }
  EXPECT_EQ(PathTaken("/dat/Lumtar.dat"), rootStoreBefore);
  EXPECT_EQ(PathTaken("/Lumtar_f"), rootDocsBefore);

  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990)});
  const bool rootSetBefore = PathTaken("/Lumtar_导出数据");
  CliRun r = Cli("cases export ''" + Folder());
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(PathTaken("/Lumtar_导出数据"), rootSetBefore);

  // A program folder without a store: nothing to list, and nothing made.
  TempDir empty;
  for (const char* command : {"cases list", "cases search --name 甲", "cases compact"}) {
    r = Cli(std::string(command) + " --program-dir '" + empty.str() + "'");
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_TRUE(ListNames(empty.path(), "*").empty()) << command;
  }
  r = Cli("cases export '" + (dir / "x").string() + "' --program-dir '" + empty.str() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ListNames(empty.path(), "*").empty());
}

// Links planted by someone else where the tool writes its temporary files
// or its targets are never written through, and the files written keep the
// permissions of those they replace.
TEST_F(CliSafety, PlantedLinksAreNotWrittenThrough) {
  TempDir elsewhere;
  const auto victim = elsewhere / "victim";
  ASSERT_TRUE(WriteWholeFileAtomic(victim, "precious"));
  std::vector<CaseRecord> records(2000, MakeCase("甲", "朋友", 1990));
  records[3].isDeleted = 1;
  WriteRawStore(StoreFile(), records);
  std::filesystem::permissions(StoreFile(), std::filesystem::perms(0600));

  // Export: at the old temporary name and at the target's own name.
  const auto set = dir / "out/Lumtar_导出数据";
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
  std::filesystem::create_symlink(victim, set / "Lumtar.dat.tmp~");
  CliRun r = Cli("cases export '" + (dir / "out").string() + "'" + Folder());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileBytes(victim), "precious");
  std::filesystem::remove(set / "Lumtar.dat");
  std::filesystem::create_symlink(victim, set / "Lumtar.dat");
  r = Cli("cases export '" + (dir / "out").string() + "'" + Folder());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileBytes(victim), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink(set / "Lumtar.dat"));
  EXPECT_EQ(FileBytes(set / "Lumtar.dat"), FileBytes(StoreFile()));

  // Compaction's temporary file.
  std::filesystem::create_symlink(victim, dir / "dat/ming.bak");
  r = Cli("cases compact" + Folder());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileBytes(victim), "precious");
  EXPECT_EQ(db.RecordCount(), 1999);
  EXPECT_FALSE(std::filesystem::is_symlink(StoreFile()));
  EXPECT_EQ(static_cast<unsigned>(std::filesystem::status(StoreFile()).permissions()) & 0777u, 0600u);

  // The analysis text of a chart.
  const auto analysis = elsewhere / "analysis.txt";
  std::filesystem::create_symlink(victim, elsewhere / "analysis.txt.tmp~");
  r = Cli("chart --date 1990-03-07 --time 10:30 --analysis '" + analysis.string() + "'" + Folder());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileBytes(victim), "precious");
  EXPECT_FALSE(FileBytes(analysis).empty());
}

// An export set's documents come in only as the set's own regular files:
// a link to a file elsewhere, a folder or a document larger than the
// editor takes is left out, and said so.
TEST_F(CliSafety, ImportTakesOnlyTheSetsOwnDocuments) {
  TempDir elsewhere;
  ASSERT_TRUE(WriteWholeFileAtomic(elsewhere / "secret", "outside"));
  const auto set = dir / "set";
  CaseRecord a = MakeCase("甲", "朋友", 1990);
  a.SetCommentName("a");
  WriteSet(set, Store({a}));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/a.rtf", "{\\rtf1 a}"));
  std::filesystem::create_symlink(elsewhere / "secret", set / "Lumtar_f/x.rtf");
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f/dir.rtf"));
  {
    // Sparse: no disk space, 100 MB to a reader.
    std::FILE* f = std::fopen((set / "Lumtar_f/huge.rtf").c_str(), "wb");
    ASSERT_TRUE(f);
    ASSERT_EQ(::ftruncate(::fileno(f), 100 << 20), 0);
    std::fclose(f);
  }
  CliRun r = Cli("cases import '" + (set / "Lumtar.dat").string() + "'" + Folder());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "成功导入，请重启软件！\n");
  EXPECT_NE(r.err.find("x.rtf"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("huge.rtf"), std::string::npos) << r.err;
  EXPECT_EQ(ListNames(dir / "Lumtar_f", "*"), std::vector<std::string>{"a.rtf"});
  EXPECT_EQ(FileBytes(Doc("a.rtf")), "{\\rtf1 a}");
}

// The file named is the one imported, whatever other letter cases of its
// name sit beside it.
TEST_F(CliSafety, ImportTakesTheFileNamed) {
  const auto set = dir / "set";
  WriteSet(set, Store({MakeCase("小写", "朋友", 1990)}));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "LUMTAR.DAT", Store({MakeCase("大写", "朋友", 1990)})));
  for (const char* name : {"Lumtar.dat", "LUMTAR.DAT", "Lumtar.dat"}) {
    CliRun r = Cli("cases import '" + (set / name).string() + "'" + Folder());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileBytes(StoreFile()), FileBytes(set / name)) << name;
  }
}

// Output that cannot be written is a failure; so is a year no era table
// reaches; a settings file that is not there is said to be missing, and a
// huge argument is not echoed whole.
TEST_F(CliSafety, FailuresAreNotReportedAsSuccess) {
  CliRun r = Cli("terms 1900 --to 2100", ">/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(r.err.empty());
  r = Cli("lunar 2000-01-01", ">&-");
  EXPECT_EQ(r.status, 1);
  r = Cli("lunar 2000-01-01");
  EXPECT_EQ(r.status, 0);

  for (const char* year : {"100000", "-100000"}) {
    r = Cli(std::string("eras ") + year);
    EXPECT_EQ(r.status, 1) << year;
    EXPECT_EQ(r.out, "") << year;
    EXPECT_FALSE(r.err.empty()) << year;
  }

  r = Cli("chart --date 1990-03-07 --time 10:30 --settings '" + (dir / "none.ini").string() + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("none.ini"), std::string::npos) << r.err;
  r = Cli("chart --date 1990-03-07 --time 10:30 --settings '" + dir.str() + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find(dir.str()), std::string::npos) << r.err;

  const std::string huge(1 << 20, '9');
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "huge.txt", huge + "\n"));
  const std::vector<std::string> hugeArgs = {"lunar -", "pillars " + huge.substr(0, 100000) + " 10:00",
                                             "chart --date 1990-03-07 --time " + huge.substr(0, 100000)};
  for (const std::string& args : hugeArgs) {
    r = Cli(args, "<'" + (dir / "huge.txt").string() + "' >/dev/null");
    EXPECT_NE(r.status, 0) << args.substr(0, 20);
    EXPECT_LT(r.err.size(), 1000u) << args.substr(0, 20);
  }
  // A batch answers a huge line with a short error and goes on.
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "lines.txt", std::string(1 << 20, 'x') + "\n{\"date\": \"" +
                                                          huge.substr(0, 100000) + "\", \"time\": \"10:30\"}\n"));
  r = Cli("batch -", "<'" + (dir / "lines.txt").string() + "' >'" + (dir / "out.txt").string() + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out.substr(0, 200);
  EXPECT_LT(r.out.size(), 1000u) << r.out.substr(0, 200);
}
