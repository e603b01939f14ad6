// lumtar-cli ephemeris and positions, run as a separate process.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "clirun.h"
#include "mastrocalc.h"
#include "planets.h"

using namespace lumtar::astro;

namespace {

struct CliRun {
  int status = -1;
  std::vector<std::string> lines;
};

CliRun Cli(const std::string& args) {
  const lumtar::test::CommandRun run =
      lumtar::test::RunCommandLine(std::string(LUMTAR_PROGRAM_DIR) + "/lumtar-cli " + args + " 2>/dev/null");
  CliRun r;
  r.status = run.status;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    f.push_back(line.substr(start, tab - start));
  f.push_back(line.substr(start));
  return f;
}

const std::regex kDegrees(R"(-?\d+\.\d{7})");

}  // namespace

TEST(CliAstro, Ephemeris) {
  CliRun r = Cli("ephemeris 2451545.0 2305447.5");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 20u);
  const char* names[] = {"sun", "moon", "mercury", "venus", "mars", "jupiter", "saturn", "uranus", "neptune", "pluto"};
  const int bodies[] = {kSun, kMoon, kMercury, kVenus, kMars, kJupiter, kSaturn, kUranus, kNeptune, kPluto};
  for (size_t i = 0; i < r.lines.size(); ++i) {
    const std::vector<std::string> f = Fields(r.lines[i]);
    ASSERT_EQ(f.size(), 4u) << r.lines[i];
    EXPECT_EQ(f[0], i < 10 ? "2451545.0" : "2305447.5");
    EXPECT_EQ(f[1], names[i % 10]);
    EXPECT_TRUE(std::regex_match(f[2], kDegrees)) << f[2];
    EXPECT_TRUE(std::regex_match(f[3], kDegrees)) << f[3];
    const double lon = std::stod(f[2]);
    EXPECT_GE(lon, 0);
    EXPECT_LT(lon, 360);
    const double jd = i < 10 ? 2451545.0 : 2305447.5;
    EXPECT_NEAR(lon, ApparentPosition(bodies[i % 10], (jd - kJ2000) / 36525).longitude, 6e-8);
  }
  EXPECT_EQ(Fields(Cli("ephemeris 2451545.0").lines[0])[2], "280.3681599");
}

TEST(CliAstro, EphemerisBadDays) {
  struct Case {
    const char* args;
    int status;
    size_t lines;
  } cases[] = {
      {"ephemeris abc", 1, 0},           {"ephemeris nan", 1, 0},
      {"ephemeris 1e308", 1, 0},         {"ephemeris -5", 1, 0},
      {"ephemeris 2451545.0 x 2451546", 1, 20},  // the good ones still answered
      {"ephemeris", 2, 0},
  };
  for (const Case& c : cases) {
    CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_EQ(r.lines.size(), c.lines) << c.args;
  }
}

TEST(CliAstro, Positions) {
  CliRun r = Cli("positions 2000-01-01 20:00 --nodes 1");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 14u);
  MAstroCalc calc;
  const BodyPositionSet set = calc.ChartPositions({2000, 1, 1, 20, 0}, 1, true);
  for (int i = 0; i < kChartBodyCount; ++i) {
    const std::vector<std::string> f = Fields(r.lines[i]);
    ASSERT_EQ(f.size(), 5u) << r.lines[i];
    EXPECT_EQ(f[0], std::to_string(i));
    EXPECT_EQ(f[1], kChartBodyNames[i]);
    EXPECT_TRUE(std::regex_match(f[2], kDegrees)) << f[2];
    EXPECT_TRUE(std::regex_match(f[3], kDegrees)) << f[3];
    EXPECT_NEAR(std::stod(f[2]), set.body[i].longitude, 6e-8);
    EXPECT_NEAR(std::stod(f[3]), set.body[i].latitude, 6e-8);
    EXPECT_EQ(f[4], std::to_string(set.body[i].motion));
  }
  EXPECT_EQ(Fields(r.lines[kChartSaturn])[4], "2");  // Saturn retrograde until 2000-01-12
  // The default convention puts 罗喉 on the descending node.
  CliRun d = Cli("positions 2000-01-01 20:00");
  ASSERT_EQ(d.lines.size(), 14u);
  EXPECT_EQ(Fields(d.lines[kChartLuohou])[2], Fields(r.lines[kChartJidu])[2]);
}

TEST(CliAstro, PositionsBadInput) {
  struct Case {
    const char* args;
    int status;
  } cases[] = {
      {"positions 2000-02-30 10:00", 1}, {"positions 1582-10-10 10:00", 1}, {"positions 2000-13-01 10:00", 1},
      {"positions 2000-02-10 24:00", 2}, {"positions 2000-02-10 10:60", 2}, {"positions 2000/02/10 10:00", 2},
      {"positions 2000-02-10 10:00 --nodes 2", 2}, {"positions 2000-02-10", 2},
  };
  for (const Case& c : cases) {
    CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_TRUE(r.lines.empty()) << c.args;
  }
}
