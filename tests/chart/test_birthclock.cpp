// The birth clock: births read on the clock of their place's time zone,
// checked against UTC worked out apart from this program (Python's zoneinfo
// over the same tzdata, 2025b), and the header and annual lines that state
// the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "birthclock.h"
#include "chartheader.h"
#include "chartrequests.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

struct Moment {
  int year, month, day, hour, minute;
};

struct Birth {
  const char* what;
  const char* zone;
  Moment local;        // the clock time on the birth certificate
  int utcOffset;       // seconds east of UTC then
  int dst;             // of which daylight-saving time
  Moment beijing;      // the same moment as UTC+8 civil time
  int beijingSeconds;  // seconds after that minute (local mean times have them)
  bool ambiguous;      // the clock showed that time twice
};

// Worked out with Python's zoneinfo: datetime(local, tzinfo=ZoneInfo(zone),
// fold=0), its utcoffset() and dst(), and astimezone(UTC) + 8 hours.
const Birth kBirths[] = {
    {"北京 1988 夏令时", "Asia/Shanghai", {1988, 7, 15, 10, 0}, 32400, 3600, {1988, 7, 15, 9, 0}, 0, false},
    {"上海 1947 夏令时", "Asia/Shanghai", {1947, 6, 1, 12, 0}, 32400, 3600, {1947, 6, 1, 11, 0}, 0, false},
    {"台北 1960 夏令时", "Asia/Taipei", {1960, 7, 1, 12, 0}, 32400, 3600, {1960, 7, 1, 11, 0}, 0, false},
    {"香港 1975 夏令时", "Asia/Hong_Kong", {1975, 6, 1, 12, 0}, 32400, 3600, {1975, 6, 1, 11, 0}, 0, false},
    {"澳门 1975 夏令时", "Asia/Macau", {1975, 6, 1, 12, 0}, 32400, 3600, {1975, 6, 1, 11, 0}, 0, false},
    {"新加坡 1970 UTC+7:30", "Asia/Singapore", {1970, 3, 1, 12, 0}, 27000, 0, {1970, 3, 1, 12, 30}, 0, false},
    {"新加坡 1985 UTC+8", "Asia/Singapore", {1985, 3, 1, 12, 0}, 28800, 0, {1985, 3, 1, 12, 0}, 0, false},
    {"吉隆坡 1975", "Asia/Kuala_Lumpur", {1975, 9, 1, 8, 15}, 27000, 0, {1975, 9, 1, 8, 45}, 0, false},
    {"纽约 1969 夏令时", "America/New_York", {1969, 7, 20, 22, 56}, -14400, 3600, {1969, 7, 21, 10, 56}, 0, false},
    {"纽约 1969 冬", "America/New_York", {1969, 1, 20, 22, 56}, -18000, 0, {1969, 1, 21, 11, 56}, 0, false},
    {"加尔各答", "Asia/Kolkata", {1985, 1, 26, 9, 0}, 19800, 0, {1985, 1, 26, 11, 30}, 0, false},
    {"加德满都 1990", "Asia/Kathmandu", {1990, 5, 1, 6, 0}, 20700, 0, {1990, 5, 1, 8, 15}, 0, false},
    {"阿德莱德 夏", "Australia/Adelaide", {2000, 1, 15, 18, 0}, 37800, 3600, {2000, 1, 15, 15, 30}, 0, false},
    {"伦敦 1990 夏", "Europe/London", {1990, 7, 1, 12, 0}, 3600, 3600, {1990, 7, 1, 19, 0}, 0, false},
    {"东京 1950 夏令时", "Asia/Tokyo", {1950, 7, 1, 12, 0}, 36000, 3600, {1950, 7, 1, 10, 0}, 0, false},
    {"纽芬兰 夏", "America/St_Johns", {1990, 7, 1, 12, 0}, -9000, 3600, {1990, 7, 1, 22, 30}, 0, false},
    {"北京 2000 元旦零时", "Asia/Shanghai", {2000, 1, 1, 0, 0}, 28800, 0, {2000, 1, 1, 0, 0}, 0, false},
    {"上海 1988 重复时刻", "Asia/Shanghai", {1988, 9, 11, 1, 30}, 32400, 3600, {1988, 9, 11, 0, 30}, 0, true},
    {"纽约 2021 重复时刻", "America/New_York", {2021, 11, 7, 1, 30}, -14400, 3600, {2021, 11, 7, 13, 30}, 0, true},
};

