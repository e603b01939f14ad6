// The star-position service: the places of the fourteen chart bodies of
// Seven Governors and Four Remainders astrology for one moment, and whether a
// planet is retrograde.
//
// Positions are apparent geocentric ecliptic coordinates of date, degrees.
// The moment given to the series is universal time used as dynamical time.
#pragma once

#include <cstdint>

#include "motionstates.h"
#include "timescale.h"

namespace lumtar::astro {

// The chart body index shared by the whole program.
enum ChartBody : int {
  kChartSun = 0,      // 太阳
  kChartMoon = 1,     // 月亮
  kChartMercury = 2,  // 水星
  kChartVenus = 3,    // 金星
  kChartMars = 4,     // 火星
  kChartJupiter = 5,  // 木星
  kChartSaturn = 6,   // 土星
  kChartLuohou = 7,   // 罗喉
  kChartJidu = 8,     // 计都
  kChartZiqi = 9,     // 紫气
  kChartYuebei = 10,  // 月孛
  kChartUranus = 11,  // 天王星
  kChartNeptune = 12, // 海王星
  kChartPluto = 13,   // 冥王星
};
inline constexpr int kChartBodyCount = 14;

// Names and one-character names, UTF-8.
inline constexpr const char* kChartBodyNames[kChartBodyCount] = {
    "太阳", "月亮", "水星", "金星", "火星", "木星", "土星",
    "罗喉", "计都", "紫气", "月孛", "天王星", "海王星", "冥王星"};
inline constexpr const char* kChartBodyShortNames[kChartBodyCount] = {
    "日", "月", "水", "金", "火", "木", "土", "罗", "计", "气", "孛", "天", "海", "冥"};

// Ephemeris body (planets.h) of each chart body; 0 for the four remainders.
inline constexpr uint8_t kEphemerisBodyOfChart[kChartBodyCount] = {9, 10, 1, 2, 3, 4, 5,
                                                                   0, 0, 0, 0, 6, 7, 8};

// Motion states.
inline constexpr uint8_t kMotionNone = 0;
inline constexpr uint8_t kMotionDirect = 1;
inline constexpr uint8_t kMotionRetrograde = 2;

struct BodyPositionSet {
  struct Entry {
    double longitude = 0;  // degrees, [0, 360)
    double latitude = 0;   // degrees; 0 for the remainders
    uint8_t motion = 0;    // kMotionNone, kMotionDirect or kMotionRetrograde
  };
  Entry body[kChartBodyCount];
};

class MAstroCalc {
 public:
  MAstroCalc();

  // The moment, civil Beijing time. Stores the Julian day in universal time.
  void SetMoment(const DateTime& beijing);

  // Apparent longitude and latitude (degrees) of chart body 0..6 or 11..13 at
  // the current moment. For the remainders and indices out of range the
  // outputs are not touched.
  void BodyPosition(int index, double& longitude, double& latitude) const;

  // 罗喉 and 计都, degrees in [0, 360). A nonzero convention puts 罗喉 on the
  // ascending node (罗北计南); zero, the default, on the descending one.
  void LunarNodes(double& luohou, double& jidu, uint8_t convention) const;

  // 紫气 and 月孛, degrees in [0, 360).
  void ZiqiAndYuebei(double& ziqi, double& yuebei) const;

  // kMotionNone, kMotionDirect or kMotionRetrograde of a chart body at a
  // moment in Beijing time (independent of SetMoment). Only the five
  // classical planets, Uranus and Neptune have a motion state.
  uint8_t MotionState(int index, const DateTime& beijing) const;

  // The whole chart in the order the chart engine asks for it: SetMoment,
  // the remainders, then the bodies 0..6 and 11..13 with their motion states
  // when withMotion is set.
  BodyPositionSet ChartPositions(const DateTime& beijing, uint8_t nodeConvention, bool withMotion);

  const ClockTime& Clock() const { return clock_; }
  double JulianDayUt() const { return jdUt_; }
  // Days counted from 1600-01-01 00:00 UT, the first day being 1.
  int64_t DayCount() const;

 private:
  ClockTime clock_;
  double jdUt_;

  // Station chains of the years outside the table, found as far as a
  // question needed them. They depend on nothing else, so a kept chain
  // answers as a fresh search would.
  mutable StationChain cache_[8];
  mutable int cacheNext_ = 0;
};

}  // namespace lumtar::astro
