#include "atlas.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <mutex>

#include "birthclock.h"
#include "datafolders.h"
#include "files.h"

namespace lumtar {

namespace {

// The fields of one line, split at TABs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return fields;
}

template <typename T>
bool Number(std::string_view text, T* value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && ptr == end;
}

bool ParsePlace(const std::vector<std::string_view>& f, AtlasPlace* p) {
  if (f.size() != 11) return false;
  if (!Number(f[1], &p->id) || f[2].empty() || f[4].size() != 2) return false;
  if (!Number(f[6], &p->latitude) || !Number(f[7], &p->longitude) || !Number(f[8], &p->zone) ||
      !Number(f[9], &p->population))
    return false;
  if (!(p->latitude >= -90 && p->latitude <= 90 && p->longitude >= -180 && p->longitude <= 180)) return false;
  if (ZoneName(p->zone).empty()) return false;
  p->name = std::string(f[2]);
  p->latin = f[3].empty() ? p->name : std::string(f[3]);
  p->country = std::string(f[4]);
  p->region = std::string(f[5]);
  for (size_t start = 0; start < f[10].size();) {
    size_t bar = f[10].find('|', start);
    if (bar == std::string_view::npos) bar = f[10].size();
    if (bar > start) p->otherNames.emplace_back(f[10].substr(start, bar - start));
    start = bar + 1;
  }
  return true;
}

}  // namespace

bool WorldAtlas::Load(const std::string& path, std::string* error) {
  *this = WorldAtlas{};
  std::string bytes;
  const ReadResult read = ReadFile(path, &bytes, kAtlasMaxBytes);
  if (read != ReadResult::Read) {
    if (error) *error = UnreadablePlaceFileMessage(path, read, kAtlasMaxBytes);
    return false;
  }
  std::vector<AtlasPlace> places;
  std::vector<AtlasCountry> countries;
  places.reserve(bytes.size() / 56);
  std::string_view text(bytes);
  int lineNumber = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string_view> f = Fields(line);
    bool ok = false;
    if (f[0] == "P") {
      AtlasPlace p;
      ok = ParsePlace(f, &p);
      if (ok) places.push_back(std::move(p));
    } else if (f[0] == "C" && f.size() == 5 && f[1].size() == 2) {
      AtlasCountry c{std::string(f[1]), std::string(f[2]), std::string(f[3]), 0};
      ok = Number(f[4], &c.capitalId);
      if (ok) countries.push_back(std::move(c));
    }
    if (!ok) {
      if (error) *error = "地名文件 " + path + " 无法读取：第" + std::to_string(lineNumber) + "行无法识别";
      return false;
    }
  }
  if (places.empty()) {
    if (error) *error = "地名文件 " + path + " 无法读取：其中没有一个地名";
    return false;
  }
  places_ = std::move(places);
  countries_ = std::move(countries);
  for (size_t i = 0; i < places_.size(); ++i) byId_.emplace(places_[i].id, i);
  for (size_t i = 0; i < countries_.size(); ++i) countryByCode_.emplace(countries_[i].code, i);
  return true;
}

const AtlasCountry* WorldAtlas::Country(std::string_view code) const {
  auto it = countryByCode_.find(std::string(code));
  return it == countryByCode_.end() ? nullptr : &countries_[it->second];
}

const AtlasPlace* WorldAtlas::FindById(int32_t id) const {
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : &places_[it->second];
}

std::string WorldAtlas::TimeZoneOf(const AtlasPlace& place) const { return std::string(ZoneName(place.zone)); }

std::shared_ptr<const WorldAtlas> SharedAtlas(const std::string& path, std::string* error) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const WorldAtlas>> loaded;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = loaded.find(path);
  if (it != loaded.end()) return it->second;
  if (!PathTaken(path)) return nullptr;
  auto atlas = std::make_shared<WorldAtlas>();
  std::shared_ptr<const WorldAtlas> result;
  if (atlas->Load(path, error)) result = atlas;
  // A missing atlas is asked for again next time (a test may lay it out).
  if (result) loaded.emplace(path, result);
  return result;
}

// The atlas is read where it is shipped; only the user's settings and place
// list are the user's own.
std::shared_ptr<const WorldAtlas> SharedAtlas(std::string* error) {
  return SharedAtlas(ShippedPath(kAtlasRelativePath).string(), error);
}

std::string UnreadablePlaceFileMessage(const std::string& path, ReadResult why, std::uintmax_t maxBytes) {
  const int error = errno;
  switch (why) {
    case ReadResult::NotAFile:
      return "地名文件 " + path + " 无法读取：不是普通文件（是文件夹、管道或设备）";
    case ReadResult::TooLarge:
      return "地名文件 " + path + " 无法读取：超过" + std::to_string(maxBytes >> 20) + "MB，不是本软件的地名文件";
    case ReadResult::Missing:
      return "地名文件 " + path + " 无法读取：文件不存在";
    case ReadResult::Failed:
    case ReadResult::Read:
      break;
  }
  return "地名文件 " + path + " 无法读取：" + std::strerror(error != 0 ? error : EIO);
}

}  // namespace lumtar
