// Where things go on the round chart, as numbers: the picture's geometry and
// angles, the stacking of body labels in a ring (PlaceLabelsInRing), the
// palace ring with its life-period start ages and age ticks, the life periods
// and the period point of a year, and the hint the picture shows under the
// pointer. Painting (chartdraw.h) only draws what these give.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumtar {

struct ChartModel;

// The chart's centre in picture pixels, whatever the picture's size, and the
// radius every ring is a fraction of.
inline constexpr double kChartCentreX = 302;
inline constexpr double kChartCentreY = 302;
inline constexpr double kChartScale = 300;

// Ring boundaries, pixels from the centre.
inline constexpr double kInnerRadius = 0.1 * kChartScale;          // inner disc / branch ring
inline constexpr double kBranchRingOuter = 0.2 * kChartScale;      // branch ring / palace ring
inline constexpr double kPalaceRingOuter = 0.3 * kChartScale;      // palace ring / body area
inline constexpr double kAnnualBaseRadius = (0.3 + 0.22) * kChartScale;  // annual bodies' circle
inline constexpr double kBodyAreaOuter = 0.7 * kChartScale;        // body area / mansion ring
inline constexpr double kMansionRingOuter = 0.8 * kChartScale;     // mansion ring / age ticks
inline constexpr double kAgeRingOuter = 0.85 * kChartScale;        // age ticks / spirit ring
inline constexpr double kOuterRadius = 1.0 * kChartScale;          // outer edge

// Radii of the branch names and the palace names with their start ages.
inline constexpr double kBranchNameRadius = 45;
inline constexpr double kPalaceNameRadius = 75;
inline constexpr double kMansionNameRadius = 225;
// Spirit labels: the first character this far out, each further one a step
// more.
inline constexpr double kSpiritFirstRadius = (0.85 + 0.035) * kChartScale;
inline constexpr double kSpiritCharStep = (1.0 - 0.85 - 0.035) / 2 * kChartScale;

// Screen angle of a spirit label in the palace of `branch` at stacking
// position 0..5: 30k + 5·position + 2.5 with the palace's sector
// k = (branch + 1) mod 12.
double SpiritAngle(int branch, int position);

struct ChartPoint {
  double x = 0;
  double y = 0;
};

// The point at screen angle θ (degrees, clockwise on screen from the
// rightward horizontal) and radius r.
ChartPoint PointAt(double theta, double radius);
// Screen angle of a longitude: 30 − λ, brought into [0, 360).
double ScreenAngleOf(double longitude);
// An angle brought into [0, 360) by adding or subtracting 360 once (the
// chart's angles never stray further).
double WrapAngle(double angle);

// ---- stacking labels in a ring

// A ring's stacking parameters: base radius, the inward offset of each of the
// three levels and the count of positions per level.
struct RingParameters {
  double baseRadius = 0;
  std::array<double, 3> levelOffset{};  // pixels
  std::array<int, 3> positions{};
};

// The natal body ring: base 210, offsets 0.08, 0.15, 0.25 of 300, 5 5 3.
RingParameters NatalRing();
// The annual body ring: base 156, the same offsets, 3 3 7.
RingParameters AnnualRing();

// The free and taken positions of a ring: 12 sectors × 3 levels × the room
// every candidate index can reach (for 7 positions the candidate step
// 30 div 7 = 4 gives indices up to 7, so 8 are kept).
class LabelGrid {
 public:
  static constexpr int kLevels = 3;
  static constexpr int kMaxPositions = 8;

  bool Taken(int sector, int level, int position) const;
  void Take(int sector, int level, int position);
  void Clear() { taken_ = {}; }

 private:
  std::array<std::array<std::array<bool, kMaxPositions>, kLevels>, 12> taken_{};
};

