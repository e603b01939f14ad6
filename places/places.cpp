#include "places.h"

#include <cmath>
#include <cstdio>

#include "inifile.h"

namespace lumtar {

const std::array<const char*, kProvinceCount> ProvinceNames = {
    "福建省", "北京市", "天津市", "河北省", "山西省", "内蒙古", "辽宁省",
    "吉林省", "黑龙江省", "上海市", "江苏省", "浙江省", "安徽省", "江西省",
    "山东省", "河南省", "湖北省", "湖南省", "广东省", "广西", "海南省",
    "四川省", "重庆市", "贵州省", "云南省", "西藏", "陕西省", "甘肃省",
    "青海省", "宁夏", "新疆", "台湾省", "香港", "澳门", "未知地",
};

namespace {

void SplitAt(const std::string& text, char sep, std::string* before, std::string* after) {
  size_t pos = text.find(sep);
  if (pos == std::string::npos) {
    *before = text;
    after->clear();
  } else {
    *before = text.substr(0, pos);
    *after = text.substr(pos + 1);
  }
}

bool ValidProvince(int province) { return province >= 0 && province < kProvinceCount; }

}  // namespace

CityValuePieces SplitCityValue(const std::string& value) {
  CityValuePieces p;
  std::string lon, lat;
  SplitAt(value, '*', &lon, &lat);
  SplitAt(lon, ':', &p.longitudeDegrees, &p.longitudeMinutes);
  SplitAt(lat, ':', &p.latitudeDegrees, &p.latitudeMinutes);
  return p;
}

std::string FormatCityValue(int longitudeDegrees, int longitudeMinutes, int latitudeDegrees,
                            int latitudeMinutes) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d:%d*%d:%d", longitudeDegrees, longitudeMinutes,
                latitudeDegrees, latitudeMinutes);
  return buf;
}

float DegreesMinutesToFloat(int degrees, int minutes) {
  double m = degrees < 0 ? -static_cast<double>(minutes) : static_cast<double>(minutes);
  return static_cast<float>(static_cast<double>(degrees) + m / 60.0);
}

bool ParseCityValue(const std::string& value, float* longitude, float* latitude) {
  size_t star = value.find('*');
  if (star == std::string::npos) return false;
  std::string lon = value.substr(0, star), lat = value.substr(star + 1);
  size_t c1 = lon.find(':'), c2 = lat.find(':');
  if (c1 == std::string::npos || c2 == std::string::npos) return false;
  int a, b, c, d;
  if (!IniFile::ParseInteger(lon.substr(0, c1), &a) ||
      !IniFile::ParseInteger(lon.substr(c1 + 1), &b) ||
      !IniFile::ParseInteger(lat.substr(0, c2), &c) ||
      !IniFile::ParseInteger(lat.substr(c2 + 1), &d))
    return false;
  *longitude = DegreesMinutesToFloat(a, b);
  *latitude = DegreesMinutesToFloat(c, d);
  return true;
}

std::string CoordinateBoxText(double v) {
  if (!std::isfinite(v)) v = 0;
  if (v > 1e9) v = 1e9;
  if (v < -1e9) v = -1e9;
  double whole = std::trunc(v);
  double x = std::fabs(v - whole) * 60.0;
  double lower = std::floor(x);
  long long minutes = static_cast<long long>(lower) + (x - lower > 0.5 ? 1 : 0);
  long long degrees = static_cast<long long>(whole);
  if (minutes >= 60) {
    minutes -= 60;
    degrees += v < 0 ? -1 : 1;
  }
  char buf[48];
  // A value between -1 and 0 keeps its sign on the degree part ("-0:30"),
  // so that the box reads back as the same coordinate.
  const char* sign = (degrees == 0 && v < 0 && minutes > 0) ? "-" : "";
  std::snprintf(buf, sizeof buf, "%s%lld:%lld", sign, degrees, minutes);
  return buf;
}

std::vector<std::string> ReadCityNames(const IniFile& ini, int province) {
  if (!ValidProvince(province) || province == kUnknownProvinceIndex) return {};
  return ini.ReadSection(ProvinceNames[static_cast<size_t>(province)]);
}

std::string ReadCityValue(const IniFile& ini, int province, const std::string& city) {
  if (!ValidProvince(province) || province == kUnknownProvinceIndex) return kDefaultCityValue;
  return ini.ReadString(ProvinceNames[static_cast<size_t>(province)], city, kDefaultCityValue);
}

bool ReadProvinceCities(const IniFile& ini, int province, ProvinceCities* out,
                        std::string* error) {
  *out = ProvinceCities{};
  if (!ValidProvince(province)) {
    if (error) *error = "省份序号超出范围";
    return false;
  }
  if (province == kUnknownProvinceIndex) {
    out->names.push_back(kUnknownPlaceName);
    out->longitudes.push_back(kUnknownLongitude);
    out->latitudes.push_back(kUnknownLatitude);
    return true;
  }
  // One read of the section: the values come with the names, in file order.
  auto entries = ini.ReadSectionValues(ProvinceNames[static_cast<size_t>(province)]);
  out->names.reserve(entries.size());
  out->longitudes.reserve(entries.size());
  out->latitudes.reserve(entries.size());
  for (const auto& [name, value] : entries) {
    float lon, lat;
    if (!ParseCityValue(value, &lon, &lat)) {
      if (error)
        *error = "“" + name + "”的经纬度数据“" + value + "”无法识别，请在“经纬度设置”中修改。";
      return false;
    }
    out->names.push_back(name);
    out->longitudes.push_back(lon);
    out->latitudes.push_back(lat);
  }
  return true;
}

std::string PlaceNameOf(int province, const std::string& city) {
  if (!ValidProvince(province)) return "";
  if (province == kUnknownProvinceIndex) return kUnknownPlaceName;
  std::string text = ProvinceNames[static_cast<size_t>(province)];
  if (!city.empty()) text += "-" + city;
  return text;
}

bool ParseEditorCoordinate(const std::string& degreesText, const std::string& minutesText,
                           int limit, int* degrees, int* minutes) {
  int d, m;
  if (!IniFile::ParseInteger(degreesText, &d)) d = -300;
  if (!IniFile::ParseInteger(minutesText, &m)) m = -1;
  if (d <= -limit || d >= limit || m < 0 || m >= 60) return false;
  *degrees = d;
  *minutes = m;
  return true;
}

}  // namespace lumtar
