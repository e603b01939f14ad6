// Generates calendar/corrections.inc: the per-event corrections of the
// analytic new-moon and solar-term formulas between the end of the mean
// tables and 1960.
//
// Usage: gen_corrections MONTH_TABLE OUTPUT_INC
//   MONTH_TABLE: tests/data/lunar_months_1900_2099.txt (the official calendar)
//
// The reference day of each event:
//  * new moons from 1900-01-31 on: the first day of the month in the official
//    calendar;
//  * solar terms from 1900 on: the day of the true (ephemeris) term in Beijing
//    time, UTC+8;
//  * earlier events: the day of the true event in the local mean time of
//    Beijing (116°25′E), the meridian the Qing calendar was computed for,
//    except the first days of months that the month names depend on.
// A digit is "1" where the reference is one day after the formula's day, "2"
// one day before, "0" where they agree. The strings are written packed.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "correctionpacking.h"
#include "lunar.h"
#include "moon.h"
#include "planets.h"
#include "timescale.h"

using namespace lumtar;
using calendar::EventKind;
using calendar::SSQ_class;

namespace {

constexpr double kBeijingLmtOffset = (116.0 + 25.0 / 60) / 360;  // days east of Greenwich

// First days (JD) of the months at the ends of the spans whose months the
// lunar calendar names from another branch (武周, and 761-762 under 唐肃宗):
// the month names there hang on these days, which are those of the
// historical calendar. The new moon of 761-12-02 came a day after the true
// one (17:44 on 12-01 in Beijing local mean time).
constexpr int kNamedMonthStarts[] = {1973067, 1977052, 1999349, 1999467};

int DayNumber(int y, int m, int d) {
  return static_cast<int>(std::lround(astro::JulianDayOfCalendar(y, m, d + 0.5) - astro::kJ2000));
}

int DayOf(double x) { return static_cast<int>(std::floor(x + 0.5)); }

std::string DateText(int day) {
  const astro::ClockTime c = astro::CalendarOfJulianDay(day + astro::kJ2000);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d-%02d-%02d", c.year, c.month, c.day);
  return buf;
}

int YearOf(int day) { return astro::CalendarOfJulianDay(day + astro::kJ2000).year; }

// First days (day numbers) of the months of the official table.
std::set<int> ReadMonthStarts(const char* path, int& firstStart) {
  std::set<int> starts;
  std::ifstream in(path);
  std::string line;
  firstStart = 1 << 30;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    int year, leap;
    std::string first, lengths;
    s >> year >> first >> leap >> lengths;
    int y, m, d;
    if (std::sscanf(first.c_str(), "%d-%d-%d", &y, &m, &d) != 3) continue;
    int day = DayNumber(y, m, d);
    for (char c : lengths) {
      starts.insert(day);
      firstStart = std::min(firstStart, day);
      day += c == '1' ? 30 : 29;
    }
  }
  return starts;
}

struct Stats {
  int nonzero = 0;
  std::map<int, int> years;  // year -> count of non-zero digits
  int unreachable = 0;
};

char Digit(int reference, int formula, Stats& stats, int eventDay, const char* what) {
  const int diff = reference - formula;
  if (diff == 0) return '0';
  if (diff != 1 && diff != -1) {
    ++stats.unreachable;
    std::cerr << what << " " << DateText(eventDay) << ": formula day differs by " << diff << "\n";
    return '0';
  }
  ++stats.nonzero;
  ++stats.years[YearOf(eventDay)];
  return diff == 1 ? '1' : '2';
}

void Report(const char* name, const std::string& digits, const Stats& stats) {
  std::cout << name << ": " << digits.size() << " digits, " << stats.nonzero << " non-zero";
  if (stats.unreachable) std::cout << ", " << stats.unreachable << " beyond one day";
  std::cout << "\n  years:";
  for (const auto& [year, count] : stats.years) std::cout << " " << year << (count > 1 ? "x" + std::to_string(count) : "");
  std::cout << "\n";
}