ChartRequest ZoneRequest(const Moment& t, const char* zone, DstChoice choice = DstChoice::Auto) {
  ChartRequest r = test::MakeRequest(t.year, t.month, t.day, t.hour, t.minute);
  r.SetTimeZoneName(zone);
  r.dstChoice = static_cast<uint8_t>(choice);
  return r;
}

class BirthClockTest : public ::testing::Test {
 protected:
  void SetUp() override { engine.SetSettingsPath((dir / "set.ini").string()); }
  double BeijingJd(const Moment& t, int seconds) {
    return dates.JulianDayOf(DateTime{static_cast<int16_t>(t.year), static_cast<int16_t>(t.month),
                                      static_cast<int16_t>(t.day), static_cast<int16_t>(t.hour),
                                      static_cast<int16_t>(t.minute)}) +
           seconds / 86400.0;
  }
  test::TempDir dir;
  CVoVirer engine;
  calendar::MYiDateEx dates;
};

TEST_F(BirthClockTest, BirthsAroundTheWorldGetTheirRealClock) {
  for (const Birth& b : kBirths) {
    SCOPED_TRACE(b.what);
    ASSERT_TRUE(engine.ComputeNatal(ZoneRequest(b.local, b.zone))) << engine.lastError;
    const ChartModel& m = engine.model;
    EXPECT_EQ(m.clock.zone, b.zone);
    EXPECT_EQ(m.clock.UtcOffset(), b.utcOffset);
    EXPECT_EQ(m.clock.dstOffset, b.dst);
    EXPECT_EQ(m.clock.ambiguous, b.ambiguous);
    EXPECT_NEAR(m.birthJd, BeijingJd(b.beijing, b.beijingSeconds), 1e-8);
    const Moment got{m.beijingMoment.year, m.beijingMoment.month, m.beijingMoment.day, m.beijingMoment.hour,
                     m.beijingMoment.minute};
    EXPECT_EQ(got.year * 100000000LL + got.month * 1000000 + got.day * 10000 + got.hour * 100 + got.minute,
              b.beijing.year * 100000000LL + b.beijing.month * 1000000 + b.beijing.day * 10000 +
                  b.beijing.hour * 100 + b.beijing.minute);
    // The entered moment stays the clock time.
    EXPECT_NEAR(m.inputJd, BeijingJd(b.local, 0), 1e-9);
    // The model's whole-hour zone is the one nearest to the clock.
    EXPECT_EQ(m.request.timeZoneIndex, HoursEastOfZone(NearestWholeHourZone(b.utcOffset)));
  }
}

