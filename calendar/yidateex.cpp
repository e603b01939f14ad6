// The date service.
#include "yidateex.h"

#include <cmath>

#include "planets.h"
#include "precession.h"
#include "script.h"

namespace lumtar::calendar {

namespace {

using astro::kPi;

constexpr double kBeijingOffset = 8.0 / 24;

int FloorMod(long long a, int m) { return static_cast<int>(((a % m) + m) % m); }

// The longitude's residue in [0, 360) and the term index it belongs to.
int TermIndexOfLongitude(int lambda) {
  const int r = FloorMod(lambda, 360);
  return (r > 284 ? r - 285 : r + 75) / 15 % 24;
}

constexpr const char* kDigits[10] = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

std::string NumeralText(int n) {
  if (n >= 1 && n <= 9) return kDigits[n];
  if (n == 10) return "十";
  if (n >= 11 && n <= 19) return std::string("十") + kDigits[n % 10];
  if (n == 20) return "二十";
  if (n >= 21 && n <= 29) return std::string("廿") + kDigits[n % 10];
  if (n == 30) return "三十";
  std::string text;
  long long v = n;
  if (v < 0) {
    text = "前";
    v = -v;
  }
  std::string digits = std::to_string(v);
  if (n == 0) digits = "0000";
  for (char c : digits) text += kDigits[c - '0'];
  return text;
}

}  // namespace

double MYiDateEx::JulianDayOf(const DateTime& t) {
  clock_ = {t.year, t.month, t.day, t.hour, t.minute, 1};
  return astro::JulianDayOfClock(clock_);
}

void MYiDateEx::DateTimeOf(double jd, DateTime& out) const { out = astro::DateTimeOfJulianDay(jd); }

bool MYiDateEx::IsValidSolarDate(const DateTime& t) {
  // The month and the day must name a day at all: a month outside 1..12 or a
  // day below 1 is no date.
  if (t.month < 1 || t.month > 12 || t.day < 1) return false;
  if (t.year == 1582 && t.month == 10 && t.day >= 5 && t.day <= 14) return false;
  const int n = (t.year == 1582 && t.month == 10 && t.day > 14) ? t.day - 10 : t.day;
  const DateTime first{t.year, t.month, 1, 12, 1};
  DateTime next = first;
  if (t.month == 12) {
    next.year = static_cast<int16_t>(t.year + 1);
    next.month = 1;
  } else {
    next.month = static_cast<int16_t>(t.month + 1);
  }
  const double nextJd = JulianDayOf(next);
  const int length = static_cast<int>(std::floor(nextJd - JulianDayOf(first)));
  return length >= n;
}

void MYiDateEx::AddOneDay(DateTime& t) { DateTimeOf(JulianDayOf(t) + 1, t); }

int MYiDateEx::WeekdayOf(const DateTime& t) {
  const double jd = JulianDayOf({t.year, t.month, t.day, 12, 0});
  return FloorMod(static_cast<long long>(std::floor(jd)) + 1, 7);
}

int MYiDateEx::DayPillarOf(const DateTime& t) {
  const double jd = JulianDayOf({t.year, t.month, t.day, 12, 0});
  return FloorMod(static_cast<long long>(std::floor(jd)) + 50, 60);
}

int MYiDateEx::SexagenaryIndex(int stem, int branch) {
  int d = stem - branch;
  if (d < 0) d += 12;
  return stem + 10 * (d / 2);
}

double MYiDateEx::TermJulianDay(int year, double lambda) const {
  const double w = 2 * kPi * ((year - 2000) + lambda / 360 + 1);
  const double x = 36525 * astro::TimeOfSunLongitude(w);
  return x + astro::kJ2000 + kBeijingOffset - astro::DeltaTDays(x);
}

double MYiDateEx::TermMomentJd(int year, double lambda, DateTime& moment) {
  DateTimeOf(TermJulianDay(year, lambda), moment);
  return JulianDayOf(moment);
}

void MYiDateEx::SolarTermMoment(int16_t year, int16_t month, bool jie, DateTime& out) {
  const int lambda = (2 * month + (jie ? 0 : 1) - 2) * 15 - 75;
  DateTimeOf(TermJulianDay(year, lambda), out);
}

int MYiDateEx::MonthTermsAround(const DateTime& t, DateTime& jieBefore, DateTime& principal, DateTime& jieAfter) {
  const double j = JulianDayOf(t);
  int n = 30 * t.month - 105;
  // A moment equal to a term's moment belongs to the month the term opens.
  // The bound only guards against a moment that is no number.
  for (int guard = 0; guard < 1000; ++guard) {
    if (j < TermMomentJd(t.year, n, jieBefore))
      n -= 30;
    else if (j >= TermMomentJd(t.year, n + 30, jieAfter))
      n += 30;
    else
      break;
  }
  TermMomentJd(t.year, n, jieBefore);
  TermMomentJd(t.year, n + 15, principal);
  TermMomentJd(t.year, n + 30, jieAfter);
  while (n < 0) n += 360;
  return ((n - 285 < 0 ? n + 75 : n - 285) / 30 + 2) % 12;
}

std::vector<SolarTermEntry> MYiDateEx::YearSolarTerms(int year) {
  std::vector<SolarTermEntry> terms;
  DateTime moment;
  int b = -75;
  for (int guard = 0; guard < 48; ++guard, b -= 15) {
    DateTimeOf(TermJulianDay(year, b), moment);
    if (moment.year < year || moment.year < -4713) break;
  }
  for (int lambda = b + 15; terms.size() < 48; lambda += 15) {
    DateTimeOf(TermJulianDay(year, lambda), moment);
    if (moment.year != year || moment.year > 9999) break;
    terms.push_back({moment, static_cast<int16_t>(TermIndexOfLongitude(lambda))});
  }
  SolarTermEntry end;
  end.moment.year = kEndOfTermsYear;
  terms.push_back(end);
  return terms;
}

namespace {

// Apparent minus mean solar time, days, at T Julian centuries of dynamical
// time.
double EquationOfTime(double t) {
  using astro::kArcsecPerRad;
  const double t2 = t * t, t3 = t2 * t, t4 = t3 * t, t5 = t4 * t;
  const double meanLongitude = (1753470142 + 628331965331.8 * t + 5296.74 * t2 + 0.432 * t3 - 0.1124 * t4 -
                                0.00009 * t5) * 1e-9 + kPi - 20.5 / kArcsecPerRad;
  const double node = 2.1824 - 33.75705 * t;
  const double dpsi = -17.2 * std::sin(node) / kArcsecPerRad;
  const double deps = 9.2 * std::cos(node) / kArcsecPerRad;
  const double eps = astro::MeanObliquity(t) + deps;
  astro::SphericalPos sun;
  sun.lon = astro::EarthLongitude(t, 50) + kPi + astro::SunAberration(t) + dpsi;
  sun.lat = -(2796 * std::cos(3.1987 + 8433.46616 * t) + 1016 * std::cos(5.4225 + 550.75532 * t) +
              804 * std::cos(3.88 + 522.3694 * t)) * 1e-9;
  sun.radius = 1;
  astro::SphericalPos eq = astro::RotateSpherical(sun, eps);
  eq.lon -= dpsi * std::cos(eps);
  return astro::WrapAngle(meanLongitude - eq.lon) / (2 * kPi);
}

}  // namespace

double MYiDateEx::EquationOfTimeSeconds(const DateTime& t) {
  const double x =
      astro::JulianDayOfCalendar(t.year, t.month, t.day + (t.hour + t.minute / 60.0) / 24) - kBeijingOffset -
      astro::kJ2000;
  return EquationOfTime((x + astro::DeltaTDays(x)) / 36525) * 86400;
}

int MYiDateEx::ApplyPillarTime(float longitude, DateTime& t, int mode) {
  // A longitude that is no place on Earth leaves the moment as it is.
  if (!std::isfinite(longitude) || longitude < -180 || longitude > 360) return 0;
  const double j = JulianDayOf(t);
  const int e = mode == kTrueSolarTime ? static_cast<int>(std::trunc(EquationOfTimeSeconds(t))) : 0;
  // Four minutes per degree from the 120° meridian of Beijing time, in whole
  // seconds of the single-precision longitude.
  const double shift = std::floor((120.0 - static_cast<double>(longitude)) * 240);
  DateTimeOf(j + (e - shift) / 86400, t);
  return e;
}

FourPillarIndexes MYiDateEx::FourPillars(const DateTime& b, const DateTime& p) {
  FourPillarIndexes out;
  // The year turns at 立春.
  DateTime spring;
  SolarTermMoment(b.year, 2, true, spring);
  const bool afterSpring = JulianDayOf(b) >= JulianDayOf(spring);
  out.year = static_cast<int16_t>(FloorMod(b.year + 6896 + (afterSpring ? 1 : 0), 60));

  // The month turns at each 节; the 寅 month of a 甲 or 己 year is 丙寅.
  DateTime before, principal, after;
  const int m = MonthTermsAround(b, before, principal, after);
  const int k = m > 2 ? m - 3 : m + 9;
  int ys = out.year % 10;
  if (ys == 0) ys = 10;
  if (ys >= 6) ys -= 5;
  out.month = static_cast<int16_t>(SexagenaryIndex(((2 * ys + 1) % 10 + k) % 10, (k + 3) % 12));

  // The day turns at 23:00.
  int day = DayPillarOf(p);
  if (p.hour == 23) day = (day + 1) % 60;
  out.day = static_cast<int16_t>(day);

  // 23:00 to 0:59 is the 子 hour of the next day; a 甲 day starts with 甲子.
  int h = FloorMod(p.hour, 24);
  if (h % 2 == 1) h = (h + 1) % 24;
  int ds = day % 10;
  if (ds == 0) ds = 5;
  out.hour = static_cast<int16_t>(SexagenaryIndex((h / 2 + 2 * ds - 1) % 10, (h / 2 + 1) % 12));
  return out;
}

bool MYiDateEx::LunarDateOfDay(int d, DateTime& lunar) {
  BuildLunarYear(d);
  const int b = MonthIndexOfDay(d);
  lunar.year = static_cast<int16_t>(LunarYearOfDay(d));
  lunar.month = static_cast<int16_t>(layout_.monthNumbers[b]);
  lunar.day = static_cast<int16_t>(d - layout_.newMoons[b] + 1);
  return layout_.leap != 0 && b == layout_.leap;
}

bool MYiDateEx::SolarToLunar(const DateTime& civil, DateTime& lunar) {
  const int d = static_cast<int>(
      std::floor(astro::JulianDayOfCalendar(civil.year, civil.month, civil.day + (12 + 1.0 / 3600) / 24)) -
      astro::kJ2000);
  lastDay_ = d;
  const bool leap = LunarDateOfDay(d, lunar);
  lunar.hour = civil.hour;
  lunar.minute = civil.minute;
  return leap;
}

bool MYiDateEx::LunarToSolar(const DateTime& lunar, bool leap, DateTime& civil, std::string& message) {
  message.clear();
  // Start at the civil date with the same numbers and walk toward the wanted
  // lunar date, at most half a year.
  DateTime start{lunar.year, lunar.month, lunar.day, 12, 0};
  if (start.month == 2 && start.day > 28) start.day = 28;
  const double startJd = astro::JulianDayOfCalendar(start.year, start.month, start.day + (12 + 1.0 / 3600) / 24);

  // Month 13 is the extra month that closes a year of the ancient calendars.
  const bool plausible = lunar.month >= 1 && lunar.month <= 13 && lunar.day >= 1 && lunar.day <= 30;
  if (plausible) {
    DateTime startLunar;
    const bool startLeap = SolarToLunar(start, startLunar);
    auto order = [](const DateTime& x, bool isLeap) {
      return std::floor(29.5 * x.month) + 354.0 * x.year + x.day + (isLeap ? 30 : 0);
    };
    const double toward = order(lunar, leap) < order(startLunar, startLeap) ? -1 : 1;
    // The order puts the days of a leap month among those of the month after
    // it, so from a start in a leap month the wanted day can lie the other
    // way (the years of 新, whose months are named a month early); a walk
    // that finds nothing turns back. Each walk goes on past half a year, as
    // far as a lunar year reaches: 武周's 腊月 (month 12) opened its civil
    // year, eleven months before the civil month of that number. Within half
    // a year the first walk finds what it always found.
    for (const double step : {toward, -toward}) {
      double j = startJd;
      for (int i = 0; i < 400; ++i, j += step) {
        const int d = static_cast<int>(std::floor(j) - astro::kJ2000);
        DateTime found;
        const bool foundLeap = LunarDateOfDay(d, found);
        lastDay_ = d;
        if (found.year == lunar.year && found.month == lunar.month && found.day == lunar.day && foundLeap == leap) {
          DateTimeOf(j, civil);
          civil.hour = lunar.hour;
          civil.minute = lunar.minute;
          return true;
        }
      }
    }
  }
  message = kNoSuchLunarDate;
  return false;
}

const char* MYiDateEx::ChineseNumeral(int16_t n) {
  numeral_ = NumeralText(n);
  return numeral_.c_str();
}

std::string LunarMonthText(int month, bool leap) {
  std::string text = leap ? InScript("闰") : "";
  text += month == 1 ? InScript("正") : NumeralText(month);
  return text + InScript("月");
}

std::string LunarDayText(int day) {
  return day >= 1 && day <= 10 ? InScript("初") + NumeralText(day) : NumeralText(day);
}

}  // namespace lumtar::calendar
