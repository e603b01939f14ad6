// Built as C++17: the date library's reader of these rules (ptz.h) names
// hh_mm_ss from both its own namespace and std::chrono, which C++20 also has.
#include "zonerule.h"

#include <date/ptz.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>

namespace lumtar {

struct ZoneRule::Rule {
  Posix::time_zone zone;
};

namespace {

date::sys_seconds ToSys(int64_t s) { return date::sys_seconds{std::chrono::seconds{s}}; }
int64_t FromSys(date::sys_seconds s) { return s.time_since_epoch().count(); }

}  // namespace

ZoneRule::ZoneRule(std::unique_ptr<Rule> rule, int startShift, int endShift)
    : rule_(std::move(rule)), startShift_(startShift), endShift_(endShift) {
  const date::sys_info info = rule_->zone.get_info(ToSys(0));
  seasons_ = info.end < date::sys_days(date::year::max() / date::December / date::last);
}

ZoneRule::~ZoneRule() = default;

std::unique_ptr<ZoneRule> ZoneRule::OfFile(const std::string& path) {
  // The rule is the file's last line, after the listed changes.
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 2 || bytes.back() != '\n') return nullptr;
  const size_t from = bytes.rfind('\n', bytes.size() - 2);
  if (from == std::string::npos || from + 2 == bytes.size()) return nullptr;
  std::string text = bytes.substr(from + 1, bytes.size() - from - 2);
  // The hour of a change may be negative ("<-02>2<-01>,M3.5.0/-1,M10.5.0/0").
  int shifts[2] = {0, 0};
  size_t at = text.find(',');
  for (int part = 0; part < 2 && at != std::string::npos; ++part) {
    const size_t next = text.find(',', at + 1);
    const size_t slash = text.find("/-", at);
    if (slash != std::string::npos && slash < next) {
      const size_t end = next == std::string::npos ? text.size() : next;
      int fields[3] = {0, 0, 0}, n = 0;
      for (size_t i = slash + 2; i < end && n < 3; ++i) {
        if (text[i] == ':') ++n;
        else if (text[i] >= '0' && text[i] <= '9') fields[n] = fields[n] * 10 + (text[i] - '0');
        else return nullptr;
      }
      shifts[part] = -(fields[0] * 3600 + fields[1] * 60 + fields[2]);
      text.replace(slash, end - slash, "/0");
    }
    at = text.find(',', at + 1);
  }
  try {
    auto rule = std::make_unique<Rule>(Rule{Posix::time_zone(text)});
    return std::unique_ptr<ZoneRule>(new ZoneRule(std::move(rule), shifts[0], shifts[1]));
  } catch (const std::exception&) {
    return nullptr;
  }
}

ZoneRule::Clock ZoneRule::Read(int64_t utc) const {
  const date::sys_info info = rule_->zone.get_info(ToSys(utc));
  Clock c;
  c.begin = FromSys(info.begin);
  c.end = FromSys(info.end);
  c.utc = static_cast<int>(info.offset.count());
  // (The library leaves the part unset for a rule without seasons.)
  c.daylight = seasons_ ? static_cast<int>(std::chrono::seconds(info.save).count()) : 0;
  return c;
}

ZoneRule::Clock ZoneRule::At(int64_t utc) const {
  Clock c = Read(utc);
  if (startShift_ == 0 && endShift_ == 0) return c;
  // The changes come earlier than read: a daylight-saving time starts at
  // its start rule's change and ends at its end rule's.
  auto shiftAfter = [&](const Clock& k) { return k.daylight != 0 ? endShift_ : startShift_; };
  auto shiftBefore = [&](const Clock& k) { return k.daylight != 0 ? startShift_ : endShift_; };
  if (utc >= c.end + shiftAfter(c)) {
    const int64_t begin = c.end + shiftAfter(c);
    c = Read(c.end);
    c.begin = begin;
  } else {
    c.begin += shiftBefore(c);
  }
  c.end += shiftAfter(c);
  return c;
}

}  // namespace lumtar
