#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "analysisreport.h"
#include "charttables.h"
#include "tempdir.h"
#include "versecatalogue.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

struct Place {
  double longitude;
  int branch, palaceNumber, mansion;
};

// The natal chart of 1990-03-07 08:30 Beijing time at 116°25′E 39°54′N with
// the default settings, as the chart engine computed it: bodies 0..13, then
// 命宫 and 身宫.
constexpr Place kNatal1990[kPlaceCount] = {
    {346.1746, 0, 10, 12}, {113.3948, 8, 2, 22}, {335.6864, 0, 10, 12}, {302.3368, 1, 9, 8},
    {296.5711, 2, 8, 8},   {90.9815, 8, 2, 21},  {292.6511, 2, 8, 8},   {135.0237, 7, 3, 24},
    {315.0237, 1, 9, 10},  {62.4485, 9, 1, 18},  {223.9681, 4, 6, 2},   {278.9806, 2, 8, 7},
    {284.1280, 2, 8, 8},   {227.7142, 4, 6, 3},  {30.4687, 10, 0, 15},  {113.3948, 8, 2, 22},
};

ChartModel ModelOf(const Place (&places)[kPlaceCount], int orb = 3) {
  ChartModel m;
  m.settings.aspectOrb = static_cast<uint8_t>(orb);
  for (int i = 0; i < kPlaceCount; ++i) {
    m.places[i].longitude = places[i].longitude;
    m.places[i].branch = static_cast<uint8_t>(places[i].branch);
    m.places[i].palaceNumber = static_cast<uint8_t>(places[i].palaceNumber);
    m.places[i].mansion = static_cast<uint8_t>(places[i].mansion);
  }
  return m;
}

// A model laid out from longitudes the way the chart engine places them,
// with the mansion origin of the year 2000.
constexpr double kOrigin2000 = 190.7664;
ChartModel ModelAt(double ascendant, const std::array<double, kChartBodyCount>& longitudes, int orb = 3) {
  ChartModel m;
  m.settings.aspectOrb = static_cast<uint8_t>(orb);
  auto place = [&](BodyPlace& p, double lon, int ascendantBranch) {
    p.longitude = NormalizeDegrees(lon);
    p.branch = static_cast<uint8_t>(BranchOfLongitude(p.longitude));
    p.palaceNumber = static_cast<uint8_t>((ascendantBranch - p.branch + 12) % 12);
    p.mansion = FindMansion(p.longitude, kOrigin2000).mansion;
  };
  const int a = BranchOfLongitude(NormalizeDegrees(ascendant));
  place(m.places[kAscendantPlace], ascendant, a);
  for (int i = 0; i < kChartBodyCount; ++i) place(m.places[i], longitudes[i], a);
  m.places[kBodyPalacePlace] = m.places[1];
  return m;
}

// The middle of the sign of a branch.
double SignMiddle(int branch) { return SignStart(branch) + 15; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The text of one section: from its heading line to the next heading.
std::string Section(const std::string& report, int k) {
  std::string head = std::string(kAnalysisHeadings[k]) + "：\r\n";
  std::size_t from = report.find(head);
  if (from == std::string::npos) return {};
  from += head.size();
  std::size_t to = k + 1 < 4 ? report.find(std::string(kAnalysisHeadings[k + 1]) + "：\r\n", from) : report.size();
  return report.substr(from, to - from);
}

// The line of section 4 that opens with a body's name.
std::string AspectLine(const std::string& report, const std::string& name) {
  std::string s = Section(report, 3);
  std::size_t at = s.find(name + "：");
  if (at == std::string::npos) return {};
  return s.substr(at, s.find("\r\n", at) - at);
}

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

}  // namespace

