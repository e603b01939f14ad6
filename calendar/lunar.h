// Solar terms and new moons, the Chinese lunar year, and the reign-era names.
//
// Day numbers: an integer d stands for the Beijing civil day whose noon is
// JD 2451545 + d, so d = 0 is 2000-01-01. A moment x in days from J2000
// (Beijing time) lies on day floor(x + 0.5).
//
// The day of an event comes from one of three methods:
//  * the historical mean calendars (平气, 平朔): a table of mean epochs and
//    mean intervals;
//  * from the end of that table until 1960: a short analytic formula plus a
//    per-event correction of -1, 0 or +1 day read from a correction string;
//  * before the table and from 1960-01-01 on: the ephemeris, refined when the
//    event falls close to midnight.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "timescale.h"

namespace lumtar::calendar {

using astro::DateTime;

// The two kinds of event: a solar term (气) or a new moon (朔).
enum class EventKind { kSolarTerm, kNewMoon };

// The lunar year around a day, rebuilt by every BuildLunarYear.
struct LunarYearLayout {
  // Index (1..13) of the leap month among the 14 months, 0 when none.
  int32_t leap = 0;
  // Number of each month: 1..12 (1 = 正月); in the years -721..-104 the extra
  // month that closes a year is numbered 13 (10 from -220 on).
  int32_t monthNumbers[14] = {};
  // Day numbers of 25 successive solar terms, the first the winter solstice
  // (冬至) on or before the day asked for.
  int32_t solarTerms[25] = {};
  // Day numbers of 15 successive new moons, the first on or before that
  // winter solstice: the first days of 14 months.
  int32_t newMoons[15] = {};
};

class SSQ_class {
 public:
  SSQ_class();
  // A calendar with other correction digits (expanded, one digit per event
  // from the end of the mean tables): what the generator of the strings
  // tries before it writes them.
  SSQ_class(std::string newMoonCorrections, std::string termCorrections);
  virtual ~SSQ_class() = default;

  // Day number of the event of the kind nearest the guess (a day number).
  int EventDay(double guess, EventKind kind) const;

  // Moments (days from J2000, Beijing time) of the solar term at the
  // unwrapped solar longitude W (k pi/12 is the k-th term after the vernal
  // equinox of 1999-03-21) and of the new moon at the unwrapped elongation W
  // (2 pi k is the k-th new moon after 2000-01-06): short analytic formulas
  // (Low) and the ephemeris (High).
  static double SolarTermLow(double w);
  static double NewMoonLow(double w);
  static double SolarTermHigh(double w);
  static double NewMoonHigh(double w);

  // Fills the layout with the lunar year around day number d.
  void BuildLunarYear(double d);
  const LunarYearLayout& Layout() const { return layout_; }

  // In the layout last built: the month (0..13) holding day d, and the lunar
  // year number (named by the civil year of its 正月初一) of day d.
  int MonthIndexOfDay(int d) const;
  int LunarYearOfDay(int d) const;

  // The expanded correction strings, one digit per event from the end of the
  // mean tables ("1" one day later than the formula, "2" one day earlier).
  const std::string& NewMoonCorrections() const { return newMoonCorrections_; }
  const std::string& TermCorrections() const { return termCorrections_; }

  // First days (JD) of the ranges of a kind: the start of the mean table (f1),
  // the start of the corrected formula (f2) and of the ephemeris (f3).
  static double MeanTableStart(EventKind kind);
  static double CorrectedRangeStart(EventKind kind);
  static constexpr double kEphemerisRangeStart = 2436935;  // 1960-01-01

 protected:
  LunarYearLayout layout_;

 private:
  void ComputeLayout(double w, LunarYearLayout& out) const;
  void NameAncientMonths(LunarYearLayout& out) const;

  std::string newMoonCorrections_;
  std::string termCorrections_;

  // Year layouts already built, keyed by the exact winter-solstice estimate
  // they were built from, so a result never depends on earlier calls.
  struct SolsticeEntry {
    double estimate = 0;
    int day = 0;
    bool used = false;
  };
  struct LayoutEntry {
    double estimate = 0;
    LunarYearLayout layout;
    bool used = false;
  };
  static constexpr int kCacheSize = 8;
  mutable std::array<SolsticeEntry, kCacheSize> solsticeCache_{};
  mutable std::array<LayoutEntry, kCacheSize> layoutCache_{};
  mutable int solsticeNext_ = 0;
  mutable int layoutNext_ = 0;
};

// One reign era (or one reign where there were no eras). The era name holds
// six characters (西夏's 天授礼法延祚); the generator refuses a text longer
// than its field.
struct EraRow {
  int16_t firstYear;  // astronomical numbering
  int16_t yearCount;
  int16_t yearOffset;  // added to the year number within the era
  // The row's years in which its dynasty was the central one, whose
  // calendar was in use and whose era names date a lunar day (count 0: none).
  int16_t centralFirstYear;
  int16_t centralYearCount;
  // The lunar month the era began in within its first year (0: with the
  // year, or no month known) and whether that month was a leap month.
  uint8_t firstMonth;
  uint8_t firstMonthLeap;
  char dynasty[11];  // the texts: zero-terminated GBK
  char title[11];
  char personalName[31];
  char eraName[13];
};
static_assert(sizeof(EraRow) == 78);

// The chronology of dynasties, rulers and reign eras from -2069 on, in
// historical order; several rows can cover one year.
const EraRow* EraTable();
int EraTableSize();

class obb_class {
 public:
  // The reign eras of an astronomical year, e.g. for 2000
  // "[当代] 中国  公历纪元2000年"; rows covering the same year are joined by "；".
  // In the chosen script.
  std::string EraNamesOfYear(int year) const;
};

}  // namespace lumtar::calendar
