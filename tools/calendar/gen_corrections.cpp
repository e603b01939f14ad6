// Generates calendar/corrections.inc: the per-event corrections of the
// analytic new-moon and solar-term formulas between the end of the mean
// tables (619 for new moons, 1645 for solar terms) and 1960.
//
// Usage: gen_corrections OFFICIAL_TABLE HISTORICAL_TABLE OUTPUT_INC
//   OFFICIAL_TABLE:   tests/data/lunar_months_1900_2099.txt (the official calendar)
//   HISTORICAL_TABLE: tests/data/historical_months_619_1911.txt (the calendars
//                     in use from 619 to 1911)
//
// New moons: the reference day of each new moon is the first day of the
// month the tables give for it, the table month that begins nearest the true
// new moon. The formula and one digit reach one day on either side; where
// the calendar of the time put a month two days from the formula, the digit
// goes the one day it can (and the difference is reported).
//
// Solar terms decide where the leap months go (a month without a principal
// term is the leap month). Their reference day is the day of the true term
// in Beijing time (UTC+8) from 1900 on, in the local mean time of Beijing
// (116°25′E) before, the meridian the Qing calendar was computed for. Where
// the lunar year so built places its leap month otherwise than the calendar
// in use (from 1645, when the Qing calendar took up the true terms), the
// term whose moment lies nearest the day boundary that decides the placement
// is moved to the neighbouring day: the smallest shift of a term moment that
// gives the historical months. Those shifts are reported.
//
// A digit is "1" where the reference is one day after the formula's day, "2"
// one day before, "0" where they agree. The strings are written packed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
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
constexpr double kTermInterval = 365.2422 / 24;
constexpr double kLunation = 29.5306;

const char* const kTermNames[24] = {"小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨",
                                    "立夏", "小满", "芒种", "夏至", "小暑", "大暑", "立秋", "处暑",
                                    "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};

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

// A moment (days from J2000 in some local time) as date and time.
std::string MomentText(double x) {
  const int day = DayOf(x);
  const double minutes = std::round((x + 0.5 - std::floor(x + 0.5)) * 1440);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s %02d:%02d", DateText(day).c_str(), static_cast<int>(minutes) / 60,
                static_cast<int>(minutes) % 60);
  return buf;
}

// A month as a calendar names it.
struct MonthName {
  int year = 0, month = 0;
  bool leap = false;
  bool operator==(const MonthName&) const = default;
};

std::string NameText(const MonthName& n) {
  return std::to_string(n.year) + (n.leap ? "-闰" : "-") + std::to_string(n.month);
}

// Reads a month table (one lunar year a line: year, civil date of 正月初一,
// the month followed by a leap month, the month lengths in order) into the
// first days of its months. Fails on a table whose years do not follow on.
bool ReadMonthTable(const char* path, std::map<int, MonthName>& months) {
  std::ifstream in(path);
  std::string line;
  int expected = 0;
  bool any = false;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    int year, leapAfter;
    std::string first, lengths;
    s >> year >> first >> leapAfter >> lengths;
    int y, m, d;
    if (!s || std::sscanf(first.c_str(), "%d-%d-%d", &y, &m, &d) != 3) {
      std::cerr << path << ": bad line: " << line << "\n";
      return false;
    }
    int day = DayNumber(y, m, d);
    if (any && day != expected) {
      std::cerr << path << ": " << year << " does not follow on the year before\n";
      return false;
    }
    int month = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      const bool leap = leapAfter != 0 && i == static_cast<std::size_t>(leapAfter);
      if (!leap) ++month;
      const MonthName name{year, month, leap};
      const auto [it, added] = months.emplace(day, name);
      if (!added && !(it->second == name)) {
        std::cerr << path << ": the month of " << DateText(day) << " is " << NameText(name) << ", another table says "
                  << NameText(it->second) << "\n";
        return false;
      }
      day += lengths[i] == '1' ? 30 : 29;
    }
    expected = day;
    any = true;
  }
  return any;
}

// The table month that begins nearest the day, within three days; -1 << 30
// when there is none.
int NearestMonthStart(const std::map<int, MonthName>& months, int day) {
  int best = -(1 << 30);
  for (int d = day - 3; d <= day + 3; ++d)
    if (months.count(d) && std::abs(d - day) < std::abs(best - day)) best = d;
  return best;
}

