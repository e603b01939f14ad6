#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "chartheader.h"
#include "chartrequests.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

class Natal : public ::testing::Test {
 protected:
  void SetUp() override { engine.SetSettingsPath((dir / "set.ini").string()); }

  void Settings(ChartSettings s) { ASSERT_TRUE(SaveChartSettings((dir / "set.ini").string(), s)); }

  static ChartRequest Request(int y, int mo, int d, int h, int mi, int zone = 8, float lon = 116.4167f,
                              float lat = 39.9f) {
    return test::MakeRequest(y, mo, d, h, mi, zone, lon, lat);
  }

  static ChartRequest Lunar(int y, int mo, int d, bool leap, int h = 12) {
    return test::MakeRequest(y, mo, d, h, 0, 8, 116.4167f, 39.9f, true, leap);
  }

  test::TempDir dir;
  CVoVirer engine;
  calendar::MYiDateEx dates;  // an independent date service for expectations
};

DateTime Moment(int y, int mo, int d, int h, int mi) {
  return DateTime{static_cast<int16_t>(y), static_cast<int16_t>(mo), static_cast<int16_t>(d),
                  static_cast<int16_t>(h), static_cast<int16_t>(mi)};
}

// The parts of a model that a later chart or overlay reads.
bool SameModel(const ChartModel& a, const ChartModel& b) {
  // Field by field: the request's padding bytes hold whatever was there.
  const ChartRequest &r = a.request, &q = b.request;
  if (std::memcmp(r.name, q.name, sizeof r.name) != 0 || r.year != q.year || r.month != q.month ||
      r.day != q.day || r.hour != q.hour || r.minute != q.minute || r.timeZoneIndex != q.timeZoneIndex ||
      r.isLunar != q.isLunar || r.isLeapMonth != q.isLeapMonth || r.isMale != q.isMale ||
      r.provinceIndex != q.provinceIndex || r.cityIndex != q.cityIndex || r.longitude != q.longitude ||
      r.latitude != q.latitude || std::memcmp(r.placeName, q.placeName, sizeof r.placeName) != 0)
    return false;
  if (!(a.settings == b.settings) || a.chartMode != b.chartMode || a.inputJd != b.inputJd ||
      a.birthJd != b.birthJd || !(a.beijingMoment == b.beijingMoment) || !(a.pillarMoment == b.pillarMoment) ||
      !(a.lunarDate == b.lunarDate) || a.yearPillar != b.yearPillar || a.monthPillar != b.monthPillar ||
      a.dayPillar != b.dayPillar || a.hourPillar != b.hourPillar || a.nayinElement != b.nayinElement ||
      a.mansionOrigin != b.mansionOrigin || a.ascendantLongitude != b.ascendantLongitude ||
      a.ageOffset != b.ageOffset)
    return false;
  for (int i = 0; i < kPlaceCount; ++i) {
    const BodyPlace &p = a.places[i], &q = b.places[i];
    if (p.longitude != q.longitude || p.latitude != q.latitude || p.branch != q.branch ||
        p.palaceNumber != q.palaceNumber || p.mansion != q.mansion || p.degreeInSign != q.degreeInSign ||
        p.degreeInMansion != q.degreeInMansion || p.motion != q.motion)
      return false;
  }
  return true;
}

}  // namespace

TEST_F(Natal, BirthAt2330BelongsToTheNextDay) {
  ASSERT_TRUE(engine.ComputeNatal(Request(2000, 3, 15, 23, 30))) << engine.lastError;
  const ChartModel& m = engine.model;
  EXPECT_EQ(m.pillarMoment, Moment(2000, 3, 15, 23, 30));  // keeps the entered day
  EXPECT_EQ(m.dayPillar, 10);                               // 癸酉, the pillar of 03-16
  EXPECT_EQ(m.hourPillar % 12, 1);                          // the 子 hour
  EXPECT_EQ(m.lunarDate, Moment(2000, 2, 11, 23, 30));      // 二月十一 is 03-16
  EXPECT_EQ(m.request.isLeapMonth, 0);
}

