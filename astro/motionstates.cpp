#include "motionstates.h"

#include <cmath>
#include <limits>

namespace lumtar::astro {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// A station found from t as a Beijing-time Julian day.
double StationAsBeijingDay(double s) {
  const double days = s * 36525;
  return days + kJ2000 - DeltaTDays(days) + kBeijingOffsetDays;
}

double YearStart(int year) { return JulianDayOfCalendar(year, 1, 1.0); }

bool InTable(int body, int year) {
  return body >= 1 && body <= detail::kMotionTablePlanets && year >= kMotionTableFirstYear &&
         year <= kMotionTableLastYear;
}

}  // namespace

StationChain::StationChain(int body, int year) : body_(body), year_(year) {
  next_[0] = next_[1] = (JulianDayOfCalendar(year - 3, 1, 1.0) - kJ2000) / 36525;
}

double StationChain::Station(StationSide side, int i) {
  const int k = static_cast<int>(side);
  const double period = kSynodicPeriodDays[body_] / 36525;
  while (known_[k] <= i) {
    const double s = StationTime(body_, next_[k], side);
    next_[k] = s + period;
    at_[k][known_[k]++] = StationAsBeijingDay(s);
  }
  return at_[k][i];
}

uint8_t StationChain::StateAt(double j, double* nextChange) {
  double after = kNever;
  // Every station compared; those after j bound the stretch of equal state.
  auto seen = [&](double s) {
    if (s > j && s < after) after = s;
    return s;
  };
  uint8_t state = 0;
  for (int i = 0; i < kStationsPerSide - 1; ++i) {
    const double start = seen(Station(StationSide::Before, i));
    const double end = seen(Station(StationSide::After, i));
    if (start <= j && j < end) {
      state = 2;
      break;
    }
    const double nextStart = seen(Station(StationSide::Before, i + 1));
    if (end <= j && j < nextStart) {
      state = 1;
      break;
    }
  }
  if (nextChange != nullptr) *nextChange = after;
  return state;
}

std::vector<MotionChange> SearchedMotionChanges(int body, int year) {
  std::vector<MotionChange> changes;
  if (body < 1 || body > 7) return changes;
  StationChain chain(body, year);
  const double end = YearStart(year + 1);
  for (double j = YearStart(year); j < end;) {
    double next = kNever;
    const uint8_t state = chain.StateAt(j, &next);
    if (changes.empty() || changes.back().state != state) changes.push_back({j, state});
    j = next;
  }
  return changes;
}

std::vector<MotionChange> TabulatedMotionChanges(int body, int year) {
  std::vector<MotionChange> changes;
  if (!InTable(body, year)) return changes;
  const int p = body - 1;
  const int y = year - kMotionTableFirstYear;
  const double start = YearStart(year);
  changes.push_back({start, detail::kMotionYearState[p][y]});
  for (uint32_t i = detail::kMotionYearChanges[p][y]; i < detail::kMotionYearChanges[p][y + 1]; ++i) {
    const uint64_t c = detail::kMotionChanges[i];
    changes.push_back(
        {start + std::ldexp(static_cast<double>(c >> 2), -detail::kMotionUnitBits), static_cast<uint8_t>(c & 3)});
  }
  return changes;
}

bool TabulatedMotionState(int body, int year, double j, uint8_t* state) {
  if (!InTable(body, year)) return false;
  const double start = YearStart(year);
  if (!(j >= start && j < YearStart(year + 1))) return false;
  const int p = body - 1;
  const int y = year - kMotionTableFirstYear;
  uint8_t s = detail::kMotionYearState[p][y];
  for (uint32_t i = detail::kMotionYearChanges[p][y]; i < detail::kMotionYearChanges[p][y + 1]; ++i) {
    const uint64_t c = detail::kMotionChanges[i];
    if (start + std::ldexp(static_cast<double>(c >> 2), -detail::kMotionUnitBits) > j) break;
    s = static_cast<uint8_t>(c & 3);
  }
  *state = s;
  return true;
}

}  // namespace lumtar::astro
