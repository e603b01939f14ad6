// lumtar-cli ephemeris and positions: apparent places from the series and
// the fourteen chart bodies of the star-position service.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "clicommon.h"
#include "mastrocalc.h"
#include "planets.h"
#include "script.h"

namespace lumtar::cli {
namespace {

using astro::EphemerisBody;

struct NamedBody {
  const char* name;
  EphemerisBody body;
};
constexpr NamedBody kEphemerisOrder[] = {
    {"sun", astro::kSun},         {"moon", astro::kMoon},       {"mercury", astro::kMercury},
    {"venus", astro::kVenus},     {"mars", astro::kMars},       {"jupiter", astro::kJupiter},
    {"saturn", astro::kSaturn},   {"uranus", astro::kUranus},   {"neptune", astro::kNeptune},
    {"pluto", astro::kPluto}};

// A longitude in [0, 360) with 7 decimals: a value a hair below 360 would
// round up to "360.0000000".
std::string Longitude(double degrees) {
  std::string s = Fixed(degrees, 7);
  if (s == "360.0000000") s = "0.0000000";
  return s;
}

std::string Trimmed(const std::string& text) {
  const size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  return text.substr(b, text.find_last_not_of(" \t") - b + 1);
}

// Julian days of -4712-01-01 and 9999-12-31, the years the program knows.
constexpr double kFirstJulianDay = 0;
constexpr double kLastJulianDay = 5373484.5;

// A Julian day: a plain decimal number, nothing else on the line.
double ParseJulianDay(const std::string& text) {
  const char* s = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double jd = std::strtod(s, &end);
  if (text.empty() || end == s || *end != '\0' || errno == ERANGE || !std::isfinite(jd) ||
      text.find_first_of("xXpPnNiI") != std::string::npos)
    throw CommandError("bad Julian day '" + Shown(text) + "'");
  if (jd < kFirstJulianDay || jd > kLastJulianDay)
    throw CommandError("Julian day out of range 0..5373484.5: " + Shown(text));
  return jd;
}

void RunEphemeris(const std::vector<std::string>& args) {
  const std::vector<std::string> inputs = ExpandInputs(args);
  // Many days: a bad one is reported and the others are still answered.
  bool failed = false;
  for (const std::string& input : inputs) {
    const std::string text = Trimmed(input);
    try {
      const double t = (ParseJulianDay(text) - astro::kJ2000) / 36525;
      for (const NamedBody& b : kEphemerisOrder) {
        const astro::EclipticPosition p = astro::ApparentPosition(b.body, t);
        std::cout << Tsv({text, b.name, Longitude(p.longitude), Fixed(p.latitude, 7)}) << '\n';
      }
    } catch (const CommandError& e) {
      if (inputs.size() == 1) throw;
      std::cout.flush();
      std::cerr << e.what() << '\n';
      failed = true;
    }
  }
  if (failed) throw CommandError("some Julian days were not computed");
}

void RunPositions(const std::string& dateText, const std::string& timeText, int nodes) {
  const Date d = ParseDate(dateText);
  const Time time = ParseTime(timeText);
  if (time.hour > 23 || time.minute > 59) throw UsageError("bad time '" + Shown(timeText) + "', expected HH:MM");
  if (nodes != 0 && nodes != 1) throw UsageError("--nodes takes 0 or 1");
  // A real calendar date (Julian before 1582-10-15) that the service's
  // 16-bit fields hold.
  if (d.year < -32768 || d.year > 32767 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31)
    throw CommandError("no such date: " + Shown(dateText));
  const astro::ClockTime c = astro::CalendarOfJulianDay(astro::JulianDayOfCalendar(d.year, d.month, d.day + 0.5));
  if (c.year != d.year || c.month != d.month || c.day != d.day) throw CommandError("no such date: " + Shown(dateText));

  const astro::DateTime moment{static_cast<int16_t>(d.year), static_cast<int16_t>(d.month),
                               static_cast<int16_t>(d.day), static_cast<int16_t>(time.hour),
                               static_cast<int16_t>(time.minute)};
  astro::MAstroCalc calc;
  const astro::BodyPositionSet set = calc.ChartPositions(moment, static_cast<uint8_t>(nodes), true);
  for (int i = 0; i < astro::kChartBodyCount; ++i) {
    const auto& e = set.body[i];
    std::cout << Tsv({std::to_string(i), std::string(InScript(astro::kChartBodyNames[i])), Longitude(e.longitude), Fixed(e.latitude, 7),
                      std::to_string(e.motion)})
              << '\n';
  }
}

const RegisterCommands registerAstro([](CLI::App& app) {
  {
    CLI::App* cmd = app.add_subcommand(
        "ephemeris", "apparent geocentric ecliptic places of date of the Sun, Moon and planets (JD taken as TT)");
    auto days = std::make_shared<std::vector<std::string>>();
    cmd->add_option("jd", *days, "Julian days, or - to read one a line from standard input")->required();
    cmd->callback([days] { RunEphemeris(*days); });
  }
  {
    CLI::App* cmd = app.add_subcommand("positions", "the fourteen chart bodies of a Beijing-time moment");
    auto dateText = std::make_shared<std::string>();
    auto timeText = std::make_shared<std::string>();
    auto nodes = std::make_shared<int>(0);
    cmd->add_option("date", *dateText, "YYYY-MM-DD")->required();
    cmd->add_option("time", *timeText, "HH:MM")->required();
    cmd->add_option("--nodes", *nodes, "0: 罗喉 on the descending node (罗南计北, default); 1: on the ascending one");
    cmd->callback([dateText, timeText, nodes] { RunPositions(*dateText, *timeText, *nodes); });
  }
});

}  // namespace
}  // namespace lumtar::cli
