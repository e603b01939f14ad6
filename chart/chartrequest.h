// The chart request (one person's birth data as entered) and the chart
// settings kept in dat/set.ini.
#pragma once

#include <cstdint>
#include <string>

namespace lumtar {

class IniFile;

struct ChartRequest {
  char name[12] = {};         // GBK, zero-terminated (at most 10 bytes of text)
  int16_t year = 2000;        // 1600..2100
  int16_t month = 1;          // 1..12
  int16_t day = 1;            // 1..31
  int16_t hour = 0;           // 0..23
  int16_t minute = 0;         // 0..59
  int8_t timeZoneIndex = 8;   // position in the time-zone list, 0..23
  uint8_t isLunar = 0;        // 1: year, month and day are a lunar date
  uint8_t isLeapMonth = 0;    // 1: the lunar month is the leap month
  uint8_t isMale = 1;         // 1 male, 0 female
  int16_t provinceIndex = 0;
  int16_t cityIndex = 0;
  float longitude = 0;        // degrees, east positive
  float latitude = 0;         // degrees, north positive
  char placeName[52] = {};    // GBK: "province-city" or "未知地"
  // The birth clock: an IANA zone (ASCII, zero-terminated) whose clock time
  // the date and time are, or empty for the whole-hour zone timeZoneIndex.
  // With a zone, timeZoneIndex holds the whole-hour zone nearest to the
  // clock (what a case keeps for readers that know no zones).
  char timeZone[48] = {};
  uint8_t dstChoice = 0;      // DstChoice: how a repeated local hour is read
  int32_t placeId = 0;        // GeoNames id of a place of the world atlas, 0 none
  // A lunar date written with an era of a rival court (辽, 金, 元 to 1280,
  // 南明, 明郑) is read on that court's calendar: calendar::LunarCalendar,
  // 0 the central calendar.
  uint8_t lunarCalendar = 0;
  // In a year whose calendar named two months alike (武周's 正月 and 一月):
  // 1 the first, 2 the second; 0 the month the date service finds, as always.
  uint8_t monthOccurrence = 0;

  std::string NameUtf8() const;
  void SetName(const std::string& utf8);
  std::string PlaceNameUtf8() const;
  void SetPlaceName(const std::string& utf8);
  std::string TimeZoneName() const;
  // A name that does not fit leaves the field empty.
  void SetTimeZoneName(const std::string& name);
};

enum class ChartFrame : uint8_t { Ecliptic = 0, Equatorial = 1 };
enum class NodeConvention : uint8_t { LuoSouthJiNorth = 0, LuoNorthJiSouth = 1 };
enum class AscendantMethod : uint8_t { Computed = 0, ByHourBranch = 1 };
enum class PillarTime : uint8_t { Beijing = 0, TrueSolar = 1, LocalMean = 2 };

struct ChartSettings {
  uint8_t frame = 0;                     // guidao: 0 黄道制, 1 赤道制
  uint32_t backgroundColour = 0xFFFFFF;  // bkcolor: 0x00BBGGRR
  uint8_t nodeConvention = 0;            // luoji: 0 罗南计北, 1 罗北计南
  uint8_t aspectOrb = 3;                 // npos: 1..10 degrees
  uint8_t ascendantMethod = 0;           // mgong: 0 弧角计算, 1 按时支起
  uint8_t pillarTime = 0;                // iDate: 0 北京时间, 1 真太阳时, 2 地方时
  friend bool operator==(const ChartSettings&, const ChartSettings&) = default;
};

inline constexpr const char* kSettingsSection = "lumtar";
inline constexpr const char* kSettingsRelativePath = "dat/set.ini";

// Reads the six keys of section "lumtar" of `path` with their defaults. A
// hand-edited value outside its range is brought back into it, so that no
// later chart can index a table out of bounds.
ChartSettings LoadChartSettings(const std::string& path);
// The same from an open settings file (the settings dialog keeps its own).
ChartSettings ReadChartSettings(const IniFile& ini);
// The program folder's dat/set.ini.
ChartSettings LoadChartSettings();
// Writes the six keys in the dialog's order: guidao, bkcolor, luoji, npos,
// mgong, iDate.
bool SaveChartSettings(const std::string& path, const ChartSettings& s);

// The 24-entry time-zone list.
inline constexpr int kTimeZoneCount = 24;
inline constexpr int kDefaultTimeZoneIndex = 8;
// The zone lists' entry after the 24 whole-hour zones: the clock of the
// place's own time zone.
inline constexpr int kLocalTimeZoneIndex = 24;
// "零时区", "东一区" … "东十一区", "中十二区", "西一区" … "西十一区" (UTF-8),
// in the chosen script.
std::string TimeZoneText(int index);
// A place name as stored ("province-city" of the place list, or a typed
// name) shown in the chosen script: each part the place list knows is
// converted, anything else kept as typed.
std::string PlaceNameInScript(const std::string& placeName);
// Position 0..12 is that many hours east, 13..23 is 12 minus the position.
int HoursEastOfZone(int index);

}  // namespace lumtar