void WriteLiteral(std::ostream& out, const char* name, const std::string& packed) {
  out << "static const char " << name << "[] =";
  if (packed.empty()) out << " \"\"";
  for (std::size_t i = 0; i < packed.size(); i += 96) out << "\n    \"" << packed.substr(i, 96) << "\"";
  out << ";\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gen_corrections MONTH_TABLE OUTPUT_INC\n";
    return 2;
  }
  int tableStart = 0;
  const std::set<int> monthStarts = ReadMonthStarts(argv[1], tableStart);
  if (monthStarts.empty()) {
    std::cerr << "no months read from " << argv[1] << "\n";
    return 1;
  }
  const int year1900 = DayNumber(1900, 1, 1);
  const double f3 = SSQ_class::kEphemerisRangeStart;

  // New moons.
  std::string moonDigits;
  Stats moonStats;
  {
    const double f2 = SSQ_class::CorrectedRangeStart(EventKind::kNewMoon);
    const double lunation = 29.5306;
    for (int n = 0; f2 + n * lunation < f3; ++n) {
      const double guess = f2 + (n + 0.5) * lunation;
      const double k = std::floor((guess + 14 - 2451551) / lunation);
      const double w = 2 * astro::kPi * k;
      const int formula = DayOf(SSQ_class::NewMoonLow(w));
      const double tt = astro::TimeOfElongation(w) * 36525;
      const double ut = tt - astro::DeltaTDays(tt);
      const int beijing = DayOf(ut + astro::kBeijingOffsetDays);
      int reference = DayOf(ut + kBeijingLmtOffset);
      if (beijing >= tableStart) {
        reference = beijing;
        for (int d = beijing - 1; d <= beijing + 1; ++d)
          if (monthStarts.count(d) && (!monthStarts.count(reference) || std::abs(d - beijing) < std::abs(reference - beijing)))
            reference = d;
        if (!monthStarts.count(reference)) std::cerr << "new moon " << DateText(beijing) << " not in the month table\n";
      }
      for (const int start : kNamedMonthStarts) {
        const int day = start - static_cast<int>(astro::kJ2000);
        if (std::abs(reference - day) <= 1) reference = day;
      }
      moonDigits += Digit(reference, formula, moonStats, reference, "new moon");
    }
  }

  // Solar terms.
  std::string termDigits;
  Stats termStats;
  {
    const double f2 = SSQ_class::CorrectedRangeStart(EventKind::kSolarTerm);
    const double interval = 365.2422 / 24;
    for (int n = 0; f2 + n * interval < f3; ++n) {
      const double guess = f2 + (n + 0.5) * interval;
      const double k = std::floor((guess + 7 - 2451259) / 365.2422 * 24);
      const double w = k * astro::kPi / 12;
      const int formula = DayOf(SSQ_class::SolarTermLow(w));
      const double tt = astro::TimeOfSunLongitude(w) * 36525;
      const double ut = tt - astro::DeltaTDays(tt);
      const int beijing = DayOf(ut + astro::kBeijingOffsetDays);
      const int reference = beijing >= year1900 ? beijing : DayOf(ut + kBeijingLmtOffset);
      termDigits += Digit(reference, formula, termStats, reference, "solar term");
    }
  }

  Report("NewMoonCorrections", moonDigits, moonStats);
  Report("TermCorrections", termDigits, termStats);

  std::ofstream out(argv[2], std::ios::binary);
  out << "// Generated by tools/calendar/gen_corrections from the ephemeris and the\n"
         "// official month table; do not edit. Packed: see correctionpacking.h.\n";
  WriteLiteral(out, "kNewMoonCorrectionsPacked", calendar::PackCorrections(moonDigits));
  WriteLiteral(out, "kTermCorrectionsPacked", calendar::PackCorrections(termDigits));
  return out ? 0 : 1;
}
