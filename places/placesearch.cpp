#include "placesearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "datafolders.h"
#include "files.h"
#include "inifile.h"
#include "places.h"
#include "script.h"

namespace lumtar {

namespace {

constexpr const char* kChina = "中国";
constexpr int kTaiwanProvince = 31;
constexpr int kHongKongProvince = 32;
constexpr int kMacauProvince = 33;

// Letter case folded (ASCII only: the Chinese names have none), blanks
// around the text dropped.
std::string Fold(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool HasLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// How a name matched: the whole name, its beginning, a word's beginning,
// anywhere; then the places of a named country.
enum MatchKind { kWhole = 0, kBeginning, kWord, kInside, kCountry, kNone };

MatchKind BestMatch(std::string_view keys, std::string_view query) {
  MatchKind best = kNone;
  for (size_t pos = keys.find(query); pos != std::string_view::npos; pos = keys.find(query, pos + 1)) {
    const bool atStart = pos == 0 || keys[pos - 1] == '\n';
    const bool atEnd = keys[pos + query.size()] == '\n';
    MatchKind kind = atStart ? (atEnd ? kWhole : kBeginning)
                             : (keys[pos - 1] == ' ' || keys[pos - 1] == '-' || keys[pos - 1] == '\'' ||
                                keys[pos - 1] == '(')
                                   ? kWord
                                   : kInside;
    best = std::min(best, kind);
    if (best == kWhole) break;
  }
  return best;
}

struct CountryMatch {
  std::unordered_set<std::string> codes;  // atlas countries
  bool china = false;
  bool exact = false;  // the text is a country's whole name or code
};

// The countries a folded text names: a code, or the beginning of a Chinese
// or English name.
CountryMatch CountriesNamed(std::string_view text, const WorldAtlas* atlas) {
  CountryMatch m;
  if (text.empty()) return m;
  const bool latin = HasLetter(text);
  if (text == Fold(kChina) || text == "china" || text == "cn" || (!latin && StartsWith(kChina, text))) {
    m.china = true;
    m.exact = text == Fold(kChina) || text == "china" || text == "cn";
  }
  if (atlas) {
    for (const AtlasCountry& c : atlas->Countries()) {
      const std::string code = Fold(c.code), english = Fold(c.english);
      const bool whole = text == code || text == english || text == c.chinese;
      const bool begins = latin ? (text.size() >= 3 && StartsWith(english, text)) : StartsWith(c.chinese, text);
      if (whole || begins) m.codes.insert(c.code);
      m.exact = m.exact || whole;
    }
  }
  return m;
}

}  // namespace

std::string ProvinceTimeZone(int province) {
  if (province < 0 || province >= kEditableProvinceCount) return {};
  if (province == kTaiwanProvince) return "Asia/Taipei";
  if (province == kHongKongProvince) return "Asia/Hong_Kong";
  if (province == kMacauProvince) return "Asia/Macau";
  return "Asia/Shanghai";
}

PanelPlace PlaceOfPanel(int province, const std::string& city, double cityLatitude, double cityLongitude,
                        const Place* picked, const double* latitude, const double* longitude,
                        const std::function<std::optional<Place>(double, double)>& nearest) {
  const bool typed = latitude && longitude;
  auto near = [&](double lat, double lon) {
    return !typed || DistanceKm(*latitude, *longitude, lat, lon) <= kSamePlaceKm;
  };
  if (picked && near(picked->latitude, picked->longitude))
    return {picked->PlaceName(), picked->timeZone, picked->source == Place::Source::Atlas ? picked->id : 0};
  const bool listed = province >= 0 && province < kEditableProvinceCount;
  if (listed && (city.empty() || near(cityLatitude, cityLongitude)))
    return {PlaceNameOf(province, city), ProvinceTimeZone(province), 0};
  PanelPlace unknown{kUnknownPlaceName, {}, 0};
  const double lat = typed ? *latitude : kUnknownLatitude, lon = typed ? *longitude : kUnknownLongitude;
  if (nearest)
    if (std::optional<Place> p = nearest(lat, lon)) unknown.timeZone = p->timeZone;
  return unknown;
}

std::string Place::PlaceName() const {
  if (source == Source::China) return PlaceNameOf(province, name);
  return country + "-" + name;
}

std::string Place::Label() const {
  if (source == Source::China) return name + " · " + region;
  std::string label = name;
  if (!latin.empty() && latin != name) label += " (" + latin + ")";
  label += " · " + country;
  if (HasLetter(region)) label += " " + region;
  return label;
}

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
  constexpr double kRad = 3.14159265358979323846 / 180;
  const double dlat = (lat2 - lat1) * kRad, dlon = (lon2 - lon1) * kRad;
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 6371.0 * 2 * std::asin(std::min(1.0, std::sqrt(h)));
}

PlaceIndex::PlaceIndex(const IniFile& dili, std::shared_ptr<const WorldAtlas> atlas) : atlas_(std::move(atlas)) {
  for (int p = 0; p < kEditableProvinceCount; ++p) {
    ProvinceCities cities;
    ReadProvinceCities(dili, p, &cities);  // a malformed value ends the province's list there
    for (int c = 0; c < cities.size(); ++c) {
      const auto i = static_cast<size_t>(c);
      chinese_.push_back({p, c, cities.names[i], cities.latitudes[i], cities.longitudes[i]});
    }
  }
  auto addEntry = [this](Place::Source source, size_t index, const std::vector<std::string_view>& names) {
    Entry e{source, static_cast<uint32_t>(index), static_cast<uint32_t>(keys_.size()), 0};
    std::vector<std::string> seen;
    for (std::string_view n : names) {
      std::string key = Fold(n);
      if (key.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
      keys_ += key;
      keys_ += '\n';
      seen.push_back(std::move(key));
    }
    e.keyEnd = static_cast<uint32_t>(keys_.size());
    entries_.push_back(e);
  };
  for (size_t i = 0; i < chinese_.size(); ++i) addEntry(Place::Source::China, i, {chinese_[i].name});
  if (atlas_) {
    const std::vector<AtlasPlace>& places = atlas_->Places();
    for (size_t i = 0; i < places.size(); ++i) {
      std::vector<std::string_view> names{places[i].name, places[i].latin};
      for (const std::string& n : places[i].otherNames) names.push_back(n);
      addEntry(Place::Source::Atlas, i, names);
    }
  }
}

std::unique_ptr<PlaceIndex> PlaceIndex::OfProgramFolder() {
  const fs::path dili = ProgramPath(kPlacesRelativePath);
  std::string problem;
  const bool diliThere = PathTaken(dili);
  if (diliThere) {
    std::string bytes;
    const ReadResult read = ReadFile(dili, &bytes, kIniMaxBytes);
    if (read != ReadResult::Read) problem = UnreadablePlaceFileMessage(dili.string(), read, kIniMaxBytes);
  }
  std::string atlasProblem;
  auto index = std::make_unique<PlaceIndex>(IniFile(dili), SharedAtlas(&atlasProblem));
  if (diliThere && problem.empty() && index->chinese_.empty())
    problem = "地名文件 " + dili.string() + " 无法读取：其中没有一个城市";
  if (!atlasProblem.empty()) problem += (problem.empty() ? "" : "\n") + atlasProblem;
  index->problem_ = std::move(problem);
  return index;
}

Place PlaceIndex::PlaceOf(const Entry& e) const {
  Place p;
  p.source = e.source;
  if (e.source == Place::Source::China) {
    const ChinaCity& c = chinese_[e.index];
    p.province = c.province;
    p.city = c.city;
    p.name = c.name;
    p.country = kChina;
    p.countryCode = "CN";
    p.region = ProvinceNames[static_cast<size_t>(c.province)];
    p.latitude = c.latitude;
    p.longitude = c.longitude;
    p.timeZone = ProvinceTimeZone(c.province);
    return p;
  }
  const AtlasPlace& a = atlas_->Places()[e.index];
  p.id = a.id;
  p.name = a.name;
  p.latin = a.latin;
  p.countryCode = a.country;
  const AtlasCountry* country = atlas_->Country(a.country);
  p.country = country ? country->chinese : a.country;
  p.capital = country && country->capitalId == a.id;
  p.region = a.region;
  p.latitude = a.latitude;
  p.longitude = a.longitude;
  p.timeZone = atlas_->TimeZoneOf(a);
  p.population = a.population;
  return p;
}

PlaceIndex::Matches PlaceIndex::Match(std::string_view text) const {
  Matches m = MatchForm(text);
  const std::string simplified = SimplifiedText(text);
  if (simplified == text) return m;
  const Matches other = MatchForm(simplified);
  const Matches* const both[] = {&m, &other};
  std::unordered_map<uint32_t, size_t> best;
  for (const Matches* each : both)
    for (size_t k = 0; k < each->kinds.size(); ++k)
      for (uint32_t i : each->kinds[k]) {
        const auto [at, added] = best.emplace(i, k);
        if (!added) at->second = std::min(at->second, k);
      }
  Matches merged;
  merged.countryNamedExactly = m.countryNamedExactly || other.countryNamedExactly;
  for (size_t k = 0; k < merged.kinds.size(); ++k) {
    std::vector<uint32_t>& list = merged.kinds[k];
    for (const Matches* each : both)
      for (uint32_t i : each->kinds[k])
        if (size_t& b = best[i]; b == k) {
          list.push_back(i);
          b = merged.kinds.size();  // placed
        }
    // In the lists' order (the Chinese list first, then by population);
    // a named country's places keep their capital first.
    if (k != kCountry) std::sort(list.begin(), list.end());
  }
  return merged;
}

PlaceIndex::Matches PlaceIndex::MatchForm(std::string_view text) const {
  Matches m;
  std::string area, query;
  const size_t slash = text.find('/');
  if (slash != std::string_view::npos) {
    area = Fold(text.substr(0, slash));
    query = Fold(text.substr(slash + 1));
  } else {
    query = Fold(text);
  }
  if (query.empty()) return m;
  const CountryMatch named = area.empty() ? CountriesNamed(query, atlas_.get()) : CountryMatch{};
  m.countryNamedExactly = named.exact;
  const Area inArea = area.empty() ? Area{} : AreaNamed(area);

  const std::string_view keys(keys_);
  for (uint32_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (!area.empty() && !InArea(e, inArea)) continue;
    MatchKind kind = BestMatch(keys.substr(e.keyStart, e.keyEnd - e.keyStart), query);
    if (kind == kNone && area.empty()) {
      const bool ofCountry = e.source == Place::Source::China
                                 ? named.china
                                 : named.codes.count(atlas_->Places()[e.index].country) > 0;
      if (ofCountry) kind = kCountry;
    }
    if (kind != kNone) m.kinds[kind].push_back(i);
  }
  // The places of a named country: its capital first.
  std::stable_partition(m.kinds[kCountry].begin(), m.kinds[kCountry].end(), [this](uint32_t i) {
    const Entry& e = entries_[i];
    if (e.source != Place::Source::Atlas) return false;
    const AtlasPlace& a = atlas_->Places()[e.index];
    const AtlasCountry* c = atlas_->Country(a.country);
    return c && c->capitalId == a.id;
  });
  return m;
}

std::vector<Place> PlaceIndex::Search(std::string_view text, size_t limit) const {
  std::vector<Place> out;
  if (limit == 0) return out;
  for (const std::vector<uint32_t>& list : Match(text).kinds)
    for (uint32_t i : list) {
      if (out.size() >= limit) return out;
      out.push_back(PlaceOf(entries_[i]));
    }
  return out;
}

bool PlaceIndex::InArea(const Entry& e, const Area& area) const {
  if (e.source == Place::Source::China)
    return area.china || std::find(area.provinces.begin(), area.provinces.end(), chinese_[e.index].province) !=
                             area.provinces.end();
  const AtlasPlace& a = atlas_->Places()[e.index];
  return area.countries.count(a.country) > 0 || (!area.region.empty() && a.region == area.region);
}

PlaceIndex::Area PlaceIndex::AreaNamed(const std::string& area) const {
  // A country by its code or the beginning of a name, a province by the
  // beginning of its name, a region by its code ("NY").
  Area a;
  const CountryMatch countries = CountriesNamed(area, atlas_.get());
  a.china = countries.china;
  a.countries = countries.codes;
  for (int p = 0; p < kEditableProvinceCount; ++p)
    if (!HasLetter(area) && StartsWith(ProvinceNames[static_cast<size_t>(p)], area)) a.provinces.push_back(p);
  if (HasLetter(area)) {
    a.region = area;
    for (char& c : a.region)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return a;
}

std::optional<Place> PlaceIndex::Find(std::string_view text, std::vector<Place>* candidates, size_t limit) const {
  if (candidates) candidates->clear();
  const Matches m = Match(text);
  for (size_t kind = 0; kind < m.kinds.size(); ++kind) {
    const std::vector<uint32_t>& same = m.kinds[kind];
    if (same.empty()) continue;
    if (same.size() == 1) return PlaceOf(entries_[same.front()]);
    // A country named by its whole name or code: its capital.
    if (kind == kCountry && m.countryNamedExactly) {
      Place first = PlaceOf(entries_[same.front()]);
      if (first.capital) return first;
    }
    if (candidates)
      for (size_t i = 0; i < same.size() && i < limit; ++i) candidates->push_back(PlaceOf(entries_[same[i]]));
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<Place> PlaceIndex::Nearest(double latitude, double longitude) const {
  const Entry* best = nullptr;
  double bestKm = 1e300;
  for (const Entry& e : entries_) {
    double lat, lon;
    if (e.source == Place::Source::China) {
      lat = chinese_[e.index].latitude;
      lon = chinese_[e.index].longitude;
    } else {
      lat = atlas_->Places()[e.index].latitude;
      lon = atlas_->Places()[e.index].longitude;
    }
    const double km = DistanceKm(latitude, longitude, lat, lon);
    if (km < bestKm) {
      bestKm = km;
      best = &e;
    }
  }
  if (!best) return std::nullopt;
  return PlaceOf(*best);
}

std::optional<Place> PlaceIndex::AtlasPlaceById(int32_t id) const {
  if (!atlas_ || id <= 0) return std::nullopt;
  const AtlasPlace* a = atlas_->FindById(id);
  if (!a) return std::nullopt;
  const size_t index = static_cast<size_t>(a - atlas_->Places().data());
  for (const Entry& e : entries_)
    if (e.source == Place::Source::Atlas && e.index == index) return PlaceOf(e);
  return std::nullopt;
}

std::optional<Place> PlaceIndex::ChinaPlace(int province, int city) const {
  for (const Entry& e : entries_) {
    if (e.source != Place::Source::China) break;
    const ChinaCity& c = chinese_[e.index];
    if (c.province == province && c.city == city) return PlaceOf(e);
  }
  return std::nullopt;
}

}  // namespace lumtar
