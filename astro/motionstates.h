// Motion states (direct or retrograde) of the planets from their stations.
//
// The stations behind a motion state are those of one chain: searched from
// the first day of the year three years before the moment's year, twenty
// retrograde starts and twenty retrograde ends, each searched from the one
// before plus a synodic period. The search runs a fixed number of
// iterations, so a chain begun in another year finds the same stations to
// within a fraction of a second but not to the last bit; a state is always
// that of the chain of the moment's own year.
//
// For the years kMotionTableFirstYear..kMotionTableLastYear the states of
// every chain are tabulated (motion_tables.cpp, written by
// tools/astro/gen_motion_table.cpp with this search): the table gives for
// every planet and year the state at the year's first midnight and every
// change of state within the year, at the very Julian days the chain gives.
#pragma once

#include <cstdint>
#include <vector>

#include "planets.h"

namespace lumtar::astro {

inline constexpr int kStationsPerSide = 20;

// The stations of body 1..7 chained from the start of year − 3, found as far
// as they are asked for. Julian days are Beijing time.
class StationChain {
 public:
  StationChain() = default;
  StationChain(int body, int year);

  int body() const { return body_; }
  int year() const { return year_; }

  // Station i (0..19) of a side: a retrograde start (Before) or end (After).
  double Station(StationSide side, int i);

  // The motion state the stations give at Beijing-time Julian day j:
  // retrograde from a start up to the next end, direct from an end up to
  // the next start, 0 outside the chain. With `nextChange` the least station
  // the question compared that lies after j is stored there (infinity when
  // none): the state is the same from j up to that day.
  uint8_t StateAt(double j, double* nextChange = nullptr);

 private:
  int body_ = 0;
  int year_ = 0;
  int known_[2] = {};
  double next_[2] = {};  // where the search for the next station starts
  double at_[2][kStationsPerSide] = {};
};

// First and last year of the table.
inline constexpr int kMotionTableFirstYear = 600;
inline constexpr int kMotionTableLastYear = 2110;

// A state from a Beijing-time Julian day on.
struct MotionChange {
  double jd = 0;
  uint8_t state = 0;
  friend bool operator==(const MotionChange&, const MotionChange&) = default;
};

// The states of body 1..7 over a year by its chain: the first change is at
// the year's first midnight (JulianDayOfCalendar(year, 1, 1.0)), the others
// follow in order up to the next year's first midnight.
std::vector<MotionChange> SearchedMotionChanges(int body, int year);

// The same from the table; empty for a year or body outside it.
std::vector<MotionChange> TabulatedMotionChanges(int body, int year);

// The state of body 1..7 at Beijing-time Julian day j of `year` from the
// table; false when the year lies outside the table or j outside the year.
bool TabulatedMotionState(int body, int year, double j, uint8_t* state);

}  // namespace lumtar::astro

namespace lumtar::astro::detail {

// The table (motion_tables.cpp). Planet p = body − 1, year y = year −
// kMotionTableFirstYear. kMotionYearState[p][y] is the state at the year's
// first midnight; its changes are kMotionChanges[kMotionYearChanges[p][y]]
// up to kMotionChanges[kMotionYearChanges[p][y + 1]] (exclusive), each the
// new state in the two low bits and above them the day of the change past
// the year's first midnight in units of 2^-32 day. That is exact: a station
// and the midnight before it lie within a factor of two of each other, so
// their difference is a double with no bits below those of the two.
inline constexpr int kMotionTableYears = kMotionTableLastYear - kMotionTableFirstYear + 1;
inline constexpr int kMotionTablePlanets = 7;
inline constexpr int kMotionUnitBits = 32;
extern const uint8_t kMotionYearState[kMotionTablePlanets][kMotionTableYears];
extern const uint32_t kMotionYearChanges[kMotionTablePlanets][kMotionTableYears + 1];
extern const uint64_t kMotionChanges[];

}  // namespace lumtar::astro::detail