// Before a zone's first standard time its clock is the mean solar time of
// its city (tzdata's LMT); a birth elsewhere in the zone is read on its own
// place's mean time, longitude × 4 minutes, as the clocks there were set.
TEST_F(BirthClockTest, BeforeStandardTimeABirthReadsItsPlacesMeanTime) {
  struct Case {
    const char* what;
    const char* zone;
    Moment local;
    float longitude;
    int utcOffset;
    const char* line;
  };
  const Case cases[] = {
      // Kathmandu itself: tzdata's own LMT, UTC+5:41:16, to the second.
      {"加德满都 1910", "Asia/Kathmandu", {1910, 5, 1, 6, 0}, 85.3167f, 20476, "时区:Asia/Kathmandu 地方平时 UTC+5:41:16"},
      // Chengdu in 1711 on the zone named after Shanghai: Chengdu's time,
      // not Shanghai's UTC+8:05:43 (69 minutes apart).
      {"成都 1711", "Asia/Shanghai", {1711, 9, 25, 18, 5}, 104.0667f, 24976, "时区:Asia/Shanghai 地方平时 UTC+6:56:16"},
      {"纽约 1850", "America/New_York", {1850, 3, 1, 12, 0}, -74.0f, -17760, "时区:America/New_York 地方平时 UTC-4:56"},
      // From 1901 the zone's standard time, wherever the place lies.
      {"成都 1950", "Asia/Shanghai", {1950, 3, 1, 12, 0}, 104.0667f, 28800, "时区:东八区"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChartRequest r = ZoneRequest(c.local, c.zone);
    r.longitude = c.longitude;
    ASSERT_TRUE(engine.ComputeNatal(r)) << engine.lastError;
    EXPECT_EQ(engine.model.clock.UtcOffset(), c.utcOffset);
    EXPECT_NEAR(engine.model.birthJd, engine.model.inputJd + (28800 - c.utcOffset) / 86400.0, 1e-9);
    EXPECT_EQ(HeaderLines(engine)[4].text, c.line);
    // The panel's indicator reads the same clock.
    BirthClock clock;
    ASSERT_TRUE(engine.ReadBirthClock(r, &clock));
    EXPECT_EQ(clock.UtcOffset(), c.utcOffset);
  }
  // An annual chart on the birth's own clock keeps the place's mean time.
  ChartRequest r = ZoneRequest({1711, 9, 25, 18, 5}, "Asia/Shanghai");
  r.longitude = 104.0667f;
  ASSERT_TRUE(engine.ComputeNatal(r));
  ASSERT_TRUE(engine.ComputeAnnual(kLocalTimeZoneIndex, engine.model.inputJd)) << engine.lastError;
  EXPECT_NEAR(engine.annual.jd8, engine.model.birthJd, 1e-9);
}

// A repeated hour: the daylight-saving reading unless the standard one is
// asked for (worked out with fold=1).
TEST_F(BirthClockTest, TheStandardReadingOfARepeatedHour) {
  struct Case {
    const char* zone;
    Moment local;
    int utcOffset;
    Moment beijing;
  };
  const Case cases[] = {
      {"Asia/Shanghai", {1988, 9, 11, 1, 30}, 28800, {1988, 9, 11, 1, 30}},
      {"America/New_York", {2021, 11, 7, 1, 30}, -18000, {2021, 11, 7, 14, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    for (DstChoice choice : {DstChoice::Auto, DstChoice::Daylight}) {
      ASSERT_TRUE(engine.ComputeNatal(ZoneRequest(c.local, c.zone, choice)));
      EXPECT_EQ(engine.model.clock.otherOffset, c.utcOffset);
    }
    ASSERT_TRUE(engine.ComputeNatal(ZoneRequest(c.local, c.zone, DstChoice::Standard)));
    EXPECT_TRUE(engine.model.clock.ambiguous);
    EXPECT_EQ(engine.model.clock.UtcOffset(), c.utcOffset);
    EXPECT_EQ(engine.model.clock.dstOffset, 0);
    EXPECT_NEAR(engine.model.birthJd, BeijingJd(c.beijing, 0), 1e-8);
  }
}

// Clocks set forward: the skipped times never happened and are refused,
// saying how far the clocks jumped; the model stays as it was.
TEST_F(BirthClockTest, ASkippedTimeIsRefused) {
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 10, 30)));
  const double before = engine.model.birthJd;
  for (const auto& [zone, t] : std::vector<std::pair<const char*, Moment>>{
           {"America/New_York", {2021, 3, 14, 2, 30}},
           {"Asia/Shanghai", {1986, 5, 4, 2, 30}},
           {"Asia/Shanghai", {1986, 5, 4, 2, 0}}}) {
    SCOPED_TRACE(zone);
    EXPECT_FALSE(engine.ComputeNatal(ZoneRequest(t, zone)));
    EXPECT_EQ(engine.lastError, "当地时钟在这时拨快了1小时，不存在这个时间");
    for (DstChoice choice : {DstChoice::Daylight, DstChoice::Standard})
      EXPECT_FALSE(engine.ComputeNatal(ZoneRequest(t, zone, choice)));
  }
  EXPECT_EQ(engine.model.birthJd, before);
  // The minute before the jump and the first minute after it exist.
  EXPECT_TRUE(engine.ComputeNatal(ZoneRequest({1986, 5, 4, 1, 59}, "Asia/Shanghai")));
  EXPECT_EQ(engine.model.clock.dstOffset, 0);
  EXPECT_TRUE(engine.ComputeNatal(ZoneRequest({1986, 5, 4, 3, 0}, "Asia/Shanghai")));
  EXPECT_EQ(engine.model.clock.dstOffset, 3600);
  // Singapore's move from +7:30 to +8 skipped the last half hour of 1981.
  EXPECT_FALSE(engine.ComputeNatal(ZoneRequest({1981, 12, 31, 23, 40}, "Asia/Singapore")));
  EXPECT_EQ(engine.lastError, "当地时钟在这时拨快了30分钟，不存在这个时间");
}

