#include "birthclock.h"

#include <date/tz.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

#include "chartrequest.h"
#include "script.h"
#include "zonerule.h"

namespace lumtar {

namespace {

constexpr std::string_view kZoneNames[] = {
#include "zonenames.inc"
};

constexpr double kUnixEpochJd = 2440587.5;
constexpr int64_t kDay = 86400;
constexpr int64_t kNoTime = std::numeric_limits<int64_t>::min();
// Where the system keeps the compiled database, which the library reads.
const std::string kZoneFolder = "/usr/share/zoneinfo/";

// The local civil time as seconds counted like UTC seconds from 1970. Times
// are entered in whole minutes (the date service's Julian days carry a
// second more).
int64_t LocalSeconds(double localJd) { return std::llround((localJd - kUnixEpochJd) * 1440.0) * 60; }

// What the clocks of a zone showed from one moment on.
struct Offset {
  int64_t at = kNoTime;  // UTC seconds from 1970; kNoTime: from the zone's beginning
  int utc = 0;           // seconds east of UTC
  int daylight = 0;      // the part of it that is daylight-saving time (negative: a winter clock put back)
  bool meanTime = false; // the local mean time of the zone's city
};

// One zone of the database: the clocks it lists, and the rule its file
// gives for the years after the last listed change.
class Zone {
 public:
  static std::unique_ptr<Zone> Load(const std::string& name);

  Offset At(int64_t utc) const;
  // The changes after `utc`, up to and including `to`.
  std::vector<Offset> Changes(int64_t utc, int64_t to) const;
  // The first change after `utc`; at == kNoTime when there is none.
  Offset NextChange(int64_t utc) const;
  // The last change before `utc`; at == kNoTime when there is none.
  Offset PreviousChange(int64_t utc) const;

 private:
  std::vector<Offset> listed_;  // listed_[0] reaches back to the beginning
  std::unique_ptr<ZoneRule> later_;
  bool laterHasSeasons_ = false;

