#include "mastrocalc.h"

#include <cmath>
#include <iterator>

#include "planets.h"

namespace lumtar::astro {

namespace {

// 1600-01-01 00:00 UT, the origin of the day count of the remainders.
constexpr double kRemainderEpoch = 2305447.5;

double Reduce360(double v) { return v - 360 * std::floor(v / 360); }

double JulianDayOfBeijing(const DateTime& m) {
  return JulianDayOfCalendar(m.year, m.month, m.day + (m.hour + m.minute / 60.0) / 24);
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

  const double j = JulianDayOfBeijing(beijing);
  uint8_t state = kMotionNone;
  if (TabulatedMotionState(body, beijing.year, j, &state)) return state;

  // Outside the table: the chain of the moment's year, searched.
  StationChain* c = nullptr;
  for (StationChain& e : cache_)
    if (e.body() == body && e.year() == beijing.year) c = &e;
  if (c == nullptr) {
    c = &cache_[cacheNext_];
    cacheNext_ = (cacheNext_ + 1) % static_cast<int>(std::size(cache_));
    *c = StationChain(body, beijing.year);
  }
  return c->StateAt(j);
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
