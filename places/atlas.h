// The world atlas: places outside China with their coordinates and time
// zones, read from dat/atlas.txt (made by tools/places/make_atlas.py from
// the GeoNames gazetteer; country names from CLDR through ICU).
//
// The file is UTF-8 text: '#' lines are comments, "C" lines the countries
// (code, Chinese name, English name, GeoNames id of the capital), "P" lines
// the places, largest population first (GeoNames id, name shown, GeoNames
// name when it differs, country code, region code, latitude, longitude,
// zone as a position in the program's zone list, population, other names
// separated by '|').
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumtar {

inline constexpr const char* kAtlasRelativePath = "dat/atlas.txt";

struct AtlasCountry {
  std::string code;     // ISO 3166, e.g. "US"
  std::string chinese;  // "美国"
  std::string english;  // "United States"
  int32_t capitalId = 0;
};

struct AtlasPlace {
  int32_t id = 0;          // GeoNames id
  std::string name;        // as shown: the Chinese name where GeoNames has one
  std::string latin;       // GeoNames' own name
  std::string country;     // ISO code
  std::string region;      // GeoNames' first-level region code
  double latitude = 0;
  double longitude = 0;
  int zone = 0;            // position in the zone list (ZoneName)
  int32_t population = 0;
  std::vector<std::string> otherNames;  // further names to find it by
};

class WorldAtlas {
 public:
  // Reads an atlas file. False (with a message in `error`) when the file
  // cannot be read or a line is malformed; a failed load leaves the atlas
  // empty.
  bool Load(const std::string& path, std::string* error = nullptr);

  const std::vector<AtlasPlace>& Places() const { return places_; }
  const std::vector<AtlasCountry>& Countries() const { return countries_; }
  const AtlasCountry* Country(std::string_view code) const;
  const AtlasPlace* FindById(int32_t id) const;
  // The IANA name of a place's zone.
  std::string TimeZoneOf(const AtlasPlace& place) const;

 private:
  std::vector<AtlasPlace> places_;
  std::vector<AtlasCountry> countries_;
  std::unordered_map<int32_t, size_t> byId_;
  std::unordered_map<std::string, size_t> countryByCode_;
};

// The atlas of a file, read once and shared; null when it cannot be read.
std::shared_ptr<const WorldAtlas> SharedAtlas(const std::string& path);
// The shipped dat/atlas.txt (in the program folder, or in the installed
// program's shared folder).
std::shared_ptr<const WorldAtlas> SharedAtlas();

}  // namespace lumtar
