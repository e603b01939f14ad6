#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "coordinates.h"
#include "files.h"
#include "gbk.h"
#include "inifile.h"
#include "places.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

struct BoxCase {
  double value;
  const char* text;
};

TEST(CoordinateBoxText, DegreesTruncatedMinutesRoundedHalfDown) {
  const BoxCase cases[] = {
      {120.0, "120:0"},
      {DegreesMinutesToFloat(118, 5), "118:5"},
      {DegreesMinutesToFloat(24, 30), "24:30"},
      {DegreesMinutesToFloat(-120, 30), "-120:30"},
      {DegreesMinutesToFloat(-30, 15), "-30:15"},
      {120.125, "120:7"},     // 7.5 minutes: an exact half goes down
      {-120.125, "-120:7"},
      {120.375, "120:22"},    // 22.5
      {120.3751, "120:23"},
      {120.3749, "120:22"},
      {0.5, "0:30"},
      {-0.5, "-0:30"},        // half a degree west reads back as west
      {-0.75, "-0:45"},
      {-0.004, "0:0"},        // rounds to nothing: no sign
      {30.9999, "31:0"},      // 59.994 minutes carry into the degrees
      {-30.9999, "-31:0"},
      {179.99999, "180:0"},
  };
  for (const auto& c : cases) EXPECT_EQ(CoordinateBoxText(c.value), c.text) << c.value;
}

TEST(CoordinateBoxText, NonFiniteValuesDoNotCrash) {
  EXPECT_EQ(CoordinateBoxText(std::numeric_limits<double>::quiet_NaN()), "0:0");
  EXPECT_EQ(CoordinateBoxText(std::numeric_limits<double>::infinity()), "0:0");
  EXPECT_EQ(CoordinateBoxText(-1e300), "-1000000000:0");
}

// Every stored degrees:minutes pair, kept as a 32-bit float as the main
// window keeps it, shows again as the same text.
TEST(CoordinateBoxText, EveryStoredPairShowsAsStored) {
  for (int d = -180; d <= 180; ++d) {
    for (int m = 0; m < 60; ++m) {
      if (d == 0) continue;  // "-0" cannot be stored; 0:m is covered by d = 0 below
      char want[32];
      std::snprintf(want, sizeof want, "%d:%d", d, m);
      ASSERT_EQ(CoordinateBoxText(DegreesMinutesToFloat(d, m)), want);
    }
  }
  for (int m = 0; m < 60; ++m)
    ASSERT_EQ(CoordinateBoxText(DegreesMinutesToFloat(0, m)), "0:" + std::to_string(m));
}

TEST(CityValue, ParsesTheCoordinatePairText) {
  struct Case {
    const char* value;
    float lon, lat;
  } cases[] = {
      {"120:0*30:0", 120.0f, 30.0f},
      {"118:5*24:30", 118.0f + 5.0f / 60, 24.5f},
      {"-120:30*-30:15", -120.5f, -30.25f},
      {"-0:30*0:30", 0.5f, 0.5f},  // "-0" is 0: the minutes stay positive
      {" 119 : 18 * 26 : 5 ", 119.3f, 26.0f + 5.0f / 60},
  };
  for (const auto& c : cases) {
    float lon = -1, lat = -1;
    ASSERT_TRUE(ParseCityValue(c.value, &lon, &lat)) << c.value;
    EXPECT_FLOAT_EQ(lon, c.lon) << c.value;
    EXPECT_FLOAT_EQ(lat, c.lat) << c.value;
  }
}

TEST(CityValue, MalformedValuesAreRefusedAndLeaveTheOutputs) {
  for (const char* bad : {"", "120:0", "120*30:0", "120:0*30", "a:0*30:0", "120:0*30:x",
                          "120:*30:0", ":5*30:0", "120:0*30:0*1", "120:0.5*30:0",
                          "99999999999:0*30:0", "120：0*30：0"}) {
    float lon = 7, lat = 8;
    EXPECT_FALSE(ParseCityValue(bad, &lon, &lat)) << bad;
    EXPECT_EQ(lon, 7);
    EXPECT_EQ(lat, 8);
  }
}

