#include "scriptconvert.h"

#include <Conversion.hpp>
#include <ConversionChain.hpp>
#include <Converter.hpp>
#include <DictGroup.hpp>
#include <Lexicon.hpp>
#include <MarisaDict.hpp>
#include <MaxMatchSegmentation.hpp>
#include <TextDict.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace lumtar::script {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

opencc::DictPtr LoadDictionary(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name + ".ocd2";
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) throw std::runtime_error("cannot read OpenCC dictionary " + path);
  opencc::DictPtr dict = opencc::MarisaDict::NewFromFile(fp);
  std::fclose(fp);
  return dict;
}

// The entries of `base` (when given) with `entries` added; an entry of
// `entries` replaces one of `base` with the same phrase.
opencc::DictPtr Merged(const opencc::DictPtr& base, const Entries& entries) {
  std::set<std::string> keys;
  for (const auto& e : entries) keys.insert(e.first);
  auto lexicon = std::make_shared<opencc::Lexicon>();
  const opencc::LexiconPtr baseEntries = base ? base->GetLexicon() : nullptr;
  if (baseEntries)
    for (const auto& entry : *baseEntries)
      if (!keys.count(entry->Key())) lexicon->Add(opencc::DictEntryFactory::New(entry.get()));
  for (const auto& [key, value] : entries) lexicon->Add(opencc::DictEntryFactory::New(key, value));
  lexicon->Sort();
  return std::make_shared<opencc::TextDict>(lexicon);
}

std::string TrimmedField(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// One UTF-8 character at `i`, advancing `i`; U+FFFD for a broken sequence.
char32_t NextChar(const std::string& s, std::size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (extra < 0 || i + extra >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t v = extra == 0 ? c : c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) v = (v << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += 1 + extra;
  return v;
}

char32_t OnlyChar(const std::string& s) {
  std::size_t i = 0;
  if (s.empty()) return 0;
  const char32_t c = NextChar(s, i);
  return i == s.size() ? c : 0;
}

}  // namespace

bool ReadOverrides(const std::string& path, std::vector<Override>& overrides, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::map<std::string, int> bySimplified, byTraditional;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto tab = line.find('\t');
    const auto tab2 = tab == std::string::npos ? tab : line.find('\t', tab + 1);
    Override o{TrimmedField(line.substr(0, tab)),
               tab == std::string::npos ? std::string() : TrimmedField(line.substr(tab + 1, tab2 - tab - 1)), number};
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (o.simplified.empty() || o.traditional.empty()) {
      error = where + "expected simplified<TAB>traditional";
      return false;
    }
    if (bySimplified.count(o.simplified)) {
      error = where + o.simplified + " given before on line " + std::to_string(bySimplified[o.simplified]);
      return false;
    }
    if (byTraditional.count(o.traditional)) {
      error = where + o.traditional + " is the form of another phrase on line " +
              std::to_string(byTraditional[o.traditional]);
      return false;
    }
    bySimplified[o.simplified] = number;
    byTraditional[o.traditional] = number;
    overrides.push_back(std::move(o));
  }
  return true;
}

struct Converter::Chain {
  std::unique_ptr<opencc::Converter> converter;
};

Converter::Converter(const std::string& openccData, Profile profile, const std::vector<Override>& overrides,
                     bool back)
    : chain_(std::make_unique<Chain>()) {
  // The dictionaries of OpenCC's own profiles, step by step (s2tw.json,
  // s2twp.json, tw2s.json, tw2sp.json).
  const bool phrases = profile == Profile::TaiwanPhrases;
  std::string segmentation;
  std::vector<std::vector<std::string>> steps;
  if (!back) {
    segmentation = "STPhrases";
    steps.push_back({"STPhrases", "STCharacters"});
    if (phrases) steps.push_back({"TWPhrases"});
    steps.push_back({"TWVariants"});
  } else {
    segmentation = "TSPhrases";
    if (phrases)
      steps.push_back({"TWPhrasesRev", "TWVariantsRevPhrases", "TWVariantsRev"});
    else
      steps.push_back({"TWVariantsRevPhrases", "TWVariantsRev"});
    steps.push_back({"TSPhrases", "TSCharacters"});
  }

  Entries entries, kept;
  for (const Override& o : overrides) {
    entries.emplace_back(back ? o.traditional : o.simplified, back ? o.simplified : o.traditional);
    kept.emplace_back(entries.back().second, entries.back().second);
    if (!OnlyChar(entries.back().first)) {
      pinned_[entries.back().first] = entries.back().second;
      longestPinned_ = std::max(longestPinned_, entries.back().first.size());
    }
  }
  std::map<std::string, opencc::DictPtr> loaded;
  auto dict = [&](const std::string& name) {
    auto& d = loaded[name];
    if (!d) d = LoadDictionary(openccData, name);
    return d;
  };
  // An override is a phrase of the segmentation and of the first step's
  // first dictionary; later steps keep what it gave.
  auto segmenter = std::make_shared<opencc::MaxMatchSegmentation>(Merged(dict(segmentation), entries));
  std::list<opencc::ConversionPtr> conversions;
  const opencc::DictPtr unchanged = Merged(nullptr, kept);
  for (std::size_t s = 0; s < steps.size(); ++s) {
    std::list<opencc::DictPtr> group;
    if (s > 0) group.push_back(unchanged);
    for (std::size_t k = 0; k < steps[s].size(); ++k)
      group.push_back(s == 0 && k == 0 ? Merged(dict(steps[s][k]), entries) : dict(steps[s][k]));
    conversions.push_back(std::make_shared<opencc::Conversion>(std::make_shared<opencc::DictGroup>(group)));
  }
  chain_->converter = std::make_unique<opencc::Converter>(
      "lumtar", segmenter, std::make_shared<opencc::ConversionChain>(conversions));
}