  int64_t LastListed() const { return listed_.size() > 1 ? listed_.back().at : kNoTime; }
  static Offset FromRule(const ZoneRule::Clock& c) { return {c.begin, c.utc, c.daylight, false}; }
};

using Seconds = date::sys_seconds;
Seconds ToSys(int64_t s) { return Seconds{std::chrono::seconds{s}}; }
int64_t FromSys(Seconds s) { return s.time_since_epoch().count(); }

std::unique_ptr<Zone> Zone::Load(const std::string& name) {
  const date::time_zone* tz = nullptr;
  try {
    tz = date::locate_zone(name);
  } catch (const std::exception&) {
    // The library leaves out "Factory" (a clock not yet set: UTC, shown as
    // "-00"), which the zone list holds: its file has only the rule.
    if (ZoneNumber(name) == 0) return nullptr;
    auto zone = std::make_unique<Zone>();
    zone->later_ = ZoneRule::OfFile(kZoneFolder + name);
    if (!zone->later_) return nullptr;
    const ZoneRule::Clock c = zone->later_->At(0);
    zone->laterHasSeasons_ = zone->later_->HasSeasons();
    zone->listed_.push_back({kNoTime, c.utc, c.daylight, false});
    return zone;
  }
  // The database lists the clocks by their UTC offset and whether they are
  // daylight-saving time. The part put forward is the offset less that of
  // the last standard time; when a daylight-saving time began together with
  // a new standard offset, the standard time after it tells which.
  struct Listed {
    int64_t at;
    int utc;
    bool dst;
    bool meanTime;
  };
  std::vector<Listed> periods;
  const int64_t end = FromSys(date::sys_days(date::year::max() / date::December / date::last));
  date::sys_info info = tz->get_info(ToSys(FromSys(date::sys_days(date::year::min() / date::January / 1))));
  for (;;) {
    periods.push_back({periods.empty() ? kNoTime : FromSys(info.begin), static_cast<int>(info.offset.count()),
                       info.save.count() != 0, info.abbrev == "LMT"});
    if (FromSys(info.end) >= end) break;
    info = tz->get_info(info.end);
  }
  auto zone = std::make_unique<Zone>();
  int standard = periods.front().utc;
  for (size_t i = 1; i < periods.size(); ++i)
    if (!periods[i].dst) {
      standard = periods[i].utc;
      break;
    }
  int lastDaylight = 3600;
  for (size_t i = 0; i < periods.size(); ++i) {
    const Listed& p = periods[i];
    if (i == 0) {
      zone->listed_.push_back({kNoTime, p.utc, 0, p.meanTime});
      continue;
    }
    if (!p.dst) {
      standard = p.utc;
    } else if (p.utc != standard + lastDaylight) {
      const int guessed = p.utc - lastDaylight;
      for (size_t j = i + 1; j < periods.size(); ++j) {
        if (periods[j].dst) continue;
        const int next = periods[j].utc;
        if (next == standard) {
        } else if (next == guessed) {
          standard = next;
        } else if (p.utc - 3600 == standard) {
        } else if (p.utc - 3600 == next) {
          standard = next;
        } else if (next < p.utc ? (standard >= p.utc || std::abs(next - guessed) < std::abs(standard - guessed))
                                : (standard >= p.utc && std::abs(next - guessed) < std::abs(standard - guessed))) {
          standard = next;
        }
        break;
      }
      lastDaylight = p.utc - standard;
    }
    zone->listed_.push_back({p.at, p.utc, p.utc - standard, p.meanTime});
  }
  zone->later_ = ZoneRule::OfFile(kZoneFolder + name);
  zone->laterHasSeasons_ = zone->later_ && zone->later_->HasSeasons();
  return zone;
}

Offset Zone::At(int64_t utc) const {
  const int64_t last = LastListed();
  if (later_ && (last == kNoTime || utc > last)) {
    if (!laterHasSeasons_) {
      Offset o = FromRule(later_->At(utc));
      o.at = last;
      return o;
    }
    const ZoneRule::Clock c = later_->At(utc);
    if (last == kNoTime || c.begin > last) return FromRule(c);
  }
  auto it = std::partition_point(listed_.begin() + 1, listed_.end(), [utc](const Offset& o) { return o.at <= utc; });
  return *(it - 1);
}

Offset Zone::NextChange(int64_t utc) const {
  auto it = std::partition_point(listed_.begin() + 1, listed_.end(), [utc](const Offset& o) { return o.at <= utc; });
  if (it != listed_.end()) return *it;
  if (!later_ || !laterHasSeasons_) return {};
  const int64_t last = LastListed();
  int64_t t = std::max(utc, last);
  for (;;) {
    const int64_t next = later_->At(t).end;
    if (next > utc && next > last) return FromRule(later_->At(next));
    t = next;
  }
}

Offset Zone::PreviousChange(int64_t utc) const {
  const int64_t last = LastListed();
  if (later_ && laterHasSeasons_ && utc > last) {
    const ZoneRule::Clock c = later_->At(utc - 1);
    if (last == kNoTime || c.begin > last) return FromRule(c);
  }
  auto it = std::partition_point(listed_.begin() + 1, listed_.end(), [utc](const Offset& o) { return o.at < utc; });
  if (it == listed_.begin() + 1) return {};
  return *(it - 1);
}

std::vector<Offset> Zone::Changes(int64_t utc, int64_t to) const {
  std::vector<Offset> changes;
  for (Offset next = NextChange(utc); next.at != kNoTime && next.at <= to; next = NextChange(next.at))
    changes.push_back(next);
  return changes;
}

// The zones asked for last, so that a panel updating on every keystroke
// does not look the database up each time.
const Zone* ZoneOf(const std::string& name) {
  thread_local std::unordered_map<std::string, std::unique_ptr<Zone>> zones;
  auto it = zones.find(name);
  if (it == zones.end()) {
    if (zones.size() > 64) zones.clear();
    // "UTC" is the database's Etc/UTC.
    it = zones.emplace(name, Zone::Load(name == "UTC" ? "Etc/UTC" : name)).first;
  }
  return it->second.get();
}

struct Reading {
  int64_t utc;
  Offset data;
};

// What the clocks were put forward at the moment `utc` (d: the database's
// reading there). The database writes some clocks with a negative summer
// part (Ireland since 1971, Namibia 1994-2017, Morocco's Ramadan): its
// "standard" time is the summer clock, and the winter clock is standard
// time put back. Such a winter clock is the place's standard time, and a
// clock between two of them was put forward from it, so that the standard
// offset stays the same through the seasons.
int SummerPart(const Zone& tz, int64_t utc, const Offset& d) {
  if (d.daylight < 0) return 0;
  if (d.daylight > 0) return d.daylight;
  const Offset next = tz.NextChange(utc);
  if (next.at == kNoTime || next.daylight >= 0) return 0;
  const Offset start = tz.PreviousChange(utc + 1);
  if (start.at == kNoTime) return 0;
  const Offset before = tz.At(start.at - 1);
  if (before.daylight >= 0) return 0;
  return std::max(0, d.utc - before.utc);
}

// A name as the database writes them ("America/Argentina/Buenos_Aires",
// "Etc/GMT+5"): no absolute path and no way up out of its folder.
bool IsZoneName(const std::string& zone) {
  if (zone.empty() || zone.size() > 64 || zone.front() == '/' || zone.find("..") != std::string::npos) return false;
  // Files of the database's folder that are no zone: the system's own
  // setting, and the variants counting leap seconds into the clock.
  if (zone == "localtime" || zone.starts_with("right/")) return false;
  return std::all_of(zone.begin(), zone.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '_' ||
           c == '-' || c == '+';
  });
}

}  // namespace