TEST_F(Natal, LichunBoundarySwitchesTheYearPillar) {
  // 立春 1984 fell at 23:18:44 Beijing time on 02-04.
  ASSERT_TRUE(engine.ComputeNatal(Request(1984, 2, 4, 23, 18)));
  EXPECT_EQ(engine.model.yearPillar, 0);  // 癸亥
  ASSERT_TRUE(engine.ComputeNatal(Request(1984, 2, 4, 23, 19)));
  EXPECT_EQ(engine.model.yearPillar, 1);  // 甲子
  EXPECT_EQ(engine.model.nayinElement, kMetal);
  ASSERT_TRUE(engine.ComputeNatal(Request(1984, 2, 4, 10, 0)));
  EXPECT_EQ(engine.model.yearPillar, 0);  // the day of 立春, before its moment
}

TEST_F(Natal, TimeZonesShiftToBeijingTime) {
  struct Case {
    int zone, day, hour, hoursEast;
  } cases[] = {{0, 1, 4, 0}, {8, 1, 12, 8}, {12, 1, 16, 12}, {13, 1, 3, -1}, {23, 31, 17, -11}};
  for (const Case& c : cases) {
    ASSERT_TRUE(engine.ComputeNatal(Request(2000, c.day == 31 ? 5 : 6, c.day, c.hour, 0, c.zone))) << c.zone;
    const ChartModel& m = engine.model;
    EXPECT_EQ(m.beijingMoment, Moment(2000, 6, 1, 12, 0)) << c.zone;
    EXPECT_EQ(m.request.timeZoneIndex, c.hoursEast);
    EXPECT_NEAR(m.birthJd - m.inputJd, (8 - c.hoursEast) / 24.0, 1e-9) << c.zone;
  }
}

TEST_F(Natal, PillarTimeMovesAcrossMidnight) {
  Settings({0, 0xFFFFFF, 0, 3, 0, 2});  // local mean time
  ASSERT_TRUE(engine.ComputeNatal(Request(2000, 3, 1, 0, 10, 8, 100.0f)));
  const ChartModel& m = engine.model;
  EXPECT_EQ(m.beijingMoment, Moment(2000, 3, 1, 0, 10));
  EXPECT_EQ(m.pillarMoment, Moment(2000, 2, 29, 22, 50));  // 80 minutes earlier at 100°E
  EXPECT_EQ(m.dayPillar, 54);                               // 丁巳, the day of 02-29
  DateTime lunar;
  dates.SolarToLunar(Moment(2000, 2, 29, 22, 50), lunar);
  EXPECT_EQ(m.lunarDate, lunar);
  // The mansion origin follows the pillar moment's year.
  EXPECT_NEAR(m.mansionOrigin, 189.37 + 100 * 50.27 / 3600, 1e-9);
}

TEST_F(Natal, PillarTimeOutsideTheYearsFails) {
  struct Case {
    int pillarTime;
    int y, mo, d, h, mi;
    float lon;
  } cases[] = {
      {2, 619, 1, 1, 0, 10, 100.0f},      // back into 618
      {2, 2100, 12, 31, 23, 30, 130.0f},  // on into 2101
      {1, 2100, 12, 31, 23, 50, 125.0f},  // true solar time, likewise
      {0, 2100, 12, 31, 23, 10, 116.0f},  // 23:00 already counts as the next day
  };
  for (const Case& c : cases) {
    Settings({0, 0xFFFFFF, 0, 3, 0, static_cast<uint8_t>(c.pillarTime)});
    EXPECT_FALSE(engine.ComputeNatal(Request(c.y, c.mo, c.d, c.h, c.mi, 8, c.lon))) << c.y;
    EXPECT_EQ(engine.lastError, kYearOutOfRange) << c.y;
  }
}