char DigitOf(int diff) { return diff == 0 ? '0' : (diff > 0 ? '1' : '2'); }
int ShiftOf(char digit) { return digit == '1' ? 1 : (digit == '2' ? -1 : 0); }

struct TermEvent {
  int formula = 0;     // the formula's day
  double moment = 0;   // the true term, days from J2000 in the reference time
};

// The name of the month that begins on day d in the calendar built with the
// digits, and whether a month begins there at all.
bool NameOfMonthStart(SSQ_class& cal, int d, MonthName& name) {
  cal.BuildLunarYear(d);
  const int b = cal.MonthIndexOfDay(d);
  const calendar::LunarYearLayout& l = cal.Layout();
  name = {cal.LunarYearOfDay(d), l.monthNumbers[b], l.leap != 0 && b == l.leap};
  return l.newMoons[b] == d;
}

// The table months from `from` to `to` (day numbers) that the calendar built
// with the digits begins on another day or names otherwise.
std::vector<int> Differences(const std::string& moonDigits, const std::string& termDigits,
                             const std::map<int, MonthName>& months, int from, int to) {
  SSQ_class cal(moonDigits, termDigits);
  std::vector<int> out;
  for (auto it = months.lower_bound(from); it != months.end() && it->first <= to; ++it) {
    MonthName got;
    if (!NameOfMonthStart(cal, it->first, got) || !(got == it->second)) out.push_back(it->first);
  }
  return out;
}

void WriteLiteral(std::ostream& out, const char* name, const std::string& packed) {
  out << "static const char " << name << "[] =";
  if (packed.empty()) out << " \"\"";
  for (std::size_t i = 0; i < packed.size(); i += 96) out << "\n    \"" << packed.substr(i, 96) << "\"";
  out << ";\n";
}

// How far a moment (days) has to move to fall on the day.
double MoveNeeded(double moment, int day) {
  if (moment < day - 0.5) return day - 0.5 - moment;
  if (moment >= day + 0.5) return moment - (day + 0.5);
  return 0;
}

