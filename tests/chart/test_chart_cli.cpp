#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "chartrequest.h"
#include "clirun.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

using CliRun = test::CommandRun;

class ChartCli : public ::testing::Test {
 protected:
  // Settings of the test's own, every key at its default.
  void SetUp() override { ASSERT_TRUE(WriteWholeFileAtomic(dir / "set.ini", "")); }
  CliRun Cli(const std::string& args) {
    const std::string cmd =
        std::string(LUMTAR_CLI) + " chart " + args + " --settings '" + (dir / "set.ini").string() + "'";
    return test::RunCommandLine(cmd, (dir / "stderr.txt").string());
  }
  test::TempDir dir;
};

}  // namespace

TEST_F(ChartCli, JsonHasTheWholeModel) {
  CliRun run = Cli("--date 1984-06-01 --time 12:00 --name 张三 --female --lon 116:25 --lat 39:54 "
                   "--place 北京-北京 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.out.back(), '\n');
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);  // one record, one line
  const nlohmann::json j = nlohmann::json::parse(run.out);
  for (const char* key : {"request", "inputJd", "birthJd", "beijingMoment", "pillarMoment", "lunarDate", "pillars",
                          "nayinElement", "mansionOrigin", "ascendantLongitude", "places", "ageOffset", "dignities",
                          "benefactor", "chartStars", "spirits", "header"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_EQ(j["request"]["name"], "张三");
  EXPECT_EQ(j["request"]["isMale"], false);
  EXPECT_EQ(j["request"]["placeName"], "北京-北京");
  EXPECT_EQ(j["lunarDate"]["leap"], false);
  EXPECT_EQ(j["pillars"]["year"]["index"], 1);
  EXPECT_EQ(j["pillars"]["year"]["name"], "甲子");
  EXPECT_EQ(j["pillars"]["day"]["name"], "丙寅");
  ASSERT_EQ(j["places"].size(), 16u);
  for (const char* field : {"name", "longitude", "latitude", "branch", "palaceNumber", "mansion", "degreeInSign",
                            "degreeInMansion", "motion"})
    EXPECT_TRUE(j["places"][0].contains(field)) << field;
  EXPECT_EQ(j["places"][14]["name"], "命宫");
  EXPECT_EQ(j["places"][15]["longitude"], j["places"][1]["longitude"]);
  EXPECT_EQ(j["dignities"].size(), 11u);
  EXPECT_EQ(j["chartStars"].size(), 23u);
  EXPECT_EQ(j["chartStars"]["天禄"], "火");
  EXPECT_EQ(j["spirits"].size(), 49u);
  EXPECT_EQ(j["spirits"][0]["branch"], 11);  // the stages begin at 戌
  EXPECT_TRUE(j["spirits"][0].contains("shown"));
  EXPECT_EQ(j["header"].size(), 53u);
  EXPECT_EQ(j["header"][2], "本命盘");
}

TEST_F(ChartCli, HeaderTextByDefault) {
  CliRun run = Cli("--date 2000-01-01 --time 12:00");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 7), "Lumtar\n");
  EXPECT_NE(run.out.find("公历:2000年1月1日12时0分(北京时间)\n"), std::string::npos);
}

