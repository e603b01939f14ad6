// The stored case (命例): one fixed record of 152 bytes in dat/Lumtar.dat,
// and the rules that go with it (the tree text of a case, the name of its
// comment document).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "chartrequest.h"

namespace lumtar {

// The record exactly as it lies in the store file: little-endian integers,
// IEEE single reals, GBK texts zero-terminated inside their fields. The bytes
// after a terminator carry no meaning; records written by other programs may
// hold anything there, and they are kept as read.
struct CaseRecord {
  int32_t slot = 0;           // the record's own position in the file
  uint8_t isDeleted = 0;      // 0 live, 1 deleted
  char name[11] = {};         // at most 10 bytes of text
  char className[14] = {};    // class (类别), at most 13 bytes of text
  int16_t year = 0;           // as entered, Gregorian or lunar
  int16_t month = 0;          // 1..12 (the lunar month with isLunar)
  int16_t day = 0;            // 1..31
  int16_t hour = 0;           // 0..23
  int16_t minute = 0;         // 0..59
  uint8_t isLunar = 0;        // 1 农历, 0 公历
  uint8_t isLeapMonth = 0;    // 1 the leap (闰) month; only with isLunar
  uint8_t isMale = 0;         // 1 male, 0 female
  // The birth clock and the atlas place live in bytes the original layout
  // reserves, zero meaning "as before" (below).
  uint8_t dstChoice = 0;      // 43: DstChoice of a repeated local hour
  int16_t provinceIndex = 0;  // position in the province list
  int16_t cityIndex = 0;      // position in that province's city list
  int16_t timeZoneIndex = 0;  // position in the time-zone list, 0..23
  uint16_t zoneNumber = 0;    // 50: IANA zone, position in the zone list from 1; 0 whole-hour zone
  float longitude = 0;        // degrees, east positive
  float latitude = 0;         // degrees, north positive
  int32_t placeId = 0;        // 60: GeoNames id of the world-atlas place, 0 none
  // The calendar a lunar date was read on and which of two months named
  // alike it means, also under the check byte (CaseCalendarOf).
  uint8_t lunarCalendar = 0;   // 64: calendar::LunarCalendar, 0 the central calendar
  uint8_t monthOccurrence = 0; // 65: 1 or 2 of two months named alike in the year, 0 as the date service finds
  uint8_t reserved[1] = {};    // 66: zero
  uint8_t clockCheck = 0;     // 67: check byte over 43, 50-51 and 60-66 (ClockCheckOf)
  char placeName[51] = {};    // "province-city" or "未知地", at most 50 bytes
  char commentName[33] = {};  // comment document base name, at most 32 bytes

