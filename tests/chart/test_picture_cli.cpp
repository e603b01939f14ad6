// lumtar-cli's pictures and the annual command, run as the tool itself
// without a display.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "clirun.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

using CliRun = test::CommandRun;

class PictureCli : public ::testing::Test {
 protected:
  // Settings of the test's own, every key at its default.
  void SetUp() override { ASSERT_TRUE(WriteWholeFileAtomic(dir / "set.ini", "")); }
  // Runs the tool with no display and no platform named, as in a script.
  CliRun Cli(const std::string& command, const std::string& args) {
    const std::string cmd = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " + std::string(LUMTAR_CLI) + " " +
                            command + " " + args + " --settings '" + (dir / "set.ini").string() + "'";
    return test::RunCommandLine(cmd, (dir / "stderr.txt").string());
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

// A link planted at an output's name is replaced by the file, never
// written through, for every file the tool writes.
TEST_F(PictureCli, PlantedLinksAreReplacedNotWrittenThrough) {
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "victim", "precious"));
  for (const std::string option : {"png", "jpg", "svg", "pdf", "analysis"}) {
    SCOPED_TRACE(option);
    const auto target = dir / ("out." + option);
    std::filesystem::create_symlink(dir / "victim", target);
    const CliRun run = Cli("chart", kBirth + " --" + option + " " + Path("out." + option));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Bytes("victim"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(target));
    EXPECT_GT(Bytes("out." + option).size(), 100u);
  }
}

// A file that cannot be written is said with the system's reason.
TEST_F(PictureCli, AWriteErrorNamesItsReason) {
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "file", "a file, not a folder"));
  ASSERT_TRUE(CreateDirectories(dir / "locked"));
  std::filesystem::permissions(dir / "locked", std::filesystem::perms(0500));
  struct Case {
    std::string path;
    std::string reason;
  };
  std::vector<Case> cases = {{"/dev/full", "No space left on device"},
                             {(dir / "file/out").string(), "Not a directory"}};
  // The system's administrator may write into any folder.
  if (geteuid() != 0) cases.push_back({(dir / "locked/out").string(), "Permission denied"});
  for (const Case& c : cases) {
    for (const std::string option : {"png", "jpg", "svg", "pdf", "analysis"}) {
      SCOPED_TRACE(option + " " + c.path);
      const CliRun run = Cli("chart", kBirth + " --" + option + " '" + c.path + "'");
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.err, "cannot write " + c.path + ": " + c.reason + "\n");
    }
  }
  std::filesystem::permissions(dir / "locked", std::filesystem::perms(0700));
}

