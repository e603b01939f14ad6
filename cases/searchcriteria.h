// The conditions of a case search. The main window keeps one instance for the
// whole run, so the search dialog reopens with the last conditions.
#pragma once

#include <cstdint>
#include <string>

#include "caserecord.h"

namespace lumtar {

struct SearchCriteria {
  // Patterns are GBK bytes and are compared byte for byte with the record's
  // field. They are kept whole: a pattern longer than the field simply finds
  // nothing, where a cut one could find the wrong cases.
  std::string namePattern;
  std::string classPattern;
  uint8_t wantMale = 0;       // with sexFilter: 1 male, 0 female
  int16_t yearFrom = 0;       // with yearFilter: inclusive range in the
  int16_t yearTo = 0;         // store's year numbering (1 BC = 0)
  int16_t provinceIndex = -1; // -1 any province
  uint8_t nameMode = 0;       // 0 off, 1 name contains, 2 name equals
  uint8_t classMode = 0;      // 0 off, 1 class contains, 2 class equals
  bool sexFilter = false;
  bool yearFilter = false;

  void SetNamePattern(const std::string& utf8);
  void SetClassPattern(const std::string& utf8);
  std::string NamePatternUtf8() const;
  std::string ClassPatternUtf8() const;
};

// True when a live or deleted record meets every active condition (the
// deleted flag is the caller's business).
bool MatchesCriteria(const SearchCriteria& criteria, const CaseRecord& record);

// The year boxes of the search dialog and of `lumtar-cli cases search`.
// Each text is read as an integer (text that is no integer reads as -1000);
// both must lie in -850..2100, not be 0, and the second must not be smaller
// than the first. On success the years are stored with years before the
// common era moved up by one (-120 becomes -119) and yearFilter is on; two
// empty texts switch yearFilter off. On failure returns false with the
// system's message in *message and leaves the criteria as they were.
bool SetYearRange(SearchCriteria* criteria, const std::string& from, const std::string& to,
                  std::string* message);

inline constexpr const char* kYearRangeMessage =
    "年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120";
inline constexpr const char* kYearOrderMessage = "结束年必须大于或等于起始年";
inline constexpr const char* kNoRecordsMessage = "没有记录，无从查找。";
inline constexpr const char* kNothingFoundMessage = "没有找到符合条件的命例。";

}  // namespace lumtar