Converter::~Converter() = default;

std::string Converter::Convert(const std::string& text) const {
  if (text.empty()) return text;
  // The text between the overrides goes through OpenCC; each override gives
  // its own form.
  std::string out, between;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = std::min(longestPinned_, text.size() - i);
    for (; length > 0; --length) {
      const auto it = pinned_.find(text.substr(i, length));
      if (it == pinned_.end()) continue;
      if (!between.empty()) out += chain_->converter->Convert(between);
      between.clear();
      out += it->second;
      i += length;
      break;
    }
    if (length > 0) continue;
    const std::size_t from = i;
    NextChar(text, i);
    between += text.substr(from, i - from);
  }
  if (!between.empty()) out += chain_->converter->Convert(between);
  return out;
}

SimplifiedOnly::SimplifiedOnly(const std::string& openccData) {
  const opencc::LexiconPtr characters = LoadDictionary(openccData, "STCharacters")->GetLexicon();
  const opencc::DictPtr taiwan = LoadDictionary(openccData, "TWVariants");
  for (const auto& entry : *characters) {
    const char32_t c = OnlyChar(entry->Key());
    if (!c) continue;
    // Its traditional forms as Taiwan writes them (羣 is written 群).
    bool kept = false;
    for (const std::string& v : entry->Values()) {
      const auto variant = taiwan->Match(v);
      kept = kept || v == entry->Key() || (!variant.IsNull() && variant.Get()->GetDefault() == entry->Key());
    }
    if (!kept) sorted_.push_back(c);
  }
  std::sort(sorted_.begin(), sorted_.end());
}

bool SimplifiedOnly::Contains(char32_t c) const { return std::binary_search(sorted_.begin(), sorted_.end(), c); }

std::u32string SimplifiedOnly::In(const std::string& text) const {
  std::u32string found;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextChar(text, i);
    if (Contains(c) && found.find(c) == std::u32string::npos) found += c;
  }
  return found;
}

CharacterForms::CharacterForms(const std::string& openccData) {
  const opencc::LexiconPtr characters = LoadDictionary(openccData, "STCharacters")->GetLexicon();
  for (const auto& entry : *characters) forms_[entry->Key()] = entry->Values();
  const opencc::LexiconPtr variants = LoadDictionary(openccData, "TWVariants")->GetLexicon();
  for (const auto& entry : *variants) taiwan_[entry->Key()] = entry->GetDefault();
}

bool CharacterForms::IsFormOf(const std::string& c, const std::string& form) const {
  if (form == c) return true;
  if (const auto tw = taiwan_.find(c); tw != taiwan_.end() && form == tw->second) return true;
  const auto it = forms_.find(c);
  if (it == forms_.end()) return false;
  for (const std::string& f : it->second) {
    const auto tw = taiwan_.find(f);
    if (form == f || (tw != taiwan_.end() && form == tw->second)) return true;
  }
  return false;
}

std::string CharacterForms::Transliterated(const std::string& text,
                                           const std::map<std::string, std::string>& given) const {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t from = i;
    NextChar(text, i);
    const std::string c = text.substr(from, i - from);
    if (const auto g = given.find(c); g != given.end()) {
      out += g->second;
      continue;
    }
    const auto it = forms_.find(c);
    if (it == forms_.end() || std::find(it->second.begin(), it->second.end(), c) != it->second.end()) {
      out += c;
      continue;
    }
    const std::string& first = it->second.front();
    const auto tw = taiwan_.find(first);
    out += tw != taiwan_.end() ? tw->second : first;
  }
  return out;
}

bool ReadTransliteration(const std::string& path, std::map<std::string, std::string>& given, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto tab = line.find('\t');
    const auto tab2 = tab == std::string::npos ? tab : line.find('\t', tab + 1);
    const std::string from = TrimmedField(line.substr(0, tab));
    const std::string to =
        tab == std::string::npos ? std::string() : TrimmedField(line.substr(tab + 1, tab2 - tab - 1));
    if (!OnlyChar(from) || !OnlyChar(to) || given.count(from)) {
      error = path + ":" + std::to_string(number) + ": expected one character<TAB>one character, each once";
      return false;
    }
    given[from] = to;
  }
  return true;
}

std::vector<std::pair<std::string, std::vector<std::string>>> AmbiguousCharacters(const std::string& openccData) {
  std::vector<std::pair<std::string, std::vector<std::string>>> out;
  const opencc::LexiconPtr characters = LoadDictionary(openccData, "STCharacters")->GetLexicon();
  for (const auto& entry : *characters)
    if (entry->NumValues() > 1) out.emplace_back(entry->Key(), entry->Values());
  return out;
}

}  // namespace lumtar::script
