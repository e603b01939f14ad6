// The chart's derived items, fixed by tables keyed on the year pillar or on
// the ascendant palace: the spirits (神煞) written into the outer ring, and the
// chart stars of the header (寿元, 科甲, 天禄, 马元 …), each naming a body.
//
// Placing spirits is a computation of its own: PlaceSpirits gives every label
// with the palace and the stacking position it gets, and the chart picture
// only paints what it is given.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumtar {

// A palace holds at most six spirit labels (positions 0..5).
inline constexpr int kSpiritLabelsPerPalace = 6;

enum class SpiritKind : uint8_t { Stage, YearCycle, Single };

struct SpiritLabel {
  int8_t branch = 0;     // palace that receives it (0 亥 … 11 戌)
  int8_t position = -1;  // stacking position 0..5, −1 when the palace was already full
  SpiritKind kind = SpiritKind::Single;
  std::string_view text;  // UTF-8, one or two characters

  bool shown() const { return position >= 0; }
};

// The stacking counters of the spirit ring, one per branch; −1 before a pass.
using SpiritCounters = std::array<int8_t, 12>;

// Sets every counter to −1, as before each spirit pass.
void ResetSpiritCounters(SpiritCounters& counters);
// Takes the next free position in the palace of `branch`: returns it (0..5)
// and advances the counter, or returns −1 and changes nothing when the palace
// already holds six labels.
int PlaceSpiritLabel(SpiritCounters& counters, int branch);

// One spirit pass: resets the counters and places, in order, the twelve
// stages of the 纳音 element (branch by branch from 戌), the year cycle (太岁 …
// 病符) and the single spirits of the year pillar's branch and stem. The
// stages always follow the natal 纳音 element, also in an annual pass.
std::vector<SpiritLabel> PlaceSpirits(int yearPillar, int nayinElement, SpiritCounters& counters);

// The twelve stages: 长生 … 养; stage k of an element lies at its 长生 branch
// plus k.
std::string_view StageName(int stage);
int StageBranch(int nayinElement, int stage);
// The year cycle: 太岁 … 病符; name k lies at the year branch plus k.
std::string_view YearCycleName(int k);

// The single spirits in placement order.
inline constexpr int kSingleSpiritCount = 25;
std::string_view SingleSpiritName(int i);
// Branch of single spirit i for a year pillar.
int SingleSpiritBranch(int i, int yearPillar);

// Chart stars: a title and the body (0..10) it names.
struct ChartStar {
  std::string_view title;
  int8_t body = 0;
};

// 寿元: the body of the 纳音 element.
int ShouyuanBody(int nayinElement);
// 科甲 and 赦文 by the branch of 命宫.
int KejiaBody(int ascendantBranch);
int SheWenBody(int ascendantBranch);
// The 化曜 cycle: the body of a stem (0 癸, 1 甲 … 9 壬).
int HuayaoBody(int stem);
// The stars of the header, in the order it prints them: 寿元 科甲 赦文, then
// 天禄 天贵 天印 天权 天暗 天耗 天刑 天囚 (化曜), 伤官 禄元 催官 禄神 喜神, 马元, and
// 爵星 天马 地驿 血支 血忌 产星.
std::vector<ChartStar> ChartStars(int yearPillar, int nayinElement, int ascendantBranch);

}  // namespace lumtar
