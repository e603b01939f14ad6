#include "birthclock.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "chartrequest.h"
#include "script.h"

namespace lumtar {

namespace {

constexpr std::string_view kZoneNames[] = {
#include "zonenames.inc"
};

constexpr double kUnixEpochJd = 2440587.5;
constexpr qint64 kDay = 86400;

// The local civil time as seconds counted like UTC seconds from 1970. Times
// are entered in whole minutes (the date service's Julian days carry a
// second more).
qint64 LocalSeconds(double localJd) { return std::llround((localJd - kUnixEpochJd) * 1440.0) * 60; }

QDateTime Utc(qint64 seconds) { return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()); }

// The zones asked for last, so that a panel updating on every keystroke
// does not look the database up each time.
const QTimeZone& ZoneOf(const std::string& name) {
  thread_local std::unordered_map<std::string, QTimeZone> zones;
  auto it = zones.find(name);
  if (it == zones.end()) {
    if (zones.size() > 64) zones.clear();
    QTimeZone zone(QByteArray::fromStdString(name));
    // Qt answers "UTC" with a fixed offset that has no history to ask; the
    // database's zone of that name is Etc/UTC.
    if (zone.isValid() && !zone.hasTransitions()) zone = QTimeZone(QByteArray::fromStdString("Etc/" + name));
    it = zones.emplace(name, std::move(zone)).first;
  }
  return it->second;
}

struct Reading {
  qint64 utc;
  QTimeZone::OffsetData data;
};

// What the clocks were put forward at the moment `utc` (data: the
// database's reading there). The database writes some clocks with a
// negative summer part (Ireland since 1971, Namibia 1994-2017, Morocco's
// Ramadan): its "standard" time is the summer clock, and the winter clock
// is standard time put back. Such a winter clock is the place's standard
// time, and a clock between two of them was put forward from it, so that
// the standard offset stays the same through the seasons.
int SummerPart(const QTimeZone& tz, qint64 utc, const QTimeZone::OffsetData& d) {
  if (d.daylightTimeOffset < 0) return 0;
  if (d.daylightTimeOffset > 0) return d.daylightTimeOffset;
  const QTimeZone::OffsetData next = tz.nextTransition(Utc(utc));
  if (!next.atUtc.isValid() || next.daylightTimeOffset >= 0) return 0;
  const QTimeZone::OffsetData start = tz.previousTransition(Utc(utc + 1));
  if (!start.atUtc.isValid()) return 0;
  const QTimeZone::OffsetData before = tz.offsetData(Utc(start.atUtc.toSecsSinceEpoch() - 1));
  if (before.daylightTimeOffset >= 0) return 0;
  return std::max(0, d.offsetFromUtc - before.offsetFromUtc);
}

}  // namespace

namespace {

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

bool IsKnownZone(const std::string& zone) {
  if (!IsZoneName(zone)) return false;
  const QTimeZone& tz = ZoneOf(zone);
  return tz.isValid() && tz.hasTransitions();
}

ClockStatus ReadClock(const std::string& zone, double localJd, DstChoice choice, BirthClock* clock, int* skipped) {
  if (!IsKnownZone(zone)) return ClockStatus::UnknownZone;
  const QTimeZone& tz = ZoneOf(zone);
  const qint64 local = LocalSeconds(localJd);

  // Every offset the zone had within a day and a half of the local time is
  // a candidate; a candidate o is a reading when the clock at local - o
  // really showed offset o.
  const qint64 from = local - 3 * kDay / 2, to = local + 3 * kDay / 2;
  std::vector<int> offsets{tz.offsetFromUtc(Utc(from))};
  const QTimeZone::OffsetDataList transitions = tz.transitions(Utc(from), Utc(to));
  for (const QTimeZone::OffsetData& t : transitions) offsets.push_back(t.offsetFromUtc);
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());

  std::vector<Reading> readings;
  for (int o : offsets) {
    const qint64 utc = local - o;
    const QTimeZone::OffsetData d = tz.offsetData(Utc(utc));
    if (d.offsetFromUtc == o) readings.push_back({utc, d});
  }
  if (readings.empty()) {
    if (skipped) {
      *skipped = 0;
      for (const QTimeZone::OffsetData& t : transitions) {
        const qint64 at = t.atUtc.toSecsSinceEpoch();
        const int before = tz.offsetFromUtc(Utc(at - 1));
        if (local >= at + before && local < at + t.offsetFromUtc) *skipped = t.offsetFromUtc - before;
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
      if (readings[i].data.daylightTimeOffset > readings[daylight].data.daylightTimeOffset) daylight = i;
    const size_t standard = daylight == 0 ? readings.size() - 1 : 0;
    pick = choice == DstChoice::Standard ? standard : daylight;
    clock->otherOffset = readings[pick == daylight ? standard : daylight].data.offsetFromUtc;
  } else {
    clock->otherOffset = 0;
  }
  const QTimeZone::OffsetData& d = readings[pick].data;
  clock->zone = zone;
  clock->ambiguous = readings.size() > 1;
  clock->standardReading = clock->ambiguous && choice == DstChoice::Standard;
  clock->dstOffset = SummerPart(tz, readings[pick].utc, d);
  clock->standardOffset = d.offsetFromUtc - clock->dstOffset;
  clock->localMeanTime = d.abbreviation == QLatin1String("LMT");
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
