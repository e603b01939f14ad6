// Conversion between simplified and traditional characters with OpenCC's
// dictionaries and our own overrides (tools/script/overrides.txt), for the
// generator of the traditional texts and for the tests that check them.
//
// An override of two or more characters wins wherever it stands: the text
// is cut at each override (the longest one at a place, from the left) before
// OpenCC sees it, so no phrase of OpenCC that overlaps it (个旧市 over 个旧,
// 上游 over 游魂) can take its characters. A single character's override is
// that character's default: it joins the first phrase dictionary of the
// profile, so OpenCC's longer phrases still decide it (斗 is 斗, 斗争 is 鬥爭).
// The later steps of the profile (the Taiwan variants and phrases) leave an
// override's text as it stands. The way back uses the overrides reversed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lumtar::script {

struct Override {
  std::string simplified;
  std::string traditional;
  int line = 0;  // in the overrides file
};

// Reads the overrides file: "simplified<TAB>traditional[<TAB>why]" lines,
// '#' comments and blank lines. False with a message for a malformed line,
// a phrase given twice, or two phrases with one traditional form (the way
// back would not know which to take).
bool ReadOverrides(const std::string& path, std::vector<Override>& overrides, std::string& error);

enum class Profile {
  Taiwan,         // OpenCC's s2tw: characters and Taiwan's standard forms
  TaiwanPhrases,  // OpenCC's s2twp: also Taiwan's words (檔案, 列印, 預設 …)
};

class Converter {
 public:
  // Simplified to traditional (back = false) or the way back (tw2s, tw2sp),
  // from the dictionaries in OpenCC's data folder. Throws when a dictionary
  // cannot be read.
  Converter(const std::string& openccData, Profile profile, const std::vector<Override>& overrides,
            bool back = false);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::string Convert(const std::string& text) const;

 private:
  struct Chain;
  std::unique_ptr<Chain> chain_;
  // The overrides of two or more characters: their text in the direction
  // converted from, with the form they give.
  std::map<std::string, std::string> pinned_;
  std::size_t longestPinned_ = 0;
};

// The characters OpenCC turns into another one wherever they stand (their
// every traditional form, as Taiwan writes it, differs from them): a text
// that still holds one of these is not yet traditional. Read from
// STCharacters and TWVariants.
class SimplifiedOnly {
 public:
  explicit SimplifiedOnly(const std::string& openccData);
  bool Contains(char32_t c) const;
  // The simplified-only characters of a UTF-8 text, in order, each once.
  std::u32string In(const std::string& text) const;

 private:
  std::vector<char32_t> sorted_;
};

// Every character OpenCC converts with the forms it may take standing alone:
// those of STCharacters and their Taiwan variants (里: 裏 裡 里). A character
// of the program's texts converted by a word of OpenCC (参数 引數, 数据 資料)
// takes another character, never to be used for that character alone.
class CharacterForms {
 public:
  explicit CharacterForms(const std::string& openccData);
  // Whether `form` is one of the forms of the character `c` (or `c` itself).
  bool IsFormOf(const std::string& c, const std::string& form) const;
  // Place names written by their sound (托木斯克, 丹伯里, 大曲): each
  // character alone, keeping the plain character when it is one of its own
  // traditional forms (托 里 采 布 干 克), else OpenCC's first form with
  // Taiwan's variant; `given` (the transliteration file) decides a
  // character otherwise (冲 沖, 叶 葉).
  std::string Transliterated(const std::string& text, const std::map<std::string, std::string>& given) const;

 private:
  std::map<std::string, std::vector<std::string>> forms_;  // first: OpenCC's default
  std::map<std::string, std::string> taiwan_;
};

// Reads the transliteration file: "simplified<TAB>traditional[<TAB>why]"
// lines of one character each, '#' comments and blank lines.
bool ReadTransliteration(const std::string& path, std::map<std::string, std::string>& given, std::string& error);

// The characters for which OpenCC knows more than one traditional form
// (干 乾 幹, 后 後, 斗 鬥 …), each with its forms: where these stand, the
// phrase decides, and the review looks at every such place.
std::vector<std::pair<std::string, std::vector<std::string>>> AmbiguousCharacters(const std::string& openccData);

}  // namespace lumtar::script
