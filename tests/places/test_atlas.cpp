// The world atlas as shipped in dat/atlas.txt.
#include <gtest/gtest.h>

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <set>
#include <string>

#include "atlas.h"
#include "birthclock.h"
#include "files.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

std::string ShippedAtlas() { return std::string(LUMTAR_SOURCE_DIR) + "/data/atlas.txt"; }

class ShippedAtlasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(atlas.Load(ShippedAtlas())); }
  static WorldAtlas atlas;
};
WorldAtlas ShippedAtlasTest::atlas;

TEST_F(ShippedAtlasTest, HoldsThePlacesOutsideChinaWithTheirZones) {
  // Every place of 15,000 inhabitants or more outside China (22,584 in the
  // gazetteer), the capitals and the smaller places with Chinese names.
  EXPECT_GE(atlas.Places().size(), 22584u);
  int large = 0, han = 0;
  std::set<int32_t> ids;
  for (const AtlasPlace& p : atlas.Places()) {
    SCOPED_TRACE(p.latin);
    EXPECT_TRUE(ids.insert(p.id).second);
    EXPECT_TRUE(p.country != "CN" && p.country != "TW" && p.country != "HK" && p.country != "MO");
    ASSERT_NE(atlas.Country(p.country), nullptr);
    EXPECT_TRUE(IsKnownZone(atlas.TimeZoneOf(p)));
    if (p.population >= 15000) ++large;
    if (static_cast<unsigned char>(p.name[0]) >= 0x80) ++han;
  }
  EXPECT_EQ(large, 22584);
  EXPECT_GT(han, 6000);
  // Largest first.
  for (size_t i = 1; i < atlas.Places().size(); ++i)
    ASSERT_GE(atlas.Places()[i - 1].population, atlas.Places()[i].population);
  const AtlasPlace* singapore = atlas.FindById(1880252);
  ASSERT_NE(singapore, nullptr);
  EXPECT_EQ(atlas.TimeZoneOf(*singapore), "Asia/Singapore");
  EXPECT_EQ(atlas.Country("SG")->capitalId, 1880252);
  const AtlasPlace* newYork = atlas.FindById(5128581);
  ASSERT_NE(newYork, nullptr);
  EXPECT_EQ(newYork->name, "纽约");
  EXPECT_EQ(newYork->latin, "New York City");
  EXPECT_NEAR(newYork->latitude, 40.714, 1e-9);
  EXPECT_NEAR(newYork->longitude, -74.006, 1e-9);
}

// The Chinese country names are CLDR's, as ICU gives them.
TEST_F(ShippedAtlasTest, CountryNamesAreCldrs) {
  ASSERT_GT(atlas.Countries().size(), 200u);
  for (const AtlasCountry& c : atlas.Countries()) {
    icu::UnicodeString name;
    icu::Locale("", c.code.c_str()).getDisplayCountry(icu::Locale("zh"), name);
    std::string utf8;
    name.toUTF8String(utf8);
    EXPECT_EQ(c.chinese, utf8) << c.code;
    name.remove();
    icu::Locale("", c.code.c_str()).getDisplayCountry(icu::Locale("en"), name);
    utf8.clear();
    name.toUTF8String(utf8);
    EXPECT_EQ(c.english, utf8) << c.code;
  }
  EXPECT_EQ(atlas.Country("US")->chinese, "美国");
  EXPECT_EQ(atlas.Country("MY")->chinese, "马来西亚");
}

TEST(AtlasFile, AMalformedOrMissingFileLoadsNothing) {
  test::TempDir dir;
  WorldAtlas atlas;
  std::string error;
  EXPECT_FALSE(atlas.Load((dir / "none.txt").string(), &error));
  EXPECT_FALSE(error.empty());
  const std::string good =
      "# comment\nC\tSG\t新加坡\tSingapore\t1880252\n"
      "P\t1880252\tSingapore\t\tSG\t00\t1.290\t103.850\t314\t3547809\t\n";
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "a.txt", good));
  ASSERT_TRUE(atlas.Load((dir / "a.txt").string(), &error)) << error;
  ASSERT_EQ(atlas.Places().size(), 1u);
  EXPECT_EQ(atlas.Places()[0].latin, "Singapore");
  EXPECT_EQ(atlas.TimeZoneOf(atlas.Places()[0]), "Asia/Singapore");
  for (const char* bad : {"P\t1\tX\t\tSG\t00\t1.2\t103.8\t0\t5\t\n",         // no zone 0
                          "P\t1\tX\t\tSG\t00\t91\t103.8\t314\t5\t\n",        // latitude
                          "P\t1\tX\t\tSG\t00\t1.2\t103.8\t99999\t5\t\n",     // zone beyond the list
                          "P\tone\tX\t\tSG\t00\t1.2\t103.8\t314\t5\t\n",     // id
                          "P\t1\tX\tSG\t00\t1.2\t103.8\t314\t5\n",           // a field short
                          "Q\tsomething\n"}) {
    SCOPED_TRACE(bad);
    ASSERT_TRUE(WriteWholeFileAtomic(dir / "b.txt", good + bad));
    error.clear();
    EXPECT_FALSE(atlas.Load((dir / "b.txt").string(), &error));
    EXPECT_NE(error.find("第4行"), std::string::npos) << error;
    EXPECT_TRUE(atlas.Places().empty());
  }
}

}  // namespace
