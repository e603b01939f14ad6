#include "chartlayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "script.h"
#include "vovirer.h"

namespace lumtar {

namespace {

constexpr double kDegree = std::numbers::pi / 180;

int Mod12(int v) { return ((v % 12) + 12) % 12; }

// Years of the ten life periods; period 0 (命) lasts ageOffset − 1 years.
constexpr std::array<int, kLifePeriodCount> kPeriodYears = {0, 10, 11, 15, 8, 7, 11, 4, 4, 4};

int PeriodLength(int period, int ageOffset) { return period == 0 ? ageOffset - 1 : kPeriodYears[period]; }

PeriodMark MarkOf(double longitude, double mansionOrigin) {
  PeriodMark m;
  m.longitude = longitude;
  const MansionPlace mp = FindMansion(longitude, mansionOrigin);
  m.mansion = mp.mansion;
  m.degreeInMansion = static_cast<int>(std::trunc(mp.degree));
  const double sign = std::floor(longitude / 30);
  m.branch = Mod12(11 - static_cast<int>(sign));
  m.degreeInSign = static_cast<int>(std::floor(longitude - 30 * sign));
  return m;
}

}  // namespace

ChartPoint PointAt(double theta, double radius) {
  return {kChartCentreX + radius * std::cos(theta * kDegree), kChartCentreY + radius * std::sin(theta * kDegree)};
}

double ScreenAngleOf(double longitude) { return NormalizeDegrees(30 - longitude); }

double SpiritAngle(int branch, int position) { return 30.0 * Mod12(branch + 1) + 5.0 * position + 2.5; }

double WrapAngle(double angle) {
  if (angle < 0) return angle + 360;
  if (angle >= 360) return angle - 360;
  return angle;
}

RingParameters NatalRing() {
  return {kBodyAreaOuter, {0.08 * kChartScale, 0.15 * kChartScale, 0.25 * kChartScale}, {5, 5, 3}};
}

RingParameters AnnualRing() {
  return {kAnnualBaseRadius, {0.08 * kChartScale, 0.15 * kChartScale, 0.25 * kChartScale}, {3, 3, 7}};
}

bool LabelGrid::Taken(int sector, int level, int position) const {
  return taken_[static_cast<size_t>(sector)][static_cast<size_t>(level)][static_cast<size_t>(position)];
}

void LabelGrid::Take(int sector, int level, int position) {
  taken_[static_cast<size_t>(sector)][static_cast<size_t>(level)][static_cast<size_t>(position)] = true;
}

LabelPlacement PlaceLabelsInRing(LabelGrid& grid, const RingParameters& ring, double theta) {
  LabelPlacement out;
  theta = NormalizeDegrees(theta);
  const int s = std::min(11, static_cast<int>(std::floor(theta / 30)));
  const int g = static_cast<int>(std::floor(theta - 30 * s));
  out.sector = s;
  out.trueAngle = theta;

  int level = 0, position = 0;
  for (; level < LabelGrid::kLevels; ++level) {
    const int n = std::clamp(ring.positions[static_cast<size_t>(level)], 1, LabelGrid::kMaxPositions - 1);
    const int c = std::min(g / (30 / n), LabelGrid::kMaxPositions - 1);
    position = c;
    if (!grid.Taken(s, level, c)) {
      out.placed = true;
      break;
    }
    int up = c, down = c;
    for (int k = 0; k < n && !out.placed; ++k) {
      if (up < n - 1) ++up;
      if (!grid.Taken(s, level, up)) {
        position = up;
        out.placed = true;
        break;
      }
      if (down > 0) --down;
      if (!grid.Taken(s, level, down)) {
        position = down;
        out.placed = true;
      }
    }
    if (out.placed) break;
  }
  if (out.placed) {
    grid.Take(s, level, position);
  } else {
    level = LabelGrid::kLevels - 1;
    const int n = std::clamp(ring.positions[static_cast<size_t>(level)], 1, LabelGrid::kMaxPositions - 1);
    position = std::min(g / (30 / n), LabelGrid::kMaxPositions - 1);
  }
  const double width = 30.0 / ring.positions[static_cast<size_t>(level)];
  out.level = level;
  out.position = position;
  out.angle = width * position + 30 * s + width / 2;
  out.from = PointAt(theta, ring.baseRadius);
  out.anchor = PointAt(out.angle, ring.baseRadius - ring.levelOffset[static_cast<size_t>(level)]);
  return out;
}

std::array<PalaceRingEntry, 12> PalaceRing(int ascendantBranch, int ageOffset, bool male) {
  std::array<PalaceRingEntry, 12> ring;
  double p = 30 - (11 - Mod12(ascendantBranch)) * 30;
  if (p < 0) p += 360;
  for (int i = 0; i < 12; ++i) {
    PalaceRingEntry& e = ring[static_cast<size_t>(i)];
    e.palaceNumber = i;
    e.branch = Mod12(ascendantBranch - i);
    e.name = PalaceName(i, male);
    e.startAge = i == 0 ? 1 : ageOffset + kPalaceAgeBase[static_cast<size_t>(i)];
    e.startAngle = p;
    e.showsAge = e.startAge - ageOffset <= 70;
    if (e.showsAge) {
      e.ticks = i == 0 ? ageOffset
                       : kPalaceAgeBase[static_cast<size_t>(i - 1)] - kPalaceAgeBase[static_cast<size_t>(i)];
      if (e.ticks > 0)
        for (int j = 0; j <= e.ticks; ++j) e.tickAngles.push_back(p - (30.0 / e.ticks) * j);
      e.nameAngle = p - 7.5;
      e.ageAngle = p - 22.5;
    } else {
      e.nameAngle = p - 15;
    }
    p -= 30;
    if (p < 0) p += 360;
  }
  return ring;
}

std::string AscendantCentreText(const ChartModel& m) {
  const BodyPlace& a = m.places[kAscendantPlace];
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%s%02d", InScript("命"), std::string(InScript(MansionName(a.mansion))).c_str(),
                static_cast<int>(std::trunc(a.degreeInMansion)));
  return buf;
}

