// The rule a compiled zone file of the time-zone database ends with
// ("EST5EDT,M3.2.0,M11.1.0"): the clocks of the years after the last change
// the file lists, read through the date library.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace lumtar {

class ZoneRule {
 public:
  // The clock the rule gives at one moment (UTC seconds from 1970).
  struct Clock {
    int64_t begin = 0;  // the rule's change that started it
    int64_t end = 0;    // its next change
    int utc = 0;        // seconds east of UTC
    int daylight = 0;   // the part put forward (negative: a winter clock put back)
  };

  // The rule of a compiled zone file; null when the file ends with none.
  static std::unique_ptr<ZoneRule> OfFile(const std::string& path);
  ~ZoneRule();

  Clock At(int64_t utc) const;
  bool HasSeasons() const { return seasons_; }

 private:
  struct Rule;
  ZoneRule(std::unique_ptr<Rule> rule, int startShift, int endShift);
  Clock Read(int64_t utc) const;
  std::unique_ptr<Rule> rule_;
  bool seasons_ = false;
  // A change at a negative hour ("M3.5.0/-1": 23:00 the evening before),
  // which the library's reader refuses: read at hour 0, moved by this much.
  int startShift_ = 0, endShift_ = 0;
};

}  // namespace lumtar
