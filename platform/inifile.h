// INI files by section and key, the way the original program used them.
//
// The file on disk is GBK with CRLF line ends; names and values cross this
// interface as UTF-8. Every call goes to the file: reads see what is on disk
// now, writes update it at once (creating file, section and key as needed).
// An object parses the file once and keeps it while the file stays as it
// was (same size, time and identity), so many reads of one operation cost
// one parse. Section and key names compare ASCII case-insensitively.
//
// A folder or a pipe where the file is expected, or a file larger than
// kIniMaxBytes (no settings file of the program comes near it), reads as a
// missing file. A write then replaces a file that was too large with the
// keys written (TooLarge tells the window to say so first), the old file
// kept beside it as LargeCopyPath, but never puts a file in the place of
// anything else or of a file it could not read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lumtar {

inline constexpr std::uintmax_t kIniMaxBytes = 1u << 20;

class IniFile {
 public:
  explicit IniFile(std::filesystem::path path);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The file is there but larger than kIniMaxBytes, so not read.
  bool TooLarge() const;
  // Where a file too large to read is kept when a write replaces it.
  static std::filesystem::path LargeCopyPath(const std::filesystem::path& path);
  // Files parsed so far by all objects (for tests).
  static long Parses();

  // A missing file, section or key, or a value that is no decimal integer,
  // gives the default.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Any integer other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  bool WriteInteger(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value);

  // Several texts written in one update of the file: the file ends as the
  // same writes one after the other would leave it, but is replaced once.
  struct Value {
    std::string section;
    std::string key;
    std::string text;
  };
  bool WriteStrings(const std::vector<Value>& values);

  // Key names of a section in file order (empty when there is none).
  std::vector<std::string> ReadSection(const std::string& section) const;
  // Key/value pairs of a section in file order.
  std::vector<std::pair<std::string, std::string>> ReadSectionValues(
      const std::string& section) const;
  // Section names in file order.
  std::vector<std::string> ReadSections() const;
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;

  bool EraseSection(const std::string& section);
  bool DeleteKey(const std::string& section, const std::string& key);

  // Parses a decimal integer the strict way (surrounding blanks allowed).
  static bool ParseInteger(const std::string& text, int* value);

 private:
  struct Parsed;
  // The file parsed, or null when it cannot be read; `writable` tells
  // whether a write may replace what is at the path.
  std::shared_ptr<Parsed> Load(bool* writable = nullptr) const;
  bool Store(const std::shared_ptr<Parsed>& parsed);

  std::filesystem::path path_;
  mutable std::shared_ptr<Parsed> cache_;
};

}  // namespace lumtar
