#include "charttables.h"

#include <cmath>

#include "script.h"
#include "tablechars.h"
#include "timescale.h"

namespace lumtar {

namespace {

using tablechars::BranchMask;
using tablechars::kBodyChars;
using tablechars::kCharBytes;

constexpr double kRad = astro::kPi / 180.0;

constexpr std::string_view kMansionChars = "轸角亢氐房心尾箕斗牛女虚危室壁奎娄胃昴毕觜参井鬼柳星张翼";
constexpr std::string_view kElementChars = "土金水木火";
constexpr std::string_view kPalaceMale = "命财兄田男奴妻疾迁官福相";
constexpr std::string_view kPalaceFemale = "命财姐田男奴夫疾迁官福相";

std::string_view NthChar(std::string_view text, int i) { return text.substr(i * kCharBytes, kCharBytes); }

// Palace lords by branch, 亥 first.
constexpr auto kPalaceLords = tablechars::Indices<12>(kBodyChars, "木土土木火金水日月水金火");
// Mansion lords cycle from 角 (mansion 1).
constexpr auto kMansionLordCycle = tablechars::Indices<7>(kBodyChars, "木金土日月火水");

// Dignities of the bodies 日 .. 孛: the branches of 庙, 旺, 喜 and 乐. 水 is 旺
// in 申 子 巳 and 计都 in 寅 卯 戌.
struct Dignities {
  unsigned miao, wang, xi, le;
};
constexpr Dignities kDignities[kRatedBodyCount] = {
    {BranchMask("午"), BranchMask("戌巳"), BranchMask("寅"), BranchMask("午辰")},      // 日
    {BranchMask("戌"), BranchMask("酉"), BranchMask("亥"), BranchMask("未")},          // 月
    {BranchMask("午"), BranchMask("申子巳"), BranchMask("辰"), BranchMask("巳申")},    // 水
    {BranchMask("酉辰"), BranchMask("亥午"), BranchMask("巳"), BranchMask("辰酉")},    // 金
    {BranchMask("卯"), BranchMask("丑"), BranchMask("丑申"), BranchMask("卯戌")},      // 火
    {BranchMask("亥"), BranchMask("未"), BranchMask("未"), BranchMask("寅亥")},        // 木
    {BranchMask("子丑"), BranchMask("卯辰"), BranchMask("午"), BranchMask("丑子")},    // 土
    {BranchMask("寅午"), BranchMask("卯"), BranchMask("戌"), 0},                       // 罗
    {BranchMask("亥巳"), BranchMask("寅卯戌"), BranchMask("子"), BranchMask("卯")},    // 计
    {BranchMask("申"), BranchMask("亥丑"), BranchMask("戌"), 0},                       // 气
    {BranchMask("未"), BranchMask("寅巳"), BranchMask("卯亥"), BranchMask("酉子")},    // 孛
};

// Elements of the five planets 水 金 火 木 土 for the benefactor line.
int PlanetElement(int body) {
  switch (body) {
    case astro::kChartMercury: return kWater;
    case astro::kChartVenus: return kMetal;
    case astro::kChartMars: return kFire;
    case astro::kChartJupiter: return kWood;
    default: return kEarth;
  }
}

}  // namespace

const float kMansionWidths[kMansionCount] = {
    12.8f, 11.0f, 10.59f, 17.86f, 4.8f,  8.3f,  15.15f,  // 轸 角 亢 氐 房 心 尾
    9.0f,  23.56f, 8.0f,  11.67f, 10.0f, 20.0f, 16.75f,  // 箕 斗 牛 女 虚 危 室
    12.2f, 11.43f, 13.0f, 12.52f, 9.03f, 15.3f, 1.0f,    // 壁 奎 娄 胃 昴 毕 觜
    10.52f, 30.45f, 5.0f, 16.0f,  7.0f,  19.07f, 18.0f,  // 参 井 鬼 柳 星 张 翼
};

// Apparent minus mean solar time in minutes. The entries that break the
// smooth run (days 169, 189, 238, 252, 295, 308, 332 and 358) are part of the
// table as the charts have always used it.
const float kEquationOfTimeMinutes[kEquationOfTimeDays] = {
    -3.40f, -3.83f, -4.34f, -4.80f, -5.25f, -5.70f, -6.14f, -6.57f, -7.00f, -7.40f,  // 0
    -7.82f, -8.20f, -8.66f, -9.00f, -9.32f, -9.67f, -10.00f, -10.35f, -10.67f, -10.95f,  // 10
    -11.25f, -11.52f, -11.80f, -12.05f, -12.28f, -12.52f, -12.72f, -12.92f, -13.12f, -13.28f,  // 20
    -13.47f, -13.60f, -13.74f, -13.85f, -13.95f, -14.05f, -14.14f, -14.20f, -14.25f, -14.28f,  // 30
    -14.30f, -14.32f, -14.32f, -14.30f, -14.30f, -14.26f, -14.19f, -14.12f, -14.05f, -13.97f,  // 40
    -13.85f, -13.75f, -13.64f, -13.50f, -13.36f, -13.22f, -13.05f, -12.90f, -12.70f, -12.60f,  // 50
    -12.52f, -12.32f, -12.02f, -11.92f, -11.70f, -11.48f, -11.25f, -11.00f, -10.75f, -10.50f,  // 60
    -10.24f, -9.96f, -9.70f, -9.38f, -9.15f, -8.86f, -8.58f, -8.30f, -8.00f, -7.70f,  // 70
    -7.40f, -7.01f, -6.80f, -6.50f, -6.20f, -5.90f, -5.60f, -5.28f, -5.00f, -4.67f,  // 80
    -4.35f, -4.07f, -3.78f, -3.48f, -3.20f, -2.90f, -2.62f, -2.35f, -2.05f, -1.75f,  // 90
    -1.50f, -1.22f, -0.95f, -0.70f, -0.48f, -0.19f, 0.05f, 0.30f, 0.50f, 0.75f,  // 100
    0.99f, 1.18f, 1.38f, 1.60f, 1.75f, 1.95f, 2.14f, 2.30f, 2.45f, 2.60f,  // 110
    2.74f, 2.86f, 3.00f, 3.10f, 3.20f, 3.26f, 3.36f, 3.45f, 3.52f, 3.57f,  // 120
    3.62f, 3.64f, 3.68f, 3.70f, 3.72f, 3.72f, 3.70f, 3.70f, 3.65f, 3.62f,  // 130
    3.57f, 3.52f, 3.45f, 3.43f, 3.30f, 3.24f, 3.12f, 3.00f, 2.90f, 2.76f,  // 140
    2.64f, 2.48f, 2.35f, 2.20f, 2.04f, 1.86f, 1.70f, 1.52f, 1.35f, 1.15f,  // 150
    0.95f, 0.76f, 0.56f, 0.34f, 0.15f, 0.05f, 0.26f, 0.46f, 0.70f, -0.95f,  // 160
    -1.12f, -1.35f, -1.55f, -1.76f, -2.00f, -2.20f, -2.60f, -2.62f, -2.86f, -3.04f,  // 170
    -3.25f, -3.45f, -3.66f, -3.85f, -4.04f, -4.23f, -4.40f, -4.55f, -4.75f, -5.90f,  // 180
    -5.05f, -5.20f, -5.35f, -5.47f, -5.60f, -5.72f, -5.82f, -5.92f, -6.00f, -6.10f,  // 190
    -6.17f, -6.30f, -6.30f, -6.35f, -6.38f, -6.42f, -6.44f, -6.44f, -6.45f, -6.44f,  // 200
    -6.42f, -6.39f, -6.35f, -6.30f, -6.26f, -6.17f, -6.08f, -6.00f, -5.90f, -5.80f,  // 210
    -5.66f, -5.52f, -5.40f, -5.25f, -5.07f, -4.90f, -4.72f, -4.52f, -4.32f, -4.07f,  // 220
    -3.90f, -3.68f, -3.46f, -3.22f, -3.00f, -2.72f, -2.46f, -2.20f, -1.60f, -1.67f,  // 230
    -1.35f, -1.07f, -0.76f, -0.45f, -0.15f, 0.17f, 0.48f, 0.82f, 1.15f, 1.48f,  // 240
    1.82f, 2.15f, 3.50f, 2.85f, 3.20f, 3.55f, 3.90f, 4.26f, 4.62f, 4.96f,  // 250
    5.35f, 5.70f, 6.04f, 6.40f, 6.75f, 7.12f, 7.45f, 7.80f, 8.15f, 8.50f,  // 260
    8.85f, 9.17f, 9.50f, 9.85f, 10.15f, 10.46f, 10.80f, 11.10f, 11.40f, 11.70f,  // 270
    12.00f, 12.29f, 12.57f, 12.85f, 13.10f, 13.35f, 13.62f, 13.85f, 14.10f, 14.32f,  // 280
    14.52f, 14.74f, 14.92f, 15.10f, 15.26f, 15.26f, 15.60f, 15.72f, 15.85f, 15.95f,  // 290
    16.05f, 16.14f, 16.22f, 16.28f, 16.35f, 16.36f, 16.36f, 16.40f, 16.26f, 16.40f,  // 300
    16.35f, 16.32f, 16.27f, 16.20f, 16.10f, 16.02f, 15.90f, 15.75f, 15.64f, 15.50f,  // 310
    15.30f, 15.12f, 14.94f, 14.72f, 14.50f, 14.25f, 14.00f, 13.75f, 13.45f, 13.15f,  // 320
    12.85f, 12.52f, 12.52f, 11.85f, 11.50f, 11.14f, 10.75f, 10.40f, 10.00f, 9.60f,  // 330
    9.17f, 8.75f, 8.32f, 7.85f, 7.44f, 6.96f, 6.52f, 6.05f, 5.60f, 5.10f,  // 340
    4.62f, 4.14f, 3.67f, 3.15f, 2.67f, 2.15f, 1.66f, 1.15f, 0.00f, -0.17f,  // 350
    -0.34f, -0.84f, -1.35f, -1.82f, -2.30f, -2.80f,  // 360
};

std::string_view MansionName(int mansion) {
  return mansion >= 0 && mansion < kMansionCount ? NthChar(kMansionChars, mansion) : std::string_view();
}

std::string_view BodyChar(int body) {
  return body >= 0 && body < kChartBodyCount ? astro::kChartBodyShortNames[body] : std::string_view();
}

std::string_view ElementName(int element) {
  return element >= 0 && element < 5 ? NthChar(kElementChars, element) : std::string_view();
}

std::string_view PalaceName(int palaceNumber, bool male) {
  if (palaceNumber < 0 || palaceNumber >= kBranchCount) return {};
  return NthChar(male ? kPalaceMale : kPalaceFemale, palaceNumber);
}

ChartBody PalaceLordOf(int branch) { return static_cast<ChartBody>(kPalaceLords[((branch % 12) + 12) % 12]); }

ChartBody MansionLordOf(int mansion) {
  return static_cast<ChartBody>(kMansionLordCycle[(((mansion - 1) % 7) + 7) % 7]);
}

double NormalizeDegrees(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::fmod(v, 360.0);
  if (v < 0) v += 360.0;
  return v >= 360.0 ? 0.0 : v;
}

int BranchOfLongitude(double longitude) {
  int b = 11 - static_cast<int>(std::trunc(NormalizeDegrees(longitude) / 30.0));
  return b < 0 ? b + 12 : b;
}

int NayinElementOf(int g) {
  g = ((g % 60) + 60) % 60;
  if (g == 0) g = 60;
  if (g % 2 == 0) g -= 1;
  static constexpr int kBase[5] = {37, 1, 13, 49, 25};  // 庚子 甲子 丙子 壬子 戊子
  static constexpr int kSteps[6] = {0, 8, 16, 30, 38, 46};
  for (int e = 0; e < 5; ++e) {
    int d = (((g - kBase[e]) % 60) + 60) % 60;
    for (int s : kSteps)
      if (d == s) return e;
  }
  return 0;
}

MansionPlace FindMansion(double longitude, double origin) {
  double a = origin;
  for (int i = 0; i < kMansionCount; ++i) {
    double b = longitude - a;
    if (b < 0) b += 360;
    if (b >= 0 && b < kMansionWidths[i]) return {static_cast<uint8_t>(i), b};
    a += kMansionWidths[i];
  }
  return {};
}

double EquatorialOf(double longitude, double latitude) {
  const double l = longitude * kRad, b = latitude * kRad;
  double a = std::atan((std::sin(l) * std::cos(b) * std::cos(kChartObliquity) -
                        std::sin(b) * std::sin(kChartObliquity)) /
                       (std::cos(b) * std::cos(l))) /
             kRad;
  if (std::cos(l) < 0)
    a += 180;
  else if (a < 0)
    a += 360;
  return NormalizeDegrees(a);
}

int AspectOf(double a, double b, int orb) {
  float d = static_cast<float>(std::fabs(a - b));
  if (d > 180) d = 360 - d;
  const float o = static_cast<float>(orb);
  if (o > d) return 0;
  auto open = [&](float c) { return c - o <= d && d < c + o; };
  auto closed = [&](float c) { return c - o <= d && d <= c + o; };
  if (open(30)) return 1;
  if (open(60)) return 2;
  if (open(90)) return 3;
  if (open(120)) return 4;
  if (180 - o <= d && d <= 180) return 5;
  if (closed(45)) return 6;
  if (closed(135)) return 7;
  if (closed(150)) return 8;
  return -1;
}

double SunRightAscension(double a) {
  double alpha = std::atan(std::tan(a * kRad) * 0.9175) / kRad;
  if (a > 90 && a < 270)
    alpha += 180;
  else if (a >= 270)
    alpha += 360;
  return alpha;
}

double AscendantOf(double ramc, double latitude) {
  const double r = ramc * kRad, p = latitude * kRad;
  const double se = std::sin(kChartObliquity), ce = std::cos(kChartObliquity);
  const double c = std::sin(p) * ce - std::cos(p) * std::sin(r) * se;
  double x = (std::cos(p) * std::sin(r) + se * c) / (ce * std::sqrt(1 - c * c));
  // The quotient is a sine, but rounding can take it a hair past ±1 (at a
  // RAMC of 90° or 270°), and where the ecliptic lies in the horizon it is
  // 0/0; either would make the ascendant and every palace undefined.
  if (std::isnan(x)) x = 0;
  x = x > 1 ? 1 : (x < -1 ? -1 : x);
  double u = std::asin(x) / kRad;
  if (std::cos(r) <= 0)
    u = 180 - u;
  else if (u < 0)
    u += 360;
  double asc = u + 90;
  if (asc >= 360) asc -= 360;
  return NormalizeDegrees(asc);
}

std::string DignityText(int body, int branch, int mansion) {
  if (body < 0 || body >= kRatedBodyCount || branch < 0 || branch >= kBranchCount) return {};
  std::string text;
  const unsigned bit = 1u << branch;
  const Dignities& d = kDignities[body];
  if (body < kSevenGovernors && PalaceLordOf(branch) == body) text += InScript("垣");
  if (body < kSevenGovernors && MansionLordOf(mansion) == body) text += InScript("殿");
  if (d.miao & bit) text += InScript("庙");
  if (d.wang & bit) text += InScript("旺");
  if (d.xi & bit) text += InScript("喜");
  if (d.le & bit) text += InScript("乐");
  return text;
}

std::string BenefactorText(int lord) {
  if (lord == astro::kChartSun) return InScript("恩:金 用:火 仇:土 难:木");
  if (lord == astro::kChartMoon) return InScript("恩:金 用:木 仇:火 难:土");
  const int e = PlanetElement(lord);
  std::string text = InScript("恩:");
  text += InScript(ElementName((e + 4) % 5));
  text += InScript(" 用:");
  text += InScript(ElementName((e + 1) % 5));
  text += InScript(" 仇:");
  text += InScript(ElementName((e + 2) % 5));
  text += InScript(" 难:");
  text += InScript(ElementName((e + 3) % 5));
  return text;
}

}  // namespace lumtar
