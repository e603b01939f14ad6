#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <cstring>
#include <vector>

#include "mastrocalc.h"
#include "planets.h"

using namespace lumtar::astro;

TEST(ChartBodies, NamesAndEphemerisBodies) {
  const char* names[] = {"太阳", "月亮", "水星", "金星", "火星", "木星", "土星",
                         "罗喉", "计都", "紫气", "月孛", "天王星", "海王星", "冥王星"};
  const char* shortNames[] = {"日", "月", "水", "金", "火", "木", "土", "罗", "计", "气", "孛", "天", "海", "冥"};
  const int bodies[] = {9, 10, 1, 2, 3, 4, 5, 0, 0, 0, 0, 6, 7, 8};
  for (int i = 0; i < kChartBodyCount; ++i) {
    EXPECT_STREQ(kChartBodyNames[i], names[i]);
    EXPECT_STREQ(kChartBodyShortNames[i], shortNames[i]);
    EXPECT_EQ(kEphemerisBodyOfChart[i], bodies[i]);
  }
}

TEST(MAstroCalc, RemaindersOnTheFirstDayOf1600) {
  MAstroCalc m;
  m.SetMoment({1600, 1, 1, 8, 0});  // 00:00 UT
  EXPECT_EQ(m.DayCount(), 1);
  double luohou, jidu, ziqi, yuebei;
  m.LunarNodes(luohou, jidu, 1);
  EXPECT_NEAR(luohou, 301.487360, 5e-7);
  EXPECT_NEAR(jidu, 121.487360, 5e-7);
  m.ZiqiAndYuebei(ziqi, yuebei);
  EXPECT_NEAR(ziqi, 85.962821, 5e-7);
  EXPECT_NEAR(yuebei, 193.221851, 5e-7);
  m.SetMoment({1600, 1, 1, 7, 59});  // the last minute of 1599 in UT
  EXPECT_EQ(m.DayCount(), 0);
}

TEST(MAstroCalc, NodeConventionsAndDailySteps) {
  const DateTime moments[] = {{1600, 1, 1, 8, 0}, {1777, 7, 7, 3, 3}, {1949, 10, 1, 15, 0},
                              {2000, 1, 1, 12, 0}, {2099, 12, 31, 23, 59}};
  for (const DateTime& d : moments) {
    MAstroCalc m;
    m.SetMoment(d);
    double r0, j0, r1, j1;
    m.LunarNodes(r0, j0, 0);
    m.LunarNodes(r1, j1, 1);
    EXPECT_EQ(r0, j1);
    EXPECT_EQ(j0, r1);
    EXPECT_NEAR(std::fmod(r0 - j0 + 360, 360), 180, 1e-9);
    for (double v : {r0, j0}) {
      EXPECT_GE(v, 0);
      EXPECT_LT(v, 360);
    }
  }
  // Within one universal-time day (Beijing 08:00 to 07:59 the next day) the
  // remainders stay; at 08:00 they step.
  auto remainders = [](const DateTime& d) {
    MAstroCalc m;
    m.SetMoment(d);
    double v[4];
    m.LunarNodes(v[0], v[1], 0);
    m.ZiqiAndYuebei(v[2], v[3]);
    return std::array<double, 4>{v[0], v[1], v[2], v[3]};
  };
  EXPECT_EQ(remainders({1988, 5, 5, 8, 0}), remainders({1988, 5, 6, 7, 59}));
  EXPECT_NE(remainders({1988, 5, 6, 7, 59}), remainders({1988, 5, 6, 8, 0}));
}

TEST(MAstroCalc, BodyPositionIsTheApparentPlaceInUniversalTime) {
  MAstroCalc m;
  m.SetMoment({1990, 3, 7, 20, 30});
  const double t = (JulianDayOfCalendar(1990, 3, 7 + 12.5 / 24) - kJ2000) / 36525;
  for (int i = 0; i < kChartBodyCount; ++i) {
    double lon = -1, lat = -1;
    m.BodyPosition(i, lon, lat);
    if (kEphemerisBodyOfChart[i] == 0) {
      EXPECT_EQ(lon, -1);
      EXPECT_EQ(lat, -1);
      continue;
    }
    EclipticPosition p = ApparentPosition(kEphemerisBodyOfChart[i], t);
    EXPECT_NEAR(lon, p.longitude, 1e-7) << i;
    EXPECT_NEAR(lat, p.latitude, 1e-7) << i;
  }
  double lon = -1, lat = -1;
  m.BodyPosition(14, lon, lat);
  m.BodyPosition(-1, lon, lat);
  EXPECT_EQ(lon, -1);
}

TEST(MAstroCalc, MotionStates) {
  MAstroCalc m;
  struct Case {
    int body;
    DateTime when;
    uint8_t state;
  } cases[] = {
      {kChartMercury, {2000, 3, 1, 12, 0}, kMotionRetrograde},
      {kChartMercury, {2000, 4, 1, 12, 0}, kMotionDirect},
      {kChartJupiter, {2000, 10, 1, 0, 0}, kMotionRetrograde},
      {kChartJupiter, {2001, 2, 1, 0, 0}, kMotionDirect},
      {kChartSun, {2000, 3, 1, 12, 0}, kMotionNone},
      {kChartMoon, {2000, 3, 1, 12, 0}, kMotionNone},
      {kChartPluto, {2000, 3, 1, 12, 0}, kMotionNone},
      {kChartLuohou, {2000, 3, 1, 12, 0}, kMotionNone},
      {kChartJidu, {2000, 3, 1, 12, 0}, kMotionNone},
      {kChartZiqi, {2000, 3, 1, 12, 0}, kMotionNone},
      {kChartYuebei, {2000, 3, 1, 12, 0}, kMotionNone},
      {-1, {2000, 3, 1, 12, 0}, kMotionNone},
      {14, {2000, 3, 1, 12, 0}, kMotionNone},
  };
  for (const Case& c : cases) EXPECT_EQ(m.MotionState(c.body, c.when), c.state) << c.body;
}

