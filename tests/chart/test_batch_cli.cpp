// lumtar-cli batch against the single commands: every line of a batch gives
// what `chart --json` or `annual --json` prints for the same options, or the
// message that command ends with, also when good and bad lines mix and one
// engine serves them all.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "clirun.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

using CliRun = test::CommandRun;

// One request: the batch line, and the command line that asks the same ("" for
// a line no command line can say). "@" stands for the test's folder.
struct Row {
  std::string line;
  std::string command;
};

class BatchCli : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectories(dir / "prog/dat");
    // The program folder's settings are the defaults; those of "@other.ini"
    // use the equatorial frame, the other node convention and 命宫 by the
    // hour branch.
    WriteWholeFileAtomic(dir / "prog/dat/set.ini", "[lumtar]\r\nguidao=0\r\nluoji=0\r\nnpos=3\r\nmgong=0\r\niDate=0\r\n");
    WriteWholeFileAtomic(dir / "other.ini", "[lumtar]\r\nguidao=1\r\nluoji=1\r\nnpos=5\r\nmgong=1\r\niDate=1\r\n");
  }

  std::string Here(std::string text) const {
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.str());
    return text;
  }

  CliRun Run(const std::string& args, const std::string& input = "") {
    std::string cmd = std::string(LUMTAR_CLI) + " " + args;
    if (!input.empty()) {
      WriteWholeFileAtomic(dir / "stdin.txt", input);
      cmd += " <'" + (dir / "stdin.txt").string() + "'";
    }
    return test::RunCommandLine(cmd, (dir / "stderr.txt").string());
  }

  std::string ProgramDirOption() const { return " --program-dir '" + (dir / "prog").string() + "'"; }

  test::TempDir dir;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1)
    lines.push_back(text.substr(from, nl - from));
  return lines;
}

// What a failing command says: its standard error without the usage line.
std::string MessageOf(const CliRun& run) {
  std::string err = run.err;
  if (run.status == 2 && err.rfind("usage:", 0) == 0) err.erase(0, err.find('\n') + 1);
  while (!err.empty() && err.back() == '\n') err.pop_back();
  return err;
}

}  // namespace

