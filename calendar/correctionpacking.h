// The packed form of the correction strings. Each marker letter stands for a
// fixed run of zero digits; the strings are expanded once by replacing every
// occurrence of each marker in turn.
#pragma once

#include <string>

namespace lumtar::calendar {

struct CorrectionMarker {
  char letter;
  int zeros;  // length of the run of "0" it stands for
};

// Longest runs first, as the packer uses them.
inline constexpr CorrectionMarker kCorrectionMarkers[] = {
    {'M', 8192}, {'L', 4096}, {'K', 2048}, {'J', 1024}, {'I', 512}, {'H', 256}, {'G', 128},
    {'F', 64},   {'E', 32},   {'D', 16},   {'C', 8},    {'B', 4},   {'A', 2},
};

// Replaces every occurrence of `letter` in text with `run`.
inline void ReplaceAll(std::string& text, char letter, const std::string& run) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == letter)
      out += run;
    else
      out += c;
  }
  text.swap(out);
}

inline std::string ExpandCorrections(std::string packed) {
  for (const CorrectionMarker& m : kCorrectionMarkers) ReplaceAll(packed, m.letter, std::string(m.zeros, '0'));
  return packed;
}

inline std::string PackCorrections(const std::string& digits) {
  std::string out;
  std::size_t i = 0;
  while (i < digits.size()) {
    if (digits[i] != '0') {
      out += digits[i++];
      continue;
    }
    std::size_t run = 0;
    while (i + run < digits.size() && digits[i + run] == '0') ++run;
    i += run;
    for (const CorrectionMarker& m : kCorrectionMarkers) {
      while (run >= static_cast<std::size_t>(m.zeros)) {
        out += m.letter;
        run -= m.zeros;
      }
    }
    out.append(run, '0');
  }
  return out;
}

}  // namespace lumtar::calendar
