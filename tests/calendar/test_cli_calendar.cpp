// lumtar-cli lunar, solar, terms, pillars and eras.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct CliRun {
  int status;
  std::string out;
};

// Runs the tool with the arguments (and the text on standard input, given as
// printf text); standard error is merged into the output.
CliRun Cli(const std::string& args, const std::string& input = "") {
  std::string cmd = std::string(LUMTAR_CLI) + " " + args + " 2>&1";
  if (!input.empty()) cmd = "printf '" + input + "' | " + cmd;
  CliRun run;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
  const int st = pclose(p);
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return run;
}

}  // namespace

TEST(CalendarCli, Lunar) {
  CliRun r = Cli("lunar 2023-03-21 --to 2023-03-22");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2023-03-21\t2023\t2\t30\t0\t二月三十\n2023-03-22\t2023\t2\t1\t1\t闰二月初一\n");
  r = Cli("lunar -", " 2000-02-05 \\r\\n\\n2000-02-04\\t\\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2000-02-05\t2000\t1\t1\t0\t正月初一\n2000-02-04\t1999\t12\t29\t0\t十二月廿九\n");
  // A date that does not exist is reported; the others are still answered.
  r = Cli("lunar -", "2023-02-29\\n2024-02-10\\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("2024-02-10\t2024\t1\t1\t0\t正月初一\n"), std::string::npos);
  EXPECT_NE(r.out.find("2023-02-29"), std::string::npos);
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
