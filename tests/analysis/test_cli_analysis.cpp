// lumtar-cli chart --analysis.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "clirun.h"
#include "tempdir.h"

namespace {

int RunCli(const std::string& args) {
  return lumtar::test::RunCommandLine(std::string(LUMTAR_CLI) + " " + args + " 2>/dev/null").status;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(AnalysisCli, WritesTheReportOfTheChart) {
  lumtar::test::TempDir dir;
  const std::string file = (dir / "analysis.txt").string();
  const std::string settings = (dir / "set.ini").string();
  ASSERT_EQ(RunCli("chart --date 1990-03-07 --time 08:30 --settings " + settings + " --analysis " + file), 0);
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.rfind("命主分析：\r\n★命度主：木躔参宿号天聪", 0), 0u);
  std::size_t at = 0;
  for (const char* heading : {"入宫分析：\r\n", "主星飞宫：\r\n", "相位关系：\r\n"}) {
    at = text.find(heading, at);
    EXPECT_NE(at, std::string::npos) << heading;
  }
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

// The annual command takes the chart options too; its analysis is the natal
// chart's, which the overlay leaves unchanged.
TEST(AnalysisCli, TheAnnualCommandWritesTheNatalReport) {
  lumtar::test::TempDir dir;
  const std::string birth = "--date 1990-03-07 --time 08:30 --settings " + (dir / "set.ini").string();
  const std::string natal = (dir / "natal.txt").string();
  const std::string annual = (dir / "annual.txt").string();
  ASSERT_EQ(RunCli("chart " + birth + " --analysis " + natal), 0);
  ASSERT_EQ(RunCli("annual " + birth + " --at 2024-05-01 12:00 --analysis " + annual), 0);
  EXPECT_FALSE(ReadFile(natal).empty());
  EXPECT_EQ(ReadFile(annual), ReadFile(natal));
}

TEST(AnalysisCli, AFileThatCannotBeWrittenIsAnError) {
  lumtar::test::TempDir dir;
  // The path names an existing folder.
  EXPECT_EQ(RunCli("chart --date 1990-03-07 --time 08:30 --settings " + (dir / "set.ini").string() + " --analysis " +
                   dir.path().string()),
            1);
}