TEST_F(Natal, AscendantByHourBranch) {
  Settings({0, 0xFFFFFF, 0, 3, 1, 0});
  ASSERT_TRUE(engine.ComputeNatal(Request(2000, 6, 1, 6, 0)));  // 卯 hour
  const BodyPlace& sun = engine.model.places[astro::kChartSun];
  const BodyPlace& asc = engine.model.places[kAscendantPlace];
  EXPECT_EQ(engine.model.hourPillar % 12, 4);
  EXPECT_EQ(asc.branch, sun.branch);
  EXPECT_NEAR(asc.longitude, sun.longitude, 1e-9);
  EXPECT_EQ(asc.palaceNumber, 0);
  EXPECT_EQ(sun.palaceNumber, 0);

  ASSERT_TRUE(engine.ComputeNatal(Request(2000, 6, 1, 8, 0)));  // 辰 hour: one branch back
  const BodyPlace& sun2 = engine.model.places[astro::kChartSun];
  const BodyPlace& asc2 = engine.model.places[kAscendantPlace];
  EXPECT_EQ(asc2.branch, (sun2.branch + 11) % 12);
  EXPECT_NEAR(asc2.degreeInSign, sun2.degreeInSign, 1e-9);
  EXPECT_EQ(sun2.palaceNumber, 11);
}

TEST_F(Natal, PlacesAreConsistent) {
  for (uint8_t frame : {0, 1}) {
    Settings({frame, 0xFFFFFF, 0, 3, 0, 0});
    ASSERT_TRUE(engine.ComputeNatal(Request(1990, 3, 7, 14, 25, 8, 120.0f, 30.0f)));
    const ChartModel& m = engine.model;
    const double eclipticOrigin = 189.37 + 90 * 50.27 / 3600;
    EXPECT_NEAR(m.mansionOrigin, frame ? EquatorialOf(eclipticOrigin, 0) : eclipticOrigin, 1e-9);
    const int asc = m.places[kAscendantPlace].branch;
    for (int k = 0; k < kPlaceCount; ++k) {
      const BodyPlace& p = m.places[k];
      EXPECT_GE(p.longitude, 0);
      EXPECT_LT(p.longitude, 360);
      EXPECT_EQ(p.branch, BranchOfLongitude(p.longitude)) << k;
      EXPECT_NEAR(p.degreeInSign, p.longitude - SignStart(p.branch), 1e-12);
      EXPECT_GE(p.degreeInSign, 0);
      EXPECT_LT(p.degreeInSign, 30);
      EXPECT_EQ(p.palaceNumber, (asc - p.branch + 12) % 12) << k;
      MansionPlace mp = FindMansion(p.longitude, m.mansionOrigin);  // the widths stay in either frame
      EXPECT_EQ(p.mansion, mp.mansion) << k;
      EXPECT_EQ(p.degreeInMansion, mp.degree) << k;
    }
    for (int k = astro::kChartLuohou; k <= astro::kChartYuebei; ++k) {
      EXPECT_EQ(m.places[k].latitude, 0);
      EXPECT_EQ(m.places[k].motion, 0);
    }
    // The nodes lie on the ecliptic, opposite each other; so do their right
    // ascensions.
    EXPECT_NEAR(std::fabs(m.places[astro::kChartLuohou].longitude - m.places[astro::kChartJidu].longitude), 180,
                frame ? 1e-6 : 1e-9);
    // 身宫 is the Moon's place, without its motion.
    BodyPlace body = m.places[kBodyPalacePlace], moon = m.places[astro::kChartMoon];
    EXPECT_EQ(body.longitude, moon.longitude);
    EXPECT_EQ(body.latitude, moon.latitude);
    EXPECT_EQ(body.branch, moon.branch);
    EXPECT_EQ(body.palaceNumber, moon.palaceNumber);
    EXPECT_EQ(body.mansion, moon.mansion);
    EXPECT_EQ(body.degreeInMansion, moon.degreeInMansion);
    EXPECT_EQ(body.motion, 0);
    // The first life period after 命宫 begins ten years plus a third of the
    // Sun's degree in its sign after birth (whole years of 365.2421 days, the
    // rest in days of 365.25 to the year); the age offset is the calendar
    // year it begins in less the year of birth, 1990-03-07 14:25.
    {
      using namespace std::chrono;
      const double third = m.places[astro::kChartSun].degreeInSign / 3;
      const double whole = std::trunc(third);
      const double after = (10 + whole) * 365.2421 + std::trunc((third - whole) * 365.25);
      const sys_seconds birth = sys_days{year{1990} / 3 / 7} + hours{14} + minutes{25};
      const sys_days begins = floor<days>(birth + seconds{std::llround(after * 86400)});
      EXPECT_EQ(m.ageOffset, static_cast<int>(year_month_day{begins}.year()) - 1990)
          << "the Sun at " << m.places[astro::kChartSun].degreeInSign << " degrees of its sign";
    }
    EXPECT_EQ(m.chartMode, 0);
  }
}

