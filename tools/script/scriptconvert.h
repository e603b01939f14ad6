// Conversion between simplified and traditional characters with OpenCC's
// dictionaries and our own overrides (tools/script/overrides.txt), for the
// generator of the traditional texts and for the tests that check them.
//
// An override is a phrase of OpenCC's kind: it joins the first phrase
// dictionary of the profile (replacing an entry of the same phrase there),
// so the longest phrase at a position wins as in OpenCC itself; and the
// later steps of the profile (the Taiwan variants and phrases) leave an
// override's text as it stands. The way back uses the overrides reversed.
#pragma once

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

// The characters for which OpenCC knows more than one traditional form
// (干 乾 幹, 后 後, 斗 鬥 …), each with its forms: where these stand, the
// phrase decides, and the review looks at every such place.
std::vector<std::pair<std::string, std::vector<std::string>>> AmbiguousCharacters(const std::string& openccData);

}  // namespace lumtar::script