int CountNonZero(const std::string& digits) {
  return static_cast<int>(std::count_if(digits.begin(), digits.end(), [](char c) { return c != '0'; }));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: gen_corrections OFFICIAL_TABLE HISTORICAL_TABLE OUTPUT_INC\n";
    return 2;
  }
  std::map<int, MonthName> months;
  if (!ReadMonthTable(argv[2], months) || !ReadMonthTable(argv[1], months)) {
    std::cerr << "the month tables could not be read\n";
    return 1;
  }
  const int year1900 = DayNumber(1900, 1, 1);
  const double f3 = SSQ_class::kEphemerisRangeStart;

  // New moons: the first days of the tables' months.
  std::string moonDigits;
  int beyondOneDay = 0;
  {
    const double f2 = SSQ_class::CorrectedRangeStart(EventKind::kNewMoon);
    for (int n = 0; f2 + n * kLunation < f3; ++n) {
      const double guess = f2 + (n + 0.5) * kLunation;
      const double k = std::floor((guess + 14 - 2451551) / kLunation);
      const double w = 2 * astro::kPi * k;
      const int formula = DayOf(SSQ_class::NewMoonLow(w));
      const double tt = astro::TimeOfElongation(w) * 36525;
      const int beijing = DayOf(tt - astro::DeltaTDays(tt) + astro::kBeijingOffsetDays);
      const int reference = NearestMonthStart(months, beijing);
      if (reference < -(1 << 29)) {
        std::cerr << "the new moon of " << DateText(beijing) << " begins no month of the tables\n";
        return 1;
      }
      const int diff = reference - formula;
      if (std::abs(diff) > 1) {
        ++beyondOneDay;
        std::cout << "new moon: the month of " << DateText(reference) << " begins " << diff
                  << " days from the formula's day " << DateText(formula) << "\n";
      }
      moonDigits += DigitOf(std::clamp(diff, -1, 1));
    }
  }

  // Solar terms: the true terms first.
  const double termF2 = SSQ_class::CorrectedRangeStart(EventKind::kSolarTerm);
  std::vector<TermEvent> terms;
  std::string termDigits;
  for (int n = 0; termF2 + n * kTermInterval < f3; ++n) {
    const double guess = termF2 + (n + 0.5) * kTermInterval;
    const double k = std::floor((guess + 7 - 2451259) / 365.2422 * 24);
    const double w = k * astro::kPi / 12;
    TermEvent e;
    e.formula = DayOf(SSQ_class::SolarTermLow(w));
    const double tt = astro::TimeOfSunLongitude(w) * 36525;
    const double ut = tt - astro::DeltaTDays(tt);
    const int beijing = DayOf(ut + astro::kBeijingOffsetDays);
    e.moment = beijing >= year1900 ? ut + astro::kBeijingOffsetDays : ut + kBeijingLmtOffset;
    const int diff = DayOf(e.moment) - e.formula;
    if (std::abs(diff) > 1) {
      std::cerr << "solar term " << DateText(DayOf(e.moment)) << ": formula day differs by " << diff << "\n";
      return 1;
    }
    terms.push_back(e);
    termDigits += DigitOf(diff);
  }

  // The leap months from the Qing calendar on: where the calendar built so
  // far differs from the table, move the term nearest its day boundary.
  const int leapFrom = DayOf(termF2 - astro::kJ2000) + 366;  // the first lunar year wholly after the mean terms
  const int leapTo = year1900;
  std::vector<std::string> shifts;
  for (;;) {
    const std::vector<int> diffs = Differences(moonDigits, termDigits, months, leapFrom, leapTo);
    if (diffs.empty()) break;
    const int first = diffs.front();
    // The terms of the lunar years around the first difference.
    std::vector<int> candidates;
    for (int n = 0; n < static_cast<int>(terms.size()); ++n) {
      const int day = terms[n].formula + ShiftOf(termDigits[n]);
      if (day >= first - 400 && day <= first + 400) candidates.push_back(n);
    }
    int best = -1;
    char bestDigit = '0';
    double bestCost = 1e9;
    const std::size_t near = Differences(moonDigits, termDigits, months, first - 800, first + 800).size();
    for (int n : candidates) {
      const int now = terms[n].formula + ShiftOf(termDigits[n]);
      for (int step : {-1, 1}) {
        const int day = now + step;
        if (std::abs(day - terms[n].formula) > 1) continue;
        const double cost = MoveNeeded(terms[n].moment, day);
        if (cost >= bestCost) continue;
        std::string trial = termDigits;
        trial[n] = DigitOf(day - terms[n].formula);
        const std::vector<int> after = Differences(moonDigits, trial, months, first - 800, first + 800);
        if (std::find(after.begin(), after.end(), first) != after.end() || after.size() >= near) continue;
        best = n;
        bestDigit = trial[n];
        bestCost = cost;
      }
    }
    if (best < 0) {
      MonthName got;
      SSQ_class cal(moonDigits, termDigits);
      NameOfMonthStart(cal, first, got);
      std::cerr << "no term shift gives the month of " << DateText(first) << " (" << NameText(months.at(first))
                << ", built " << NameText(got) << ")\n";
      return 1;
    }
    termDigits[best] = bestDigit;
    const TermEvent& e = terms[best];
    const int day = e.formula + ShiftOf(bestDigit);
    const double lambda = std::fmod(std::floor((termF2 + (best + 0.5) * kTermInterval + 7 - 2451259) / 365.2422 * 24) * 15 + 360000, 360);
    const int index = (static_cast<int>(lambda) + 75) / 15 % 24;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %s (true %s) put on %s, the moment moved %.0f minutes",
                  kTermNames[index], DateText(DayOf(e.moment)).c_str(), MomentText(e.moment).c_str(),
                  DateText(day).c_str(), bestCost * 1440);
    shifts.push_back(buf);
  }

  std::cout << "NewMoonCorrections: " << moonDigits.size() << " digits, " << CountNonZero(moonDigits) << " non-zero, "
            << beyondOneDay << " months two days or more from the formula\n";
  std::cout << "TermCorrections: " << termDigits.size() << " digits, " << CountNonZero(termDigits) << " non-zero, "
            << shifts.size() << " terms moved for the leap months:\n";
  for (const std::string& s : shifts) std::cout << "  " << s << "\n";

  std::ofstream out(argv[3], std::ios::binary);
  out << "// Generated by tools/calendar/gen_corrections from the month tables of the\n"
         "// calendars in use and the ephemeris; do not edit. Packed: see\n"
         "// correctionpacking.h.\n";
  WriteLiteral(out, "kNewMoonCorrectionsPacked", calendar::PackCorrections(moonDigits));
  WriteLiteral(out, "kTermCorrectionsPacked", calendar::PackCorrections(termDigits));
  return out ? 0 : 1;
}