TEST_F(Natal, LunarRequests) {
  ASSERT_TRUE(engine.ComputeNatal(Lunar(2023, 2, 1, true))) << engine.lastError;
  EXPECT_EQ(engine.model.beijingMoment, Moment(2023, 3, 22, 12, 0));
  EXPECT_EQ(engine.model.lunarDate, Moment(2023, 2, 1, 12, 0));
  EXPECT_EQ(engine.model.request.isLeapMonth, 1);
  ASSERT_TRUE(engine.ComputeNatal(Lunar(2023, 2, 1, false)));
  EXPECT_EQ(engine.model.beijingMoment, Moment(2023, 2, 20, 12, 0));
  EXPECT_EQ(engine.model.request.isLeapMonth, 0);
  // A Gregorian request on a day of a leap month gets the computed flag.
  ASSERT_TRUE(engine.ComputeNatal(Request(2023, 3, 22, 12, 0)));
  EXPECT_EQ(engine.model.request.isLeapMonth, 1);
}

TEST_F(Natal, BadRequestsFailAndKeepTheChart) {
  ASSERT_TRUE(engine.ComputeNatal(Request(1990, 3, 7, 14, 25)));
  const ChartModel kept = engine.model;

  struct Case {
    ChartRequest request;
    std::string message;
  };
  auto with = [](ChartRequest r, auto change) {
    change(r);
    return r;
  };
  const ChartRequest ok = Request(1990, 3, 7, 14, 25);
  const std::vector<Case> cases = {
      {Request(2001, 4, 31, 12, 0), kNoSuchDate},
      {Request(2001, 2, 29, 12, 0), kNoSuchDate},
      {Request(1582, 10, 10, 12, 0), kNoSuchDate},
      {Request(2001, 13, 1, 12, 0), kNoSuchDate},
      {Request(2001, 0, 1, 12, 0), kNoSuchDate},
      {Request(2001, 1, 0, 12, 0), kNoSuchDate},
      {Request(2001, 1, -5, 12, 0), kNoSuchDate},
      {Request(618, 12, 31, 12, 0), kYearOutOfRange},
      {Request(2101, 6, 1, 12, 0), kYearOutOfRange},
      {Request(-32768, 6, 1, 12, 0), kYearOutOfRange},
      {Request(32767, 6, 1, 12, 0), kYearOutOfRange},
      {Lunar(1999, 12, 30, false), calendar::kNoSuchLunarDate},  // that month has 29 days
      {Lunar(2023, 3, 1, true), calendar::kNoSuchLunarDate},     // 2023 has no leap third month
      {Lunar(2023, 13, 1, false), calendar::kNoSuchLunarDate},
      {Lunar(2023, 5, 31, false), calendar::kNoSuchLunarDate},
      {Lunar(2100, 12, 25, false), kYearOutOfRange},  // falls in 2101
      {Lunar(617, 12, 1, false), kYearOutOfRange},
      {Lunar(-32768, 1, 1, false), kYearOutOfRange},
      {Request(2001, 6, 1, 24, 0), kNoSuchTime},
      {Request(2001, 6, 1, -1, 0), kNoSuchTime},
      {Request(2001, 6, 1, 12, 60), kNoSuchTime},
      {Request(2001, 6, 1, 12, 0, 24), kBadTimeZone},
      {Request(2001, 6, 1, 12, 0, -1), kBadTimeZone},
      {Request(2001, 6, 1, 12, 0, 127), kBadTimeZone},
      {Request(2001, 6, 1, 12, 0, 8, 180.0f), kBadCoordinates},
      {Request(2001, 6, 1, 12, 0, 8, -180.0f), kBadCoordinates},
      {Request(2001, 6, 1, 12, 0, 8, 100.0f, 90.0f), kBadCoordinates},
      {Request(2001, 6, 1, 12, 0, 8, 100.0f, -90.0f), kBadCoordinates},
      {Request(2001, 6, 1, 12, 0, 8, NAN, 30.0f), kBadCoordinates},
      {with(ok, [](ChartRequest& r) { r.latitude = INFINITY; }), kBadCoordinates},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(engine.ComputeNatal(c.request)) << c.message;
    EXPECT_EQ(engine.lastError, c.message) << c.request.year << "-" << c.request.month << "-" << c.request.day;
    EXPECT_TRUE(SameModel(engine.model, kept)) << c.message;
  }
  // A good request afterwards clears the message.
  ASSERT_TRUE(engine.ComputeNatal(ok));
  EXPECT_EQ(engine.lastError, "");
  EXPECT_TRUE(SameModel(engine.model, kept));
}