bool IsKnownZone(const std::string& zone) { return IsZoneName(zone) && ZoneOf(zone) != nullptr; }

ClockStatus ReadClock(const std::string& zone, double localJd, DstChoice choice, BirthClock* clock, int* skipped) {
  if (!IsKnownZone(zone)) return ClockStatus::UnknownZone;
  const Zone& tz = *ZoneOf(zone);
  const int64_t local = LocalSeconds(localJd);

  // Every offset the zone had within a day and a half of the local time is
  // a candidate; a candidate o is a reading when the clock at local - o
  // really showed offset o.
  const int64_t from = local - 3 * kDay / 2, to = local + 3 * kDay / 2;
  std::vector<int> offsets{tz.At(from).utc};
  const std::vector<Offset> transitions = tz.Changes(from - 1, to);
  for (const Offset& t : transitions) offsets.push_back(t.utc);
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());

  std::vector<Reading> readings;
  for (int o : offsets) {
    const int64_t utc = local - o;
    const Offset d = tz.At(utc);
    if (d.utc == o) readings.push_back({utc, d});
  }
  if (readings.empty()) {
    if (skipped) {
      *skipped = 0;
      for (const Offset& t : transitions) {
        const int before = tz.At(t.at - 1).utc;
        if (local >= t.at + before && local < t.at + t.utc) *skipped = t.utc - before;
      }
    }
    return ClockStatus::Skipped;
  }
  std::sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) { return a.utc < b.utc; });

  // Of two readings the daylight-saving one is the one with more summer
  // time; with equal parts (a change of the standard offset) the earlier,
  // which the old clock showed.
  size_t pick = 0;
  if (readings.size() > 1) {
    size_t daylight = 0;
    for (size_t i = 1; i < readings.size(); ++i)
      if (readings[i].data.daylight > readings[daylight].data.daylight) daylight = i;
    const size_t standard = daylight == 0 ? readings.size() - 1 : 0;
    pick = choice == DstChoice::Standard ? standard : daylight;
    clock->otherOffset = readings[pick == daylight ? standard : daylight].data.utc;
  } else {
    clock->otherOffset = 0;
  }
  const Offset& d = readings[pick].data;
  clock->zone = zone;
  clock->ambiguous = readings.size() > 1;
  clock->standardReading = clock->ambiguous && choice == DstChoice::Standard;
  clock->dstOffset = SummerPart(tz, readings[pick].utc, d);
  clock->standardOffset = d.utc - clock->dstOffset;
  clock->localMeanTime = d.meanTime;
  return ClockStatus::Ok;
}

