#include "clicommon.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <regex>

#include "files.h"

namespace lumtar::cli {

std::vector<CommandInstaller>& Installers() {
  static std::vector<CommandInstaller> v;
  return v;
}

Date ParseDate(const std::string& text) {
  static const std::regex re(R"(^(-?\d{1,5})-(\d{1,2})-(\d{1,2})$)");
  std::smatch m;
  if (!std::regex_match(text, m, re)) throw UsageError("bad date '" + Shown(text) + "', expected YYYY-MM-DD");
  return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

Time ParseTime(const std::string& text) {
  static const std::regex re(R"(^(\d{1,2}):(\d{1,2})$)");
  std::smatch m;
  if (!std::regex_match(text, m, re)) throw UsageError("bad time '" + Shown(text) + "', expected HH:MM");
  return {std::stoi(m[1]), std::stoi(m[2])};
}

double ParseDegreesMinutes(const std::string& text) {
  static const std::regex re(R"(^(-?)(\d{1,3})(?::(\d{1,2}))?$)");
  std::smatch m;
  if (!std::regex_match(text, m, re)) throw UsageError("bad coordinate '" + Shown(text) + "', expected D:M");
  double v = std::stoi(m[2]) + (m[3].matched ? std::stoi(m[3]) / 60.0 : 0.0);
  return m[1].length() ? -v : v;
}

std::vector<std::string> ExpandInputs(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0] == "-") {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(std::cin, line)) {
      // Blanks around a line (and the CR of a CRLF file) are not part of it.
      const std::size_t first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos) continue;
      lines.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
    }
    return lines;
  }
  return args;
}

std::string Shown(const std::string& input) {
  constexpr std::size_t kShownBytes = 60;
  if (input.size() <= kShownBytes) return input;
  // Cut at the start of a UTF-8 character.
  std::size_t cut = kShownBytes;
  while (cut > 0 && (static_cast<unsigned char>(input[cut]) & 0xC0) == 0x80) --cut;
  return input.substr(0, cut) + "…(" + std::to_string(input.size()) + " bytes)";
}

void WriteOutputFile(const std::string& path, const std::string& bytes) {
  int error = 0;
  // An output goes into a folder that is there; none is made for it.
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty() && !DirectoryExists(folder)) error = PathTaken(folder) ? ENOTDIR : ENOENT;
  if (error != 0 || !WriteWholeFileAtomic(path, bytes, &error))
    throw CommandError("cannot write " + Shown(path) + ": " + std::strerror(error != 0 ? error : EIO));
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string Tsv(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\t';
    out += fields[i];
  }
  return out;
}

void AddProgramDirOption(CLI::App* cmd) {
  cmd->add_option_function<std::string>(
      "--program-dir",
      [](const std::string& dir) {
        // An empty text names no folder (it would be taken as the root).
        if (!SetProgramDir(dir)) throw UsageError("--program-dir must name a folder");
      },
      "program folder (default: the tool's own folder)");
}

}  // namespace lumtar::cli
