// Finding places by name in the Chinese lists and the atlas as shipped, and
// the place an input panel stands for.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "atlas.h"
#include "inifile.h"
#include "placesearch.h"
#include "places.h"

using namespace lumtar;

namespace {

class PlaceSearchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto atlas = SharedAtlas(std::string(LUMTAR_SOURCE_DIR) + "/data/atlas.txt");
    ASSERT_TRUE(atlas);
    index = std::make_unique<PlaceIndex>(IniFile(std::string(LUMTAR_SOURCE_DIR) + "/data/dili.ini"), atlas);
  }
  static void TearDownTestSuite() { index.reset(); }
  static std::unique_ptr<PlaceIndex> index;
};
std::unique_ptr<PlaceIndex> PlaceSearchTest::index;

TEST_F(PlaceSearchTest, TheFirstMatchIsThePlaceMeant) {
  struct Case {
    const char* text;
    const char* placeName;
    const char* zone;
  };
  const Case cases[] = {
      {"新加坡", "新加坡-Singapore", "Asia/Singapore"},
      {"纽约", "美国-纽约", "America/New_York"},
      {"紐約", "美国-纽约", "America/New_York"},
      {"New York", "美国-纽约", "America/New_York"},
      {"Vancouver", "加拿大-温哥华", "America/Vancouver"},
      {"vancouver", "加拿大-温哥华", "America/Vancouver"},
      {"吉隆坡", "马来西亚-吉隆坡", "Asia/Kuala_Lumpur"},
      {"Kuala Lumpur", "马来西亚-吉隆坡", "Asia/Kuala_Lumpur"},
      {"广州", "广东省-广州市", "Asia/Shanghai"},
      {"台北", "台湾省-台北市", "Asia/Taipei"},
      {"香港", "香港-香港", "Asia/Hong_Kong"},
      {"澳门", "澳门-澳门", "Asia/Macau"},
      {"伦敦", "英国-伦敦", "Europe/London"},
      {"东京", "日本-东京", "Asia/Tokyo"},
      {"加德满都", "尼泊尔-加德满都", "Asia/Kathmandu"},
      {"Adelaide", "澳大利亚-阿德来得", "Australia/Adelaide"},  // GeoNames' first Chinese name
      {"阿德莱德", "澳大利亚-阿德来得", "Australia/Adelaide"},
      {"Sao Paulo", "巴西-圣保罗", "America/Sao_Paulo"},
      {"US/Portland", "美国-波特兰", "America/Los_Angeles"},
      {"美国/温哥华", "美国-温哥华", "America/Los_Angeles"},
      {"ca/london", "加拿大-伦敦", "America/Toronto"},
      {"广东/中山", "广东省-中山市", "Asia/Shanghai"},
      {"  马来西亚  ", "马来西亚-吉隆坡", "Asia/Kuala_Lumpur"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<Place> found = index->Search(c.text, 10);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].PlaceName(), c.placeName);
    EXPECT_EQ(found[0].timeZone, c.zone);
  }
  EXPECT_TRUE(index->Search("Xyzzyqq", 10).empty());
  EXPECT_TRUE(index->Search("   ", 10).empty());
  EXPECT_EQ(index->Search("a", 50).size(), 50u);
  EXPECT_EQ(index->Search("a", 0).size(), 0u);
}

TEST_F(PlaceSearchTest, WholeNamesComeBeforeBeginningsAndLargerPlacesFirst) {
  const std::vector<Place> found = index->Search("London", 10);
  ASSERT_GE(found.size(), 3u);
  EXPECT_EQ(found[0].countryCode, "GB");
  EXPECT_EQ(found[1].countryCode, "CA");
  // Then the names that begin with it.
  EXPECT_EQ(found[2].latin.rfind("London", 0), 0u);
  const std::vector<Place> york = index->Search("york", 10);
  ASSERT_FALSE(york.empty());
  EXPECT_EQ(york[0].latin, "York");
}

TEST_F(PlaceSearchTest, FindNamesOnePlaceOrListsTheCandidates) {
  std::vector<Place> candidates;
  struct Case {
    const char* text;
    const char* placeName;
  };
  for (const Case& c : {Case{"新加坡", "新加坡-Singapore"}, Case{"US/New York", "美国-纽约"},
                        Case{"广东省/广州市", "广东省-广州市"}, Case{"吉隆坡", "马来西亚-吉隆坡"},
                        Case{"GB/London", "英国-伦敦"}, Case{"Malaysia", "马来西亚-吉隆坡"}}) {
    SCOPED_TRACE(c.text);
    std::optional<Place> p = index->Find(c.text, &candidates);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->PlaceName(), c.placeName);
    EXPECT_TRUE(candidates.empty());
  }
  EXPECT_FALSE(index->Find("London", &candidates));
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_EQ(candidates[0].countryCode, "GB");
  EXPECT_EQ(candidates[1].countryCode, "CA");
  EXPECT_FALSE(index->Find("Portland", &candidates));
  EXPECT_GE(candidates.size(), 2u);
  EXPECT_LE(candidates.size(), 10u);
  EXPECT_FALSE(index->Find("Xyzzyqq", &candidates));
  EXPECT_TRUE(candidates.empty());
}

