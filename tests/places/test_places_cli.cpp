// lumtar-cli places search, --city, --tz and --dst, and the clock of the
// chart JSON, run as the tool itself over the program folder's place lists.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "clirun.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

struct CliRun {
  int status = -1;
  std::string out, err;
};

class PlacesCli : public ::testing::Test {
 protected:
  CliRun Cli(const std::string& args) {
    const std::string errFile = (dir / "stderr.txt").string();
    const test::CommandRun command =
        test::RunCommandLine(std::string(LUMTAR_CLI) + " " + args + " 2>'" + errFile + "'");
    CliRun run;
    run.status = command.status;
    run.out = command.out;
    ReadWholeFile(errFile, &run.err);
    return run;
  }
  nlohmann::json Chart(const std::string& args) {
    CliRun run = Cli("chart " + args + " --settings '" + (dir / "set.ini").string() + "' --json");
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0 ? nlohmann::json::parse(run.out) : nlohmann::json();
  }
  test::TempDir dir;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(PlacesCli, SearchPrintsTheBestMatchesFirst) {
  CliRun run = Cli("places search 新加坡");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out).at(0), "Singapore\t新加坡\t00\t1.2900\t103.8500\tAsia/Singapore\t3547809");
  run = Cli("places search 广州");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(Lines(run.out).at(0), "广州市\t中国\t广东省\t23.1333\t113.2833\tAsia/Shanghai\t0");
  // Names typed in traditional characters, and --city with them.
  for (const char* text : {"臺北", "臺中", "臺灣/臺南"}) {
    run = Cli(std::string("places search ") + text);
    ASSERT_EQ(run.status, 0) << text;
    ASSERT_FALSE(run.out.empty()) << text;
    EXPECT_EQ(Lines(run.out).at(0).substr(0, Lines(run.out).at(0).find('\t')),
              std::string(text) == "臺北" ? "台北市" : std::string(text) == "臺中" ? "台中市" : "台南市")
        << text;
  }
  EXPECT_EQ(Chart("--date 1990-01-01 --time 12:00 --city 臺中")["request"]["placeName"], "台湾省-台中市");
  run = Cli("places search a");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(Lines(run.out).size(), 50u);
  for (const std::string& line : Lines(run.out)) EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6) << line;
  run = Cli("places search Xyzzyqq");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Cli("places search").status, 2);
}

TEST_F(PlacesCli, CityTzAndTheClockOfTheJson) {
  // A place of the atlas: its coordinates, name and zone.
  nlohmann::json j = Chart("--date 1970-03-01 --time 12:00 --city 新加坡");
  EXPECT_EQ(j["clock"], nlohmann::json::parse(R"({"timeZone":"Asia/Singapore","standardOffsetMinutes":450,)"
                                              R"("dstMinutes":0,"utcOffsetMinutes":450,"ambiguous":false})"));
  EXPECT_EQ(j["request"]["placeName"], "新加坡-Singapore");
  EXPECT_NEAR(j["request"]["longitude"].get<double>(), 103.85, 1e-4);
  EXPECT_EQ(j["request"]["timeZoneIndex"], 8);  // the whole-hour zone nearest to UTC+7:30
  EXPECT_EQ(j["beijingMoment"]["hour"], 12);
  EXPECT_EQ(j["beijingMoment"]["minute"], 30);
  EXPECT_EQ(j["header"][4], "时区:Asia/Singapore UTC+7:30");
  // The options given stay as given.
  j = Chart("--date 1970-03-01 --time 12:00 --city 新加坡 --place 狮城 --lon 103:50 --zone 8");
  EXPECT_EQ(j["request"]["placeName"], "狮城");
  EXPECT_NEAR(j["request"]["longitude"].get<double>(), 103 + 50 / 60.0, 1e-4);
  EXPECT_EQ(j["clock"]["timeZone"], nullptr);
  EXPECT_EQ(j["clock"]["utcOffsetMinutes"], 480);
  // A Chinese city: Beijing in the summer of 1988 read its clock an hour on.
  j = Chart("--date 1988-07-15 --time 10:00 --city 北京市/北京市");
  EXPECT_EQ(j["clock"]["timeZone"], "Asia/Shanghai");
  EXPECT_EQ(j["clock"]["dstMinutes"], 60);
  EXPECT_EQ(j["beijingMoment"]["hour"], 9);
  EXPECT_EQ(j["request"]["provinceIndex"], 1);
  EXPECT_EQ(j["request"]["placeName"], "北京市-北京市");
  // --tz: New York, an hour repeated in November.
  j = Chart("--date 2021-11-07 --time 01:30 --tz America/New_York");
  EXPECT_EQ(j["clock"]["ambiguous"], true);
  EXPECT_EQ(j["clock"]["utcOffsetMinutes"], -240);
  EXPECT_EQ(Chart("--date 2021-11-07 --time 01:30 --tz America/New_York --dst on")["clock"]["utcOffsetMinutes"], -240);
  j = Chart("--date 2021-11-07 --time 01:30 --tz America/New_York --dst off");
  EXPECT_EQ(j["clock"]["utcOffsetMinutes"], -300);
  EXPECT_EQ(j["clock"]["dstMinutes"], 0);
  // birthJd stays the moment as UTC+8 civil time: 2021-11-07 14:30.
  EXPECT_EQ(j["beijingMoment"]["hour"], 14);
  // Without the new options nothing changes.
  j = Chart("--date 1988-07-15 --time 10:00");
  EXPECT_EQ(j["clock"], nlohmann::json::parse(R"({"timeZone":null,"standardOffsetMinutes":480,)"
                                              R"("dstMinutes":0,"utcOffsetMinutes":480,"ambiguous":false})"));
  EXPECT_EQ(j["beijingMoment"]["hour"], 10);
}