TEST(CityValue, SplitsIntoFourPiecesUnchanged) {
  struct Case {
    const char* value;
    CityValuePieces want;
  } cases[] = {
      {"119:18*26:5", {"119", "18", "26", "5"}},
      {"-120:30*-30:15", {"-120", "30", "-30", "15"}},
      {"abc", {"abc", "", "", ""}},
      {"120:5", {"120", "5", "", ""}},
      {"120*30", {"120", "", "30", ""}},
      {"1:2:3*4:5*6", {"1", "2:3", "4", "5*6"}},
      {"", {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    CityValuePieces p = SplitCityValue(c.value);
    EXPECT_EQ(p.longitudeDegrees, c.want.longitudeDegrees) << c.value;
    EXPECT_EQ(p.longitudeMinutes, c.want.longitudeMinutes) << c.value;
    EXPECT_EQ(p.latitudeDegrees, c.want.latitudeDegrees) << c.value;
    EXPECT_EQ(p.latitudeMinutes, c.want.latitudeMinutes) << c.value;
  }
  EXPECT_EQ(FormatCityValue(118, 5, 24, 30), "118:5*24:30");
  EXPECT_EQ(FormatCityValue(-120, 30, -30, 15), "-120:30*-30:15");
}

TEST(ProvinceNames, FixedOrderWithUnknownLast) {
  EXPECT_STREQ(ProvinceNames[0], "福建省");
  EXPECT_STREQ(ProvinceNames[8], "黑龙江省");
  EXPECT_STREQ(ProvinceNames[19], "广西");
  EXPECT_STREQ(ProvinceNames[31], "台湾省");
  EXPECT_STREQ(ProvinceNames[33], "澳门");
  EXPECT_STREQ(ProvinceNames[kUnknownProvinceIndex], "未知地");
  EXPECT_EQ(PlaceNameOf(0, "福州市"), "福建省-福州市");
  EXPECT_EQ(PlaceNameOf(kUnknownProvinceIndex, "未知地"), "未知地");
  EXPECT_EQ(PlaceNameOf(5, ""), "内蒙古");
}

class ProvinceCitiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWholeFileAtomic(dir_ / "dili.ini",
                         Utf8ToGbk("[福建省]\r\n福州市=119:18*26:5\r\n厦门市=118:5*24:30\r\n"
                                   "远方=-120:30*-30:15\r\n\r\n"
                                   "[北京市]\r\n\r\n"
                                   "[天津市]\r\n和平区=117:11*39:7\r\n坏值=117:1139:7\r\n"
                                   "后面=117:0*39:0\r\n"));
  }
  test::TempDir dir_;
  IniFile ini_{dir_ / "dili.ini"};
};

TEST_F(ProvinceCitiesTest, ReadsNamesInFileOrderWithFloatCoordinates) {
  ProvinceCities c;
  ASSERT_TRUE(ReadProvinceCities(ini_, 0, &c));
  ASSERT_EQ(c.size(), 3);
  EXPECT_EQ(c.names[0], "福州市");
  EXPECT_EQ(c.names[2], "远方");
  EXPECT_FLOAT_EQ(c.longitudes[1], 118.0f + 5.0f / 60);
  EXPECT_FLOAT_EQ(c.latitudes[1], 24.5f);
  EXPECT_FLOAT_EQ(c.longitudes[2], -120.5f);
  EXPECT_FLOAT_EQ(c.latitudes[2], -30.25f);
  EXPECT_EQ(CoordinateBoxText(c.longitudes[2]), "-120:30");
  EXPECT_EQ(CoordinateBoxText(c.latitudes[2]), "-30:15");
}

TEST_F(ProvinceCitiesTest, UnknownPlaceIsOneCityAt120And30) {
  ProvinceCities c;
  ASSERT_TRUE(ReadProvinceCities(ini_, kUnknownProvinceIndex, &c));
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c.names[0], "未知地");
  EXPECT_EQ(c.longitudes[0], 120.0f);
  EXPECT_EQ(c.latitudes[0], 30.0f);
}

