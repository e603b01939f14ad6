// Finding a birth place by name in the Chinese province and city list
// (dat/dili.ini) and the world atlas (dat/atlas.txt), and the time zone of
// every place: mainland cities Asia/Shanghai, Taiwan Asia/Taipei, Hong Kong
// Asia/Hong_Kong, Macau Asia/Macau, atlas places their own.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "atlas.h"

namespace lumtar {

class IniFile;

// The IANA zone of the places of a province of the list; empty for 未知地.
std::string ProvinceTimeZone(int province);

// One place of either list.
struct Place {
  enum class Source { China, Atlas };
  Source source = Source::China;
  int province = -1;     // China: position in ProvinceNames
  int city = -1;         // China: position in the province's city list
  int32_t id = 0;        // Atlas: GeoNames id
  std::string name;      // "广州市", "纽约", "Singapore"
  std::string latin;     // Atlas: GeoNames' name ("New York City")
  std::string country;   // "中国", "美国"
  std::string countryCode;  // "CN", "US"
  std::string region;    // "广东省", "NY"
  double latitude = 0;
  double longitude = 0;
  std::string timeZone;  // IANA name
  int32_t population = 0;  // 0 for the Chinese list, which has none
  bool capital = false;

  // The place text of a chart request: "广东省-广州市", "美国-纽约".
  std::string PlaceName() const;
  // A line of the search list: "纽约 (New York City) · 美国 NY",
  // "广州市 · 广东省".
  std::string Label() const;
};

class PlaceIndex {
 public:
  // The cities of a dili.ini and the places of an atlas (null: none).
  PlaceIndex(const IniFile& dili, std::shared_ptr<const WorldAtlas> atlas);

  // The place lists of the program folder: its dat/dili.ini and the
  // shipped atlas. A file that is there but cannot be read (a folder, a
  // pipe, a device, a file too large, refused, malformed or holding no
  // place) leaves its list empty, and Problem() says which and why.
  static std::unique_ptr<PlaceIndex> OfProgramFolder();
  // Why a place list could not be read, one line a file; empty when both
  // could.
  const std::string& Problem() const { return problem_; }

  // Places whose names (Chinese or Latin, letter case ignored) contain the
  // text, best first: the whole name, then a name's beginning, a word's
  // beginning, anywhere in a name, and last the places of a country the
  // text names (its capital first); each kind the Chinese list first, then
  // by population. "COUNTRY/NAME" or "PROVINCE/NAME" narrows the search to
  // a country (code, Chinese or English name) or a province.
  std::vector<Place> Search(std::string_view text, size_t limit) const;

  // The one place a text names, for --city: the only whole-name match, or
  // with none the only match of the best kind, or the capital of a country
  // named exactly. nullopt with up to `limit` candidates when there is no
  // match or several.
  std::optional<Place> Find(std::string_view text, std::vector<Place>* candidates, size_t limit = 10) const;

  // The place nearest to a point.
  std::optional<Place> Nearest(double latitude, double longitude) const;
  // An atlas place by its GeoNames id.
  std::optional<Place> AtlasPlaceById(int32_t id) const;
  // A place of the Chinese list.
  std::optional<Place> ChinaPlace(int province, int city) const;

  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    Place::Source source;
    uint32_t index;      // into chinese_ or the atlas's places
    uint32_t keyStart;   // the entry's folded names in keys_, each followed by '\n'
    uint32_t keyEnd;
  };
  struct ChinaCity {
    int province;
    int city;
    std::string name;
    double latitude;
    double longitude;
  };
  // The entries a text matches, by kind of match (whole name, beginning,
  // word, inside, country), each kind in entry order.
  struct Matches {
    std::array<std::vector<uint32_t>, 5> kinds;
    bool countryNamedExactly = false;
  };
  // A text typed in traditional characters (臺北) is looked for as written
  // and in simplified characters (台北), each place by its best match.
  Matches Match(std::string_view text) const;
  Matches MatchForm(std::string_view text) const;
  Place PlaceOf(const Entry& e) const;
  // What the part before '/' names: countries, provinces or a region.
  struct Area {
    bool china = false;
    std::unordered_set<std::string> countries;
    std::vector<int> provinces;
    std::string region;
  };
  Area AreaNamed(const std::string& area) const;
  bool InArea(const Entry& e, const Area& area) const;

  std::vector<ChinaCity> chinese_;
  std::shared_ptr<const WorldAtlas> atlas_;
  std::string problem_;
  std::vector<Entry> entries_;
  std::string keys_;
};

// The place the input panel stands for, from what is chosen there.
struct PanelPlace {
  std::string name;      // the request's place name
  std::string timeZone;  // the zone the entry 当地时间 reads
  int32_t atlasId = 0;   // GeoNames id of an atlas place, 0 none
};
// `province` and `city` are the lists' choice (city empty: none), with the
// city's coordinates; `picked` an atlas place picked from the search (or
// null); latitude and longitude what the boxes hold (null: unreadable).
// The picked place, else the chosen city, stands while the boxes lie within
// kSamePlaceKm of it; a province without a city stands as itself. Otherwise
// the place is 未知地, read in the zone of the place nearest to the boxes
// (`nearest`, asked only then).
PanelPlace PlaceOfPanel(int province, const std::string& city, double cityLatitude, double cityLongitude,
                        const Place* picked, const double* latitude, const double* longitude,
                        const std::function<std::optional<Place>(double, double)>& nearest);

// Great-circle distance in kilometres.
double DistanceKm(double latitude1, double longitude1, double latitude2, double longitude2);

// Coordinates typed within this distance of a chosen place still stand for
// that place (a hospital, a village beside the town); farther they are a
// place of their own.
inline constexpr double kSamePlaceKm = 100.0;

}  // namespace lumtar
