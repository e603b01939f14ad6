// Any civil or lunar date, moment, longitude and mode given to the date
// service: nothing crashes, loops without end or reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "lunar.h"
#include "yidateex.h"

using namespace lumtar::calendar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int16_t v[6] = {};
  float longitude = 120;
  std::memcpy(v, data, size < sizeof v ? size : sizeof v);
  if (size >= sizeof v + sizeof longitude) std::memcpy(&longitude, data + sizeof v, sizeof longitude);
  const uint8_t flags = size > sizeof v + sizeof longitude ? data[sizeof v + sizeof longitude] : 0;

  static MYiDateEx date;  // kept across inputs, as the calendar window keeps its own
  const int16_t year = v[0];
  const DateTime t{year, v[1], v[2], v[3], v[4]};

  DateTime lunar, civil, a, b, c;
  std::string message;
  date.IsValidSolarDate(t);
  date.SolarToLunar(t, lunar);
  date.LunarToSolar(t, flags & 1, civil, message);
  date.ChineseNumeral(v[5]);
  date.WeekdayOf(t);
  date.DayPillarOf(t);
  if (flags & 2) {
    date.MonthTermsAround(t, a, b, c);
    date.FourPillars(t, t);
    DateTime p = t;
    date.ApplyPillarTime(longitude, p, flags & 4 ? 1 : 2);
  }
  if (flags & 8) date.YearSolarTerms(year);
  obb_class().EraNamesOfYear(v[5]);
  return 0;
}
