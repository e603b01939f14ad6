// Solar terms and new moons, the lunar year layout, and the era names.
#include "lunar.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "correctionpacking.h"
#include "gbk.h"
#include "moon.h"
#include "planets.h"
#include "script.h"
#include "timescale.h"

namespace lumtar::calendar {

namespace {

using astro::kPi;

#include "corrections.inc"

constexpr double kTermP = 7;       // offset p of the solar terms, days
constexpr double kNewMoonP = 14;   // offset p of the new moons, days
constexpr double kTermsEpoch = 2451259;    // vernal equinox of 1999-03-21
constexpr double kNewMoonEpoch = 2451551;  // new moon of 2000-01-06
constexpr double kLunation = 29.5306;
constexpr double kTropicalYear = 365.2422;

struct MeanEpoch {
  double epoch;     // JD
  double interval;  // days; 0 marks the closing JD
};

// The historical mean new moons (平朔): epoch and mean lunation, then the
// closing JD.
constexpr MeanEpoch kMeanNewMoons[] = {
    {1457698.231017, 29.53067166}, {1546082.512234, 29.53085106}, {1640640.7353, 29.5306},
    {1642472.151543, 29.53085439}, {1683430.5093, 29.53086148},   {1752148.041079, 29.53085097},
    {1807665.420323, 29.53059851}, {1883618.1141, 29.5306},       {1907360.7047, 29.5306},
    {1936596.2249, 29.5306},       {1939135.6753, 29.5306},       {1947168.0, 0},
};

// The historical mean solar terms (平气): epoch and mean interval, then the
// closing JD.
constexpr MeanEpoch kMeanTerms[] = {
    {1640650.479938, 15.218425},   {1642476.703182, 15.21874996},  {1683430.515601, 15.218750011},
    {1752157.640664, 15.218749978}, {1807675.003759, 15.218620279}, {1883627.765182, 15.218612292},
    {1907369.1281, 15.218449176},  {1936603.140413, 15.218425},    {1939145.52418, 15.218466998},
    {1947180.7983, 15.218524844},  {1964362.041824, 15.218533526}, {1987372.340971, 15.218513908},
    {1999653.819126, 15.218530782}, {2007445.469786, 15.218535181}, {2021324.917146, 15.218526248},
    {2047257.232342, 15.218519654}, {2070282.898213, 15.218425},    {2073204.87285, 15.218515221},
    {2080144.500926, 15.218530782}, {2086703.688963, 15.218523776}, {2110033.182763, 15.218425},
    {2111190.300888, 15.218425},   {2113731.271005, 15.218515671}, {2120670.840263, 15.218425},
    {2123973.309063, 15.218425},   {2125068.997336, 15.218477932}, {2136026.312633, 15.218472436},
    {2156099.495538, 15.218425},   {2159021.324663, 15.218425},    {2162308.575254, 15.218461742},
    {2178485.706538, 15.218425},   {2178759.662849, 15.218445786}, {2185334.0208, 15.218425},
    {2187525.481425, 15.218425},   {2188621.191481, 15.218437494}, {2322147.76, 0},
};

template <std::size_t N>
double ClosingJd(const MeanEpoch (&table)[N]) {
  return table[N - 1].epoch;
}

// The number of a month by its branch order counted from the month of the
// winter solstice (建子 = 0).
constexpr int kMonthNumberTable[12] = {11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

// First days (JD) of the first and the last month of 武周's calendar, whose
// year opened with the 子 month as 正月 and whose 寅 month was called 一月.
constexpr int kWuZhouFirstMonth = 1973067;
constexpr int kWuZhouLastMonth = 1977052;

// Digit n of a correction string; past its end there is no correction.
int CorrectionAt(const std::string& digits, double n) {
  if (!(n >= 0) || n >= static_cast<double>(digits.size())) return 0;
  return digits[static_cast<std::size_t>(n)] - '0';
}

int FloorMod(int a, int m) { return ((a % m) + m) % m; }

}  // namespace

SSQ_class::SSQ_class()
    : newMoonCorrections_(ExpandCorrections(kNewMoonCorrectionsPacked)),
      termCorrections_(ExpandCorrections(kTermCorrectionsPacked)) {}

SSQ_class::SSQ_class(std::string newMoonCorrections, std::string termCorrections)
    : newMoonCorrections_(std::move(newMoonCorrections)), termCorrections_(std::move(termCorrections)) {}

double SSQ_class::MeanTableStart(EventKind kind) {
  return kind == EventKind::kSolarTerm ? kMeanTerms[0].epoch - kTermP : kMeanNewMoons[0].epoch - kNewMoonP;
}

double SSQ_class::CorrectedRangeStart(EventKind kind) {
  return kind == EventKind::kSolarTerm ? ClosingJd(kMeanTerms) - kTermP : ClosingJd(kMeanNewMoons) - kNewMoonP;
}

int SSQ_class::EventDay(double guess, EventKind kind) const {
  const bool term = kind == EventKind::kSolarTerm;
  const double p = term ? kTermP : kNewMoonP;
  const double j = guess + astro::kJ2000;
  const double f1 = MeanTableStart(kind);
  const double f2 = CorrectedRangeStart(kind);
  const double f3 = kEphemerisRangeStart;

  // k counts the events from the equinox of 1999 (terms) or the new moon of
  // 2000-01-06 (new moons).
  const double k = term ? std::floor((j + p - kTermsEpoch) / kTropicalYear * 24)
                        : std::floor((j + p - kNewMoonEpoch) / kLunation);

  if (j < f1 || j >= f3) {
    const double x = term ? SolarTermHigh(k * kPi / 12) : NewMoonHigh(2 * kPi * k);
    return static_cast<int>(std::floor(x + 0.5));
  }

  if (j < f2) {
    const MeanEpoch* table = term ? kMeanTerms : kMeanNewMoons;
    const double jp = j + p;
    int i = 0;
    while (table[i + 1].interval != 0 && table[i + 1].epoch <= jp) ++i;
    double d = table[i].epoch + table[i].interval * std::floor((jp - table[i].epoch) / table[i].interval);
    d = std::floor(d + 0.5);
    // The month after the Taichu epoch (甲子, -104-12-25) began on 甲午,
    // -103-01-24, a day after the Taichu mean new moon: the reform was
    // proclaimed only in the fifth month of 太初元年 (汉书·武帝纪: 夏五月，
    // 正历), and the Qin-Han calendar still in use, with its months of
    // 29 499/940 days (the row before), put that new moon on 甲午.
    if (d == 1683460) d = 1683461;
    return static_cast<int>(d - astro::kJ2000);
  }

  double d;
  int c;
  if (term) {
    d = std::floor(SolarTermLow(k * kPi / 12) + 0.5);
    c = CorrectionAt(termCorrections_, std::floor((j - f2) / kTropicalYear * 24));
  } else {
    d = std::floor(NewMoonLow(2 * kPi * k) + 0.5);
    c = CorrectionAt(newMoonCorrections_, std::floor((j - f2) / kLunation));
  }
  if (c == 1) return static_cast<int>(d) + 1;
  if (c == 2) return static_cast<int>(d) - 1;
  return static_cast<int>(d);
}

double SSQ_class::NewMoonLow(double w) {
  const double v = 7771.37714500204;
  double t = (w + 1.08472) / v;
  t -= (-0.0000331 * t * t + 0.10976 * std::cos(0.785 + 8328.6914 * t) + 0.02224 * std::cos(0.187 + 7214.0629 * t) -
        0.03342 * std::cos(4.669 + 628.3076 * t)) /
           v +
       (32 * (t + 1.8) * (t + 1.8) - 20) / 86400 / 36525;
  return t * 36525 + 8.0 / 24;
}

double SSQ_class::SolarTermLow(double w) {
  const double v = 628.3319653318;
  double t = (w - 4.895062166) / v;
  t -= (53 * t * t + 334116 * std::cos(4.67 + 628.307585 * t) + 2061 * t * std::cos(2.678 + 628.3076 * t)) / v /
       10000000;
  const double l = 48950621.66 + 6283319653.318 * t + 53 * t * t + 334166 * std::cos(4.669257 + 628.307585 * t) +
                   3489 * std::cos(4.6261 + 1256.61517 * t) + 2060.6 * t * std::cos(2.67823 + 628.307585 * t) -
                   994 - 834 * std::sin(2.1824 - 33.75705 * t);
  t -= (l / 10000000 - w) / 628.332 + (32 * (t + 1.8) * (t + 1.8) - 20) / 86400 / 36525;
  return t * 36525 + 8.0 / 24;
}

namespace {

// The moment (days from J2000, Beijing time) of the ephemeris event at W: the
// quick inversion, or the precise one when the quick result lies within
// `window` seconds of Beijing midnight.
double EphemerisMoment(double (*quick)(double), double (*precise)(double), double w, double window) {
  double x = quick(w) * 36525;
  x = x - astro::DeltaTDays(x) + 8.0 / 24;
  const double s = ((x + 0.5) - std::floor(x + 0.5)) * 86400;  // seconds after midnight
  if (s < window || s > 86400 - window) x = precise(w) * 36525 - astro::DeltaTDays(x) + 8.0 / 24;
  return x;
}

}  // namespace

double SSQ_class::SolarTermHigh(double w) {
  return EphemerisMoment(astro::TimeOfSunLongitudeFast, astro::TimeOfSunLongitude, w, 1200);
}

double SSQ_class::NewMoonHigh(double w) {
  return EphemerisMoment(astro::TimeOfElongationFast, astro::TimeOfElongation, w, 1800);
}

void SSQ_class::BuildLunarYear(double d) {
  // The winter solstice nearest d (355 is the day of the solstice of 2000),
  // moved a year back when it falls after d.
  double w = std::floor((d - 355 + 183) / kTropicalYear) * kTropicalYear + 355;

  int solstice = 0;
  bool found = false;
  for (const SolsticeEntry& e : solsticeCache_) {
    if (e.used && e.estimate == w) {
      solstice = e.day;
      found = true;
      break;
    }
  }
  if (!found) {
    solstice = EventDay(w, EventKind::kSolarTerm);
    solsticeCache_[solsticeNext_] = {w, solstice, true};
    solsticeNext_ = (solsticeNext_ + 1) % kCacheSize;
  }
  if (solstice > d) w -= kTropicalYear;

  for (const LayoutEntry& e : layoutCache_) {
    if (e.used && e.estimate == w) {
      layout_ = e.layout;
      return;
    }
  }
  ComputeLayout(w, layout_);
  layoutCache_[layoutNext_] = {w, layout_, true};
  layoutNext_ = (layoutNext_ + 1) % kCacheSize;
}

void SSQ_class::ComputeLayout(double w, LunarYearLayout& out) const {
  for (int i = 0; i < 25; ++i) out.solarTerms[i] = EventDay(w + 15.2184 * i, EventKind::kSolarTerm);

  double moon = EventDay(out.solarTerms[0], EventKind::kNewMoon);
  if (moon > out.solarTerms[0]) moon -= 29.53;
  for (int i = 0; i < 15; ++i) out.newMoons[i] = EventDay(moon + kLunation * i, EventKind::kNewMoon);

  out.leap = 0;
  for (int i = 0; i < 14; ++i) out.monthNumbers[i] = i;

  const int year = static_cast<int>(std::floor((out.solarTerms[0] + 190) / kTropicalYear)) + 2000;
  if (year >= -721 && year <= -104) {
    NameAncientMonths(out);
    return;
  }

  // 无中气置闰: when thirteen months end before the next winter solstice, the
  // first month without a principal term is the leap month.
  if (out.newMoons[13] <= out.solarTerms[24]) {
    int i = 1;
    while (!(out.newMoons[i + 1] <= out.solarTerms[2 * i] || i == 13)) ++i;
    out.leap = i;
    for (int j = i; j < 14; ++j) {
      out.monthNumbers[j] -= 1;
      if (out.monthNumbers[j] < 1) out.monthNumbers[j] = 12;
    }
  }

  for (int i = 0; i < 14; ++i) {
    const int jd = out.newMoons[i] + static_cast<int>(astro::kJ2000);
    const int v = out.monthNumbers[i];
    int number = kMonthNumberTable[v % 12];
    // The years whose months were named from another branch: 王莽's 新 (9-23)
    // and 魏明帝's 景初 (237-239) began the year with the 丑 month, 唐肃宗 in
    // 761-762 with the 子 month; 武周 (689-700) began with the 子 month named
    // 正月 and its 寅 month kept the name 一月.
    if ((jd >= 1724360 && jd <= 1729794) || (jd >= 1807724 && jd <= 1808699))
      number = kMonthNumberTable[(v + 1) % 12];
    else if (jd >= 1999349 && jd <= 1999467)
      number = kMonthNumberTable[(v + 2) % 12];
    else if (jd >= kWuZhouFirstMonth && jd <= kWuZhouLastMonth && (v % 12 == 0 || v == 2))
      number = 1;
    if (jd == 1729794 || jd == 1808699) number = 12;
    out.monthNumbers[i] = number;
  }
}

void SSQ_class::NameAncientMonths(LunarYearLayout& out) const {
  // The calendars of the 春秋 and 战国 years and of the early 汉: the year
  // starts at a mean new moon, the extra month closes the year.
  struct AncientRule {
    int fromYear;
    double phase, monthsPerYear, base;
    int specialMonth, branchOffset;
  };
  static constexpr AncientRule kRules[] = {
      {-721, 0.342, 12.368422, 993847, 13, 2},
      {-479, 0.5, 12.368422, 905462, 13, 2},
      {-220, 0.866, 12.369, 810904, 10, 11},
  };
  const int year = static_cast<int>(std::floor((out.solarTerms[0] + 190) / kTropicalYear)) + 2000;

  int start[3];
  const AncientRule* rule[3];
  for (int k = 0; k < 3; ++k) {
    const int y = year - 1 + k;
    // The year before the first rule (-722) is counted by the first rule.
    int r = 0;
    while (r + 1 < 3 && kRules[r + 1].fromYear <= y) ++r;
    rule[k] = &kRules[r];
    const double months = std::floor(rule[k]->phase + (y - rule[k]->fromYear) * rule[k]->monthsPerYear);
    start[k] = EventDay(months * kLunation - rule[k]->base, EventKind::kNewMoon);
  }

  for (int i = 0; i < 14; ++i) {
    int k = 2;
    while (k > 0 && out.newMoons[i] < start[k]) --k;
    const int f = static_cast<int>(std::floor((out.newMoons[i] - start[k] + 15) / kLunation));
    out.monthNumbers[i] =
        f < 12 ? kMonthNumberTable[FloorMod(f + rule[k]->branchOffset, 12)] : rule[k]->specialMonth;
  }
}

int SSQ_class::MonthIndexOfDay(int d) const {
  int b = static_cast<int>(std::floor((d - layout_.newMoons[0]) / 30.0));
  if (b < 0) b = 0;
  if (b > 13) b = 13;
  if (b < 13 && d >= layout_.newMoons[b + 1]) ++b;
  return b;
}

int SSQ_class::LunarYearOfDay(int d) const {
  double o = layout_.newMoons[2];
  for (int i = 0; i < 14; ++i) {
    if (layout_.monthNumbers[i] != 1 || (i != 0 && i == layout_.leap)) continue;
    // 武周's 一月 follows 腊月 (12) and does not open a year: counted as one,
    // it would give the days from the winter solstice to it the year before.
    const int jd = layout_.newMoons[i] + static_cast<int>(astro::kJ2000);
    if (i > 0 && layout_.monthNumbers[i - 1] == 12 && jd >= kWuZhouFirstMonth && jd <= kWuZhouLastMonth) continue;
    o = layout_.newMoons[i];
    if (d < o) {
      o -= 365;
      break;
    }
  }
  return static_cast<int>(std::floor((o + 5810) / kTropicalYear + 0.5)) + 1984;
}

// ---------------------------------------------------------------------------
// Era names

namespace {

constexpr EraRow kEraTable[] = {
#include "eratable.inc"
};

}  // namespace

const EraRow* EraTable() { return kEraTable; }
int EraTableSize() { return static_cast<int>(std::size(kEraTable)); }

std::string obb_class::EraNamesOfYear(int year) const {
  std::string text;
  for (const EraRow& row : kEraTable) {
    if (!(row.firstYear <= year && year < row.firstYear + row.yearCount)) continue;
    text += text.empty() ? "[" : "；[";
    text += InScript(GbkFieldToUtf8(row.dynasty, sizeof row.dynasty));
    text += "] ";
    text += InScript(GbkFieldToUtf8(row.title, sizeof row.title));
    text += ' ';
    text += InScript(GbkFieldToUtf8(row.personalName, sizeof row.personalName));
    text += ' ';
    text += InScript(GbkFieldToUtf8(row.eraName, sizeof row.eraName));
    text += std::to_string(year - row.firstYear + row.yearOffset + 1);
    text += InScript("年");
  }
  return text;
}

}  // namespace lumtar::calendar
