// INI files by section and key, the way the original program used them.
//
// The file on disk is GBK with CRLF line ends; names and values cross this
// interface as UTF-8. Every call goes to the file: reads open and parse it,
// writes update it at once (creating file, section and key as needed).
// Section and key names compare ASCII case-insensitively.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace lumtar {

class IniFile {
 public:
  explicit IniFile(std::filesystem::path path);

  const std::filesystem::path& Path() const { return path_; }

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
  std::filesystem::path path_;
};

}  // namespace lumtar
