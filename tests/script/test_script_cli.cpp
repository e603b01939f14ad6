// lumtar-cli --traditional: every command that prints text prints it in
// traditional characters, and without the option nothing changes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "clirun.h"
#include "scriptconvert.h"
#include "tempdir.h"

namespace {

std::string Cli(const std::string& args) {
  const lumtar::test::CommandRun run = lumtar::test::RunCommandLine(std::string(LUMTAR_CLI) + " " + args + " 2>&1");
  return run.out;
}

std::string SimplifiedOnlyIn(const std::string& text) {
  static const lumtar::script::SimplifiedOnly chars(LUMTAR_OPENCC_DATA);
  std::string out;
  for (char32_t c : chars.In(text)) {
    if (c < 0x800) continue;
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

const char* const kBirth =
    "--name 陳美玲 --female --date 1984-10-25 --time 23:30 --lunar --leap --lon 121:30 --lat 25:2 "
    "--place 台湾省-台北市";

}  // namespace

TEST(TraditionalCli, EveryCommandThatPrintsText) {
  // Each command, and whether its output has any word that differs (the
  // stems and branches of the pillars are the same in both scripts).
  const struct {
    std::string args;
    bool differs;
  } commands[] = {
      {"positions 1990-03-07 08:05", true},
      {"lunar 2023-03-22 --to 2023-04-25", true},
      {"solar 2023 2 30 --leap", true},
      {"terms 2024", true},
      {"pillars 1990-03-07 08:05", false},
      {"eras 1851", true},
      {"eras 698", true},
      {std::string("chart ") + kBirth, true},
      {std::string("chart --json ") + kBirth, true},
      {std::string("annual ") + kBirth + " --at 2024-05-01 12:00", true},
      {std::string("annual --json ") + kBirth + " --at 2024-05-01 12:00", true},
      {"chart --date 1990-02-30 --time 08:00", true},
      {"annual --date 1990-03-07 --time 08:00 --at 1980-01-01 00:00", true},
  };
  for (const auto& c : commands) {
    const std::string plain = Cli(c.args);
    std::string traditional = Cli(c.args + " --traditional");
    EXPECT_EQ(traditional, Cli("--traditional " + c.args)) << c.args;
    EXPECT_EQ(plain != traditional, c.differs) << c.args;
    // The request in the chart JSON is what was entered.
    const std::string entered = "\"placeName\":\"台湾省-台北市\"";
    if (const auto at = traditional.find(entered); at != std::string::npos) traditional.erase(at, entered.size());
    EXPECT_EQ(SimplifiedOnlyIn(traditional), "") << c.args << "\n" << traditional;
  }
}

TEST(TraditionalCli, TextsAsExpected) {
  EXPECT_EQ(Cli("eras 1600 --traditional"), "[明] 明神宗 朱翊鈞 萬曆28年\n");
  EXPECT_EQ(Cli("solar 2023 2 30 --leap --traditional"), "不存在這個農曆日期，無法轉換到公曆！\n");
  const std::string header = Cli(std::string("chart --traditional ") + kBirth);
  EXPECT_NE(header.find("本命盤"), std::string::npos);
  EXPECT_NE(header.find("地名:臺灣省-臺北市"), std::string::npos);
  // The name is shown as typed.
  EXPECT_NE(header.find("姓名:陳美玲"), std::string::npos);
  const std::string json = Cli(std::string("chart --json --traditional ") + kBirth);
  EXPECT_NE(json.find("\"name\":\"羅睺\""), std::string::npos);
  // What the request holds stays as entered.
  EXPECT_NE(json.find("\"placeName\":\"台湾省-台北市\""), std::string::npos);
}

TEST(TraditionalCli, PicturesAndAnalysis) {
  lumtar::test::TempDir dir;
  const std::string svg = (dir / "chart.svg").string(), analysis = (dir / "analysis.txt").string();
  Cli(std::string("chart --traditional ") + kBirth + " --svg " + svg + " --analysis " + analysis);
  for (const std::string& path : {svg, analysis}) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_GT(text.str().size(), 1000u) << path;
    EXPECT_EQ(SimplifiedOnlyIn(text.str()), "") << path;
  }
}
