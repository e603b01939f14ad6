// Finding places by name in the Chinese lists and the atlas as shipped, and
// the place an input panel stands for.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "atlas.h"
#include "files.h"
#include "inifile.h"
#include "placesearch.h"
#include "places.h"
#include "tempdir.h"

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

// Names typed in traditional characters find the places their simplified
// names name, also in a "PROVINCE/NAME" search.
TEST_F(PlaceSearchTest, TraditionalCharactersFindThePlace) {
  const struct {
    const char* text;
    const char* placeName;
  } cases[] = {
      {"臺北", "台湾省-台北市"},   {"臺北市", "台湾省-台北市"}, {"臺中", "台湾省-台中市"},
      {"臺南", "台湾省-台南市"},   {"臺東縣", "台湾省-台东县"}, {"桃園", "台湾省-桃园市"},
      {"嘉義市", "台湾省-嘉义市"}, {"屏東縣", "台湾省-屏东县"}, {"臺灣/臺北", "台湾省-台北市"},
      {"廣州", "广东省-广州市"},   {"廣東/中山", "广东省-中山市"}, {"蘇州", "江苏省-苏州市"},
      {"烏魯木齊", "新疆-乌鲁木齐市"}, {"澳門", "澳门-澳门"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<Place> found = index->Search(c.text, 10);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].PlaceName(), c.placeName);
    // --city takes it as well.
    std::vector<Place> candidates;
    const std::optional<Place> one = index->Find(c.text, &candidates);
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->PlaceName(), c.placeName);
  }
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

namespace {

// Something at a place file's name that is no place list: a folder, a pipe,
// a device, bytes of no list, a file cut short, a file far too large.
void PlantUnreadable(const std::string& kind, const std::filesystem::path& path, std::uintmax_t maxBytes) {
  std::filesystem::remove_all(path);
  if (kind == "folder") {
    std::filesystem::create_directories(path / "x");
  } else if (kind == "pipe") {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  } else if (kind == "device") {
    std::filesystem::create_symlink("/dev/zero", path);
  } else if (kind == "garbage") {
    ASSERT_TRUE(WriteWholeFileAtomic(path, std::string("\x01\x02\xFF garbage\n\x7F\x00\x10", 16)));
  } else if (kind == "cut") {
    std::string shipped;
    ASSERT_TRUE(ReadWholeFile(std::string(LUMTAR_SOURCE_DIR) + "/data/" + path.filename().string(), &shipped));
    ASSERT_TRUE(WriteWholeFileAtomic(path, shipped.substr(0, shipped.size() / 2 + 7)));
  } else if (kind == "large") {
    // Sparse: no disk space, but larger than any list of the program.
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fseek(f, static_cast<long>(maxBytes), SEEK_SET);
    std::fputc('\n', f);
    std::fclose(f);
  }
}

}  // namespace

// A place list that cannot be read is said, with the file and why; the
// other list is still there. A pipe is not waited on.
TEST(PlaceListFiles, AListThatCannotBeReadSaysWhy) {
  struct Case {
    std::string file;  // in dat/
    std::string kind;
    std::string why;   // after "地名文件 PATH 无法读取："
  };
  const Case cases[] = {
      {"atlas.txt", "folder", "不是普通文件"},
      {"atlas.txt", "pipe", "不是普通文件"},
      {"atlas.txt", "device", "不是普通文件"},
      {"atlas.txt", "garbage", "第1行无法识别"},
      {"atlas.txt", "cut", "行无法识别"},
      {"atlas.txt", "large", "超过16MB"},
      {"dili.ini", "folder", "不是普通文件"},
      {"dili.ini", "pipe", "不是普通文件"},
      {"dili.ini", "device", "不是普通文件"},
      {"dili.ini", "garbage", "其中没有一个城市"},
      {"dili.ini", "large", "超过1MB"},
  };
  test::TempDir dir;
  SetProgramDir(dir.str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " " + c.kind);
    std::filesystem::remove_all(dir / "dat");
    ASSERT_TRUE(CreateDirectories(dir / "dat"));
    for (const char* file : {"atlas.txt", "dili.ini"})
      ASSERT_TRUE(CopyFileOverwrite(std::string(LUMTAR_SOURCE_DIR) + "/data/" + file, dir / "dat" / file));
    const auto path = dir / "dat" / c.file;
    PlantUnreadable(c.kind, path, c.file == "atlas.txt" ? kAtlasMaxBytes : kIniMaxBytes);
    const auto index = PlaceIndex::OfProgramFolder();
    EXPECT_EQ(index->Problem().rfind("地名文件 " + path.string() + " 无法读取：", 0), 0u) << index->Problem();
    EXPECT_NE(index->Problem().find(c.why), std::string::npos) << index->Problem();
    // The other list is read.
    EXPECT_EQ(index->Search(c.file == "atlas.txt" ? "广州" : "Singapore", 1).size(), 1u);
  }
  // Both readable, or no atlas at all: nothing to say.
  for (const char* file : {"atlas.txt", "dili.ini"}) {
    std::filesystem::remove_all(dir / "dat" / file);
    ASSERT_TRUE(CopyFileOverwrite(std::string(LUMTAR_SOURCE_DIR) + "/data/" + file, dir / "dat" / file));
  }
  EXPECT_EQ(PlaceIndex::OfProgramFolder()->Problem(), "");
  std::filesystem::remove(dir / "dat/atlas.txt");
  EXPECT_EQ(PlaceIndex::OfProgramFolder()->Problem(), "");
}