TEST_F(Natal, UnterminatedTextFieldsAreCut) {
  ChartRequest r = Request(2000, 1, 1, 12, 0);
  std::memset(r.name, 'A', sizeof r.name);
  std::memset(r.placeName, 'B', sizeof r.placeName);
  ASSERT_TRUE(engine.ComputeNatal(r));
  EXPECT_EQ(engine.model.request.NameUtf8(), std::string(sizeof r.name - 1, 'A'));
  EXPECT_EQ(engine.model.request.PlaceNameUtf8(), std::string(sizeof r.placeName - 1, 'B'));
}

namespace {

struct RecordingPainter : ChartPainter {
  std::vector<std::string>* log;
  explicit RecordingPainter(std::vector<std::string>* l) : log(l) {}
  void PaintNatal(CVoVirer& engine) override { log->push_back("paint " + std::to_string(engine.model.chartMode)); }
};

}  // namespace

TEST_F(Natal, DrawsAndAnalysesOnlyAFinishedChart) {
  std::vector<std::string> log;
  RecordingPainter painter(&log);
  engine.SetPainter(&painter);
  engine.SetAnalysis([&](CVoVirer& e) { log.push_back("analysis " + std::to_string(e.model.yearPillar)); });
  EXPECT_EQ(engine.model.chartMode, -1);
  EXPECT_FALSE(engine.ComputeNatal(Request(2001, 4, 31, 12, 0)));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(engine.model.chartMode, -1);
  ASSERT_TRUE(engine.ComputeNatal(Request(1984, 6, 1, 12, 0)));
  EXPECT_EQ(log, (std::vector<std::string>{"paint 0", "analysis 1"}));
}

TEST_F(Natal, AnyRequestGivesAChartOrAMessage) {
  std::mt19937 rng(20240501);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int computed = 0;
  for (int i = 0; i < 60; ++i) {
    ChartRequest r = Request(pick(1590, 2110), pick(-1, 14), pick(-1, 32), pick(-1, 24), pick(-1, 60),
                             pick(-2, 25), static_cast<float>(pick(-1900, 1900)) / 10,
                             static_cast<float>(pick(-950, 950)) / 10);
    r.isLunar = static_cast<uint8_t>(pick(0, 1));
    r.isLeapMonth = static_cast<uint8_t>(pick(0, 3) == 0);
    r.isMale = static_cast<uint8_t>(pick(0, 1));
    Settings({static_cast<uint8_t>(pick(0, 1)), 0xFFFFFF, static_cast<uint8_t>(pick(0, 1)),
              static_cast<uint8_t>(pick(1, 10)), static_cast<uint8_t>(pick(0, 1)), static_cast<uint8_t>(pick(0, 2))});
    if (!engine.ComputeNatal(r)) {
      EXPECT_FALSE(engine.lastError.empty());
      continue;
    }
    ++computed;
    const ChartModel& m = engine.model;
    for (const BodyPlace& p : m.places) {
      EXPECT_TRUE(p.longitude >= 0 && p.longitude < 360);
      EXPECT_LT(p.branch, 12);
      EXPECT_LT(p.mansion, 28);
    }
    EXPECT_FALSE(HeaderLines(engine).empty());
  }
  EXPECT_GT(computed, 5);
}