TEST_F(BatchCli, EveryLineGivesWhatItsCommandGives) {
  const std::vector<Row> rows = {
      {R"({"date":"1990-03-07","time":"08:05","lon":"117:48","lat":"25:42","female":true,"name":"张三","place":"福建省-三明市"})",
       "chart --date 1990-03-07 --time 08:05 --lon 117:48 --lat 25:42 --female --name 张三 --place 福建省-三明市"},
      {R"({"date":"2023-02-30","time":"12:00"})", "chart --date 2023-02-30 --time 12:00"},
      {R"({"date":"1984-06-01","time":"23:30","lunar":true,"zone":3})", "chart --date 1984-06-01 --time 23:30 --lunar --zone 3"},
      {R"({"date":"2020-04-10","time":"06:00","lunar":true,"leap":true})", "chart --date 2020-04-10 --time 06:00 --lunar --leap"},
      {R"({"date":"2020-05-10","time":"06:00","lunar":true,"leap":true})", "chart --date 2020-05-10 --time 06:00 --lunar --leap"},
      {R"({"date":"1955-11-20","time":"04:40","lon":"-120:30","lat":"-33:15","zone":16,"male":null})",
       "chart --date 1955-11-20 --time 04:40 --lon=-120:30 --lat=-33:15 --zone 16"},
      {R"({"date":"1990-03-07","time":"08:05","settings":"@other.ini"})",
       "chart --date 1990-03-07 --time 08:05 --settings @other.ini"},
      {R"({"date":"1990-03-07","time":"08:05"})", "chart --date 1990-03-07 --time 08:05"},
      {R"({"date":"2101-01-01","time":"08:05"})", "chart --date 2101-01-01 --time 08:05"},
      {R"({"date":"2000-01-01","time":"25:00"})", "chart --date 2000-01-01 --time 25:00"},
      {R"({"date":"2000-01-01","time":"8h"})", "chart --date 2000-01-01 --time 8h"},
      {R"({"date":"2000-01-01"})", "chart --date 2000-01-01"},
      {R"({"date":"2000-01-01","time":"10:00","zone":24})", "chart --date 2000-01-01 --time 10:00 --zone 24"},
      {R"({"date":"2000-01-01","time":"10:00","lon":"190:00"})", "chart --date 2000-01-01 --time 10:00 --lon 190:00"},
      {R"({"date":"2000-01-01","time":"10:00","colour":"red"})", "chart --date 2000-01-01 --time 10:00 --colour red"},
      {R"({"date":"1990-03-07","time":"08:05","at":"2024-05-01 12:00"})",
       "annual --date 1990-03-07 --time 08:05 --at 2024-05-01 12:00"},
      {R"({"date":"1990-03-07","time":"08:05","zone":8,"at":["2031-08-15","21:30"],"atZone":0,"female":true})",
       "annual --date 1990-03-07 --time 08:05 --zone 8 --at 2031-08-15 21:30 --at-zone 0 --female"},
      {R"({"date":"1990-03-07","time":"08:05","at":"1980-05-01 12:00"})",
       "annual --date 1990-03-07 --time 08:05 --at 1980-05-01 12:00"},
      {R"({"date":"1990-03-07","time":"08:05","atZone":3})", "chart --date 1990-03-07 --time 08:05 --at-zone 3"},
      {R"({"date":"1990-03-07","time":"08:05","analysis":"@batch.txt"})",
       "chart --date 1990-03-07 --time 08:05 --analysis @single.txt"},
      {R"({"date":"1990-03-07","time":"08:05","json":true})", "chart --date 1990-03-07 --time 08:05 --json"},
      {R"({"date":"1990-03-07","time":"08:05","tz":"UTC"})", "chart --date 1990-03-07 --time 08:05 --tz UTC"},
      {R"({"date":"1990-03-07","time":"08:05","tz":"Etc/UTC"})", "chart --date 1990-03-07 --time 08:05 --tz Etc/UTC"},
      {R"({"date":"1990-03-07","time":"08:05","at":"2024-05-01 12:00","atTz":"UTC"})",
       "annual --date 1990-03-07 --time 08:05 --at 2024-05-01 12:00 --at-tz UTC"},
      {R"({"date":"1990-03-07","time":"08:05","tz":"localtime"})", "chart --date 1990-03-07 --time 08:05 --tz localtime"},
      {R"({"date":"1990-03-07","time":"08:05","female":{"yes":1}})", ""},
      {R"(["1990-03-07","08:05"])", ""},
      {"not a request", ""},
      {"", ""},
      {R"({"date":"1990-03-07",)", ""},
  };
  std::string input;
  for (const Row& r : rows) input += Here(r.line) + "\n";
  const CliRun batch = Run("batch -" + ProgramDirOption(), input);
  ASSERT_EQ(batch.status, 0) << batch.err;
  const std::vector<std::string> out = Lines(batch.out);
  ASSERT_EQ(out.size(), rows.size());

  int charts = 0, errors = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].line);
    const nlohmann::json got = nlohmann::json::parse(out[i]);
    if (rows[i].command.empty()) {
      ASSERT_TRUE(got.contains("error"));
      EXPECT_FALSE(got["error"].get<std::string>().empty());
      ++errors;
      continue;
    }
    std::string command = Here(rows[i].command);
    if (command.find("--json") == std::string::npos) command += " --json";
    const CliRun single = Run(command + ProgramDirOption());
    if (single.status == 0) {
      EXPECT_EQ(out[i] + "\n", single.out);
      ++charts;
    } else {
      EXPECT_EQ(got, nlohmann::json({{"error", MessageOf(single)}}));
      ++errors;
    }
  }
  EXPECT_EQ(charts, 13);
  EXPECT_EQ(errors, 17);

  // UTC is the database's Etc/UTC, whatever the date.
  const nlohmann::json utc = nlohmann::json::parse(out[21]), etcUtc = nlohmann::json::parse(out[22]);
  EXPECT_EQ(utc["birthJd"], etcUtc["birthJd"]);
  EXPECT_EQ(utc["places"], etcUtc["places"]);
  EXPECT_EQ(utc["clock"]["utcOffsetMinutes"], 0);
  EXPECT_EQ(nlohmann::json::parse(out[23])["annual"]["clock"]["utcOffsetMinutes"], 0);
  EXPECT_EQ(nlohmann::json::parse(out[24])["error"], "时区数据库中没有这个时区：localtime");

  // The settings of one line did not stay for the next.
  EXPECT_EQ(nlohmann::json::parse(out[6])["settings"]["frame"], 1);
  EXPECT_EQ(nlohmann::json::parse(out[7])["settings"]["frame"], 0);
  // A line's analysis file is the command's.
  std::string fromBatch, fromSingle;
  ASSERT_TRUE(ReadWholeFile(dir / "batch.txt", &fromBatch));
  ASSERT_TRUE(ReadWholeFile(dir / "single.txt", &fromSingle));
  EXPECT_FALSE(fromBatch.empty());
  EXPECT_EQ(fromBatch, fromSingle);
}

