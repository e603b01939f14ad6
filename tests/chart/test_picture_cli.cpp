// lumtar-cli's pictures and the annual command, run as the tool itself
// without a display.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "clirun.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

struct CliRun {
  int status = -1;
  std::string out, err;
};

class PictureCli : public ::testing::Test {
 protected:
  // Runs the tool with no display and no platform named, as in a script.
  CliRun Cli(const std::string& command, const std::string& args) {
    const std::string errFile = (dir / "stderr.txt").string();
    const std::string cmd = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " + std::string(LUMTAR_CLI) + " " +
                            command + " " + args + " --settings '" + (dir / "set.ini").string() + "' 2>'" + errFile +
                            "'";
    const test::CommandRun command_run = test::RunCommandLine(cmd);
    CliRun run;
    run.status = command_run.status;
    run.out = command_run.out;
    ReadWholeFile(errFile, &run.err);
    return run;
  }
  std::string Bytes(const std::string& name) {
    std::string bytes;
    ReadWholeFile((dir / name).string(), &bytes);
    return bytes;
  }
  std::string Path(const std::string& name) { return "'" + (dir / name).string() + "'"; }
  test::TempDir dir;
};

const std::string kBirth = "--name 张三 --date 1990-03-07 --time 14:25 --place 北京-北京";

}  // namespace

TEST_F(PictureCli, ChartPictures) {
  const CliRun run = Cli("chart", kBirth + " --png " + Path("c.png") + " --jpg " + Path("c.jpg") + " --svg " +
                                      Path("c.svg"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Bytes("c.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(Bytes("c.jpg").substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_NE(Bytes("c.svg").find("<svg"), std::string::npos);
  // A picture that cannot be written is an error.
  const CliRun bad = Cli("chart", kBirth + " --png " + Path("no-folder/c.png"));
  EXPECT_EQ(bad.status, 1);
}

TEST_F(PictureCli, AnnualJson) {
  const CliRun run = Cli("annual", kBirth + " --at 2024-05-01 12:00 --json --png " + Path("a.png"));
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["chartMode"], 1);
  EXPECT_EQ(j["header"][2], "流年盘");
  const nlohmann::json& a = j["annual"];
  EXPECT_EQ(a["yearPillar"]["name"], "甲辰");
  EXPECT_EQ(a["age"], 35);
  EXPECT_EQ(a["period"]["index"], 2);
  EXPECT_EQ(a["period"]["point"]["mansionName"], "昴");
  EXPECT_EQ(a["bodies"].size(), 14u);
  EXPECT_EQ(a["lines"][0], "流盘:2024-5-1 12:0 东八区");
  EXPECT_EQ(a["lines"][2], "行限:昴03申02--昴00申00 ");
  EXPECT_EQ(Bytes("a.png").substr(0, 4), "\x89PNG");

  // Text output: the header, then the annual lines; --at-zone names the zone.
  const CliRun text = Cli("annual", kBirth + " --at 2024-05-01 12:00 --at-zone 0");
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("\n流盘:2024-5-1 20:0 零时区\n"), std::string::npos);
}

TEST_F(PictureCli, AnnualRefusals) {
  struct Case {
    std::string at;
    std::string message;
  } cases[] = {
      {"1990-03-07 14:24", "流年时间应大于出生时间。"},
      {"2100-06-01 00:00", "只排十步运,岁数越界。"},
      {"2023-02-29 00:00", "不存在这个日期。"},
      {"2101-01-01 00:00", "年份最大范围1600-2100"},
      // A time the dialog's lists cannot hold is no moment of the next day.
      {"2060-02-28 23:60", "不存在这个时间"},
      {"2060-02-28 24:00", "不存在这个时间"},
      // A zone outside the list is not the chart's own zone.
      {"2024-05-01 12:00 --at-zone -3", "时区应在0-23之间"},
      {"2024-05-01 12:00 --at-zone 24", "时区应在0-23之间"},
  };
  for (const Case& c : cases) {
    const CliRun run = Cli("annual", kBirth + " --at " + c.at);
    EXPECT_EQ(run.status, 1) << c.at;
    EXPECT_EQ(run.err, c.message + "\n");
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Cli("annual", kBirth).status, 2);  // --at is required
  EXPECT_EQ(Cli("annual", kBirth + " --at 2024-05-01").status, 2);
}
