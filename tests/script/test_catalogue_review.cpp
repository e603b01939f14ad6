// The verse catalogue in traditional characters against the reviewed
// vocabulary of the overrides file.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "script.h"
#include "versecatalogue.h"

using namespace lumtar;

namespace {

// The reviewed vocabulary, read from the overrides file as a person wrote
// it: every override (simplified, traditional) and every word of its "Kept:"
// lists, the traditional forms OpenCC was found to give right.
struct Reviewed {
  std::vector<std::pair<std::u32string, std::u32string>> overrides;
  std::vector<std::u32string> kept;
};

std::string Utf8(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u32string Utf32(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t v = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; k < n && i + k < s.size(); ++k) v = (v << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out += v;
    i += static_cast<size_t>(n);
  }
  return out;
}

bool Han(char32_t c) { return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0x20000 && c <= 0x3FFFF); }

Reviewed ReadReviewed(const std::string& path) {
  Reviewed r;
  std::ifstream in(path);
  std::string line;
  bool inKept = false;
  while (std::getline(in, line)) {
    if (line.rfind("#", 0) != 0) {
      inKept = false;
      const size_t tab = line.find('\t'), tab2 = line.find('\t', tab + 1);
      if (tab != std::string::npos && tab2 != std::string::npos)
        r.overrides.emplace_back(Utf32(line.substr(0, tab)), Utf32(line.substr(tab + 1, tab2 - tab - 1)));
      continue;
    }
    if (line.rfind("# Kept:", 0) == 0) inKept = true;
    if (!inKept) continue;
    std::u32string word;
    for (char32_t c : Utf32(line) + U' ') {
      if (Han(c)) {
        word += c;
      } else {
        if (!word.empty()) r.kept.push_back(word);
        word.clear();
      }
    }
    if (!line.empty() && line.back() == '.') inKept = false;
  }
  return r;
}

// Where `what` occurs in `text`.
std::vector<size_t> Occurrences(const std::u32string& text, const std::u32string& what) {
  std::vector<size_t> at;
  for (size_t i = text.find(what); i != std::u32string::npos; i = text.find(what, i + 1)) at.push_back(i);
  return at;
}

}  // namespace

// The traditional catalogue holds the reviewed vocabulary, not merely what
// the converter that wrote it gives: where a verse's simplified text has an
// override's simplified phrase of two characters or more, its traditional
// text has the override's form at the same place (unless a longer override
// takes the place; an override of one character only says what the
// character is where no longer phrase takes it, as the file explains), and
// a word of the "Kept:" lists stands wherever the simplified word it was
// reviewed for stands.
TEST(CatalogueReview, HoldsTheReviewedVocabulary) {
  const Reviewed reviewed = ReadReviewed(LUMTAR_SCRIPT_OVERRIDES);
  ASSERT_GT(reviewed.overrides.size(), 50u);
  ASSERT_GT(reviewed.kept.size(), 200u);
  struct Text {
    std::string key, traditional;
    std::u32string s, t;
  };
  std::vector<Text> texts;
  auto both = [&](const std::string& key, auto lookup) {
    SetScript(Script::Simplified);
    const std::string s = lookup();
    SetScript(Script::Traditional);
    const std::string t = lookup();
    SetScript(Script::Simplified);
    if (!s.empty()) texts.push_back({key, t, Utf32(s), Utf32(t)});
  };
  for (int id = 0; id <= 1300; ++id) both(std::to_string(id), [id] { return VerseText(id); });
  for (int a = 0; a < kVerseBodyCount; ++a)
    for (int b = 0; b < kVerseBodyCount; ++b) {
      const std::string k = std::to_string(a) + " " + std::to_string(b);
      both("D " + k, [a, b] { return LordMansionVerse(a, b); });
      both("G " + k, [a, b] { return LordPalaceVerse(a, b); });
      both("T " + k, [a, b] { return ConjunctionVerse(a, b); });
    }
  ASSERT_EQ(texts.size(), 718u + 174u);

  // Character for character: the conversion keeps every text's length.
  for (const Text& t : texts) ASSERT_EQ(t.s.size(), t.t.size()) << t.key << ": " << t.traditional;

  // Overrides. A place inside a longer override's phrase belongs to that one.
  int checked = 0;
  for (const Text& t : texts) {
    std::vector<size_t> longest(t.s.size(), 0);
    for (const auto& [simplified, traditional] : reviewed.overrides)
      for (size_t i : Occurrences(t.s, simplified))
        for (size_t k = i; k < i + simplified.size(); ++k) longest[k] = std::max(longest[k], simplified.size());
    for (const auto& [simplified, traditional] : reviewed.overrides)
      for (size_t i : Occurrences(t.s, simplified)) {
        if (simplified.size() < 2 || longest[i] > simplified.size()) continue;
        ++checked;
        EXPECT_EQ(Utf8(t.t.substr(i, simplified.size())), Utf8(traditional))
            << "verse " << t.key << " at " << i << ": " << t.traditional;
      }
  }
  // Kept words: the simplified words they stand for in the catalogue, then
  // every place of those words.
  std::map<std::u32string, std::u32string> keptFor;  // simplified -> the reviewed traditional word
  for (const std::u32string& word : reviewed.kept)
    for (const Text& t : texts)
      for (size_t i : Occurrences(t.t, word)) keptFor.emplace(t.s.substr(i, word.size()), word);
  for (const auto& [simplified, word] : keptFor)
    for (const Text& t : texts)
      for (size_t i : Occurrences(t.s, simplified)) {
        ++checked;
        EXPECT_EQ(Utf8(t.t.substr(i, simplified.size())), Utf8(word))
            << "verse " << t.key << " at " << i << ": " << t.traditional;
      }
  std::cout << "places of reviewed words in the catalogue: " << checked << " (" << keptFor.size()
            << " kept words found)\n";
  EXPECT_GT(checked, 1000);
}
