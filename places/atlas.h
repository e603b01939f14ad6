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

#include "files.h"

namespace lumtar {

inline constexpr const char* kAtlasRelativePath = "dat/atlas.txt";
// The largest atlas file read. The shipped one has 1.5 MB; a file many times
// larger is no atlas of the program, and reading it would cost seconds and
// hundreds of MB.
inline constexpr std::uintmax_t kAtlasMaxBytes = 16u << 20;

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
  // Reads an atlas file. False (with a message in `error` that says why)
  // when the file cannot be read (not a regular file, larger than
  // kAtlasMaxBytes, refused by the system), holds no place or has a
  // malformed line; a failed load leaves the atlas empty. A pipe at the path
  // is not waited on.
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

// The atlas of a file, read once and shared; null when there is none or it
// cannot be read, and then `error` (when given) says why it cannot be read
// (left empty when nothing is at the path).
std::shared_ptr<const WorldAtlas> SharedAtlas(const std::string& path, std::string* error = nullptr);
// The shipped dat/atlas.txt (in the program folder, or in the installed
// program's shared folder).
std::shared_ptr<const WorldAtlas> SharedAtlas(std::string* error = nullptr);

// Why a place file cannot be read, as the place lists say it: "地名文件 PATH
// 无法读取：" and the reason (the system's own for a refused read, taken from
// errno).
std::string UnreadablePlaceFileMessage(const std::string& path, ReadResult why, std::uintmax_t maxBytes);

}  // namespace lumtar