TEST_F(ProvinceCitiesTest, MissingOrEmptySectionGivesNoCity) {
  ProvinceCities c;
  EXPECT_TRUE(ReadProvinceCities(ini_, 1, &c));   // empty section
  EXPECT_EQ(c.size(), 0);
  EXPECT_TRUE(ReadProvinceCities(ini_, 3, &c));   // no section
  EXPECT_EQ(c.size(), 0);
  IniFile missing(dir_ / "none.ini");
  EXPECT_TRUE(ReadProvinceCities(missing, 0, &c));
  EXPECT_EQ(c.size(), 0);
  std::string error;
  EXPECT_FALSE(ReadProvinceCities(ini_, kProvinceCount, &c, &error));
  EXPECT_FALSE(ReadProvinceCities(ini_, -1, &c, &error));
  EXPECT_EQ(c.size(), 0);
}

TEST_F(ProvinceCitiesTest, MalformedValueStopsTheListAfterTheCitiesBeforeIt) {
  ProvinceCities c;
  std::string error;
  EXPECT_FALSE(ReadProvinceCities(ini_, 2, &c, &error));
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c.names[0], "和平区");
  EXPECT_EQ(c.longitudes.size(), 1u);
  EXPECT_EQ(c.latitudes.size(), 1u);
  EXPECT_NE(error.find("坏值"), std::string::npos) << error;
}

TEST_F(ProvinceCitiesTest, CityWithoutValueReadsAsTheDefault) {
  EXPECT_EQ(ReadCityValue(ini_, 0, "厦门市"), "118:5*24:30");
  const std::string value = ReadCityValue(ini_, 0, "没有这个城市");
  EXPECT_EQ(value, "120:0*30:0");
  float lon, lat;
  ASSERT_TRUE(ParseCityValue(value, &lon, &lat));
  EXPECT_EQ(CoordinateBoxText(lon), "120:0");
  EXPECT_EQ(CoordinateBoxText(lat), "30:0");
  EXPECT_EQ(ReadCityNames(ini_, 0).size(), 3u);
  EXPECT_TRUE(ReadCityNames(ini_, kUnknownProvinceIndex).empty());
}

TEST(EditorCoordinate, AcceptsOnlyOpenDegreeRangeAndMinutesBelow60) {
  struct Case {
    const char* deg;
    const char* min;
    int limit;
    bool ok;
  } cases[] = {
      {"179", "59", 180, true},  {"-179", "0", 180, true},  {"0", "0", 180, true},
      {"180", "0", 180, false},  {"-180", "0", 180, false}, {"120", "60", 180, false},
      {"120", "-1", 180, false}, {"", "5", 180, false},     {"abc", "5", 180, false},
      {"120", "", 180, false},   {"120", "x", 180, false},  {"89", "59", 90, true},
      {"-89", "0", 90, true},    {"90", "0", 90, false},    {"-90", "0", 90, false},
      {"1.5", "0", 90, false},
  };
  for (const auto& c : cases) {
    int d = 1234, m = 1234;
    EXPECT_EQ(ParseEditorCoordinate(c.deg, c.min, c.limit, &d, &m), c.ok)
        << c.deg << ":" << c.min << " limit " << c.limit;
    if (c.ok) {
      EXPECT_EQ(std::to_string(d), c.deg);
      EXPECT_EQ(std::to_string(m), c.min);
    }
  }
}

}  // namespace

// What the boxes show for a stored coordinate reads back as the same place,
// west and south of zero included.
TEST(CoordinateBoxText, ReadsBackAsTheSameCoordinate) {
  for (double v : {-0.5, -0.75, 0.5, -120.5, 119.3, -33.8667, 0.0}) {
    float lon = 0, lat = 0;
    ASSERT_EQ(ReadCoordinates(CoordinateBoxText(v), CoordinateBoxText(v / 2), &lon, &lat),
              CoordinateError::None)
        << v;
    EXPECT_NEAR(lon, v, 1.0 / 120) << v;
    EXPECT_NEAR(lat, v / 2, 1.0 / 120) << v;
  }
}
