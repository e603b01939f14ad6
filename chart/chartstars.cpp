#include "chartstars.h"

#include "charttables.h"
#include "tablechars.h"

namespace lumtar {

namespace {

using tablechars::kBodyChars;
using tablechars::kBranchChars;

// Stage names padded to two characters; the one-character ones end early.
constexpr std::string_view kStages[12] = {"长生", "沐浴", "冠带", "临官", "帝旺", "衰",
                                          "病",   "死",   "墓",   "绝",   "胎",   "养"};
// 长生 of each 纳音 element: 土 申, 金 巳, 水 申, 木 亥, 火 寅.
constexpr int kStageStart[5] = {9, 6, 9, 0, 3};

constexpr std::string_view kYearCycle[12] = {"太岁", "天空", "丧门", "贯索", "五鬼", "月德",
                                             "岁破", "天厄", "白虎", "天德", "天狗", "病符"};

// Spirits by year branch, rows 子 丑 … 亥.
constexpr std::string_view kBranchSpiritNames[17] = {"的杀", "咸池", "飞廉", "孤辰", "寡宿", "三刑",
                                                    "六害", "劫杀", "亡神", "红鸾", "天喜", "血刃",
                                                    "地解", "天哭", "披头", "黄幡", "豹尾"};
constexpr std::string_view kBranchSpiritRows[12] = {
    "巳酉申寅戌卯未巳亥卯酉戌未午辰辰戌",  // 子
    "丑午酉寅戌戌午寅申寅申酉未巳卯丑未",  // 丑
    "酉卯戌巳丑巳巳亥巳丑未申申辰寅未辰",  // 寅
    "巳子巳巳丑午辰申寅子午未申卯丑戌丑",  // 卯
    "丑酉午巳丑辰卯巳亥亥巳午酉寅子辰戌",  // 辰
    "酉午未申辰申寅寅申戌辰巳酉丑亥丑未",  // 巳
    "巳卯寅申辰午丑亥巳酉卯辰戌子戌未辰",  // 午
    "丑子卯申辰丑子申寅申寅卯戌亥酉戌丑",  // 未
    "酉酉辰亥未寅亥巳亥未丑寅亥戌申辰戌",  // 申
    "巳午亥亥未酉戌寅申午子丑亥酉未丑未",  // 酉
    "丑卯子亥未未酉亥巳巳亥子午申午未辰",  // 戌
    "酉子丑寅戌亥申申寅辰戌亥午未巳戌丑",  // 亥
};
constexpr auto kBranchSpirits = tablechars::Table<12, 17>(kBranchChars, kBranchSpiritRows);

// Spirits by year stem, rows 甲 乙 … 癸.
constexpr std::string_view kStemSpiritNames[8] = {"禄勋", "阳刃", "飞刃", "国印", "天乙", "玉堂", "文昌", "天厨"};
constexpr std::string_view kStemSpiritRows[10] = {
    "寅卯酉戌未丑巳巳",  // 甲
    "卯辰戌亥申子午午",  // 乙
    "巳午子丑酉亥申子",  // 丙
    "午未丑寅亥酉酉巳",  // 丁
    "巳午子丑丑未申午",  // 戊
    "午未丑寅子申酉申",  // 己
    "申酉卯辰丑未亥寅",  // 庚
    "酉戌辰巳寅午戌午",  // 辛
    "亥子午未卯巳寅酉",  // 壬
    "子丑未申巳卯卯亥",  // 癸
};
constexpr auto kStemSpirits = tablechars::Table<10, 8>(kBranchChars, kStemSpiritRows);

// Placement order of the single spirits: the first five branch spirits, the
// eight stem spirits, then the other twelve branch spirits. Values below 100
// are columns of the branch table, from 100 on columns of the stem table.
constexpr int kSingleOrder[kSingleSpiritCount] = {0,   1,   2,   3,   4,   100, 101, 102, 103,
                                                  104, 105, 106, 107, 5,   6,   7,   8,   9,
                                                  10,  11,  12,  13,  14,  15,  16};

// 科甲 and 赦文 by the branch of 命宫, rows 子 … 亥.
constexpr std::string_view kAscendantStarRows[12] = {"日火", "月火", "水水", "金木", "火土", "木金",
                                                     "土木", "土水", "木金", "火土", "金木", "水水"};
constexpr auto kAscendantStars = tablechars::Table<12, 2>(kBodyChars, kAscendantStarRows);

// The 化曜 cycle by stem, 甲 first.
constexpr auto kHuayao = tablechars::Indices<10>(kBodyChars, "火孛木金土月水气计罗");
struct HuayaoTitle {
  std::string_view title;
  int offset;
};
// In the header's order.
constexpr HuayaoTitle kHuayaoTitles[8] = {{"天禄", 0}, {"天贵", 5}, {"天印", 7}, {"天权", 9},
                                          {"天暗", 1}, {"天耗", 3}, {"天刑", 6}, {"天囚", 8}};

// The five stem stars 伤官 禄元 催官 禄神 喜神, rows 甲 … 癸.
constexpr std::string_view kStemStarNames[5] = {"伤官", "禄元", "催官", "禄神", "喜神"};
constexpr std::string_view kStemStarRows[10] = {"金木金木罗", "木火水木计", "月水日计气", "土日罗罗水",
                                                "气水木土月", "水日气火土", "罗水孛金金", "计金土气木",
                                                "火木月日孛", "孛土计月火"};
constexpr auto kStemStars = tablechars::Table<10, 5>(kBodyChars, kStemStarRows);

// The six branch stars 爵星 天马 地驿 血支 血忌 产星, rows 子 … 亥.
constexpr std::string_view kBranchStarNames[6] = {"爵星", "天马", "地驿", "血支", "血忌", "产星"};
constexpr std::string_view kBranchStarRows[12] = {"土火木木日金", "水计水土土水", "木水金土土木",
                                                  "气木火木月火", "孛火木火木金", "木计水金水水",
                                                  "水水金水火木", "火木火日金火", "火火木月金金",
                                                  "金计水水火水", "金水金金水木", "水木火火木火"};
constexpr auto kBranchStars = tablechars::Table<12, 6>(kBodyChars, kBranchStarRows);

int Mod(int v, int m) { return ((v % m) + m) % m; }
// Row of a branch-keyed table (子 first) and of a stem-keyed table (甲 first).
int BranchRow(int branch) { return Mod(branch - 1, 12); }
int StemRow(int stem) { return Mod(stem - 1, 10); }

}  // namespace

void ResetSpiritCounters(SpiritCounters& counters) { counters.fill(-1); }

int PlaceSpiritLabel(SpiritCounters& counters, int branch) {
  if (branch < 0 || branch >= 12) return -1;
  if (counters[branch] >= kSpiritLabelsPerPalace - 1) return -1;
  return ++counters[branch];
}

std::string_view StageName(int stage) { return stage >= 0 && stage < 12 ? kStages[stage] : std::string_view(); }

int StageBranch(int nayinElement, int stage) { return Mod(kStageStart[Mod(nayinElement, 5)] + stage, 12); }

std::string_view YearCycleName(int k) { return kYearCycle[Mod(k, 12)]; }

std::string_view SingleSpiritName(int i) {
  if (i < 0 || i >= kSingleSpiritCount) return {};
  const int c = kSingleOrder[i];
  return c < 100 ? kBranchSpiritNames[c] : kStemSpiritNames[c - 100];
}

int SingleSpiritBranch(int i, int yearPillar) {
  if (i < 0 || i >= kSingleSpiritCount) return 0;
  const int c = kSingleOrder[i];
  return c < 100 ? kBranchSpirits[BranchRow(Mod(yearPillar, 12))][c]
                 : kStemSpirits[StemRow(Mod(yearPillar, 10))][c - 100];
}

std::vector<SpiritLabel> PlaceSpirits(int yearPillar, int nayinElement, SpiritCounters& counters) {
  ResetSpiritCounters(counters);
  std::vector<SpiritLabel> labels;
  labels.reserve(12 + 12 + kSingleSpiritCount);
  auto place = [&](int branch, SpiritKind kind, std::string_view text) {
    SpiritLabel l;
    l.branch = static_cast<int8_t>(branch);
    l.position = static_cast<int8_t>(PlaceSpiritLabel(counters, branch));
    l.kind = kind;
    l.text = text;
    labels.push_back(l);
  };
  // The stages branch by branch, from 戌 on.
  for (int i = 0; i < 12; ++i) {
    const int branch = Mod(11 + i, 12);
    const int stage = Mod(branch - kStageStart[Mod(nayinElement, 5)], 12);
    place(branch, SpiritKind::Stage, kStages[stage]);
  }
  const int yb = Mod(yearPillar, 12);
  for (int k = 0; k < 12; ++k) place(Mod(yb + k, 12), SpiritKind::YearCycle, YearCycleName(k));
  for (int i = 0; i < kSingleSpiritCount; ++i)
    place(SingleSpiritBranch(i, yearPillar), SpiritKind::Single, SingleSpiritName(i));
  return labels;
}

int ShouyuanBody(int nayinElement) {
  static constexpr int kBodies[5] = {astro::kChartSaturn, astro::kChartVenus, astro::kChartMercury,
                                     astro::kChartJupiter, astro::kChartMars};  // 土 金 水 木 火
  return kBodies[Mod(nayinElement, 5)];
}

int KejiaBody(int ascendantBranch) { return kAscendantStars[BranchRow(ascendantBranch)][0]; }
int SheWenBody(int ascendantBranch) { return kAscendantStars[BranchRow(ascendantBranch)][1]; }

int HuayaoBody(int stem) { return kHuayao[StemRow(stem)]; }

std::vector<ChartStar> ChartStars(int yearPillar, int nayinElement, int ascendantBranch) {
  const int ys = Mod(yearPillar, 10), yb = Mod(yearPillar, 12);
  std::vector<ChartStar> stars;
  stars.reserve(23);
  auto add = [&](std::string_view title, int body) { stars.push_back({title, static_cast<int8_t>(body)}); };
  add("寿元", ShouyuanBody(nayinElement));
  add("科甲", KejiaBody(ascendantBranch));
  add("赦文", SheWenBody(ascendantBranch));
  for (const HuayaoTitle& t : kHuayaoTitles) add(t.title, HuayaoBody(ys + t.offset));
  for (int i = 0; i < 5; ++i) add(kStemStarNames[i], kStemStars[StemRow(ys)][i]);
  add("马元", (Mod(yb - 1, 12) / 2) % 2 == 0 ? astro::kChartJupiter : astro::kChartMercury);
  for (int i = 0; i < 6; ++i) add(kBranchStarNames[i], kBranchStars[BranchRow(yb)][i]);
  return stars;
}

}  // namespace lumtar