TEST_F(PlaceSearchTest, NearestPlaceAndLookups) {
  EXPECT_EQ(index->Nearest(40.75, -73.99)->timeZone, "America/New_York");
  EXPECT_EQ(index->Nearest(1.35, 103.82)->timeZone, "Asia/Singapore");
  EXPECT_EQ(index->Nearest(39.9, 116.4)->PlaceName(), "北京市-北京市");
  EXPECT_EQ(index->Nearest(25.03, 121.56)->timeZone, "Asia/Taipei");
  EXPECT_EQ(index->AtlasPlaceById(5128581)->PlaceName(), "美国-纽约");
  EXPECT_FALSE(index->AtlasPlaceById(1));
  EXPECT_EQ(index->ChinaPlace(0, 0)->PlaceName(), "福建省-福州市");
  EXPECT_FALSE(index->ChinaPlace(34, 0));
}

TEST(ProvinceZones, EveryChinesePlaceHasItsZone) {
  for (int p = 0; p < kEditableProvinceCount; ++p) {
    SCOPED_TRACE(ProvinceNames[static_cast<size_t>(p)]);
    const std::string zone = ProvinceTimeZone(p);
    const std::string name = ProvinceNames[static_cast<size_t>(p)];
    EXPECT_EQ(zone, name == "台湾省" ? "Asia/Taipei" : name == "香港" ? "Asia/Hong_Kong" : name == "澳门" ? "Asia/Macau"
                                                                                                     : "Asia/Shanghai");
  }
  EXPECT_EQ(ProvinceTimeZone(kUnknownProvinceIndex), "");
}

// The place the panel stands for.
TEST(PanelPlaceTest, ThePlaceUsedIsNamed) {
  Place singapore;
  singapore.source = Place::Source::Atlas;
  singapore.id = 1880252;
  singapore.name = "Singapore";
  singapore.country = "新加坡";
  singapore.latitude = 1.29;
  singapore.longitude = 103.85;
  singapore.timeZone = "Asia/Singapore";
  Place newYork = singapore;
  newYork.name = "纽约";
  newYork.timeZone = "America/New_York";
  int nearestAsked = 0;
  auto nearest = [&](double lat, double lon) -> std::optional<Place> {
    ++nearestAsked;
    return lat > 30 && lon < 0 ? std::optional<Place>(newYork) : std::optional<Place>(singapore);
  };
  auto panel = [&](int province, const std::string& city, const Place* picked, double lat, double lon) {
    return PlaceOfPanel(province, city, 26.08, 119.3, picked, &lat, &lon, nearest);
  };
  // The city chosen, the boxes on it or near it.
  PanelPlace p = panel(0, "福州市", nullptr, 26.08, 119.3);
  EXPECT_EQ(p.name, "福建省-福州市");
  EXPECT_EQ(p.timeZone, "Asia/Shanghai");
  EXPECT_EQ(panel(0, "福州市", nullptr, 26.5, 119.6).name, "福建省-福州市");
  EXPECT_EQ(nearestAsked, 0);
  // New York's coordinates typed with 福州市 still chosen: not 福州.
  p = panel(0, "福州市", nullptr, 40.71, -74.0);
  EXPECT_EQ(p.name, "未知地");
  EXPECT_EQ(p.timeZone, "America/New_York");
  EXPECT_EQ(p.atlasId, 0);
  // 未知地.
  p = panel(kUnknownProvinceIndex, "未知地", nullptr, 30, 120);
  EXPECT_EQ(p.name, "未知地");
  // An atlas place picked, its coordinates or a hospital nearby.
  p = panel(kUnknownProvinceIndex, "未知地", &singapore, 1.29, 103.85);
  EXPECT_EQ(p.name, "新加坡-Singapore");
  EXPECT_EQ(p.timeZone, "Asia/Singapore");
  EXPECT_EQ(p.atlasId, 1880252);
  EXPECT_EQ(panel(kUnknownProvinceIndex, "未知地", &singapore, 1.4, 103.9).atlasId, 1880252);
  EXPECT_EQ(panel(kUnknownProvinceIndex, "未知地", &singapore, 40.71, -74.0).name, "未知地");
  // A province without a city stands as itself; unreadable boxes leave the
  // choice as it is.
  EXPECT_EQ(panel(0, "", nullptr, 40.71, -74.0).name, "福建省");
  EXPECT_EQ(PlaceOfPanel(0, "福州市", 26.08, 119.3, nullptr, nullptr, nullptr, nearest).name, "福建省-福州市");
}

}  // namespace