void UsePlaceMeanTime(BirthClock* clock, double longitude) {
  if (!clock->localMeanTime || !std::isfinite(longitude) || longitude < -180 || longitude > 180) return;
  // The date was kept on the side of the date line the zone's own mean
  // time is on (Tonga before 1945 on Asia's side, the Philippines before
  // 1845 on America's): a day more or less brings the place's mean time
  // nearest to it.
  const int zoneMeanTime = clock->standardOffset;
  int offset = static_cast<int>(std::lround(longitude * 240.0));
  constexpr int kDaySeconds = 86400;
  while (offset - zoneMeanTime > kDaySeconds / 2) offset -= kDaySeconds;
  while (zoneMeanTime - offset > kDaySeconds / 2) offset += kDaySeconds;
  clock->standardOffset = offset;
  clock->dstOffset = 0;
  clock->ambiguous = false;
  clock->standardReading = false;
  clock->otherOffset = 0;
}

BirthClock WholeHourClock(int timeZoneIndex) {
  BirthClock c;
  c.standardOffset = HoursEastOfZone(timeZoneIndex) * 3600;
  return c;
}

int NearestWholeHourZone(int utcOffsetSeconds) {
  const long hours = std::clamp(std::lround(utcOffsetSeconds / 3600.0), -11L, 12L);
  return hours >= 0 ? static_cast<int>(hours) : static_cast<int>(12 - hours);
}

std::string UtcOffsetText(int seconds) {
  const int a = std::abs(seconds);
  const int h = a / 3600, m = a / 60 % 60, s = a % 60;
  char buf[32];
  if (s != 0)
    std::snprintf(buf, sizeof buf, "UTC%c%d:%02d:%02d", seconds < 0 ? '-' : '+', h, m, s);
  else if (m != 0)
    std::snprintf(buf, sizeof buf, "UTC%c%d:%02d", seconds < 0 ? '-' : '+', h, m);
  else
    std::snprintf(buf, sizeof buf, "UTC%c%d", seconds < 0 ? '-' : '+', h);
  return buf;
}

std::string DurationText(int seconds) {
  const int minutes = std::abs(seconds) / 60;
  std::string text;
  if (minutes >= 60) text += std::to_string(minutes / 60) + "小时";
  if (minutes % 60 != 0) text += std::to_string(minutes % 60) + "分钟";
  return text.empty() ? "0分钟" : text;
}

std::string ClockText(const BirthClock& c) {
  if (c.zone.empty()) return TimeZoneText(NearestWholeHourZone(c.UtcOffset()));
  std::string text = c.zone + (c.localMeanTime ? " 地方平时 " : " ") + UtcOffsetText(c.standardOffset);
  if (c.dstOffset != 0) text += " 夏令时 已减" + DurationText(c.dstOffset);
  if (c.standardReading) text += " 重复时刻按标准时";
  return TextInScript(text);
}

int ZoneCount() { return static_cast<int>(std::size(kZoneNames)); }

std::string_view ZoneName(int number) {
  if (number < 1 || number > ZoneCount()) return {};
  return kZoneNames[number - 1];
}

int ZoneNumber(std::string_view name) {
  if (name.empty()) return 0;
  for (int i = 0; i < ZoneCount(); ++i)
    if (kZoneNames[i] == name) return i + 1;
  return 0;
}

}  // namespace lumtar