TEST_F(ChartCli, SettingsFileIsRead) {
  ASSERT_TRUE(SaveChartSettings((dir / "set.ini").string(), ChartSettings{1, 0xFFFFFF, 0, 3, 0, 2}));
  CliRun run = Cli("--date 2000-01-01 --time 12:00 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["header"][3], "星图:赤道制");
  EXPECT_EQ(j["pillarMoment"]["minute"], 46);  // local mean time at 116°25'E is 14 minutes behind
}

TEST_F(ChartCli, BadInputGivesTheMessage) {
  // The coordinates' bounds as they are checked: the ends are refused.
  const char* kBounds =
      "经度在-180至180之间，纬度在-90至90之间（不含两端：经度-180:00、180:00与纬度-90:00、90:00都不可用）\n";
  struct Case {
    const char* args;
    int status;
    const char* message;
  } cases[] = {
      {"--date 2001-04-31 --time 12:00", 1, "不存在这个日期\n"},
      {"--date 618-12-31 --time 12:00", 1, "时间越界，年份在619-2100之间\n"},
      {"--date 66155-01-01 --time 12:00", 1, "时间越界，年份在619-2100之间\n"},  // 619 + 65536
      {"--date 1999-12-30 --time 12:00 --lunar", 1, "不存在这个农历日期，无法转换到公历！\n"},
      {"--era 康熙 --date 62-1-1 --time 12:00", 1, "年号康熙没有第62年：\n清:康熙  1662-1722  共61年\n"},
      {"--era 永安 --date 3-1-1 --time 12:00", 1,
       "几个朝代都用过年号永安，请写明朝代（朝代:年号）：\n孙吴:永安  258-264  共7年\n西晋:永安  304  共1年\n"
       "北魏:永安  528-530  共3年\n西夏:永安  1098-1100  共3年\n"},
      {"--era 东汉:建武 --date 5-1-1 --time 12:00", 1, "时间越界，年份在619-2100之间\n"},
      {"--date 2001-04-01 --time 12:00 --zone 24", 1, "时区应在0-23之间\n"},
      {"--date 2001-04-01 --time 12:00 --zone 264", 1, "时区应在0-23之间\n"},  // 8 + 256
      {"--date 2001-04-01 --time 12:00 --lon 180:0", 1, kBounds},
      {"--date 2001-04-01 --time 12:00 --lon -180:00", 1, kBounds},
      {"--date 2001-04-01 --time 12:00 --lat -90:0", 1, kBounds},
      {"--date 2001-04-01 --time 12:00 --lat 90:00", 1, kBounds},
      {"--date 2001-04-01 --time 12:00 --lon 181:00", 1, kBounds},
      {"--date 2001-04-01 --time 12:00 --lon 179:59 --lat 89:59", 0, ""},
      {"--date 2001-04-01 --time 12:00 --lon -179:59 --lat -89:59", 0, ""},
      {"--date 2001-04-01 --time 12:00 --lon 116:75", 1, "分数在0-59\n"},
      {"--date 2001-04-01 --time 24:00", 1, "不存在这个时间\n"},
      {"--date 2001-04-01", 2, nullptr},
      {"--date 2001/04/01 --time 12:00", 2, nullptr},
      {"--date 2001-04-01 --time 12:00 --lon east", 2, nullptr},
  };
  for (const Case& c : cases) {
    CliRun run = Cli(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    if (c.status != 0) {
      EXPECT_EQ(run.out, "") << c.args;
    }
    if (c.message) {
      EXPECT_EQ(run.err, c.message) << c.args;
    }
  }
}

// A civil date before 1582-10-15 is a Julian one: the header's 公历 lines
// say so, and the JSON names the calendar of each civil date.
TEST_F(ChartCli, JulianDatesAreMarked) {
  const struct {
    const char* args;
    const char* inputLine;
    const char* pillarLine;
    const char* request;  // null: a lunar date
    const char* beijing;
    const char* pillar;
  } cases[] = {
      {"--date 1036-12-19 --time 10:30", "公历:1036年12月19日10时30分(儒略历)(输入时间)",
       "公历:1036年12月19日10时30分(儒略历)(北京时间)", "julian", "julian", "julian"},
      {"--date 1582-10-04 --time 23:59", "公历:1582年10月4日23时59分(儒略历)(输入时间)",
       "公历:1582年10月4日23时59分(儒略历)(北京时间)", "julian", "julian", "julian"},
      {"--date 1582-10-15 --time 00:00", "公历:1582年10月15日0时0分(输入时间)", "公历:1582年10月15日0时0分(北京时间)",
       "gregorian", "gregorian", "gregorian"},
      {"--date 1711-09-25 --time 10:30", "公历:1711年9月25日10时30分(输入时间)",
       "公历:1711年9月25日10时30分(北京时间)", "gregorian", "gregorian", "gregorian"},
      // New York's mean time: its evening of 10-04 is the morning of 10-15 in Beijing.
      {"--date 1582-10-04 --time 20:00 --city 纽约", "公历:1582年10月4日20时0分(儒略历)(输入时间)",
       "公历:1582年10月4日20时0分(儒略历)(地方平时)", "julian", "gregorian", "julian"},
      {"--date 1582-09-18 --lunar --time 12:00", "公历:1582年10月4日12时0分(儒略历)(输入时间)",
       "公历:1582年10月4日12时0分(儒略历)(北京时间)", nullptr, "julian", "julian"},
      {"--date 1582-09-19 --lunar --time 12:00", "公历:1582年10月15日12时0分(输入时间)",
       "公历:1582年10月15日12时0分(北京时间)", nullptr, "gregorian", "gregorian"},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(std::string(c.args) + " --json");
    ASSERT_EQ(run.status, 0) << c.args << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["header"][7], c.inputLine) << c.args;
    EXPECT_EQ(j["header"][8], c.pillarLine) << c.args;
    EXPECT_EQ(j["civilCalendar"]["request"], c.request ? nlohmann::json(c.request) : nlohmann::json()) << c.args;
    EXPECT_EQ(j["civilCalendar"]["beijingMoment"], c.beijing) << c.args;
    EXPECT_EQ(j["civilCalendar"]["pillarMoment"], c.pillar) << c.args;
  }
  // In traditional characters.
  const CliRun run = Cli("--date 1036-12-19 --time 10:30 --traditional --json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out)["header"][7], "公曆:1036年12月19日10時30分(儒略曆)(輸入時間)");
}

// --era: the date is an era year, a lunar month and day.
TEST_F(ChartCli, EraDate) {
  CliRun run = Cli("--era 康熙 --date 50-8-13 --time 12:00 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["request"]["year"], 1711);
  EXPECT_EQ(j["request"]["isLunar"], true);
  EXPECT_EQ(j["beijingMoment"]["month"], 9);
  EXPECT_EQ(j["beijingMoment"]["day"], 25);
  EXPECT_EQ(j["header"][9], "农历:一七一一年 八月 十三日 午时");
  EXPECT_EQ(j["header"][10], "年号:清康熙五十年八月十三日");
  // With a dynasty, and a leap month.
  run = Cli("--era 明:嘉靖 --date 7-10-1 --leap --time 12:00 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["beijingMoment"]["year"], 1528);
  EXPECT_EQ(j["beijingMoment"]["month"], 11);
  EXPECT_EQ(j["beijingMoment"]["day"], 12);
  EXPECT_EQ(j["header"][10], "年号:明嘉靖七年闰十月初一日");
  // Written with a variant character, or in traditional characters.
  const struct {
    const char* args;
    const char* eraLine;
  } written[] = {
      {"--era 元佑 --date 3-1-1 --time 12:00 --json", "年号:北宋元祐三年正月初一日"},
      {"--era 唐:天寶 --date 3-1-1 --time 12:00 --json", "年号:唐天宝三年正月初一日"},
      {"--era 北宋：嘉佑 --date 2-1-1 --time 12:00 --json", "年号:北宋嘉祐二年正月初一日"},
  };
  for (const auto& c : written) {
    run = Cli(c.args);
    ASSERT_EQ(run.status, 0) << c.args << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["header"][10], c.eraLine) << c.args;
  }
}

// An era of a rival court: the date is read on that court's calendar, and the
// chart says so; the same lunar date without an era is the central one.
TEST_F(ChartCli, EraDateOnARivalCalendar) {
  const struct {
    const char* args;
    int year, month, day;
    const char* lunarLine;
    const char* eraLine;
    const char* calendar;
  } cases[] = {
      {"--era 统和 --date 3-9-25", 985, 11, 10, "农历:九八五年 九月 廿五日 午时", "年号:辽统和三年九月廿五日", "辽金元历"},
      {"--era 统和 --date 3-8-1 --leap", 985, 9, 17, "农历:九八五年 闰八月 初一日 午时", "年号:辽统和三年闰八月初一日",
       "辽金元历"},
      {"--era 南明:永历 --date 2-4-1", 1648, 5, 22, "农历:一六四八年 四月 初一日 午时", "年号:南明永历二年四月初一日",
       "南明历"},
      {"--lunar --date 985-9-25", 985, 10, 11, "农历:九八五年 九月 廿五日 午时", "年号:北宋雍熙二年九月廿五日", nullptr},
      // 武周 named its 子 month 正月, the 丑 month 腊月 and the 寅 month 一月.
      {"--date 691-01-10", 691, 1, 10, "农历:六九一年 腊月 初六日 午时", "年号:武周天授二年腊月初六日", nullptr},
      {"--date 691-02-10", 691, 2, 10, "农历:六九一年 一月 初七日 午时", "年号:武周天授二年一月初七日", nullptr},
      {"--date 690-12-10", 690, 12, 10, "农历:六九一年 正月 初五日 午时", "年号:武周天授二年正月初五日", nullptr},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(std::string(c.args) + " --time 12:00 --json");
    ASSERT_EQ(run.status, 0) << c.args << ": " << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["beijingMoment"]["year"], c.year) << c.args;
    EXPECT_EQ(j["beijingMoment"]["month"], c.month) << c.args;
    EXPECT_EQ(j["beijingMoment"]["day"], c.day) << c.args;
    EXPECT_EQ(j["header"][9], c.lunarLine) << c.args;
    EXPECT_EQ(j["header"][10], c.eraLine) << c.args;
    if (c.calendar) {
      EXPECT_EQ(j["lunarDate"]["calendar"], c.calendar) << c.args;
    } else {
      EXPECT_FALSE(j["lunarDate"].contains("calendar")) << c.args;
    }
  }
}