// The request names its zone by the IANA id alone, the display beside it
// as the header shows it; the annual moment's zone the same, and a batch
// line prints what the single command prints.
TEST_F(PlacesCli, RequestNamesTheZoneByItsId) {
  const struct {
    const char* clock;
    const char* id;
    const char* text;
  } cases[] = {
      {"--tz Asia/Singapore", "Asia/Singapore", "Asia/Singapore UTC+7:30"},
      {"--tz America/New_York", "America/New_York", "America/New_York UTC-5 夏令时 已减1小时"},
      {"--zone 8", "Etc/GMT-8", "东八区"},
      {"--zone 17", "Etc/GMT+5", "西五区"},
      {"--zone 0", "Etc/GMT", "零时区"},
      {"--zone 12", "Etc/GMT-12", "中十二区"},
  };
  const std::string settings = " --settings '" + (dir / "set.ini").string() + "'";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.clock);
    const std::string birth = std::string("--date 1970-07-01 --time 12:00 ") + c.clock;
    const CliRun run = Cli("annual " + birth + " --at 1990-07-01 12:00 --json" + settings);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["request"]["timeZone"], c.id);
    EXPECT_EQ(j["request"]["timeZoneText"], c.text);
    EXPECT_EQ(j["header"][4], std::string("时区:") + c.text);
    EXPECT_EQ(j["annual"]["timeZone"], c.id);
    const std::string annualLine = j["annual"]["lines"][0];
    const std::string annualText = j["annual"]["timeZoneText"];
    EXPECT_EQ(annualLine.substr(annualLine.size() - std::min(annualLine.size(), annualText.size())), annualText);
    // The same request as a batch line.
    std::string line = R"({"date":"1970-07-01","time":"12:00","at":"1990-07-01 12:00","settings":")" +
                       (dir / "set.ini").string() + R"(",)";
    const std::string option = c.clock;
    const std::string value = option.substr(option.find(' ') + 1);
    line += option.find("--tz") == 0 ? "\"tz\":\"" + value + "\"}" : "\"zone\":" + value + "}";
    ASSERT_TRUE(WriteWholeFileAtomic(dir / "batch.jsonl", line + "\n"));
    const CliRun batch = Cli("batch '" + (dir / "batch.jsonl").string() + "'");
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(nlohmann::json::parse(batch.out), j) << line;
  }
}

