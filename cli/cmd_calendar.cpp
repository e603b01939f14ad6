// lumtar-cli lunar, solar, terms, pillars and eras: the Chinese calendar of
// the date service.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "calnames.h"
#include "clicommon.h"
#include "eras.h"
#include "rivalcalendars.h"
#include "lunar.h"
#include "script.h"
#include "timescale.h"
#include "yidateex.h"

namespace lumtar::cli {
namespace {

using calendar::DateTime;
using calendar::MYiDateEx;

// The years the calendar window offers.
constexpr int kFirstYear = -4713;
constexpr int kLastYear = 9999;

std::string DateText(int year, int month, int day) {
  char buf[32];
  if (year < 0)
    std::snprintf(buf, sizeof buf, "-%04d-%02d-%02d", -year, month, day);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
  return buf;
}

std::string MomentText(const DateTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, " %02d:%02d", t.hour, t.minute);
  return DateText(t.year, t.month, t.day) + buf;
}

void CheckYear(int year) {
  if (year < kFirstYear || year > kLastYear)
    throw CommandError("year " + std::to_string(year) + " out of range " + std::to_string(kFirstYear) + ".." +
                       std::to_string(kLastYear));
}

// A civil date of the calendar's range, checked.
DateTime CivilDate(MYiDateEx& date, const std::string& text) {
  const Date d = ParseDate(text);
  CheckYear(d.year);
  const DateTime t{static_cast<int16_t>(d.year), static_cast<int16_t>(d.month), static_cast<int16_t>(d.day), 0, 0};
  if (!date.IsValidSolarDate(t)) throw CommandError("no such date: " + Shown(text));
  return t;
}

// The era-name text of a lunar year, kept for the days of that year.
class LunarYearEras {
 public:
  const std::string& Of(int year) {
    if (!known_ || year != year_) {
      text_ = calendar::obb_class().EraNamesOfYear(year);
      year_ = year;
      known_ = true;
    }
    return text_;
  }

 private:
  bool known_ = false;
  int year_ = 0;
  std::string text_;
};

std::string LunarLine(MYiDateEx& date, LunarYearEras& eras, const DateTime& civil) {
  DateTime lunar;
  const bool leap = date.SolarToLunar(civil, lunar);
  return Tsv({DateText(civil.year, civil.month, civil.day), std::to_string(lunar.year), std::to_string(lunar.month),
              std::to_string(lunar.day), leap ? "1" : "0",
              calendar::LunarMonthText(lunar.month, leap) + calendar::LunarDayText(lunar.day), eras.Of(lunar.year)});
}

void RunLunar(const std::vector<std::string>& args, const std::string& to) {
  MYiDateEx date;
  LunarYearEras eras;
  const std::vector<std::string> inputs = ExpandInputs(args);
  if (!to.empty() && inputs.size() != 1) throw UsageError("--to takes a single starting date");
  if (!to.empty()) {
    DateTime t = CivilDate(date, inputs[0]);
    const DateTime last = CivilDate(date, to);
    const double lastJd = date.JulianDayOf(last);
    if (date.JulianDayOf(t) > lastJd) throw UsageError("--to date before the starting date");
    while (date.JulianDayOf(t) <= lastJd && std::cout) {
      std::cout << LunarLine(date, eras, t) << '\n';
      date.AddOneDay(t);
    }
    return;
  }
  // Many dates: a bad one is reported and the others are still answered.
  bool failed = false;
  for (const std::string& text : inputs) {
    try {
      std::cout << LunarLine(date, eras, CivilDate(date, text)) << '\n';
    } catch (const std::exception& e) {
      if (inputs.size() == 1) throw;
      std::cout.flush();
      std::cerr << e.what() << '\n';
      failed = true;
    }
  }
  if (failed) throw CommandError("some dates were not converted");
}

// With an era, the year is the era's year number (康熙 50 is 1711).
// A rival court's era (辽 统和, 南明 永历) reads the date on its calendar.
void RunSolar(int year, int month, int day, bool leap, const std::string& era) {
  calendar::LunarCalendar on = calendar::LunarCalendar::kCentral;
  if (!era.empty()) {
    const calendar::EraLookup found = calendar::LookUpEra(era, year);
    if (found.result != calendar::EraLookup::kFound)
      throw CommandError(calendar::EraLookupMessage(era, year, found));
    year = found.era->LunarYear(year);
    on = calendar::CalendarOfEra(*found.era, year);
  }
  CheckYear(year);
  MYiDateEx date;
  if (on != calendar::LunarCalendar::kCentral) {
    int dayNumber = 0;
    if (!calendar::DayOfLunarDate(on, year, month, leap, day, 0, &dayNumber))
      throw CommandError(calendar::kNoSuchLunarDate);
    DateTime civil;
    date.DateTimeOf(dayNumber + astro::kJ2000, civil);
    std::cout << DateText(civil.year, civil.month, civil.day) << '\n';
    return;
  }
  const DateTime lunar{static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day), 0, 0};
  DateTime civil;
  std::string message;
  if (month < 1 || month > 13 || day < 1 || day > 30 || !date.LunarToSolar(lunar, leap, civil, message))
    throw CommandError(calendar::kNoSuchLunarDate);
  std::cout << DateText(civil.year, civil.month, civil.day) << '\n';
}