// The whole report of a fixed chart, read through and kept as the expected
// text (UTF-8 with CR LF line breaks).
TEST(AnalysisReport, NatalChartMatchesTheReviewedText) {
  const std::string expected = ReadFile(LUMTAR_SOURCE_DIR "/tests/analysis/data/report_1990-03-07.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(AnalysisReport(ModelOf(kNatal1990)), expected);
}

TEST(AnalysisReport, BuildAnalysisReplacesTheEnginesText) {
  CVoVirer engine;
  engine.model = ModelOf(kNatal1990);
  engine.analysisText = "an earlier report";
  BuildAnalysis(engine);
  EXPECT_EQ(engine.analysisText, AnalysisReport(engine.model));
  EXPECT_EQ(engine.analysisText.rfind("命主分析：\r\n★命度主：", 0), 0u);
}

TEST(AnalysisReport, ANatalChartWritesItsReportThroughTheEngine) {
  test::TempDir dir;
  CVoVirer engine;
  engine.SetSettingsPath((dir / "set.ini").string());
  engine.SetAnalysis([](CVoVirer& e) { BuildAnalysis(e); });
  ChartRequest request;
  request.year = 1990;
  request.month = 3;
  request.day = 7;
  request.hour = 8;
  request.minute = 30;
  request.longitude = 116.4167f;
  request.latitude = 39.9f;
  ASSERT_TRUE(engine.ComputeNatal(request)) << engine.lastError;
  EXPECT_EQ(engine.analysisText, AnalysisReport(engine.model));
  for (int k = 0; k < 4; ++k) EXPECT_FALSE(Section(engine.analysisText, k).empty()) << k;
}

TEST(AnalysisReport, SectionOneWithoutBodiesInTheAscendantPalace) {
  // In the 1990 chart nothing stands in 酉, the ascendant's branch.
  const std::string report = AnalysisReport(ModelOf(kNatal1990));
  std::string verses;
  AppendBodyVerses(ModelOf(kNatal1990), verses);
  const std::string expected = VerseText(MaskVerseId(10)) + "\r\n\r\n\r\n" + "\r\n" + verses + "\r\n\r\n入宫分析：";
  EXPECT_NE(report.find(expected), std::string::npos);
}

TEST(AnalysisReport, SectionOneListsTheBodiesInTheAscendantPalace) {
  std::array<double, kChartBodyCount> lon{};
  lon.fill(SignMiddle(5));                      // everything in 辰 ...
  lon[2] = SignMiddle(1) + 2;                   // ... but 水 and
  lon[9] = SignMiddle(1) - 2;                   // 气 in the ascendant's 子
  const std::string s = Section(AnalysisReport(ModelAt(SignMiddle(1), lon)), 0);
  const std::string expected = VerseText(MaskVerseId(1)) + "\r\n\r\n\r\n★" + VerseText(702) + "\r\n★" + VerseText(709) +
                               "\r\n\r\n★";
  EXPECT_NE(s.find(expected), std::string::npos);
}

TEST(AnalysisReport, HousesShowTheirBodiesAndEmptyHousesNothing) {
  // Ascendant in 子: 财帛 is 亥, 兄弟 戌, 疾厄 巳.
  std::array<double, kChartBodyCount> lon{};
  lon.fill(SignMiddle(1));
  lon[0] = SignMiddle(0);  // 日 in 财帛: its row holds the title only
  lon[1] = SignMiddle(0);  // 月 in 财帛: title only too
  lon[3] = SignMiddle(6);  // 金 in 疾厄: title only
  lon[4] = SignMiddle(6);  // 火 in 疾厄
  const std::string s = Section(AnalysisReport(ModelAt(SignMiddle(1), lon)), 1);
  EXPECT_EQ(s, "★日飞财帛宫\r\n★月飞财帛宫\r\n\r\n★金飞疾厄宫\r\n★" + VerseText(844) + "\r\n\r\n");
}

TEST(AnalysisReport, LordsOfTheHousesInDomicileOrder) {
  // Ascendant in 子 with 水 in 命宫: 水 rules 申 (house 4, 子女) before 巳
  // (house 7, 疾厄).
  std::array<double, kChartBodyCount> lon{};
  lon.fill(SignMiddle(3));
  lon[2] = SignMiddle(1);
  const std::string s = Section(AnalysisReport(ModelAt(SignMiddle(1), lon)), 2);
  ASSERT_EQ(s.rfind("★" + VerseText(1004) + "\r\n\r\n★" + VerseText(1007) + "\r\n\r\n", 0), 0u);
  EXPECT_EQ(VerseText(1004).rfind("子女主飞入命:", 0), 0u);
  EXPECT_EQ(VerseText(1007).rfind("疾厄主飞入命:", 0), 0u);
}

TEST(AnalysisReport, SectionThreeAlwaysHoldsTwelveTexts) {
  std::mt19937 random(20240607);
  std::uniform_real_distribution<double> degrees(0, 360);
  for (int round = 0; round < 200; ++round) {
    std::array<double, kChartBodyCount> lon{};
    for (double& l : lon) l = degrees(random);
    const std::string s = Section(AnalysisReport(ModelAt(degrees(random), lon)), 2);
    ASSERT_EQ(Count(s, "★"), 12) << round;
    ASSERT_EQ(s.substr(s.size() - 8), "\r\n\r\n\r\n\r\n") << round;
  }
}

TEST(AnalysisReport, TheNodesAreAlwaysOpposite) {
  std::array<double, kChartBodyCount> lon{};
  for (int i = 0; i < kChartBodyCount; ++i) lon[i] = 7.3 + 25.1 * i;
  lon[7] = 101.25;
  lon[8] = 281.25;
  for (int orb = 1; orb <= 10; ++orb) {
    const std::string report = AnalysisReport(ModelAt(10, lon, orb));
    EXPECT_NE(AspectLine(report, "罗喉").find("与计对、"), std::string::npos) << orb;
    EXPECT_NE(AspectLine(report, "计都").find("与罗对、"), std::string::npos) << orb;
  }
}

TEST(AnalysisReport, AspectMarks) {
  struct Case {
    double separation;
    const char* mark;  // nullptr: no partner written
  } cases[] = {
      {2, "守、"}, {2.99, "守、"}, {3, nullptr}, {30, nullptr}, {27, nullptr}, {45, nullptr}, {57, "辅、"},
      {60, "辅、"}, {62.9, "辅、"}, {63, nullptr}, {90, "关、"}, {120, "拱、"}, {150, nullptr}, {177, "对、"},
      {180, "对、"}, {200, nullptr},
  };
  for (const auto& c : cases) {
    // 日 at 10°, 月 at 10° + separation, the other bodies together at a
    // place in aspect with neither.
    double elsewhere = 0;
    while (elsewhere < 360 && (AspectOf(elsewhere, 10, 3) != -1 || AspectOf(elsewhere, 10 + c.separation, 3) != -1)) elsewhere += 0.5;
    std::array<double, kChartBodyCount> lon{};
    lon.fill(elsewhere);
    lon[0] = 10;
    lon[1] = 10 + c.separation;
    const ChartModel m = ModelAt(10, lon);
    const std::string report = AnalysisReport(m);
    const std::string sun = AspectLine(report, "太阳");
    const std::string moon = AspectLine(report, "月亮");
    if (c.mark) {
      EXPECT_EQ(sun, "太阳：与月" + std::string(c.mark)) << c.separation;
      EXPECT_EQ(moon, "月亮：与日" + std::string(c.mark)) << c.separation;
    } else {
      EXPECT_EQ(sun, "太阳：") << c.separation;
      EXPECT_EQ(moon, "月亮：") << c.separation;
    }
  }
}

TEST(AnalysisReport, OuterPlanetsOnlyInTheAspectSection) {
  std::array<double, kChartBodyCount> lon{};
  for (int i = 0; i < kChartBodyCount; ++i) lon[i] = 13.7 + 29.3 * i;
  const std::string before = AnalysisReport(ModelAt(200, lon));
  lon[11] = 200;  // 天王星 onto the ascendant
  lon[12] = 203;
  lon[13] = 17;
  const std::string after = AnalysisReport(ModelAt(200, lon));
  const std::size_t aspects = before.find("相位关系：");
  EXPECT_EQ(before.substr(0, aspects), after.substr(0, after.find("相位关系：")));
  EXPECT_NE(before.substr(aspects), after.substr(after.find("相位关系：")));
}

TEST(AnalysisReport, JupiterInAMansionOfTheSunHasNoMansionVerse) {
  for (int mansion : {4, 11, 18, 25}) {  // 房 虚 昴 星
    ChartModel m = ModelOf(kNatal1990);
    m.places[5].mansion = static_cast<uint8_t>(mansion);
    ASSERT_EQ(MansionLordOf(mansion), 0);  // 日
    std::string verses;
    AppendBodyVerses(m, verses);
    EXPECT_EQ(verses.find("★木入日度："), std::string::npos);
    EXPECT_NE(verses.find("★木入"), std::string::npos);  // its palace verse stays
  }
}

TEST(AnalysisReport, BodyVersesInTheirOrder) {
  const ChartModel m = ModelOf(kNatal1990);
  std::string expected;
  for (int g = 0; g < 7; ++g)
    expected += LordMansionVerse(g, MansionLordOf(m.places[g].mansion)) +
                LordPalaceVerse(g, PalaceLordOf(m.places[g].branch));
  for (int b = 7; b < 11; ++b) expected += LordPalaceVerse(b, PalaceLordOf(m.places[b].branch));
  // Shared palaces in the 1990 chart: 日 水 in 亥, 月 木 in 未, 金 计 in 子,
  // 火 土 in 丑.
  expected += ConjunctionVerse(0, 2) + ConjunctionVerse(1, 5) + ConjunctionVerse(3, 8) + ConjunctionVerse(4, 6);
  std::string verses = "left over";
  AppendBodyVerses(m, verses);
  EXPECT_EQ(verses, expected);
}

TEST(AnalysisReport, PairsOfRemaindersAreNeverVisited) {
  std::array<double, kChartBodyCount> lon{};
  for (int i = 0; i < kChartBodyCount; ++i) lon[i] = 5 + 30.0 * i;  // each in a sign of its own
  lon[8] = lon[7];                                                   // 罗 and 计 share one
  lon[10] = lon[9];                                                  // so do 气 and 孛
  std::string verses;
  AppendBodyVerses(ModelAt(100, lon), verses);
  EXPECT_EQ(verses.find("同宫"), std::string::npos);
}

TEST(AnalysisReport, ADamagedModelStillGivesAReport) {
  ChartModel m = ModelOf(kNatal1990);
  for (BodyPlace& p : m.places) {
    p.branch = 200;
    p.palaceNumber = 255;
    p.mansion = 99;
    p.longitude = -1e300;
  }
  const std::string report = AnalysisReport(m);
  for (int k = 0; k < 4; ++k) EXPECT_NE(report.find(kAnalysisHeadings[k]), std::string::npos);
}
