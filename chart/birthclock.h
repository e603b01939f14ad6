// The birth clock: what the clocks of a place read at a moment. A birth is
// entered either in one of the 24 whole-hour zones of the zone list or in
// the clock time of an IANA time zone (the zone of its place), whose
// standard offset, fractional offsets and daylight-saving time at that
// moment come from the system's time-zone database (the compiled tzdata of
// /usr/share/zoneinfo, read through the date library's tz database). No
// clock rules are written here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumtar {

// How a local time that happened twice (clocks set back) is read.
enum class DstChoice : uint8_t {
  Auto = 0,      // as the database says; a repeated hour takes the daylight-saving reading
  Daylight = 1,  // a repeated hour: the daylight-saving (first) reading
  Standard = 2,  // a repeated hour: the standard (second) reading
};

// The clock at one moment.
struct BirthClock {
  std::string zone;       // IANA name; empty for a whole-hour zone of the list
  int standardOffset = 0; // seconds east of UTC
  int dstOffset = 0;      // seconds the clocks were put forward for daylight-saving time (never negative:
                          // a winter clock the database writes as standard time put back is standard time)
  bool ambiguous = false; // the local time happened twice
  int otherOffset = 0;    // with ambiguous: the UTC offset of the other reading
  bool localMeanTime = false;  // before the zone's first standard time: the mean solar time of a place
  bool standardReading = false;  // ambiguous, and the standard reading was asked for
  int UtcOffset() const { return standardOffset + dstOffset; }
};

enum class ClockStatus {
  Ok,
  UnknownZone,  // the database has no zone of that name
  Skipped,      // the clocks jumped over the local time: it never happened
};

// The clock of `zone` at the local civil time `localJd` (a Julian day as the
// date service counts it, that is Julian calendar before 1582-10-15, taken
// to the nearest whole minute). For a
// skipped local time `skipped` (when given) gets the size of the jump in
// seconds.
ClockStatus ReadClock(const std::string& zone, double localJd, DstChoice choice, BirthClock* clock,
                      int* skipped = nullptr);

// Before its first standard time a zone's clock is the mean solar time of
// the city that names it (Asia/Shanghai: Shanghai's, UTC+8:05:43). A birth
// elsewhere in that zone was timed by its own place's mean solar time: the
// clock becomes that of `longitude` (degrees, east positive), on the side
// of the date line the zone's own mean time is on (Pacific/Tongatapu
// before 1945: UTC+12:19:12, not UTC-11:40:48). Later clocks are left as
// they are.
void UsePlaceMeanTime(BirthClock* clock, double longitude);

// True when the database knows the zone.
bool IsKnownZone(const std::string& zone);

// The clock of the whole-hour zone at list position `timeZoneIndex`.
BirthClock WholeHourClock(int timeZoneIndex);

// The list position of the whole-hour zone nearest to a UTC offset (half
// hours go away from zero; beyond the list's +12 and -11 the end entry).
int NearestWholeHourZone(int utcOffsetSeconds);

// "UTC+8", "UTC+7:30", "UTC-3:30", "UTC+8:05:43".
std::string UtcOffsetText(int seconds);
// "1小时", "30分钟", "1小时30分钟", "2小时".
std::string DurationText(int seconds);
// The clock as the chart header and the annual line state it: the list
// text ("东八区") for a whole-hour zone of the list, a place's clock by its
// zone with its standard offset, the daylight-saving hour taken off and the
// standard reading of a repeated hour ("Asia/Singapore UTC+7:30",
// "America/New_York UTC-5 夏令时 已减1小时", "Asia/Shanghai 地方平时 UTC+6:56:16",
// "America/New_York UTC-5 重复时刻按标准时"), in the chosen script.
std::string ClockText(const BirthClock& clock);

// The IANA zone list: a case stores its zone as a position in it, counted
// from 1 (0 meaning a whole-hour zone). The list only grows at its end.
int ZoneCount();
// The name at a position 1..ZoneCount(), empty otherwise.
std::string_view ZoneName(int number);
// The position of a name, 0 when it is not in the list.
int ZoneNumber(std::string_view name);

}  // namespace lumtar
