#include "mastrocalc.h"

#include <cmath>
#include <iterator>

#include "planets.h"

namespace lumtar::astro {

namespace {

// 1600-01-01 00:00 UT, the origin of the day count of the remainders.
constexpr double kRemainderEpoch = 2305447.5;
constexpr int kStationsPerSide = 20;

double Reduce360(double v) { return v - 360 * std::floor(v / 360); }

double JulianDayOfBeijing(const DateTime& m) {
  return JulianDayOfCalendar(m.year, m.month, m.day + (m.hour + m.minute / 60.0) / 24);
}

// A station found from t as a Beijing-time Julian day.
double StationAsBeijingDay(double s) {
  const double days = s * 36525;
  return days + kJ2000 - DeltaTDays(days) + kBeijingOffsetDays;
}

}  // namespace

MAstroCalc::MAstroCalc() : jdUt_(JulianDayOfClock(clock_) - kBeijingOffsetDays) {}

void MAstroCalc::SetMoment(const DateTime& beijing) {
  clock_ = ClockTime{beijing.year, beijing.month, beijing.day, beijing.hour, beijing.minute, 0};
  jdUt_ = JulianDayOfBeijing(beijing) - kBeijingOffsetDays;
}

int64_t MAstroCalc::DayCount() const {
  const double n = std::trunc(jdUt_ - kRemainderEpoch + 1);
  if (!(std::fabs(n) < 9e15)) return 0;
  return static_cast<int64_t>(n);
}

void MAstroCalc::BodyPosition(int index, double& longitude, double& latitude) const {
  if (index < 0 || index >= kChartBodyCount) return;
  const int body = kEphemerisBodyOfChart[index];
  if (body == 0) return;
  const EclipticPosition p = ApparentPosition(body, (jdUt_ - kJ2000) / 36525);
  longitude = p.longitude;
  latitude = p.latitude;
}

void MAstroCalc::LunarNodes(double& luohou, double& jidu, uint8_t convention) const {
  const double a = Reduce360(0.052953924 * static_cast<double>(DayCount()));
  double ascending = 301.540314 - a;
  if (ascending < 0) ascending += 360;
  const double descending = Reduce360(ascending + 180);
  if (convention != 0) {
    luohou = ascending;
    jidu = descending;
  } else {
    luohou = descending;
    jidu = ascending;
  }
}

void MAstroCalc::ZiqiAndYuebei(double& ziqi, double& yuebei) const {
  const double n = static_cast<double>(DayCount());
  ziqi = Reduce360(85.92762053 + 0.035200938 * n);
  yuebei = Reduce360(193.110485 + 0.111365843 * n);
}

uint8_t MAstroCalc::MotionState(int index, const DateTime& beijing) const {
  if (index < 0 || index >= kChartBodyCount) return kMotionNone;
  const int body = kEphemerisBodyOfChart[index];
  if (body == 0 || body >= 8) return kMotionNone;

  // The stations of this planet searched from the start of the year three
  // years before the moment's year.
  StationCache* c = nullptr;
  for (StationCache& e : cache_)
    if (e.body == body && e.year == beijing.year) c = &e;
  if (c == nullptr) {
    c = &cache_[cacheNext_];
    cacheNext_ = (cacheNext_ + 1) % static_cast<int>(std::size(cache_));
    *c = StationCache{};
    c->body = body;
    c->year = beijing.year;
    c->next[0] = c->next[1] = (JulianDayOfCalendar(beijing.year - 3, 1, 1.0) - kJ2000) / 36525;
  }
  const double period = kSynodicPeriodDays[body] / 36525;
  // The stations of one side come one after the other, each searched from
  // the one before; only as many are found as the question needs.
  auto station = [&](StationSide side, int i) {
    const int k = static_cast<int>(side);
    while (c->known[k] <= i) {
      const double s = StationTime(body, c->next[k], side);
      c->next[k] = s + period;
      c->at[k][c->known[k]++] = StationAsBeijingDay(s);
    }
    return c->at[k][i];
  };
  auto start = [&](int i) { return station(StationSide::Before, i); };
  auto end = [&](int i) { return station(StationSide::After, i); };

  const double j = JulianDayOfBeijing(beijing);
  for (int i = 0; i < kStationsPerSide - 1; ++i) {
    if (start(i) <= j && j < end(i)) return kMotionRetrograde;
    if (end(i) <= j && j < start(i + 1)) return kMotionDirect;
  }
  return kMotionNone;
}

BodyPositionSet MAstroCalc::ChartPositions(const DateTime& beijing, uint8_t nodeConvention, bool withMotion) {
  BodyPositionSet set;
  SetMoment(beijing);
  LunarNodes(set.body[kChartLuohou].longitude, set.body[kChartJidu].longitude, nodeConvention);
  ZiqiAndYuebei(set.body[kChartZiqi].longitude, set.body[kChartYuebei].longitude);
  for (int i = 0; i < kChartBodyCount; ++i) {
    if (kEphemerisBodyOfChart[i] == 0) continue;
    BodyPosition(i, set.body[i].longitude, set.body[i].latitude);
    if (withMotion) set.body[i].motion = MotionState(i, beijing);
  }
  return set;
}

}  // namespace lumtar::astro