TEST_F(BirthClockTest, AnUnknownZoneIsRefused) {
  EXPECT_FALSE(engine.ComputeNatal(ZoneRequest({1990, 3, 7, 10, 30}, "Asia/Nowhere")));
  EXPECT_EQ(engine.lastError, kUnknownTimeZone);
}

// The whole-hour zones read exactly as before, whatever the request's zone
// fields would say once empty.
TEST_F(BirthClockTest, WholeHourZonesAreUnchanged) {
  for (int zone : {0, 8, 12, 13, 23}) {
    SCOPED_TRACE(zone);
    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 10, 30, zone)));
    EXPECT_EQ(engine.model.birthJd, engine.model.inputJd + (8 - HoursEastOfZone(zone)) / 24.0);
    EXPECT_EQ(engine.model.clock.zone, "");
    EXPECT_EQ(engine.model.clock.UtcOffset(), HoursEastOfZone(zone) * 3600);
  }
}

// A lunar date is read on the clock of the Gregorian day it falls on.
TEST_F(BirthClockTest, ALunarDateReadsTheClockOfItsDay) {
  ChartRequest r = test::MakeRequest(1988, 6, 2, 10, 0, 8, 116.4f, 39.9f, true);  // 1988-07-15
  r.SetTimeZoneName("Asia/Shanghai");
  BirthClock clock;
  ASSERT_TRUE(engine.ReadBirthClock(r, &clock)) << engine.lastError;
  EXPECT_EQ(clock.dstOffset, 3600);
  ASSERT_TRUE(engine.ComputeNatal(r));
  EXPECT_EQ(engine.model.beijingMoment.hour, 9);
  EXPECT_EQ(engine.model.beijingMoment.day, 15);
}

TEST_F(BirthClockTest, TheHeaderStatesTheClock) {
  struct Case {
    const char* zone;
    Moment local;
    const char* line;
  };
  const Case cases[] = {
      {"Asia/Singapore", {1970, 3, 1, 12, 0}, "时区:Asia/Singapore UTC+7:30"},
      {"America/New_York", {1969, 7, 20, 22, 56}, "时区:America/New_York UTC-5 夏令时 已减1小时"},
      {"Asia/Shanghai", {1988, 7, 15, 10, 0}, "时区:Asia/Shanghai UTC+8 夏令时 已减1小时"},
      // A whole-hour clock without summer time as the list names it.
      {"Asia/Shanghai", {2000, 1, 1, 0, 0}, "时区:东八区"},
      {"Europe/London", {1990, 1, 1, 12, 0}, "时区:零时区"},
      {"America/New_York", {1969, 1, 20, 22, 56}, "时区:西五区"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(engine.ComputeNatal(ZoneRequest(c.local, c.zone)));
    const std::vector<HeaderLine> lines = HeaderLines(engine);
    EXPECT_EQ(lines[4].text, c.line);
  }
}

TEST_F(BirthClockTest, AnnualChartsReadTheirMomentOnAClockToo) {
  ASSERT_TRUE(engine.ComputeNatal(ZoneRequest({1970, 3, 1, 12, 0}, "Asia/Singapore")));
  // The birth moment itself on the birth's clock is an annual moment.
  ASSERT_TRUE(engine.ComputeAnnual(kLocalTimeZoneIndex, engine.model.inputJd)) << engine.lastError;
  EXPECT_NEAR(engine.annual.jd8, engine.model.birthJd, 1e-9);
  EXPECT_EQ(engine.annual.clock.zone, "Asia/Singapore");
  EXPECT_EQ(AnnualLines(engine.annual)[0], "流盘:1970-3-1 12:30 Asia/Singapore UTC+7:30");
  // Another zone's clock: New York 2000-07-04 12:00 (EDT) is 2000-07-05 00:00 UTC+8.
  const double jd = dates.JulianDayOf(DateTime{2000, 7, 4, 12, 0});
  ASSERT_TRUE(engine.ComputeAnnual(kLocalTimeZoneIndex, jd, "America/New_York"));
  EXPECT_EQ(engine.annual.moment.day, 5);
  EXPECT_EQ(engine.annual.moment.hour, 0);
  EXPECT_EQ(AnnualLines(engine.annual)[0], "流盘:2000-7-5 0:0 America/New_York UTC-5 夏令时 已减1小时");
  // A whole-hour zone as before.
  ASSERT_TRUE(engine.ComputeAnnual(8, jd));
  EXPECT_EQ(AnnualLines(engine.annual)[0], "流盘:2000-7-4 12:0 东八区");
  // A skipped time is refused.
  EXPECT_FALSE(engine.ComputeAnnual(kLocalTimeZoneIndex, dates.JulianDayOf(DateTime{2021, 3, 14, 2, 30}),
                                    "America/New_York"));
  EXPECT_EQ(engine.lastError, "当地时钟在这时拨快了1小时，不存在这个时间");
  // A natal chart in a whole-hour zone has no clock of its own to offer:
  // the position is one beyond the list.
  ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(1990, 3, 7, 10, 30)));
  EXPECT_FALSE(engine.ComputeAnnual(kLocalTimeZoneIndex, jd));
  EXPECT_EQ(engine.lastError, kBadTimeZone);
}

