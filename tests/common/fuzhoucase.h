// A case born in 福州 at 10:30 on 3-7 of a year, its comment document named
// after the case: the record the window's store tests and benchmarks write.
#pragma once

#include <string>

#include "caserecord.h"

namespace lumtar::test {

inline CaseRecord FuzhouCase(const std::string& name, const std::string& className, int year) {
  CaseRecord r;
  r.SetName(name);
  r.SetClassName(className);
  r.SetCommentName(name);
  r.year = static_cast<int16_t>(year);
  r.month = 3;
  r.day = 7;
  r.hour = 10;
  r.minute = 30;
  r.isMale = 1;
  r.timeZoneIndex = 8;
  r.longitude = 119.3f;
  r.latitude = 26.08f;
  r.SetPlaceName("福建省-福州市");
  return r;
}

}  // namespace lumtar::test