void RunTerms(int from, int to) {
  CheckYear(from);
  CheckYear(to);
  if (to < from) throw UsageError("--to year before the first year");
  MYiDateEx date;
  for (int year = from; year <= to && std::cout; ++year) {
    for (const calendar::SolarTermEntry& e : date.YearSolarTerms(year)) {
      if (e.moment.year == calendar::kEndOfTermsYear) break;
      std::cout << Tsv({MomentText(e.moment), std::to_string(e.index), std::string(InScript(calendar::kSolarTermNames[e.index]))})
                << '\n';
    }
  }
}

void RunPillars(const std::string& dateText, const std::string& timeText) {
  MYiDateEx date;
  DateTime t = CivilDate(date, dateText);
  const Time time = ParseTime(timeText);
  if (time.hour > 23 || time.minute > 59) throw UsageError("bad time '" + Shown(timeText) + "', expected HH:MM");
  t.hour = static_cast<int16_t>(time.hour);
  t.minute = static_cast<int16_t>(time.minute);
  const calendar::FourPillarIndexes p = date.FourPillars(t, t);
  std::cout << Tsv({calendar::SexagenaryName(p.year), calendar::SexagenaryName(p.month), calendar::SexagenaryName(p.day),
                    calendar::SexagenaryName(p.hour)})
            << '\n';
}

const RegisterCommands registerCalendar([](CLI::App& app) {
  {
    CLI::App* cmd = app.add_subcommand("lunar", "civil (Gregorian, Julian before 1582-10-15) dates to lunar dates");
    auto dates = std::make_shared<std::vector<std::string>>();
    auto to = std::make_shared<std::string>();
    cmd->add_option("dates", *dates, "YYYY-MM-DD, or - to read one date a line from standard input")->required();
    cmd->add_option("--to", *to, "every day up to this date (YYYY-MM-DD)");
    cmd->callback([dates, to] { RunLunar(*dates, *to); });
  }
  {
    CLI::App* cmd = app.add_subcommand("solar", "a lunar date to the civil date");
    auto values = std::make_shared<std::vector<int>>();
    auto leap = std::make_shared<bool>(false);
    auto era = std::make_shared<std::string>();
    cmd->add_option("date", *values, "LUNARYEAR MONTH DAY (with --era: ERA-YEAR MONTH DAY)")->required()->expected(3);
    cmd->add_flag("--leap", *leap, "the month is a leap month (闰)");
    cmd->add_option("--era", *era, "the year is a year of this era: ERA or DYNASTY:ERA (康熙, 唐:天宝)");
    cmd->callback([values, leap, era] { RunSolar((*values)[0], (*values)[1], (*values)[2], *leap, *era); });
  }
  {
    CLI::App* cmd = app.add_subcommand("terms", "the solar terms of a year, Beijing time");
    auto year = std::make_shared<int>(0);
    auto to = std::make_shared<int>(0);
    cmd->add_option("year", *year, "YEAR")->required();
    auto* toOption = cmd->add_option("--to", *to, "every year up to this one");
    cmd->callback([year, to, toOption] { RunTerms(*year, toOption->count() ? *to : *year); });
  }
  {
    CLI::App* cmd = app.add_subcommand("pillars", "the four pillars of a Beijing-time moment");
    auto dateText = std::make_shared<std::string>();
    auto timeText = std::make_shared<std::string>();
    cmd->add_option("date", *dateText, "YYYY-MM-DD")->required();
    cmd->add_option("time", *timeText, "HH:MM")->required();
    cmd->callback([dateText, timeText] { RunPillars(*dateText, *timeText); });
  }
  {
    CLI::App* cmd = app.add_subcommand("eras", "the reign eras of an astronomical year");
    auto year = std::make_shared<int>(0);
    cmd->add_option("year", *year, "YEAR")->required();
    cmd->callback([year] {
      CheckYear(*year);
      std::cout << calendar::obb_class().EraNamesOfYear(*year) << '\n';
    });
  }
});

}  // namespace
}  // namespace lumtar::cli
