#include "chartrequest.h"

#include <algorithm>
#include <cstring>

#include "files.h"
#include "gbk.h"
#include "inifile.h"
#include "script.h"

namespace lumtar {

std::string ChartRequest::NameUtf8() const { return GbkFieldToUtf8(name, sizeof name); }
void ChartRequest::SetName(const std::string& utf8) { CopyToGbkField(utf8, name, sizeof name); }
std::string ChartRequest::PlaceNameUtf8() const { return GbkFieldToUtf8(placeName, sizeof placeName); }
void ChartRequest::SetPlaceName(const std::string& utf8) {
  CopyToGbkField(utf8, placeName, sizeof placeName);
}

std::string ChartRequest::TimeZoneName() const {
  return std::string(timeZone, strnlen(timeZone, sizeof timeZone));
}
void ChartRequest::SetTimeZoneName(const std::string& zoneName) {
  std::memset(timeZone, 0, sizeof timeZone);
  if (zoneName.size() < sizeof timeZone) std::memcpy(timeZone, zoneName.data(), zoneName.size());
}

ChartSettings LoadChartSettings(const std::string& path) { return ReadChartSettings(IniFile(path)); }

ChartSettings ReadChartSettings(const IniFile& ini) {
  ChartSettings s;
  auto clamp = [](int v, int lo, int hi) { return std::clamp(v, lo, hi); };
  s.frame = static_cast<uint8_t>(clamp(ini.ReadInteger(kSettingsSection, "guidao", 0), 0, 1));
  s.backgroundColour =
      static_cast<uint32_t>(ini.ReadInteger(kSettingsSection, "bkcolor", 0xFFFFFF)) & 0xFFFFFFu;
  s.nodeConvention = static_cast<uint8_t>(clamp(ini.ReadInteger(kSettingsSection, "luoji", 0), 0, 1));
  s.aspectOrb = static_cast<uint8_t>(clamp(ini.ReadInteger(kSettingsSection, "npos", 3), 1, 10));
  s.ascendantMethod = static_cast<uint8_t>(clamp(ini.ReadInteger(kSettingsSection, "mgong", 0), 0, 1));
  s.pillarTime = static_cast<uint8_t>(clamp(ini.ReadInteger(kSettingsSection, "iDate", 0), 0, 2));
  return s;
}

ChartSettings LoadChartSettings() { return LoadChartSettings(ProgramPath(kSettingsRelativePath).string()); }

bool SaveChartSettings(const std::string& path, const ChartSettings& s) {
  IniFile ini(path);
  bool ok = ini.WriteInteger(kSettingsSection, "guidao", s.frame);
  ok = ini.WriteInteger(kSettingsSection, "bkcolor", static_cast<int>(s.backgroundColour)) && ok;
  ok = ini.WriteInteger(kSettingsSection, "luoji", s.nodeConvention) && ok;
  ok = ini.WriteInteger(kSettingsSection, "npos", s.aspectOrb) && ok;
  ok = ini.WriteInteger(kSettingsSection, "mgong", s.ascendantMethod) && ok;
  ok = ini.WriteInteger(kSettingsSection, "iDate", s.pillarTime) && ok;
  return ok;
}

std::string TimeZoneText(int index) {
  static const char* const kNumerals[] = {"一", "二", "三", "四", "五", "六",
                                          "七", "八", "九", "十", "十一"};
  if (index <= 0 || index >= kTimeZoneCount) return InScript("零时区");
  if (index < 12) return std::string(InScript("东")) + InScript(kNumerals[index - 1]) + InScript("区");
  if (index == 12) return InScript("中十二区");
  return std::string(InScript("西")) + InScript(kNumerals[index - 13]) + InScript("区");
}

std::string PlaceNameInScript(const std::string& placeName) {
  std::string shown;
  std::size_t from = 0;
  while (true) {
    const std::size_t dash = placeName.find('-', from);
    shown += InScript(std::string_view(placeName).substr(from, dash == std::string::npos ? dash : dash - from));
    if (dash == std::string::npos) return shown;
    shown += '-';
    from = dash + 1;
  }
}

int HoursEastOfZone(int index) { return index <= 12 ? index : 12 - index; }

}  // namespace lumtar