TEST(MAstroCalc, MotionFlipsAtTheStations) {
  // Mercury's retrograde arc of February-March 2000: the state changes
  // between the two minutes around each station.
  MAstroCalc m;
  auto minuteOf = [](double s, double shiftMinutes) {
    const double d = s * 36525;
    return DateTimeOfJulianDay(d + kJ2000 - DeltaTDays(d) + kBeijingOffsetDays + shiftMinutes / 1440);
  };
  const double from = (2451580.5 - kJ2000) / 36525;
  const double begin = StationTime(kMercury, from, StationSide::Before);
  const double end = StationTime(kMercury, from, StationSide::After);
  EXPECT_EQ(m.MotionState(kChartMercury, minuteOf(begin, -1)), kMotionDirect);
  EXPECT_EQ(m.MotionState(kChartMercury, minuteOf(begin, +1)), kMotionRetrograde);
  EXPECT_EQ(m.MotionState(kChartMercury, minuteOf(end, -1)), kMotionRetrograde);
  EXPECT_EQ(m.MotionState(kChartMercury, minuteOf(end, +1)), kMotionDirect);
}

TEST(MAstroCalc, MotionStatesDoNotDependOnEarlierQuestions) {
  // Many moments asked in one order of one service and in the reverse order
  // of a fresh one give the same states; a third service asks each moment
  // fresh.
  std::vector<std::pair<int, DateTime>> asks;
  for (int year = 1600; year <= 2100; year += 23)
    for (int body : {kChartMercury, kChartVenus, kChartMars, kChartJupiter, kChartSaturn, kChartUranus, kChartNeptune})
      asks.push_back({body, DateTime{static_cast<int16_t>(year), static_cast<int16_t>(1 + (year + body) % 12),
                                     static_cast<int16_t>(1 + year % 28), 12, 0}});
  MAstroCalc forward, backward;
  std::vector<uint8_t> a, b(asks.size());
  for (const auto& [body, when] : asks) a.push_back(forward.MotionState(body, when));
  for (size_t i = asks.size(); i-- > 0;) b[i] = backward.MotionState(asks[i].first, asks[i].second);
  EXPECT_EQ(a, b);
  for (size_t i = 0; i < asks.size(); i += 5) EXPECT_EQ(MAstroCalc().MotionState(asks[i].first, asks[i].second), a[i]);
  int retro = 0;
  for (uint8_t s : a) {
    EXPECT_TRUE(s == kMotionDirect || s == kMotionRetrograde);
    retro += s == kMotionRetrograde;
  }
  EXPECT_GT(retro, 0);
}

TEST(MAstroCalc, ChartPositionsFollowTheSingleCalls) {
  MAstroCalc m;
  const DateTime when{1985, 6, 23, 6, 45};
  BodyPositionSet set = m.ChartPositions(when, 1, true);
  MAstroCalc single;
  single.SetMoment(when);
  double r, j, q, b;
  single.LunarNodes(r, j, 1);
  single.ZiqiAndYuebei(q, b);
  EXPECT_EQ(set.body[kChartLuohou].longitude, r);
  EXPECT_EQ(set.body[kChartJidu].longitude, j);
  EXPECT_EQ(set.body[kChartZiqi].longitude, q);
  EXPECT_EQ(set.body[kChartYuebei].longitude, b);
  for (int i = 0; i < kChartBodyCount; ++i) {
    EXPECT_GE(set.body[i].longitude, 0);
    EXPECT_LT(set.body[i].longitude, 360);
    if (kEphemerisBodyOfChart[i] == 0) {
      EXPECT_EQ(set.body[i].latitude, 0);
      EXPECT_EQ(set.body[i].motion, kMotionNone);
      continue;
    }
    double lon, lat;
    single.BodyPosition(i, lon, lat);
    EXPECT_EQ(set.body[i].longitude, lon);
    EXPECT_EQ(set.body[i].latitude, lat);
    EXPECT_EQ(set.body[i].motion, single.MotionState(i, when));
  }
  BodyPositionSet plain = m.ChartPositions(when, 0, false);
  for (int i = 0; i < kChartBodyCount; ++i) EXPECT_EQ(plain.body[i].motion, kMotionNone);
}

TEST(MAstroCalc, OddMomentsDoNotBreakIt) {
  MAstroCalc m;
  const DateTime odd[] = {{-32768, 1, 1, 0, 0}, {32767, 12, 31, 23, 59}, {2000, 13, 40, 25, 61},
                          {2000, 0, 0, -5, -5}, {0, 2, 29, 12, 0}};
  for (const DateTime& d : odd) {
    BodyPositionSet set = m.ChartPositions(d, 0, true);
    for (int i = 0; i < kChartBodyCount; ++i) EXPECT_LE(set.body[i].motion, kMotionRetrograde);
  }
}
