// The texts of the chart's header: the title block, the birth data and
// calendar conversions, the pillars and voids, 命宫 and 身宫, the body lines
// and the chart stars, in the order the picture writes them. Composing them
// is kept apart from painting, which places each block beside the chart.
#pragma once

#include <string>
#include <vector>

namespace lumtar {

class CVoVirer;
struct AnnualChart;

enum class HeaderBlock {
  Title,      // "Lumtar", the maker's line, "本命盘"/"流年盘"
  Birth,      // frame, zone, coordinates, place, input and pillar moments, lunar date
  Pillars,    // name, the four pillars with 纳音, the voids
  Places,     // 命宫, 身宫, the benefactor line, one line per body
  StarLines,  // 寿元, 科甲, 赦文
  StarColumns,  // 天禄 … 产星, each written as a vertical column
};

struct HeaderLine {
  HeaderBlock block;
  std::string text;  // UTF-8
};

// The maker's line under the title.
inline constexpr const char* kMakerLine = "Lumtar 七政四余星命";

// The mark of a civil date of the Julian calendar (before 1582-10-15) in the
// header's 公历 lines, the input panel and the case tree.
inline constexpr const char* kJulianMark = "(儒略历)";
// True for a civil date of the Julian calendar: every date before
// 1582-10-15, the first day of the Gregorian calendar (the program's civil
// dates are Julian before it).
constexpr bool IsJulianCalendarDate(int year, int month, int day) {
  return year != 1582 ? year < 1582 : month != 10 ? month < 10 : day < 15;
}

// Degrees and minutes as the header prints a birth coordinate: minutes
// rounded to the nearest whole, an exact half rounding down.
struct DegreesMinutes {
  int degrees = 0;
  int minutes = 0;
};
DegreesMinutes CoordinateDegreesMinutes(double value);

// The void branch (空亡) shown for a sexagenary index.
int VoidBranchOf(int sexagenary);

// The header of the engine's current chart.
std::vector<HeaderLine> HeaderLines(CVoVirer& engine);

// The text block of an annual chart: "流盘:" with the moment in UTC+8 and the
// zone it was entered in, the year pillar with the 化曜 body of its stem and
// the age, and "行限:" with the period point at the start of the age year and
// one year later.
std::vector<std::string> AnnualLines(const AnnualChart& annual);

}  // namespace lumtar
