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
    {"UTC 1990", "UTC", {1990, 3, 7, 8, 5}, 0, 0, {1990, 3, 7, 16, 5}, 0, false},
    {"UTC 1700", "UTC", {1700, 1, 1, 0, 0}, 0, 0, {1700, 1, 1, 8, 0}, 0, false},
    {"Etc/UTC 1990", "Etc/UTC", {1990, 3, 7, 8, 5}, 0, 0, {1990, 3, 7, 16, 5}, 0, false},
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
      {"成都 1950", "Asia/Shanghai", {1950, 3, 1, 12, 0}, 104.0667f, 28800, "时区:Asia/Shanghai UTC+8"},
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

// Also the names of the database's folder that are no zone: the system's
// own setting, the clocks that count leap seconds, a folder of zones, the
// file of default rules, and a city's name that names no zone.
TEST_F(BirthClockTest, AnUnknownZoneIsRefused) {
  for (const char* zone :
       {"Asia/Nowhere", "localtime", "right/Asia/Shanghai", "right/UTC", "UTC+8", "Asia", "posixrules", "Beijing"}) {
    SCOPED_TRACE(zone);
    EXPECT_FALSE(IsKnownZone(zone));
    EXPECT_FALSE(engine.ComputeNatal(ZoneRequest({1990, 3, 7, 10, 30}, zone)));
    EXPECT_EQ(engine.lastError, kUnknownTimeZone);
  }
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
      // A place's clock is named also when it was a whole hour without
      // summer time.
      {"Asia/Shanghai", {2000, 1, 1, 0, 0}, "时区:Asia/Shanghai UTC+8"},
      {"Europe/London", {1990, 1, 1, 12, 0}, "时区:Europe/London UTC+0"},
      {"America/New_York", {1969, 1, 20, 22, 56}, "时区:America/New_York UTC-5"},
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
  EXPECT_EQ(AnnualLines(engine.annual)[0], "流盘:1970-3-1 12:0 Asia/Singapore UTC+7:30");
  // Another zone's clock: New York 2000-07-04 12:00 (EDT) is 2000-07-05 00:00
  // UTC+8; the line states it on the clock's standard time.
  const double jd = dates.JulianDayOf(DateTime{2000, 7, 4, 12, 0});
  ASSERT_TRUE(engine.ComputeAnnual(kLocalTimeZoneIndex, jd, "America/New_York"));
  EXPECT_EQ(engine.annual.moment.day, 5);
  EXPECT_EQ(engine.annual.moment.hour, 0);
  EXPECT_EQ(AnnualLines(engine.annual)[0], "流盘:2000-7-4 11:0 America/New_York UTC-5 夏令时 已减1小时");
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

// With 北京时间 the pillars of a birth are read on the standard time of its
// own clock: the clock time less its daylight-saving time (Python's
// zoneinfo: the local time less dst()), before standard time the place's
// mean time. Its day and hour pillars and lunar date are then those of a
// 东八区 birth at that reading; on a UTC+8 clock nothing changes.
TEST_F(BirthClockTest, PillarsAreReadOnTheBirthsOwnStandardTime) {
  struct Case {
    const char* what;
    const char* zone;  // nullptr: the whole-hour zone of the list at `zoneIndex`
    int zoneIndex;
    Moment local;
    DstChoice choice;
    Moment standard;
    const char* hour;   // the hour's branch
    const char* label;  // how the header names that time
  };
  const Case cases[] = {
      {"纽约 1990 冬", "America/New_York", 8, {1990, 3, 7, 10, 0}, DstChoice::Auto, {1990, 3, 7, 10, 0}, "巳", "(当地标准时)"},
      {"纽约 1990 夏", "America/New_York", 8, {1990, 7, 15, 10, 0}, DstChoice::Auto, {1990, 7, 15, 9, 0}, "巳", "(当地标准时)"},
      {"纽约 夏夜", "America/New_York", 8, {1990, 7, 15, 23, 30}, DstChoice::Auto, {1990, 7, 15, 22, 30}, "亥", "(当地标准时)"},
      {"纽约 重复时刻 夏令时", "America/New_York", 8, {2021, 11, 7, 1, 30}, DstChoice::Daylight, {2021, 11, 7, 0, 30}, "子", "(当地标准时)"},
      {"纽约 重复时刻 标准时", "America/New_York", 8, {2021, 11, 7, 1, 30}, DstChoice::Standard, {2021, 11, 7, 1, 30}, "丑", "(当地标准时)"},
      {"伦敦 夏 零时半", "Europe/London", 8, {1990, 7, 1, 0, 30}, DstChoice::Auto, {1990, 6, 30, 23, 30}, "子", "(当地标准时)"},
      {"都柏林 夏", "Europe/Dublin", 8, {1990, 7, 15, 12, 0}, DstChoice::Auto, {1990, 7, 15, 11, 0}, "午", "(当地标准时)"},
      {"悉尼 夏", "Australia/Sydney", 8, {2000, 1, 15, 0, 30}, DstChoice::Auto, {2000, 1, 14, 23, 30}, "子", "(当地标准时)"},
      {"加尔各答", "Asia/Kolkata", 8, {1985, 1, 26, 9, 0}, DstChoice::Auto, {1985, 1, 26, 9, 0}, "巳", "(当地标准时)"},
      {"纽约 1850 地方平时", "America/New_York", 8, {1850, 3, 1, 12, 0}, DstChoice::Auto, {1850, 3, 1, 12, 0}, "午", "(地方平时)"},
      {"西五区", nullptr, 17, {1990, 3, 7, 10, 0}, DstChoice::Auto, {1990, 3, 7, 10, 0}, "巳", "(西五区)"},
      {"东九区", nullptr, 9, {1990, 3, 7, 23, 30}, DstChoice::Auto, {1990, 3, 7, 23, 30}, "子", "(东九区)"},
      {"北京 1988 夏令时", "Asia/Shanghai", 8, {1988, 7, 15, 10, 0}, DstChoice::Auto, {1988, 7, 15, 9, 0}, "巳", "(北京时间)"},
      {"东八区", nullptr, 8, {1990, 3, 7, 10, 0}, DstChoice::Auto, {1990, 3, 7, 10, 0}, "巳", "(北京时间)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChartRequest r = c.zone ? ZoneRequest(c.local, c.zone, c.choice)
                            : test::MakeRequest(c.local.year, c.local.month, c.local.day, c.local.hour,
                                                c.local.minute, c.zoneIndex);
    r.longitude = -74.0f;
    ASSERT_TRUE(engine.ComputeNatal(r)) << engine.lastError;
    const ChartModel m = engine.model;
    const DateTime& p = m.pillarMoment;
    EXPECT_EQ(std::vector<int>({p.year, p.month, p.day, p.hour, p.minute}),
              std::vector<int>({c.standard.year, c.standard.month, c.standard.day, c.standard.hour,
                                c.standard.minute}));
    const std::vector<HeaderLine> lines = HeaderLines(engine);
    EXPECT_EQ(lines[8].text, "公历:" + std::to_string(c.standard.year) + "年" + std::to_string(c.standard.month) +
                                 "月" + std::to_string(c.standard.day) + "日" + std::to_string(c.standard.hour) +
                                 "时" + std::to_string(c.standard.minute) + "分" + c.label);
    EXPECT_EQ(lines[9].text.substr(lines[9].text.size() - 6), std::string(c.hour) + "时") << lines[9].text;

    ASSERT_TRUE(engine.ComputeNatal(test::MakeRequest(c.standard.year, c.standard.month, c.standard.day,
                                                      c.standard.hour, c.standard.minute, 8, -74.0f)));
    EXPECT_EQ(m.dayPillar, engine.model.dayPillar);
    EXPECT_EQ(m.hourPillar, engine.model.hourPillar);
    EXPECT_EQ(std::vector<int>({m.lunarDate.year, m.lunarDate.month, m.lunarDate.day, m.request.isLeapMonth}),
              std::vector<int>({engine.model.lunarDate.year, engine.model.lunarDate.month,
                                engine.model.lunarDate.day, engine.model.request.isLeapMonth}));
  }
  // 真太阳时 and 地方时 start from the true moment, whatever the clock.
  ChartSettings settings;
  settings.pillarTime = 2;
  ASSERT_TRUE(SaveChartSettings((dir / "set.ini").string(), settings));
  ChartRequest ny = ZoneRequest({1990, 7, 15, 10, 0}, "America/New_York");
  ny.longitude = -75.0f;
  ASSERT_TRUE(engine.ComputeNatal(ny));
  EXPECT_EQ(engine.model.pillarMoment.hour, 9);  // 14:00 UTC at 75°W
  EXPECT_EQ(HeaderLines(engine)[8].text, "公历:1990年7月15日9时0分(地方时)");
}

// The annual chart on the birth's own clock states its moment on the
// clock's standard time, and the age counts from the year of the pillars:
// New York 1999-12-31 20:00 is 2000-01-01 09:00 in Beijing, but the birth
// was in 1999, so in the year from 立春 2000 the nominal age is 2.
TEST_F(BirthClockTest, AnAnnualChartOnTheBirthsClock) {
  ASSERT_TRUE(engine.ComputeNatal(ZoneRequest({1999, 12, 31, 20, 0}, "America/New_York")));
  ASSERT_TRUE(engine.ComputeAnnual(kLocalTimeZoneIndex, dates.JulianDayOf(DateTime{2000, 6, 1, 12, 0})));
  EXPECT_EQ(AnnualLines(engine.annual)[0], "流盘:2000-6-1 11:0 America/New_York UTC-5 夏令时 已减1小时");
  EXPECT_EQ(engine.annual.age, 2);
  EXPECT_EQ(engine.annual.moment.day, 2);  // the bodies are those of 2000-06-02 00:00 UTC+8
}

// Before standard time the mean time of a place across the date line from
// its longitude belongs to the side its zone kept the date on: within a
// second of tzdata's mean time of the zone's own city (Python's zoneinfo:
// utcoffset() of a date then), and a birth there gets its own day.
TEST_F(BirthClockTest, MeanTimeAcrossTheDateLine) {
  struct Case {
    const char* zone;
    Moment local;
    double cityLongitude;  // of the city that names the zone (zone1970.tab)
    int tzdataMeanTime;    // seconds east of UTC
  };
  const Case cases[] = {
      {"Pacific/Tongatapu", {1904, 6, 1, 12, 0}, -(175 + 12 / 60.0), 44352},            // +12:19:12
      {"Asia/Manila", {1840, 1, 15, 12, 0}, 120 + 58 / 60.0 + 4 / 3600.0, -57368},     // -15:56:08
      {"America/Anchorage", {1850, 1, 15, 12, 0}, -(149 + 54 / 60.0 + 1 / 3600.0), 50424},  // +14:00:24
      {"Pacific/Apia", {1880, 1, 15, 12, 0}, -(171 + 44 / 60.0), 45184},                // +12:33:04
      {"Pacific/Pago_Pago", {1880, 1, 15, 12, 0}, -(170 + 42 / 60.0), 45432},           // +12:37:12
      {"America/Sitka", {1850, 1, 15, 12, 0}, -(135 + 18 / 60.0 + 7 / 3600.0), 53927},  // +14:58:47
      // On the same side as their longitude, as before.
      {"America/New_York", {1850, 1, 15, 12, 0}, -(74 + 0 / 60.0 + 23 / 3600.0), -17762},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    BirthClock clock;
    ASSERT_EQ(ReadClock(c.zone, BeijingJd(c.local, 0), DstChoice::Auto, &clock), ClockStatus::Ok);
    ASSERT_TRUE(clock.localMeanTime);
    EXPECT_EQ(clock.standardOffset, c.tzdataMeanTime);
    UsePlaceMeanTime(&clock, c.cityLongitude);
    EXPECT_NEAR(clock.standardOffset, c.tzdataMeanTime, 1);
    EXPECT_EQ(clock.dstOffset, 0);
  }
  // Tonga 1904: the birth is on Asia's side of the line, seven hours and
  // forty minutes before Beijing, on the same day.
  ChartRequest r = ZoneRequest({1904, 6, 1, 12, 0}, "Pacific/Tongatapu");
  r.longitude = -175.2f;
  r.latitude = -21.13f;
  ASSERT_TRUE(engine.ComputeNatal(r)) << engine.lastError;
  EXPECT_EQ(engine.model.clock.UtcOffset(), 44352);
  EXPECT_NEAR(engine.model.birthJd, BeijingJd({1904, 6, 1, 7, 40}, 48), 1e-8);
  EXPECT_EQ(HeaderLines(engine)[4].text, "时区:Pacific/Tongatapu 地方平时 UTC+12:19:12");
  // A place of a zone beyond the line whose own longitude is on the zone's
  // side keeps it: Attu (173°E) on America/Adak, whose city is at 176.6°W.
  BirthClock attu;
  ASSERT_EQ(ReadClock("America/Adak", BeijingJd({1850, 1, 15, 12, 0}, 0), DstChoice::Auto, &attu), ClockStatus::Ok);
  UsePlaceMeanTime(&attu, 173.18);
  EXPECT_EQ(attu.standardOffset, 41563);
}

// Zones the database writes with a negative summer part keep one standard
// offset through the year: the winter clock, from which the summer clock
// was put forward. UTC offsets from Python's zoneinfo.
TEST_F(BirthClockTest, ANegativeSummerPartKeepsTheStandardOffset) {
  struct Case {
    const char* zone;
    Moment local;
    DstChoice choice;
    int utcOffset;
    int standardOffset;
    const char* line;
  };
  const Case cases[] = {
      {"Europe/Dublin", {1990, 1, 15, 12, 0}, DstChoice::Auto, 0, 0, "时区:Europe/Dublin UTC+0"},
      {"Europe/Dublin", {1990, 7, 15, 12, 0}, DstChoice::Auto, 3600, 0, "时区:Europe/Dublin UTC+0 夏令时 已减1小时"},
      {"Europe/Dublin", {1990, 10, 28, 1, 30}, DstChoice::Auto, 3600, 0, "时区:Europe/Dublin UTC+0 夏令时 已减1小时"},
      {"Europe/Dublin", {1990, 10, 28, 1, 30}, DstChoice::Standard, 0, 0, "时区:Europe/Dublin UTC+0 重复时刻按标准时"},
      {"Europe/Dublin", {2020, 7, 15, 12, 0}, DstChoice::Auto, 3600, 0, "时区:Europe/Dublin UTC+0 夏令时 已减1小时"},
      // 1968-1971: Irish Standard Time the whole year.
      {"Europe/Dublin", {1970, 1, 15, 12, 0}, DstChoice::Auto, 3600, 3600, "时区:Europe/Dublin UTC+1"},
      {"Africa/Windhoek", {2000, 1, 15, 12, 0}, DstChoice::Auto, 7200, 3600, "时区:Africa/Windhoek UTC+1 夏令时 已减1小时"},
      {"Africa/Windhoek", {2000, 7, 15, 12, 0}, DstChoice::Auto, 3600, 3600, "时区:Africa/Windhoek UTC+1"},
      // Since 2017 the whole year at UTC+2.
      {"Africa/Windhoek", {2020, 7, 15, 12, 0}, DstChoice::Auto, 7200, 7200, "时区:Africa/Windhoek UTC+2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(engine.ComputeNatal(ZoneRequest(c.local, c.zone, c.choice))) << engine.lastError;
    EXPECT_EQ(engine.model.clock.UtcOffset(), c.utcOffset);
    EXPECT_EQ(engine.model.clock.standardOffset, c.standardOffset);
    EXPECT_EQ(HeaderLines(engine)[4].text, c.line);
  }
  // Every month of the years of those rules: one standard offset.
  struct Span {
    const char* zone;
    int from, to, standardOffset;
  };
  for (const Span& s : {Span{"Europe/Dublin", 1972, 2030, 0}, Span{"Africa/Windhoek", 1995, 2016, 3600}}) {
    for (int year = s.from; year <= s.to; ++year)
      for (int month = 1; month <= 12; ++month) {
        BirthClock clock;
        ASSERT_EQ(ReadClock(s.zone, BeijingJd({year, month, 15, 12, 0}, 0), DstChoice::Auto, &clock),
                  ClockStatus::Ok);
        EXPECT_EQ(clock.standardOffset, s.standardOffset) << s.zone << " " << year << "-" << month;
        EXPECT_GE(clock.dstOffset, 0);
      }
  }
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