// Where one label went.
struct LabelPlacement {
  int sector = 0;    // screen sector ⌊θ/30⌋
  int level = 0;     // 0..2
  int position = 0;  // within the level
  bool placed = false;  // false when all three levels of the sector were full
  double trueAngle = 0;  // θ, where the leader line starts (at the base radius)
  double angle = 0;      // φ, the middle of the position taken
  ChartPoint from;       // leader line start: (θ, base radius)
  ChartPoint anchor;     // leader line end and label centre: (φ, base − offset)
};

// Places one label at true screen angle θ into the grid: the candidate
// position of its degree in the sector, else the nearest free one searching
// upwards first, else the next level. A label that finds no room anywhere
// (more labels in a sector than the ring holds) is put on the innermost
// level's candidate position, over whatever is there, and not marked.
LabelPlacement PlaceLabelsInRing(LabelGrid& grid, const RingParameters& ring, double theta);

// ---- the palace ring

// Years of the life periods after 命宫 by palace number 1..11 (A(i)): the
// start age shown is ageOffset + A(i).
inline constexpr std::array<int, 12> kPalaceAgeBase = {0, 79, 74, 70, 66, 62, 51, 44, 36, 21, 10, 0};

// One palace of the palace ring.
struct PalaceRingEntry {
  int palaceNumber = 0;  // 0 命 …
  int branch = 0;
  std::string_view name;  // one character, male or female list
  int startAge = 0;       // 1 for 命宫
  bool showsAge = false;  // false for 财 and 兄/姐, whose periods lie past the ten
  int ticks = 0;          // parts the age-tick sector is divided into (ticks + 1 lines)
  double startAngle = 0;  // p: screen angle where the palace's sign begins
  double nameAngle = 0;   // p − 7.5, or p − 15 without an age
  double ageAngle = 0;    // p − 22.5
  std::vector<double> tickAngles;  // p − (30/ticks)·j, j = 0..ticks
};
std::array<PalaceRingEntry, 12> PalaceRing(int ascendantBranch, int ageOffset, bool male);

// The 命 line of the body ring's centre: "命" with 命宫's mansion and its whole
// degree in it, in the chosen script.
std::string AscendantCentreText(const ChartModel& m);

// ---- life periods (十步运)

inline constexpr int kLifePeriodCount = 10;

struct LifePeriod {
  int index = 0;     // 0..9
  int branch = 0;    // (branch of 命宫 + index) mod 12
  int startAge = 0;  // nominal age the period begins with
  int length = 0;    // years
};
// The ten periods of a chart: 命 (ageOffset − 1 years), 相 10, 福 11, 官 15,
// 迁 8, 疾 7, 妻/夫 11, 奴 4, 男 4, 田 4.
std::array<LifePeriod, kLifePeriodCount> LifePeriods(int ascendantBranch, int ageOffset);

// A point of the period line and its text parts.
struct PeriodMark {
  double longitude = 0;
  int mansion = 0;
  int degreeInMansion = 0;  // whole degrees
  int branch = 0;           // of the sign
  int degreeInSign = 0;     // whole degrees
};

// The period point of a nominal age: the point at the start of the age year
// and one year later, the yearly step, the period and the years elapsed in it.
struct PeriodPoint {
  int period = 0;
  int elapsed = 0;  // may be −1 for the age 0 before the first 立春
  double step = 0;  // degrees per year
  PeriodMark start;
  PeriodMark next;
  double lineAngle = 0;  // screen angle of the middle of the age year
};
PeriodPoint PeriodPointOf(int ascendantBranch, int ageOffset, int age, double mansionOrigin);

// ---- the hint under the pointer

// The description of a palace for the hint over the palace ring, in the
// chosen script.
std::string_view PalaceDescription(int palaceNumber);

// The hint at picture pixel (x, y): "宫主:…" over the branch ring, the
// palace's description over the palace ring, "度主:…" over the mansion ring.
// Returns whether the pointer is over one of them; otherwise, and before the
// first chart, the hint is a single space.
bool HoverHint(const ChartModel& m, double x, double y, std::string& hint);

}  // namespace lumtar
