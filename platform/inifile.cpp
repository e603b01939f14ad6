#include "inifile.h"

// Bytes pass through untouched: the file is decoded from GBK before parsing.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "files.h"
#include "gbk.h"

namespace lumtar {
namespace {

using Ini = CSimpleIniA;  // case-insensitive names

long parses = 0;

// What tells one state of a file from another: its identity, size and times.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modified = 0, changed = 0;  // nanoseconds
  bool operator==(const Identity&) const = default;
};

bool IdentityOf(const std::filesystem::path& path, Identity* id) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
         st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
  return true;
}

void Setup(Ini& ini) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetSpaces(false);
  ini.SetQuotes(false);
}

// The text as the file holds it: CRLF line ends and one blank line between
// sections, however many the parser's output had. One pass.
std::string FileText(const std::string& text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  int newlines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n') {
      if (++newlines > 2) continue;
      crlf += "\r\n";
    } else {
      newlines = 0;
      crlf += c;
    }
  }
  return crlf;
}

}  // namespace

struct IniFile::Parsed {
  Ini ini;
  Identity identity;
  Parsed() { Setup(ini); }
};

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {}
IniFile::~IniFile() = default;

long IniFile::Parses() { return parses; }

std::filesystem::path IniFile::LargeCopyPath(const std::filesystem::path& path) {
  std::filesystem::path copy = path;
  copy += ".large";
  return copy;
}

bool IniFile::TooLarge() const {
  std::error_code ec;
  return std::filesystem::is_regular_file(path_, ec) && std::filesystem::file_size(path_, ec) > kIniMaxBytes &&
         !ec;
}

std::shared_ptr<IniFile::Parsed> IniFile::Load(bool* writable) const {
  if (writable) *writable = true;
  Identity id;
  const bool exists = IdentityOf(path_, &id);
  if (cache_ && exists && cache_->identity == id) return cache_;
  cache_.reset();
  std::string bytes;
  const ReadResult read = ReadFile(path_, &bytes, kIniMaxBytes);
  if (read != ReadResult::Read) {
    // A missing file starts empty, and one too large to be a settings file
    // is replaced; anything else at the path is left alone.
    if (writable) *writable = read == ReadResult::Missing || read == ReadResult::TooLarge;
    return nullptr;
  }
  auto parsed = std::make_shared<Parsed>();
  parsed->identity = id;
  // Files are GBK; one saved as UTF-8 with a byte-order mark is accepted too.
  std::string text;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    text = bytes.substr(3);
  else
    text = GbkToUtf8(bytes);
  ++parses;
  if (parsed->ini.LoadData(text.data(), text.size()) < 0) return nullptr;
  cache_ = parsed;
  return parsed;
}

bool IniFile::Store(const std::shared_ptr<Parsed>& parsed) {
  std::string text;
  cache_.reset();
  if (parsed->ini.Save(text, false) < 0) return false;
  // A file too large to read is kept beside the new one (one copy, the
  // latest), so what it held can still be taken out of it by hand.
  if (TooLarge() && !RenameFile(path_, LargeCopyPath(path_))) return false;
  if (!WriteWholeFileAtomic(path_, Utf8ToGbk(FileText(text)))) return false;
  // The file is now what this object holds.
  if (IdentityOf(path_, &parsed->identity)) cache_ = parsed;
  return true;
}

bool IniFile::ParseInteger(const std::string& text, int* value) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  if (b == e) return false;
  std::string s = text.substr(b, e - b);
  size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t k = i; k < s.size(); ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  errno = 0;
  long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const auto parsed = Load();
  if (!parsed) return def;
  const char* v = parsed->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  int out;
  if (v == nullptr || !ParseInteger(v, &out)) return def;
  return out;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  const auto parsed = Load();
  if (!parsed) return def;
  const char* v = parsed->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  return v ? std::string(v) : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  return WriteStrings({{section, key, value}});
}

bool IniFile::WriteStrings(const std::vector<Value>& values) {
  bool writable = false;
  std::shared_ptr<Parsed> parsed = Load(&writable);
  if (!writable) return false;
  if (!parsed) parsed = std::make_shared<Parsed>();  // starts empty
  for (const Value& v : values) {
    if (parsed->ini.SetValue(v.section.c_str(), v.key.c_str(), v.text.c_str()) < 0) {
      cache_.reset();
      return false;
    }
  }
  return Store(parsed);
}

bool IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> out;
  for (auto& kv : ReadSectionValues(section)) out.push_back(kv.first);
  return out;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionValues(
    const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> out;
  const auto parsed = Load();
  if (!parsed) return out;
  const Ini& ini = parsed->ini;
  Ini::TNamesDepend keys;
  if (!ini.GetAllKeys(section.c_str(), keys)) return out;
  keys.sort(Ini::Entry::LoadOrder());
  for (const auto& k : keys) {
    const char* v = ini.GetValue(section.c_str(), k.pItem, "");
    out.emplace_back(k.pItem, v ? v : "");
  }
  return out;
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> out;
  const auto parsed = Load();
  if (!parsed) return out;
  Ini::TNamesDepend sections;
  parsed->ini.GetAllSections(sections);
  sections.sort(Ini::Entry::LoadOrder());
  for (const auto& s : sections)
    if (s.pItem[0] != '\0') out.emplace_back(s.pItem);
  return out;
}

bool IniFile::SectionExists(const std::string& section) const {
  const auto parsed = Load();
  return parsed && parsed->ini.GetSection(section.c_str()) != nullptr;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  const auto parsed = Load();
  return parsed && parsed->ini.GetValue(section.c_str(), key.c_str(), nullptr) != nullptr;
}

bool IniFile::EraseSection(const std::string& section) {
  const auto parsed = Load();
  if (!parsed) return false;
  if (!parsed->ini.Delete(section.c_str(), nullptr)) return true;
  return Store(parsed);
}

bool IniFile::DeleteKey(const std::string& section, const std::string& key) {
  const auto parsed = Load();
  if (!parsed) return false;
  if (!parsed->ini.Delete(section.c_str(), key.c_str())) return true;
  return Store(parsed);
}

}  // namespace lumtar