TEST_F(PlacesCli, RefusalsSayWhy) {
  struct Case {
    const char* args;
    int status;
    const char* firstLine;  // of standard error (null: not checked)
  };
  const Case cases[] = {
      {"--date 2021-03-14 --time 02:30 --tz America/New_York", 1, "当地时钟在这时拨快了1小时，不存在这个时间"},
      {"--date 2021-03-14 --time 02:30 --tz America/New_York --dst off", 1, "当地时钟在这时拨快了1小时，不存在这个时间"},
      {"--date 2021-03-14 --time 02:30 --tz Asia/Nowhere", 1, "时区数据库中没有这个时区：Asia/Nowhere"},
      {"--date 2021-03-14 --time 02:30 --tz Asia/Shanghai --zone 8", 2, nullptr},
      {"--date 2021-03-14 --time 02:30 --tz Asia/Shanghai --dst sometimes", 2, nullptr},
      {"--date 2021-03-14 --time 02:30 --city Xyzzyqq", 1, "没有这个地名：Xyzzyqq"},
      {"--date 2021-03-14 --time 02:30 --city London", 1, "地名不止一个：London"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    CliRun run = Cli(std::string("chart ") + c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, "");
    if (c.firstLine) {
      EXPECT_EQ(Lines(run.err).at(0), c.firstLine);
    }
  }
  // The candidates, one a line, as places search prints them.
  const std::vector<std::string> lines = Lines(Cli("chart --date 2000-01-01 --time 12:00 --city London").err);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, lines[1].find('\t')), "伦敦");
  EXPECT_NE(lines[1].find("Europe/London"), std::string::npos);
  EXPECT_NE(lines[2].find("America/Toronto"), std::string::npos);
}

TEST_F(PlacesCli, AnnualMomentsOnAClock) {
  CliRun run = Cli("annual --date 1970-03-01 --time 12:00 --city 新加坡 --at 2000-07-04 12:00 --at-tz America/New_York "
                   "--json --settings '" + (dir / "set.ini").string() + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["annual"]["clock"]["timeZone"], "America/New_York");
  EXPECT_EQ(j["annual"]["moment"]["day"], 5);
  EXPECT_EQ(j["annual"]["moment"]["hour"], 0);
  // Without --at-zone or --at-tz the chart's own clock.
  run = Cli("annual --date 1970-03-01 --time 12:00 --tz Asia/Singapore --at 1990-03-01 12:00 --json --settings '" +
            (dir / "set.ini").string() + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["annual"]["clock"]["timeZone"], "Asia/Singapore");
  EXPECT_EQ(j["annual"]["lines"][0], "流盘:1990-3-1 12:0 Asia/Singapore UTC+8");  // named, though a whole hour
  EXPECT_EQ(Cli("annual --date 1970-03-01 --time 12:00 --at 1990-03-01 12:00 --at-zone 8 --at-tz Asia/Singapore")
                .status,
            2);
}

}  // namespace

// A place list that cannot be read is said, and is an error: no place would
// otherwise be found and nothing would say why.
TEST_F(PlacesCli, AnUnreadablePlaceListIsSaid) {
  struct Case {
    const char* file;
    const char* kind;
    const char* why;
  };
  const Case cases[] = {
      {"atlas.txt", "folder", "不是普通文件（是文件夹、管道或设备）"},
      {"dili.ini", "pipe", "不是普通文件（是文件夹、管道或设备）"},
      {"atlas.txt", "large", "超过16MB，不是本软件的地名文件"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.kind);
    const auto prog = dir / c.kind;
    ASSERT_TRUE(CreateDirectories(prog / "dat"));
    for (const char* file : {"atlas.txt", "dili.ini", "set.ini"})
      ASSERT_TRUE(CopyFileOverwrite(std::string(LUMTAR_SOURCE_DIR) + "/data/" + file, prog / "dat" / file));
    const auto path = prog / "dat" / c.file;
    std::filesystem::remove(path);
    if (std::string(c.kind) == "folder") {
      ASSERT_TRUE(CreateDirectories(path));
    } else if (std::string(c.kind) == "pipe") {
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    } else {
      ASSERT_TRUE(WriteWholeFileAtomic(path, ""));
      std::filesystem::resize_file(path, 100u << 20);  // sparse: no disk space
    }
    const std::string folder = " --program-dir '" + prog.string() + "'";
    const std::string message = "地名文件 " + path.string() + " 无法读取：" + c.why + "\n";
    for (const std::string args : {"places search 广州", "chart --date 2000-01-01 --time 12:00 --city 广州"}) {
      const CliRun run = Cli(args + folder);
      EXPECT_EQ(run.status, 1) << args;
      EXPECT_EQ(run.out, "") << args;
      EXPECT_EQ(run.err, message) << args;
    }
    ASSERT_TRUE(WriteWholeFileAtomic(dir / "in.jsonl", R"({"date":"2000-01-01","time":"12:00","city":"广州"})"));
    const CliRun batch = Cli("batch '" + (dir / "in.jsonl").string() + "'" + folder);
    EXPECT_EQ(batch.status, 0);
    EXPECT_EQ(nlohmann::json::parse(batch.out)["error"], message.substr(0, message.size() - 1));
  }
}
