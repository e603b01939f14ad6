#include "caserecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "birthclock.h"
#include "gbk.h"
#include "rivalcalendars.h"
#include "script.h"

namespace lumtar {
namespace {

// Copies GBK text between fields of different widths, cut at a whole
// character so that it stays terminated inside the target.
void CopyGbkField(const char* from, std::size_t fromSize, char* to, std::size_t toSize) {
  std::memset(to, 0, toSize);
  std::string cut = TruncateGbk(FieldText(from, fromSize), toSize - 1);
  std::memcpy(to, cut.data(), cut.size());
}

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsGbkTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// The name as it may stand in a file name: double-byte characters are kept,
// ASCII that a file system (this one or the original platform's) refuses,
// path separators among them, becomes '_', and so does any byte that is no
// valid GBK. Dots stay: without a separator they cannot leave the folder.
std::string FileNamePart(std::string_view gbk) {
  std::string out;
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (IsGbkLead(c) && i + 1 < gbk.size() && IsGbkTrail(static_cast<unsigned char>(gbk[i + 1]))) {
      // A pair that does not decode to one non-ASCII character would leave
      // its trail byte (perhaps a '\\') in the file name.
      std::string utf8 = GbkToUtf8(gbk.substr(i, 2));
      bool clean = !utf8.empty();
      for (unsigned char u : utf8) clean = clean && u >= 0x80;
      out += clean ? std::string(gbk.substr(i, 2)) : std::string("_");
      ++i;
    } else if (c < 0x20 || c >= 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr) {
      out += '_';
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

constexpr int kMaxCommentCounter = 99999;

}  // namespace

std::string_view FieldText(const char* field, std::size_t size) {
  std::size_t n = 0;
  while (n < size && field[n] != '\0') ++n;
  return {field, n};
}

std::string CaseRecord::NameUtf8() const { return GbkFieldToUtf8(name, sizeof name); }
void CaseRecord::SetName(const std::string& utf8) { CopyToGbkField(utf8, name, sizeof name); }
std::string CaseRecord::ClassNameUtf8() const { return GbkFieldToUtf8(className, sizeof className); }
void CaseRecord::SetClassName(const std::string& utf8) {
  CopyToGbkField(utf8, className, sizeof className);
}
std::string CaseRecord::PlaceNameUtf8() const { return GbkFieldToUtf8(placeName, sizeof placeName); }
void CaseRecord::SetPlaceName(const std::string& utf8) {
  CopyToGbkField(utf8, placeName, sizeof placeName);
}
std::string CaseRecord::CommentNameUtf8() const {
  return GbkFieldToUtf8(commentName, sizeof commentName);
}
void CaseRecord::SetCommentName(const std::string& utf8) {
  CopyToGbkField(utf8, commentName, sizeof commentName);
}

void CopyRequestToCase(const ChartRequest& request, CaseRecord* record) {
  CopyGbkField(request.name, sizeof request.name, record->name, sizeof record->name);
  record->year = request.year;
  record->month = request.month;
  record->day = request.day;
  record->hour = request.hour;
  record->minute = request.minute;
  record->isLunar = request.isLunar;
  record->isLeapMonth = request.isLeapMonth;
  record->isMale = request.isMale;
  record->provinceIndex = request.provinceIndex;
  record->cityIndex = request.cityIndex;
  record->timeZoneIndex = request.timeZoneIndex;
  record->longitude = request.longitude;
  record->latitude = request.latitude;
  CopyGbkField(request.placeName, sizeof request.placeName, record->placeName,
               sizeof record->placeName);
  SetCaseClock(request, record);
}

uint8_t ClockCheckOf(const CaseRecord& r) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
  unsigned sum = 0x5A;
  for (std::size_t i : {std::size_t{43}, std::size_t{50}, std::size_t{51}}) sum = sum * 31 + bytes[i];
  for (std::size_t i = 60; i < 67; ++i) sum = sum * 31 + bytes[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

CaseClock CaseClockOf(const CaseRecord& r) {
  CaseClock c;
  if (r.zoneNumber == 0 && r.placeId == 0 && r.dstChoice == 0) return c;
  if (r.clockCheck != ClockCheckOf(r) || r.dstChoice > static_cast<uint8_t>(DstChoice::Standard) ||
      r.zoneNumber > ZoneCount() || r.placeId < 0)
    return c;
  c.timeZone = std::string(ZoneName(r.zoneNumber));
  c.dstChoice = c.timeZone.empty() ? 0 : r.dstChoice;
  c.placeId = r.placeId;
  return c;
}

void ClearReservedBytes(CaseRecord* r) {
  r->dstChoice = 0;
  r->zoneNumber = 0;
  r->placeId = 0;
  r->lunarCalendar = 0;
  r->monthOccurrence = 0;
  std::fill(std::begin(r->reserved), std::end(r->reserved), uint8_t{0});
  r->clockCheck = 0;
}

void SetCaseClock(const ChartRequest& request, CaseRecord* r) {
  ClearReservedBytes(r);
  const int zone = ZoneNumber(request.TimeZoneName());
  r->zoneNumber = static_cast<uint16_t>(zone);
  r->dstChoice = zone != 0 && request.dstChoice <= static_cast<uint8_t>(DstChoice::Standard) ? request.dstChoice : 0;
  r->placeId = request.placeId > 0 ? request.placeId : 0;
  if (request.isLunar == 1) {
    r->lunarCalendar = request.lunarCalendar < calendar::kLunarCalendarCount ? request.lunarCalendar : 0;
    r->monthOccurrence = request.monthOccurrence <= 2 ? request.monthOccurrence : 0;
  }
  if (r->zoneNumber != 0 || r->placeId != 0 || r->lunarCalendar != 0 || r->monthOccurrence != 0)
    r->clockCheck = ClockCheckOf(*r);
}

CaseCalendar CaseCalendarOf(const CaseRecord& r) {
  if (r.lunarCalendar == 0 && r.monthOccurrence == 0) return {};
  if (r.isLunar != 1 || r.clockCheck != ClockCheckOf(r) || r.lunarCalendar >= calendar::kLunarCalendarCount ||
      r.monthOccurrence > 2)
    return {};
  return {r.lunarCalendar, r.monthOccurrence};
}

void CopyCaseClockToRequest(const CaseRecord& record, ChartRequest* request) {
  const CaseClock c = CaseClockOf(record);
  request->SetTimeZoneName(c.timeZone);
  request->dstChoice = c.dstChoice;
  request->placeId = c.placeId;
  const CaseCalendar calendar = CaseCalendarOf(record);
  request->lunarCalendar = calendar.lunarCalendar;
  request->monthOccurrence = calendar.monthOccurrence;
}

std::string CaseDateText(const CaseRecord& r) {
  std::string text = InScript(r.isLunar == 1 ? "农" : "公");
  if (r.isLunar == 1 && r.isLeapMonth == 1) text += InScript("闰");
  int year = r.year <= 0 ? r.year - 1 : r.year;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%d-%d-%d", year, r.month, r.day);
  return text + buf;
}

std::string CaseText(const CaseRecord& r) {
  return r.NameUtf8() + "  " + CaseDateText(r) + "|" + std::to_string(r.slot);
}

bool IsSafeCommentName(const std::string& utf8) {
  if (utf8.empty() || utf8 == "." || utf8 == "..") return false;
  for (unsigned char c : utf8) {
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

std::string CommentBaseName(const CaseRecord& r) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "_%04d%02d%02d%02d%02d", r.year, r.month, r.day, r.hour,
                r.minute);
  // Leave room for the longest counter so that every candidate fits the field.
  const std::size_t field = sizeof r.commentName - 1;
  const std::size_t counterRoom = 6;  // "_99999"
  if (std::strlen(digits) + counterRoom > field) return {};
  std::string base = TruncateGbk(FileNamePart(FieldText(r.name, sizeof r.name)),
                                 field - counterRoom - std::strlen(digits)) +
                     digits;
  if (!IsSafeCommentName(GbkToUtf8(base))) return {};
  return base;
}

std::string ChooseCommentName(const CaseRecord& r,
                              const std::function<bool(const std::string& gbkBase)>& taken) {
  const std::string base = CommentBaseName(r);
  if (base.empty()) return {};
  if (!taken(base)) return base;
  for (int counter = 0; counter <= kMaxCommentCounter; ++counter) {
    std::string candidate = base + "_" + std::to_string(counter);
    if (!taken(candidate)) return candidate;
  }
  return {};
}

}  // namespace lumtar