std::array<LifePeriod, kLifePeriodCount> LifePeriods(int ascendantBranch, int ageOffset) {
  std::array<LifePeriod, kLifePeriodCount> periods;
  int start = 1;
  for (int i = 0; i < kLifePeriodCount; ++i) {
    LifePeriod& p = periods[static_cast<size_t>(i)];
    p.index = i;
    p.branch = Mod12(ascendantBranch + i);
    p.startAge = start;
    p.length = PeriodLength(i, ageOffset);
    start += p.length;
  }
  return periods;
}

PeriodPoint PeriodPointOf(int ascendantBranch, int ageOffset, int age, double mansionOrigin) {
  const auto periods = LifePeriods(ascendantBranch, ageOffset);
  size_t i = 0;
  while (i + 1 < periods.size() && periods[i].length <= age - periods[i].startAge) ++i;
  const LifePeriod& period = periods[i];
  PeriodPoint pp;
  pp.period = static_cast<int>(i);
  pp.elapsed = age - period.startAge;
  // A period without years (an offset of 1) would divide by zero; give it
  // the whole sign.
  pp.step = period.length > 0 ? 30.0 / period.length : 30.0;
  const double point = NormalizeDegrees((period.length - pp.elapsed) * pp.step + SignStart(period.branch));
  const double next = NormalizeDegrees(point - pp.step);
  pp.start = MarkOf(point, mansionOrigin);
  pp.next = MarkOf(next, mansionOrigin);
  pp.lineAngle = NormalizeDegrees(30 - (point - pp.step / 2));
  return pp;
}

std::string_view PalaceDescription(int palaceNumber) {
  static constexpr std::string_view kDescriptions[12] = {
      "代表容貌、才能、性格",
      "代表对钱财的经营能力,和拥有情形",
      "代表兄弟姐妹的感情多少,以及对外之竟争力",
      "代表财产、祖业,以及储蓄积存的能力",
      "代表儿女子嗣,以及对异性的关系",
      "代表下属,以及统御能力,别人的向心力",
      "代表配偶的品质,以及夫妻相处的情形",
      "代表疾病之部位、种类,以及灾祸、抵抗力",
      "代表旅游运,以及对外的交际能力、公共关系",
      "代表职业,以及上司,并代表一个人威权、地位",
      "代表享受、嗜好、兴趣、娱乐之性向和程度",
      "代表品格、行为,父母的品质,以及意愿,自我表现力",
  };
  return InScript(kDescriptions[Mod12(palaceNumber)]);
}

bool HoverHint(const ChartModel& m, double x, double y, std::string& hint) {
  hint = " ";
  if (m.chartMode == -1) return false;
  const double dx = x - kChartCentreX, dy = y - kChartCentreY;
  const double d = std::hypot(dx, dy);
  if (!std::isfinite(d)) return false;
  // Counter-clockwise from the rightward horizontal; screen y grows down.
  double a = std::atan2(-dy, dx) / kDegree;
  if (a < 0) a += 360;
  if (a >= 360) a -= 360;
  const double theta = 360 - a;
  const int branch = Mod12(static_cast<int>(std::floor(theta / 30)) + 11);
  if (d >= kInnerRadius && d < kBranchRingOuter) {
    hint = InScript("宫主:") + std::string(InScript(BodyChar(PalaceLordOf(branch))));
    return true;
  }
  if (d >= kBranchRingOuter && d < kPalaceRingOuter) {
    hint = PalaceDescription(Mod12(m.places[kAscendantPlace].branch - branch));
    return true;
  }
  if (d >= kBodyAreaOuter && d < kMansionRingOuter) {
    double longitude = a + 30;
    if (longitude >= 360) longitude -= 360;
    hint = InScript("度主:") +
           std::string(InScript(BodyChar(MansionLordOf(FindMansion(longitude, m.mansionOrigin).mansion))));
    return true;
  }
  return false;
}

}  // namespace lumtar