TEST_F(BatchCli, ReadsAFileOrStandardInput) {
  const std::string lines = "{\"date\":\"2001-09-11\",\"time\":\"08:46\"}\r\n{\"date\":\"2001-13-11\",\"time\":\"08:46\"}\n"
                            "{\"date\":\"1949-10-01\",\"time\":\"15:00\"}";  // no line break at the end
  WriteWholeFileAtomic(dir / "requests.jsonl", lines);
  const CliRun fromFile = Run("batch '" + (dir / "requests.jsonl").string() + "'" + ProgramDirOption());
  const CliRun fromStdin = Run("batch" + ProgramDirOption(), lines);
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, fromStdin.out);
  const std::vector<std::string> out = Lines(fromFile.out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(nlohmann::json::parse(out[0])["request"]["year"], 2001);
  EXPECT_TRUE(nlohmann::json::parse(out[1]).contains("error"));
  EXPECT_EQ(nlohmann::json::parse(out[2])["pillars"]["day"]["name"], "甲子");

  const CliRun missing = Run("batch '" + (dir / "none.jsonl").string() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("none.jsonl"), std::string::npos);
}

// A huge value is quoted only by its beginning and its size, in a batch
// line's error, in the command's message and in a warning.
TEST_F(BatchCli, HugeValuesAreCutInMessages) {
  const std::string huge(1 << 20, 'x');
  const std::string base = R"("date":"1990-03-07","time":"08:05")";
  std::string input;
  for (const std::string& pair : {R"("tz":")" + huge + "\"", R"("city":")" + huge + "\"",
                                  R"("era":")" + huge + "\"", R"("atTz":")" + huge + R"(","at":"2024-05-01 12:00")",
                                  "\"" + huge + R"(":{"a":1})", R"("settings":")" + huge + "\""})
    input += "{" + base + "," + pair + "}\n";
  const CliRun batch = Run("batch -" + ProgramDirOption(), input);
  ASSERT_EQ(batch.status, 0);
  const std::vector<std::string> out = Lines(batch.out);
  ASSERT_EQ(out.size(), 6u);
  for (size_t i = 0; i + 1 < out.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LT(out[i].size(), 300u) << out[i].substr(0, 300);
    EXPECT_NE(out[i].find("(1048576 bytes)"), std::string::npos) << out[i].substr(0, 300);
  }
  EXPECT_LT(batch.err.size(), 300u) << batch.err.substr(0, 300);
  EXPECT_NE(batch.err.find("(1048576 bytes)"), std::string::npos);

  // The same on a command line (as long as one argument may be).
  const std::string long_(100000, 'y');
  for (const char* option : {"--tz", "--city", "--era", "--settings"}) {
    SCOPED_TRACE(option);
    const CliRun single = Run(std::string("chart --date 1990-03-07 --time 08:05 ") + option + " " + long_ + ProgramDirOption());
    EXPECT_LT(single.err.size(), 300u) << single.err.substr(0, 300);
    EXPECT_NE(single.err.find("(100000 bytes)"), std::string::npos) << single.err.substr(0, 300);
  }
}
