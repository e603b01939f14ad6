// Compile-time reading of the chart's tables, which are written with their
// one-character names (branches 亥 … 戌, bodies 日 … 冥) so that they can be
// compared with the classical tables at a glance.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace lumtar::tablechars {

inline constexpr std::string_view kBranchChars = "亥子丑寅卯辰巳午未申酉戌";
inline constexpr std::string_view kBodyChars = "日月水金火木土罗计气孛天海冥";
inline constexpr std::size_t kCharBytes = 3;  // every name is one 3-byte UTF-8 character

// Index of the i-th character of `text` in `alphabet`; −1 when absent.
constexpr int IndexOfChar(std::string_view alphabet, std::string_view text, std::size_t i) {
  std::string_view c = text.substr(i * kCharBytes, kCharBytes);
  for (std::size_t k = 0; k * kCharBytes < alphabet.size(); ++k)
    if (alphabet.substr(k * kCharBytes, kCharBytes) == c) return static_cast<int>(k);
  return -1;
}

constexpr std::size_t CharCount(std::string_view text) { return text.size() / kCharBytes; }

// The characters of `text` as indices into `alphabet`.
template <std::size_t N>
constexpr std::array<signed char, N> Indices(std::string_view alphabet, std::string_view text) {
  std::array<signed char, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = static_cast<signed char>(IndexOfChar(alphabet, text, i));
  return out;
}

// A set of branches as a 12-bit mask.
constexpr unsigned BranchMask(std::string_view text) {
  unsigned mask = 0;
  for (std::size_t i = 0; i < CharCount(text); ++i) mask |= 1u << IndexOfChar(kBranchChars, text, i);
  return mask;
}

// Rows of a table, each a string of N characters of `alphabet`, read into
// an index table; a character outside the alphabet stops compilation.
template <std::size_t Rows, std::size_t N>
constexpr std::array<std::array<signed char, N>, Rows> Table(std::string_view alphabet,
                                                             const std::string_view (&rows)[Rows]) {
  std::array<std::array<signed char, N>, Rows> out{};
  for (std::size_t r = 0; r < Rows; ++r) {
    if (CharCount(rows[r]) != N || rows[r].size() != N * kCharBytes) throw "table row of the wrong length";
    out[r] = Indices<N>(alphabet, rows[r]);
    for (signed char v : out[r])
      if (v < 0) throw "unknown character in a table";
  }
  return out;
}

}  // namespace lumtar::tablechars
