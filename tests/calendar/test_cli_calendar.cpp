// lumtar-cli lunar, solar, terms, pillars and eras.
#include <gtest/gtest.h>

#include <string>

#include "clirun.h"

namespace {

using CliRun = lumtar::test::CommandRun;

// Runs the tool with the arguments (and the text on standard input, given as
// printf text); standard error is merged into the output.
CliRun Cli(const std::string& args, const std::string& input = "") {
  std::string cmd = std::string(LUMTAR_CLI) + " " + args + " 2>&1";
  if (!input.empty()) cmd = "printf '" + input + "' | " + cmd;
  return lumtar::test::RunCommandLine(cmd);
}

}  // namespace

TEST(CalendarCli, Lunar) {
  CliRun r = Cli("lunar 2023-03-21 --to 2023-03-22");
  EXPECT_EQ(r.status, 0);
  const std::string y2023 = "\t[当代] 中国  公历纪元2023年\n";
  EXPECT_EQ(r.out, "2023-03-21\t2023\t2\t30\t0\t二月三十" + y2023 + "2023-03-22\t2023\t2\t1\t1\t闰二月初一" + y2023);
  r = Cli("lunar -", " 2000-02-05 \\r\\n\\n2000-02-04\\t\\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2000-02-05\t2000\t1\t1\t0\t正月初一\t[当代] 中国  公历纪元2000年\n"
                   "2000-02-04\t1999\t12\t29\t0\t十二月廿九\t[当代] 中国  公历纪元1999年\n");
  // A date that does not exist is reported; the others are still answered.
  r = Cli("lunar -", "2023-02-29\\n2024-02-10\\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("2024-02-10\t2024\t1\t1\t0\t正月初一\t[当代] 中国  公历纪元2024年\n"), std::string::npos);
  EXPECT_NE(r.out.find("2023-02-29"), std::string::npos);
  // The seventh field is the era text of the lunar year, which may be the
  // civil year before: 1712-01-01 is in 康熙 50.
  EXPECT_EQ(Cli("lunar 1712-01-01").out, "1712-01-01\t1711\t11\t23\t0\t十一月廿三\t[清] 清圣祖 玄烨 康熙50年\n");
  EXPECT_EQ(Cli("lunar 1582-10-10").status, 1);
  EXPECT_EQ(Cli("lunar 2023-3").status, 2);
}

TEST(CalendarCli, Solar) {
  CliRun r = Cli("solar 2023 2 1 --leap");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2023-03-22\n");
  r = Cli("solar 1999 12 30");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "不存在这个农历日期，无法转换到公历！\n");
  EXPECT_EQ(Cli("solar 2023 13 1").status, 1);
  // The 十三月 that closes a year of the 春秋 calendar.
  EXPECT_EQ(Cli("solar -600 13 1").out, "-0600-11-18\n");
  EXPECT_EQ(Cli("solar 2023 2").status, 2);
}

TEST(CalendarCli, Terms) {
  CliRun r = Cli("terms 2000");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "2000-01-06 09:01\t0\t小寒\n");
  EXPECT_NE(r.out.find("2000-02-04 20:40\t2\t立春\n"), std::string::npos);
  int lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_EQ(lines, 24);
  r = Cli("terms 1999 --to 2001");
  lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_EQ(lines, 72);
  EXPECT_EQ(Cli("terms 10000").status, 1);
}

TEST(CalendarCli, PillarsAndEras) {
  CliRun r = Cli("pillars 1984-02-04 23:19");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "甲子\t丙寅\t己巳\t甲子\n");
  EXPECT_EQ(Cli("pillars 2000-01-01 12:00").out, "己卯\t丙子\t戊午\t戊午\n");
  EXPECT_EQ(Cli("pillars 2000-01-01 24:00").status, 2);
  EXPECT_EQ(Cli("eras 2000").out, "[当代] 中国  公历纪元2000年\n");
  EXPECT_EQ(Cli("eras 1644").out, "[明] 明思宗 朱由检 崇祯17年；[清] 清世祖 福临 顺治1年\n");
}

// A lunar date written with an era name.
TEST(CalendarCli, SolarWithAnEra) {
  const struct {
    const char* args;
    int status;
    const char* out;
  } cases[] = {
      {"solar --era 康熙 50 8 13", 0, "1711-09-25\n"},
      {"solar --era 景祐 3 12 19", 0, "1037-01-08\n"},          // 苏轼, Julian calendar
      {"solar --era 唐:天宝 3 1 1", 0, "0744-01-20\n"},
      {"solar --era 嘉靖 7 10 1 --leap", 0, "1528-11-12\n"},   // 戚继光
      {"solar --era 元惠宗:至元 1 1 1", 0, "1335-01-25\n"},
      {"solar --era 康熙 62 1 1", 1,
       "年号康熙没有第62年：\n清:康熙  1662-1722  共61年\n"},
      {"solar --era 建武 2 1 1", 1,
       "几个朝代都用过年号建武，请写明朝代（朝代:年号）：\n东汉:建武  25-56  共32年\n西晋:建武  304  共1年\n"
       "东晋:建武  317-318  共2年\n南齐:建武  494-498  共5年\n"},
      {"solar --era 至元 5 1 1", 1,
       "年号至元用过不止一次，请写明皇帝（庙号:年号）：\n元世祖:至元  1264-1294  共31年\n元惠宗:至元  1335-1340  共6年\n"},
      {"solar --era 不是年号 1 1 1", 1, "没有这个年号：不是年号\n"},
      // As people write them: a variant character, traditional characters.
      {"solar --era 元佑 3 1 1", 0, "1088-01-27\n"},
      {"solar --era 唐:天寶 3 1 1", 0, "0744-01-20\n"},
      {"solar --era 東漢:建武 32 1 1", 0, "0056-02-05\n"},
      {"solar --era 延佑 1 1 1", 0, "1314-01-17\n"},
      {"solar --era 天佑 1 1 1", 1,
       "几个朝代都用过年号天佑，请写明朝代（朝代:年号）：\n唐:天祐  904-907  共4年\n辽:天祐  907-916  共13年\n"},
      {"solar --era 康熙 50 8 30", 1, "不存在这个农历日期，无法转换到公历！\n"},
      {"solar --era 康熙 50 8", 2, nullptr},
      // The eras of 辽 and 南明 read their courts' calendars; without an era,
      // or with the central court's era, the central calendar.
      {"solar --era 统和 3 9 25", 0, "0985-11-10\n"},
      {"solar --era 统和 3 8 1 --leap", 0, "0985-09-17\n"},
      {"solar --era 南明:永历 2 4 1", 0, "1648-05-22\n"},
      {"solar --era 南明:永历 2 3 1 --leap", 0, "1648-04-23\n"},
      {"solar --era 金:正隆 3 1 1", 0, "1158-02-01\n"},
      {"solar --era 雍熙 2 9 25", 0, "0985-10-11\n"},
      {"solar 985 9 25", 0, "0985-10-11\n"},
      {"solar 985 8 1 --leap", 1, "不存在这个农历日期，无法转换到公历！\n"},
      {"solar --era 统和 3 9 30", 1, "不存在这个农历日期，无法转换到公历！\n"},
  };
  for (const auto& c : cases) {
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    if (c.out) {
      EXPECT_EQ(r.out, c.out) << c.args;
    }
  }
}