TEST(BirthClockTexts, OffsetsDurationsAndNearestZones) {
  EXPECT_EQ(UtcOffsetText(8 * 3600), "UTC+8");
  EXPECT_EQ(UtcOffsetText(27000), "UTC+7:30");
  EXPECT_EQ(UtcOffsetText(-12600), "UTC-3:30");
  EXPECT_EQ(UtcOffsetText(29143), "UTC+8:05:43");
  EXPECT_EQ(UtcOffsetText(0), "UTC+0");
  EXPECT_EQ(DurationText(3600), "1小时");
  EXPECT_EQ(DurationText(1800), "30分钟");
  EXPECT_EQ(DurationText(5400), "1小时30分钟");
  EXPECT_EQ(DurationText(7200), "2小时");
  struct Nearest {
    int offset;
    int position;
  };
  for (const Nearest& n : {Nearest{8 * 3600, 8}, Nearest{27000, 8}, Nearest{19800, 6}, Nearest{20700, 6},
                           Nearest{-12600, 16}, Nearest{-9000, 15}, Nearest{0, 0}, Nearest{14 * 3600, 12},
                           Nearest{-12 * 3600, 23}, Nearest{45900, 12}}) {
    SCOPED_TRACE(n.offset);
    EXPECT_EQ(NearestWholeHourZone(n.offset), n.position);
  }
}

TEST(BirthClockTexts, TheZoneListKeepsItsPositions) {
  // Cases store positions: these must never move.
  EXPECT_EQ(ZoneName(1), "Africa/Abidjan");
  EXPECT_EQ(ZoneNumber("Asia/Shanghai"), 313);
  EXPECT_EQ(ZoneNumber("Asia/Taipei"), 316);
  EXPECT_EQ(ZoneNumber("Asia/Hong_Kong"), 271);
  EXPECT_EQ(ZoneNumber("Asia/Macau"), 291);
  EXPECT_EQ(ZoneNumber("Asia/Singapore"), 314);
  EXPECT_EQ(ZoneNumber("Nowhere/Else"), 0);
  EXPECT_EQ(ZoneName(0), "");
  EXPECT_EQ(ZoneName(ZoneCount() + 1), "");
  for (int i = 1; i <= ZoneCount(); ++i) EXPECT_EQ(ZoneNumber(ZoneName(i)), i);
  // The database of the system knows every zone of the list.
  for (int i = 1; i <= ZoneCount(); ++i) EXPECT_TRUE(IsKnownZone(std::string(ZoneName(i)))) << ZoneName(i);
}

}  // namespace
