// Era names as people date a lunar day by them: the eras of the era table,
// the lunar year of an era year (康熙五十年 is lunar year 1711), the search
// that an era box offers, and the era form of a lunar date.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumtar::calendar {

// One era as a year is named by it: one era name of one dynasty, counted from
// one first year. The rows that carry it on under later rulers belong to it;
// a name that a dynasty used twice (元's 至元 under 元世祖 and under 元惠宗)
// is two eras.
struct Era {
  std::string dynasty;  // UTF-8, as the era table writes them
  std::string name;
  std::string ruler;    // title of the ruler who proclaimed it
  int baseYear = 0;     // the lunar year of its year 1 (astronomical numbering)
  int firstNumber = 1;  // the first and the last year number the table dates
  int lastNumber = 1;

  // The lunar year (named by the civil year of its 正月初一) of a year number.
  int LunarYear(int number) const { return baseYear + number - 1; }
  int FirstYear() const { return LunarYear(firstNumber); }
  int LastYear() const { return LunarYear(lastNumber); }
};

// Every era of the era table, from 140 BC to 民国, in historical order.
const std::vector<Era>& Eras();

// The era as a list shows it: "清 康熙 1662-1722", "西晋 建武 304"; years
// before 1 AD as "前140".
std::string EraLabel(const Era& era);

// The eras whose name, dynasty or ruler holds the text, or whose label
// starts with it ("康熙" finds 清 康熙, "建武" every dynasty's 建武, "清 康"
// 清 康熙): the eras of that very name first, then those whose name begins
// with it, then the others, each in historical order. Blanks around the text
// do not count; an empty text finds nothing. A name in traditional
// characters or with a variant character (元佑) is read as the table writes
// it; "DYNASTY:TEXT" finds that dynasty's (or ruler's) eras whose name holds
// the text.
std::vector<const Era*> SearchEras(std::string_view text);

// How an era written as "ERA" or "QUALIFIER:ERA" (a dynasty or the title of
// the ruler who proclaimed it, as in 唐:天宝 or 元惠宗:至元) names a year
// number; both parts may be written in traditional characters or with
// variant characters (唐:天寶, 元佑).
struct EraLookup {
  enum Result {
    kFound,             // era: the one era
    kUnknown,           // no era of that name (and qualifier)
    kSeveralDynasties,  // candidates: the dynasties' eras of that name
    kBeyondLength,      // candidates: the eras of that name, none that long
    kSeveral,           // candidates: one dynasty's eras of that name that reach the number
  };
  Result result = kUnknown;
  const Era* era = nullptr;
  std::vector<const Era*> candidates;
};
EraLookup LookUpEra(std::string_view text, int number);

// The message of a lookup that found no one era, naming the candidates one a
// line (UTF-8, without a final line break).
std::string EraLookupMessage(std::string_view text, int number, const EraLookup& lookup);

// A year number as era years are written: 元年, 二年 … 十年, 十一年, 二十年,
// 六十一年.
std::string EraYearText(int number);

// The era of the central dynasty of a lunar month's year (the one whose
// calendar was in use) that named the month: in a year whose era changed,
// the era that began last before the month. Null from 1912 on and for a
// year that no central era names.
const Era* CentralEra(int lunarYear, int month, bool leap);

// The era form of a lunar date, by the era CentralEra gives:
// "清康熙五十年八月十三日", "北宋景祐三年十二月十九日"; a leap month as 闰八月,
// the days 初一日 … 三十日; in the chosen script. Empty where CentralEra gives
// none.
std::string EraDateText(int lunarYear, int month, bool leap, int day);

}  // namespace lumtar::calendar
