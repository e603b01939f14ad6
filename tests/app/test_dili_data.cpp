// The shipped place list data/dili.ini.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "files.h"
#include "gbk.h"
#include "inifile.h"
#include "places.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

const std::filesystem::path kShipped = std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/dili.ini";

int ProvinceIndex(const std::string& name) {
  for (int p = 0; p < kProvinceCount; ++p)
    if (name == ProvinceNames[static_cast<size_t>(p)]) return p;
  return -1;
}

std::string ShippedBytes() {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(kShipped, &bytes));
  return bytes;
}

TEST(ShippedPlaces, GbkWithCrlfLineEnds) {
  const std::string bytes = ShippedBytes();
  ASSERT_FALSE(bytes.empty());
  const std::string text = GbkToUtf8(bytes);
  EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "bytes that are no GBK";
  EXPECT_EQ(Utf8ToGbk(text), bytes);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
    if (bytes[i] == '\r') {
      ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST(ShippedPlaces, OneSectionPerProvinceInListOrder) {
  IniFile ini(kShipped);
  auto sections = ini.ReadSections();
  ASSERT_EQ(sections.size(), static_cast<size_t>(kEditableProvinceCount));
  for (int i = 0; i < kEditableProvinceCount; ++i)
    EXPECT_EQ(sections[static_cast<size_t>(i)], ProvinceNames[static_cast<size_t>(i)]);
}

// Every value is written exactly as the place editor would write it, lies in
// the region, and every city name appears once in its province.
TEST(ShippedPlaces, EveryValueWellFormedAndInTheRegion) {
  IniFile ini(kShipped);
  // Key lines per section in the raw file, to see repeated names that a
  // reader would merge.
  std::map<std::string, int> rawLines;
  {
    std::string section;
    std::string text = GbkToUtf8(ShippedBytes());
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find("\r\n", pos);
      std::string line = text.substr(pos, end - pos);
      pos = end + 2;
      if (line.empty()) continue;
      if (line.front() == '[') {
        section = line.substr(1, line.size() - 2);
      } else {
        ASSERT_NE(line.find('='), std::string::npos) << line;
        ++rawLines[section];
      }
    }
  }
  int total = 0;
  for (int p = 0; p < kEditableProvinceCount; ++p) {
    const std::string province = ProvinceNames[static_cast<size_t>(p)];
    auto entries = ini.ReadSectionValues(province);
    EXPECT_GE(entries.size(), 5u) << province;
    EXPECT_EQ(static_cast<int>(entries.size()), rawLines[province]) << province << ": repeated city";
    for (const auto& [city, value] : entries) {
      auto pieces = SplitCityValue(value);
      int a, b, c, d;
      ASSERT_TRUE(IniFile::ParseInteger(pieces.longitudeDegrees, &a) &&
                  IniFile::ParseInteger(pieces.longitudeMinutes, &b) &&
                  IniFile::ParseInteger(pieces.latitudeDegrees, &c) &&
                  IniFile::ParseInteger(pieces.latitudeMinutes, &d))
          << province << " " << city << "=" << value;
      EXPECT_EQ(FormatCityValue(a, b, c, d), value) << province << " " << city;
      EXPECT_TRUE(b >= 0 && b < 60 && d >= 0 && d < 60) << city << "=" << value;
      EXPECT_TRUE(a >= 73 && a <= 135 && c >= 3 && c <= 54) << city << "=" << value;
      EXPECT_LE(Utf8ToGbk(PlaceNameOf(p, city)).size(), 50u) << city << ": too long for a case";
      ++total;
    }
    ProvinceCities cities;
    EXPECT_TRUE(ReadProvinceCities(ini, p, &cities)) << province;
  }
  EXPECT_GT(total, 1000);
}

TEST(ShippedPlaces, CapitalFirst) {
  IniFile ini(kShipped);
  const std::map<std::string, std::string> first = {
      {"福建省", "福州市"}, {"北京市", "北京市"}, {"河北省", "石家庄市"}, {"内蒙古", "呼和浩特市"},
      {"黑龙江省", "哈尔滨市"}, {"江苏省", "南京市"}, {"山东省", "济南市"}, {"广东省", "广州市"},
      {"广西", "南宁市"}, {"四川省", "成都市"}, {"重庆市", "重庆市"}, {"西藏", "拉萨市"},
      {"宁夏", "银川市"}, {"新疆", "乌鲁木齐市"}, {"台湾省", "台北市"}, {"香港", "香港"},
      {"澳门", "澳门"},
  };
  for (const auto& [province, city] : first) {
    auto names = ini.ReadSection(province);
    ASSERT_FALSE(names.empty()) << province;
    EXPECT_EQ(names.front(), city) << province;
  }
}

// A few seats against their commonly published coordinates: catches a
// swapped or shifted pair, not the last arcminute.
TEST(ShippedPlaces, KnownSeatsWithinAFewArcminutes) {
  IniFile ini(kShipped);
  struct Seat {
    const char* province;
    const char* city;
    double lon, lat;
  } seats[] = {
      {"北京市", "北京市", 116.39, 39.91},  {"上海市", "上海市", 121.47, 31.23},
      {"广东省", "广州市", 113.26, 23.13},  {"西藏", "拉萨市", 91.11, 29.65},
      {"新疆", "乌鲁木齐市", 87.62, 43.79}, {"黑龙江省", "哈尔滨市", 126.63, 45.75},
      {"台湾省", "台北市", 121.56, 25.04},  {"香港", "香港", 114.17, 22.32},
      {"福建省", "福州市", 119.30, 26.08},  {"海南省", "三亚市", 109.51, 18.25},
  };
  for (const auto& s : seats) {
    float lon, lat;
    ASSERT_TRUE(ParseCityValue(ReadCityValue(ini, ProvinceIndex(s.province), s.city), &lon, &lat))
        << s.city;
    EXPECT_NEAR(lon, s.lon, 5.0 / 60) << s.city;
    EXPECT_NEAR(lat, s.lat, 5.0 / 60) << s.city;
  }
}

// The editor rewrites the file through the INI writer: storing a value
// unchanged gives back the shipped bytes, so an edit touches only its line.
TEST(ShippedPlaces, RewritingAValueKeepsTheFileByteForByte) {
  test::TempDir dir;
  const std::string bytes = ShippedBytes();
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "dili.ini", bytes));
  IniFile ini(dir / "dili.ini");
  ASSERT_TRUE(ini.WriteString("福建省", "厦门市", ini.ReadString("福建省", "厦门市", "")));
  std::string after;
  ASSERT_TRUE(ReadWholeFile(dir / "dili.ini", &after));
  EXPECT_EQ(after, bytes);
}

}  // namespace
