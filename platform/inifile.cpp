#include "inifile.h"

// Bytes pass through untouched: the file is decoded from GBK before parsing.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "files.h"
#include "gbk.h"

namespace lumtar {
namespace {

using Ini = CSimpleIniA;  // case-insensitive names

void Setup(Ini& ini) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetSpaces(false);
  ini.SetQuotes(false);
}

bool Load(const std::filesystem::path& path, Ini& ini) {
  Setup(ini);
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return false;
  // Files are GBK; one saved as UTF-8 with a byte-order mark is accepted too.
  std::string text;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    text = bytes.substr(3);
  else
    text = GbkToUtf8(bytes);
  return ini.LoadData(text.data(), text.size()) >= 0;
}

bool Save(const std::filesystem::path& path, const Ini& ini) {
  std::string text;
  if (ini.Save(text, false) < 0) return false;
  // One blank line between sections, as the original files have.
  for (size_t pos; (pos = text.find("\n\n\n")) != std::string::npos;) text.erase(pos, 1);
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += text[i];
  }
  return WriteWholeFileAtomic(path, Utf8ToGbk(crlf));
}

}  // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {}

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
  Ini ini;
  if (!Load(path_, ini)) return def;
  const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
  int out;
  if (v == nullptr || !ParseInteger(v, &out)) return def;
  return out;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  Ini ini;
  if (!Load(path_, ini)) return def;
  const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
  return v ? std::string(v) : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  Ini ini;
  Load(path_, ini);  // a missing file starts empty
  if (ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0) return false;
  return Save(path_, ini);
}

bool IniFile::WriteStrings(const std::vector<Value>& values) {
  Ini ini;
  Load(path_, ini);  // a missing file starts empty
  for (const Value& v : values)
    if (ini.SetValue(v.section.c_str(), v.key.c_str(), v.text.c_str()) < 0) return false;
  return Save(path_, ini);
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
  Ini ini;
  if (!Load(path_, ini)) return out;
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
  Ini ini;
  if (!Load(path_, ini)) return out;
  Ini::TNamesDepend sections;
  ini.GetAllSections(sections);
  sections.sort(Ini::Entry::LoadOrder());
  for (const auto& s : sections)
    if (s.pItem[0] != '\0') out.emplace_back(s.pItem);
  return out;
}

bool IniFile::SectionExists(const std::string& section) const {
  Ini ini;
  if (!Load(path_, ini)) return false;
  return ini.GetSection(section.c_str()) != nullptr;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  Ini ini;
  if (!Load(path_, ini)) return false;
  return ini.GetValue(section.c_str(), key.c_str(), nullptr) != nullptr;
}

bool IniFile::EraseSection(const std::string& section) {
  Ini ini;
  if (!Load(path_, ini)) return false;
  if (!ini.Delete(section.c_str(), nullptr)) return true;
  return Save(path_, ini);
}

bool IniFile::DeleteKey(const std::string& section, const std::string& key) {
  Ini ini;
  if (!Load(path_, ini)) return false;
  if (!ini.Delete(section.c_str(), key.c_str())) return true;
  return Save(path_, ini);
}

}  // namespace lumtar