TEST_F(PictureCli, AnnualRefusals) {
  struct Case {
    std::string at;
    std::string message;
  } cases[] = {
      {"1990-03-07 14:24", "流年时间应大于出生时间。"},
      {"2100-06-01 00:00", "只排十步运,岁数越界。"},
      {"2023-02-29 00:00", "不存在这个日期。"},
      {"2101-01-01 00:00", "年份最大范围619-2100"},
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

namespace {

// Width and height of a PNG (from its header) and of a baseline JPEG (from
// its frame header).
std::pair<int, int> PngSize(const std::string& png) {
  if (png.size() < 24) return {0, 0};
  auto be32 = [&png](size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  return {static_cast<int>(be32(16)), static_cast<int>(be32(20))};
}

std::pair<int, int> JpegSize(const std::string& jpg) {
  for (size_t i = 2; i + 9 < jpg.size();) {
    if (static_cast<unsigned char>(jpg[i]) != 0xFF) return {0, 0};
    const int marker = static_cast<unsigned char>(jpg[i + 1]);
    const size_t length = (static_cast<unsigned char>(jpg[i + 2]) << 8) | static_cast<unsigned char>(jpg[i + 3]);
    if (marker == 0xC0) {
      const int h = (static_cast<unsigned char>(jpg[i + 5]) << 8) | static_cast<unsigned char>(jpg[i + 6]);
      const int w = (static_cast<unsigned char>(jpg[i + 7]) << 8) | static_cast<unsigned char>(jpg[i + 8]);
      return {w, h};
    }
    i += 2 + length;
  }
  return {0, 0};
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST_F(PictureCli, PicturesAtAChosenScale) {
  ASSERT_EQ(Cli("chart", kBirth + " --png " + Path("plain.png") + " --jpg " + Path("plain.jpg")).status, 0);
  ASSERT_EQ(Cli("chart", kBirth + " --scale 1 --png " + Path("one.png") + " --jpg " + Path("one.jpg")).status, 0);
  // Scale 1 is the picture as it always was.
  EXPECT_EQ(Bytes("one.png"), Bytes("plain.png"));
  EXPECT_EQ(Bytes("one.jpg"), Bytes("plain.jpg"));
  EXPECT_EQ(PngSize(Bytes("one.png")), std::make_pair(880, 700));
  for (int scale : {2, 3, 4}) {
    const std::string n = std::to_string(scale);
    const CliRun run = Cli("chart", kBirth + " --scale " + n + " --png " + Path(n + ".png") + " --jpg " + Path(n + ".jpg"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PngSize(Bytes(n + ".png")), std::make_pair(880 * scale, 700 * scale));
    EXPECT_EQ(JpegSize(Bytes(n + ".jpg")), std::make_pair(880 * scale, 700 * scale));
  }
  for (const char* bad : {"0", "5", "x"}) EXPECT_EQ(Cli("chart", kBirth + " --scale " + bad + " --png " + Path("b.png")).status, 2);
}

TEST_F(PictureCli, PdfReport) {
  for (const std::string command : {"chart", "annual"}) {
    const std::string extra = command == "annual" ? " --at 2020-05-01 10:00" : "";
    const CliRun run = Cli(command, kBirth + extra + " --pdf " + Path(command + ".pdf"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string pdf = Path(command + ".pdf");
    ASSERT_EQ(Bytes(command + ".pdf").substr(0, 5), "%PDF-");
    // No picture inside: the chart is drawn as lines and text.
    EXPECT_EQ(Lines(test::RunCommandLine("pdfimages -list " + pdf).out), 2) << command;
    // Every font embedded.
    const std::string fonts = test::RunCommandLine("pdffonts " + pdf).out;
    EXPECT_GE(Lines(fonts), 3);
    std::istringstream lines(fonts);
    std::string line;
    for (int i = 0; std::getline(lines, line); ++i) {
      if (i >= 2) {
        EXPECT_NE(line.find(" yes "), std::string::npos) << line;
      }
    }
    // The text is text: the header with the name and birth, the chart's
    // own words, the analysis and the page numbers, with 日 月 金 as the
    // ideographs and not the radicals their glyphs share.
    const std::string text = test::RunCommandLine("pdftotext -enc UTF-8 " + pdf + " -").out;
    const int pages = Lines(test::RunCommandLine("pdftotext -enc UTF-8 " + pdf + " - | grep '^第[0-9]*页'").out);
    EXPECT_GE(pages, 2);
    const std::string last = "第" + std::to_string(pages) + "页 共" + std::to_string(pages) + "页";
    for (const std::string& expected : {std::string("姓名:张三"), std::string("公历:1990年3月7日14时25分(输入时间)"),
                                       std::string("地名:北京-北京"), std::string("命主分析"), last,
                                       std::string(command == "annual" ? "流年盘" : "本命盘")})
      EXPECT_NE(text.find(expected), std::string::npos) << command << ": " << expected;
    EXPECT_EQ(text.find("\u2F49"), std::string::npos);  // ⽉
    EXPECT_EQ(text.find("\u2F47"), std::string::npos);  // ⽇
    const std::string info = test::RunCommandLine("pdfinfo " + pdf).out;
    EXPECT_NE(info.find("A4"), std::string::npos);
  }
  // A file where the folder should be: nothing can be written there.
  EXPECT_EQ(Cli("chart", kBirth + " --pdf " + Path("chart.pdf/r.pdf")).status, 1);
}

namespace {

// Text with every run of white space one space, without it at either end.
std::string OneSpaced(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string InfoField(const std::string& info, const std::string& field) {
  const std::string key = "\n" + field + ":";
  const size_t at = ("\n" + info).find(key);
  if (at == std::string::npos) return {};
  size_t from = at + key.size() - 1;
  while (from < info.size() && info[from] == ' ') ++from;
  return info.substr(from, info.find('\n', from) - from);
}

}  // namespace

// The report's words are the chart's: its document information holds the
// name and the birth exactly (characters whose UTF-16 holds the bytes 0x0D
// or 0x0A among them), and its text layer every line of the chart's header
// across the page as the JSON gives them, the clock of the zone with all
// its digits.
TEST_F(PictureCli, PdfReportTextIsTheChartsText) {
  const struct {
    const char* name;
    const char* clock;
  } cases[] = {
      {"名上", "--tz Asia/Singapore"},          // U+540D U+4E0A; UTC+7:30
      {"上官名", "--tz America/New_York"},      // UTC-5 and daylight saving
      {"胡十三娘", "--zone 8"},
      {"Smith 名", "--tz Asia/Kolkata"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliRun run = Cli("chart", std::string("--name '") + c.name + "' --date 1970-07-07 --time 14:25 " + c.clock +
                                        " --json --pdf " + Path("r.pdf"));
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json chart = nlohmann::json::parse(run.out);
    const std::vector<std::string> header = chart["header"];
    const std::string info = test::RunCommandLine("pdfinfo -enc UTF-8 " + Path("r.pdf")).out;
    EXPECT_EQ(InfoField(info, "Title").find(std::string("姓名:") + c.name), 0u) << info;
    EXPECT_NE(InfoField(info, "Subject").find(chart["request"]["timeZoneText"].is_string()
                                                  ? chart["request"]["timeZoneText"].get<std::string>()
                                                  : chart["request"]["timeZone"].get<std::string>()),
              std::string::npos)
        << info;
    EXPECT_EQ(InfoField(info, "Creator"), "Lumtar");
    // In the order drawn: in reading order pdftotext takes the retrograde
    // mark that ends a line for a hyphen and joins the lines.
    const std::string text = OneSpaced(test::RunCommandLine("pdftotext -raw -enc UTF-8 " + Path("r.pdf") + " -").out);
    // The lines across the page (the stars' columns stand on end).
    int lines = 0;
    for (const std::string& line : header) {
      if (line.find(':') == std::string::npos) continue;
      EXPECT_NE(text.find(OneSpaced(line)), std::string::npos) << line;
      ++lines;
    }
    EXPECT_GE(lines, 20);
  }
}