  // Texts as UTF-8. Setters cut a longer text at a whole GBK character and
  // zero the rest of the field.
  std::string NameUtf8() const;
  void SetName(const std::string& utf8);
  std::string ClassNameUtf8() const;
  void SetClassName(const std::string& utf8);
  std::string PlaceNameUtf8() const;
  void SetPlaceName(const std::string& utf8);
  std::string CommentNameUtf8() const;
  void SetCommentName(const std::string& utf8);
};

inline constexpr int kCaseRecordSize = 152;

// The record is read and written as raw bytes; its layout is the file format.
static_assert(std::endian::native == std::endian::little, "the store file is little-endian");
static_assert(std::is_standard_layout_v<CaseRecord> && std::is_trivially_copyable_v<CaseRecord>);
static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
static_assert(sizeof(CaseRecord) == kCaseRecordSize);
static_assert(offsetof(CaseRecord, slot) == 0);
static_assert(offsetof(CaseRecord, isDeleted) == 4);
static_assert(offsetof(CaseRecord, name) == 5);
static_assert(offsetof(CaseRecord, className) == 16);
static_assert(offsetof(CaseRecord, year) == 30);
static_assert(offsetof(CaseRecord, month) == 32);
static_assert(offsetof(CaseRecord, day) == 34);
static_assert(offsetof(CaseRecord, hour) == 36);
static_assert(offsetof(CaseRecord, minute) == 38);
static_assert(offsetof(CaseRecord, isLunar) == 40);
static_assert(offsetof(CaseRecord, isLeapMonth) == 41);
static_assert(offsetof(CaseRecord, isMale) == 42);
static_assert(offsetof(CaseRecord, dstChoice) == 43);
static_assert(offsetof(CaseRecord, provinceIndex) == 44);
static_assert(offsetof(CaseRecord, cityIndex) == 46);
static_assert(offsetof(CaseRecord, timeZoneIndex) == 48);
static_assert(offsetof(CaseRecord, zoneNumber) == 50);
static_assert(offsetof(CaseRecord, longitude) == 52);
static_assert(offsetof(CaseRecord, latitude) == 56);
static_assert(offsetof(CaseRecord, placeId) == 60);
static_assert(offsetof(CaseRecord, lunarCalendar) == 64);
static_assert(offsetof(CaseRecord, monthOccurrence) == 65);
static_assert(offsetof(CaseRecord, reserved) == 66);
static_assert(offsetof(CaseRecord, clockCheck) == 67);
static_assert(offsetof(CaseRecord, placeName) == 68);
static_assert(offsetof(CaseRecord, commentName) == 119);

// The bytes of a zero-terminated text field (all of them when the field
// holds no terminator).
std::string_view FieldText(const char* field, std::size_t size);

// Copies the birth data of a chart request into a case: name, date and time,
// calendar kind, leap month, sex, province, city, time zone, coordinates and
// place name, and the birth clock's fields (SetCaseClock). slot, isDeleted,
// className and commentName stay as they are.
void CopyRequestToCase(const ChartRequest& request, CaseRecord* record);

// The birth clock in the formerly reserved bytes (43, 50-51, 60-63, 67). A
// record carries one when its zone number is in the zone list, its DST
// choice is one of DstChoice and the check byte agrees: stores written
// before (all zero there) or elsewhere (whatever the writer's buffer held)
// read as "as before", a whole-hour zone and no atlas place.
struct CaseClock {
  std::string timeZone;  // IANA name; empty: the whole-hour zone timeZoneIndex
  uint8_t dstChoice = 0;
  int32_t placeId = 0;
};
CaseClock CaseClockOf(const CaseRecord& record);
// Writes the clock fields; an empty zone with no place writes zeros, as a
// record written before them. A zone outside the list is kept as its
// whole-hour zone only.
void SetCaseClock(const ChartRequest& request, CaseRecord* record);
// The check byte of the clock fields.
uint8_t ClockCheckOf(const CaseRecord& record);
// Zeros every byte the layout reserves, the clock's included.
void ClearReservedBytes(CaseRecord* record);
// The request's clock fields from a record (CaseClockOf), and the calendar
// of its lunar date (CaseCalendarOf).
void CopyCaseClockToRequest(const CaseRecord& record, ChartRequest* request);

// The calendar a case's lunar date was read on (bytes 64, 65): counted only
// for a lunar date, with values a calendar has and the check byte agreeing;
// anything else (stores written before: zero) reads as the central calendar
// and the month the date service finds, as before. SetCaseClock writes them
// with the clock.
struct CaseCalendar {
  uint8_t lunarCalendar = 0;
  uint8_t monthOccurrence = 0;
};
CaseCalendar CaseCalendarOf(const CaseRecord& record);

// The date as the case tree shows it: "公1990-3-7", "农1990-3-7" or
// "农闰1990-4-1" (in the chosen script); a year of 0 or less is shown as
// year - 1.
std::string CaseDateText(const CaseRecord& record);
// The text of a case node: name, two spaces, the date text, "|" and the
// slot, e.g. "张三  公1990-3-7|17".
std::string CaseText(const CaseRecord& record);

// Comment documents live in the folder Lumtar_f of the program folder, one
// "<commentName>.rtf" per case.
inline constexpr const char* kCommentFolderName = "Lumtar_f";
inline constexpr const char* kCommentExtension = ".rtf";

// True when a comment base name (UTF-8, as used for the file name) names a
// plain file inside the comment folder: not empty, not "." or "..", and
// without '/', '\' or control characters, so that neither a relative climb
// ("../../x") nor an absolute path can come out of it. Names read from a
// store file that fail this are never used for any file operation.
bool IsSafeCommentName(const std::string& utf8);

// The comment-document naming rule. The base is "<name>_YYYYMMDDhhmm" from the
// record's name and birth moment; if "<base>.rtf" is taken, "<base>_0",
// "<base>_1" … "<base>_99999" are tried in turn. `taken` tells whether the
// document of a GBK base name already exists. Characters of the name that
// cannot stand in a file name are replaced by '_'. Returns the GBK base name,
// or an empty text when every candidate is taken (an existing document is
// never handed out a second time).
std::string ChooseCommentName(const CaseRecord& record,
                              const std::function<bool(const std::string& gbkBase)>& taken);
// The base every candidate of the naming rule starts with ("<name>_YYYYMMDDhhmm",
// GBK), or an empty text when the record's fields give no name that fits.
std::string CommentBaseName(const CaseRecord& record);

}  // namespace lumtar
