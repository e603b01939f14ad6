// The date service: civil date-times and Julian days, checks of civil dates,
// the solar terms that bound the solar months, the sexagenary numbers of the
// four pillars, true solar and local mean time, and (through SSQ_class) the
// conversions between the civil and the lunar calendar.
//
// Every moment is civil Beijing time (UTC+8). Dates before 1582-10-15 are
// Julian, later ones Gregorian; years use astronomical numbering.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calnames.h"
#include "lunar.h"
#include "timescale.h"

namespace lumtar::calendar {

using astro::ClockTime;

// A solar term: its Beijing-time moment and its index (0 小寒 .. 23 冬至).
// A list of entries ends with an entry whose year is kEndOfTermsYear.
struct SolarTermEntry {
  DateTime moment;
  int16_t index = 0;
};
inline constexpr int16_t kEndOfTermsYear = -5000;

// Sexagenary indexes (0..59) of the four pillars.
struct FourPillarIndexes {
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
  int16_t hour = 0;
};

// Modes of ApplyPillarTime.
inline constexpr int kTrueSolarTime = 1;  // 真太阳时
inline constexpr int kLocalMeanTime = 2;  // 地方时

// The message of a lunar date that does not exist.
inline constexpr const char* kNoSuchLunarDate = "不存在这个农历日期，无法转换到公历！";

class MYiDateEx : public SSQ_class {
 public:
  MYiDateEx() = default;

  // JD of the moment plus one second; every comparison of moments goes
  // through it, so both sides carry the added second.
  double JulianDayOf(const DateTime& t);
  // The civil date-time of a JD, rounded to the minute.
  void DateTimeOf(double jd, DateTime& out) const;

  bool IsValidSolarDate(const DateTime& t);
  void AddOneDay(DateTime& t);
  // 0 Sunday .. 6 Saturday.
  int WeekdayOf(const DateTime& t);
  // Sexagenary index of the civil day (2000-01-01 is 55, 戊午).
  int DayPillarOf(const DateTime& t);
  // Sexagenary index of a stem (0..9) and a branch (0..11) of equal parity.
  static int SexagenaryIndex(int stem, int branch);

  // Beijing-time moment of the 节 (jie) or the principal term of a civil
  // month: month 1 小寒/大寒, 2 立春/雨水, ... 12 大雪/冬至.
  void SolarTermMoment(int16_t year, int16_t month, bool jie, DateTime& out);
  // The solar month holding the moment: the 节 before, the principal term
  // between and the next 节; returns the branch index (0..11) of the month.
  int MonthTermsAround(const DateTime& t, DateTime& jieBefore, DateTime& principal, DateTime& jieAfter);
  // The solar terms of a civil year, in order, then the end entry.
  std::vector<SolarTermEntry> YearSolarTerms(int year);

  // Apparent minus mean solar time at the moment, seconds.
  double EquationOfTimeSeconds(const DateTime& t);
  // Moves the moment from Beijing time to true solar time (mode 1) or local
  // mean time (mode 2) at the longitude (degrees east); returns the equation
  // of time used, whole seconds (0 in mode 2). A longitude outside
  // -180..360 or no number at all leaves the moment unchanged.
  int ApplyPillarTime(float longitude, DateTime& t, int mode);
  // The four pillars of a Beijing-time moment b; p is the moment in pillar
  // time (p = b unless true solar or local mean time is asked for).
  FourPillarIndexes FourPillars(const DateTime& b, const DateTime& p);

  // Civil date to lunar date (year, month 1..12, day 1..30; hour and minute
  // copied); returns the leap flag. In -721..-221 the extra month that closes
  // a year is month 13.
  bool SolarToLunar(const DateTime& civil, DateTime& lunar);
  // Lunar date to civil date (hour and minute copied). A lunar date that does
  // not exist gives false and kNoSuchLunarDate in message.
  bool LunarToSolar(const DateTime& lunar, bool leap, DateTime& civil, std::string& message);
  // A number as Chinese numerals: 1..30 as day and month numbers are said
  // (十, 十一, 二十, 廿一, 三十), other numbers digit by digit (1984 一九八四,
  // 0 ○○○○), negative ones after 前. The text lives until the next call.
  const char* ChineseNumeral(int16_t n);

  // The day number of the day last converted by SolarToLunar or LunarToSolar.
  int32_t LastDayNumber() const { return lastDay_; }

 private:
  // Beijing-time JD of the solar term at longitude lambda (degrees,
  // unreduced) of the civil year.
  double TermJulianDay(int year, double lambda) const;
  // The same rounded to the minute and taken through JulianDayOf.
  double TermMomentJd(int year, double lambda, DateTime& moment);
  // The lunar date of day number d (layout rebuilt); returns the leap flag.
  bool LunarDateOfDay(int d, DateTime& lunar);

  ClockTime clock_;
  int32_t lastDay_ = 0;
  std::string numeral_;
};

// Display forms used by the chart header and the calendar window: 正月, 二月
// ... 十二月 (闰 before a leap month); 初一 .. 初十, 十一 .. 三十; in the chosen
// script.
std::string LunarMonthText(int month, bool leap);
std::string LunarDayText(int day);

}  // namespace lumtar::calendar
