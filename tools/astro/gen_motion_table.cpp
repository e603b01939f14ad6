// Writes astro/motion_tables.cpp: the motion states of the seven planets for
// every year of the table, found by the station search itself.
//
//   cmake --build build --target gen_motion_table
//   build/tools/astro/gen_motion_table > astro/motion_tables.cpp
//
// Each planet and year is searched as a chart of that year would search it
// (SearchedMotionChanges), and every day of change is written as the exact
// offset from the year's first midnight; the program stops when an offset
// would not give back the very same double.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "motionstates.h"

using namespace lumtar::astro;
namespace detail = lumtar::astro::detail;

int main() {
  std::vector<uint64_t> changes;
  std::vector<std::string> yearLines;
  uint8_t firstState[detail::kMotionTablePlanets][detail::kMotionTableYears];
  uint32_t firstChange[detail::kMotionTablePlanets][detail::kMotionTableYears + 1];
  static const char* const kNames[] = {"Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune"};

  for (int p = 0; p < detail::kMotionTablePlanets; ++p) {
    for (int y = 0; y < detail::kMotionTableYears; ++y) {
      const int year = kMotionTableFirstYear + y;
      const std::vector<MotionChange> c = SearchedMotionChanges(p + 1, year);
      const double start = JulianDayOfCalendar(year, 1, 1.0);
      if (c.empty() || c[0].jd != start) {
        std::fprintf(stderr, "%s %d: no state at the year's start\n", kNames[p], year);
        return 1;
      }
      firstState[p][y] = c[0].state;
      firstChange[p][y] = static_cast<uint32_t>(changes.size());
      std::string line = "    ";
      for (size_t i = 1; i < c.size(); ++i) {
        const double offset = c[i].jd - start;
        const double units = std::ldexp(offset, detail::kMotionUnitBits);
        if (units != std::floor(units) || units < 0 || units >= 0x1p60 ||
            start + std::ldexp(units, -detail::kMotionUnitBits) != c[i].jd) {
          std::fprintf(stderr, "%s %d: change at %.17g is not exact\n", kNames[p], year, c[i].jd);
          return 1;
        }
        const uint64_t packed = (static_cast<uint64_t>(units) << 2) | c[i].state;
        changes.push_back(packed);
        char buf[32];
        std::snprintf(buf, sizeof buf, "0x%" PRIx64 ",", packed);
        if (i > 1) line += ' ';
        line += buf;
      }
      if (y == 0) yearLines.push_back(std::string("    // ") + kNames[p]);
      if (c.size() > 1) yearLines.push_back(line + "  // " + std::to_string(year));
    }
    firstChange[p][detail::kMotionTableYears] = static_cast<uint32_t>(changes.size());
  }

  std::printf(
      "// The motion states of Mercury to Neptune for the years %d..%d, as their\n"
      "// station chains give them (see motionstates.h). Written by\n"
      "// tools/astro/gen_motion_table.cpp. Do not edit.\n"
      "#include \"motionstates.h\"\n\nnamespace lumtar::astro::detail {\n\n",
      kMotionTableFirstYear, kMotionTableLastYear);
  std::printf("const uint8_t kMotionYearState[kMotionTablePlanets][kMotionTableYears] = {\n");
  for (int p = 0; p < detail::kMotionTablePlanets; ++p) {
    std::printf("    {  // %s", kNames[p]);
    for (int y = 0; y < detail::kMotionTableYears; ++y) std::printf("%s%d,", y % 40 == 0 ? "\n     " : "", firstState[p][y]);
    std::printf("\n    },\n");
  }
  std::printf("};\n\nconst uint32_t kMotionYearChanges[kMotionTablePlanets][kMotionTableYears + 1] = {\n");
  for (int p = 0; p < detail::kMotionTablePlanets; ++p) {
    std::printf("    {  // %s", kNames[p]);
    for (int y = 0; y <= detail::kMotionTableYears; ++y)
      std::printf("%s%u,", y % 16 == 0 ? "\n     " : " ", firstChange[p][y]);
    std::printf("\n    },\n");
  }
  std::printf("};\n\nconst uint64_t kMotionChanges[] = {\n");
  for (const std::string& l : yearLines) std::printf("%s\n", l.c_str());
  std::printf("};\n\n}  // namespace lumtar::astro::detail\n");
  return 0;
}
