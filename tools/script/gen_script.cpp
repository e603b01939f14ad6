// gen_script: the program's texts in traditional characters, written at
// build time with OpenCC and tools/script/overrides.txt.
//
//   gen_script vocabulary OUT.cpp [--utf8 FILE…] [--gbk FILE…] [--ini FILE…] [--window FILE…] [--atlas FILE…]
//                                 [--transliteration FILE]
//       The texts of the engine (chart, calendar, analysis, cases, the
//       command-line tool): every string literal of the C++ sources with a
//       Chinese character, and every such character alone; --gbk sources
//       hold their literals as GBK bytes; --ini names GBK INI files whose
//       section and key names are shown (the place list). Written as the
//       table of platform/script.h, the pairs that differ. --window names
//       the windows' sources, whose literals make the second table, converted
//       with Taiwan's words for an interface (檔案, 列印, 預設 …). --atlas
//       names the world atlas (UTF-8): its country names take CLDR's
//       traditional names (zh_Hant_TW, through ICU), its places CLDR's name
//       of a time zone's city where CLDR writes the place as the atlas does,
//       else a conversion character by character (--transliteration FILE:
//       place names are mostly written by their sound; phrases of running
//       text would turn 托 into 託 and 里 into 裡).
//   gen_script catalogue IN OUT
//       The verse catalogue (KEY<TAB>TEXT lines) with every text converted.
//   gen_script review [--utf8 FILE…] [--gbk FILE…] [--ini FILE…] [--window FILE…] [--catalogue FILE]
//                     [--atlas FILE… --transliteration FILE]
//       For the person who reviews the conversion: every place where a
//       character has more than one traditional form, with what it became,
//       every override that changed OpenCC's result, and the atlas's names
//       whose form differs from OpenCC's conversion of running text.
//
// Every mode takes --overrides FILE and --opencc FOLDER (OpenCC's data).
// The engine and the catalogue use the profile without Taiwan's words: it
// would turn classical phrases into modern ones (奔馳 into 賓士, 萬象 into
// 永珍).
#include <iconv.h>
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/tznames.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scriptconvert.h"

namespace {

using lumtar::script::Converter;
using lumtar::script::Override;
using lumtar::script::Profile;

struct Options {
  std::string mode;
  std::vector<std::string> positional;
  std::vector<std::string> utf8, gbk, ini, window, atlas;
  std::string overrides, opencc, catalogue, transliteration;
};

[[noreturn]] void Fail(const std::string& message) {
  std::cerr << "gen_script: " << message << "\n";
  std::exit(1);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) Fail("cannot write " + path);
}

std::string GbkToUtf8(const std::string& in, const std::string& where) {
  iconv_t cd = iconv_open("UTF-8", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) Fail("no GBK converter");
  std::string out(in.size() * 3 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) Fail("not GBK text in " + where);
  out.resize(out.size() - dstLeft);
  return out;
}

bool HasNonAscii(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// The UTF-8 characters of a text.
std::vector<std::string> Characters(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

// The string literals of a C or C++ source, escapes decoded; comments and
// character literals skipped.
std::vector<std::string> StringLiterals(const std::string& src) {
  std::vector<std::string> out;
  std::size_t i = 0;
  const std::size_t n = src.size();
  auto hex = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
  };
  while (i < n) {
    const char c = src[i];
    if (c == '/' && i + 1 < n && src[i + 1] == '/') {
      i = src.find('\n', i);
      if (i == std::string::npos) break;
      continue;
    }
    if (c == '/' && i + 1 < n && src[i + 1] == '*') {
      i = src.find("*/", i + 2);
      if (i == std::string::npos) break;
      i += 2;
      continue;
    }
    if (c == '\'') {
      // A character literal, or a digit separator (1'000) which ends at once.
      const bool separator = i > 0 && std::isxdigit(static_cast<unsigned char>(src[i - 1]));
      ++i;
      if (separator) continue;
      while (i < n && src[i] != '\'' && src[i] != '\n') i += src[i] == '\\' ? 2 : 1;
      ++i;
      continue;
    }
    if (c == 'R' && i + 1 < n && src[i + 1] == '"' &&
        (i == 0 || !(std::isalnum(static_cast<unsigned char>(src[i - 1])) || src[i - 1] == '_') ||
         src[i - 1] == '8' || src[i - 1] == 'u' || src[i - 1] == 'U' || src[i - 1] == 'L')) {
      const std::size_t open = src.find('(', i + 2);
      if (open == std::string::npos) break;
      const std::string close = ")" + src.substr(i + 2, open - i - 2) + "\"";
      const std::size_t end = src.find(close, open + 1);
      if (end == std::string::npos) break;
      out.push_back(src.substr(open + 1, end - open - 1));
      i = end + close.size();
      continue;
    }
    if (c != '"') {
      ++i;
      continue;
    }
    std::string text;
    ++i;
    while (i < n && src[i] != '"') {
      if (src[i] != '\\' || i + 1 >= n) {
        text += src[i++];
        continue;
      }
      const char e = src[i + 1];
      i += 2;
      switch (e) {
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
          int v = e - '0';
          for (int k = 0; k < 2 && i < n && src[i] >= '0' && src[i] <= '7'; ++k) v = v * 8 + (src[i++] - '0');
          text += static_cast<char>(v);
          break;
        }
        case 'x': {
          int v = 0;
          while (i < n && hex(src[i]) >= 0) v = v * 16 + hex(src[i++]);
          text += static_cast<char>(v);
          break;
        }
        case '\n': break;
        default: text += e;
      }
    }
    ++i;
    out.push_back(std::move(text));
  }
  return out;
}

// Section and key names of an INI file.
std::vector<std::string> IniNames(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const auto close = line.find(']');
      if (close != std::string::npos) out.push_back(line.substr(1, close - 1));
      continue;
    }
    const auto eq = line.find('=');
    if (eq != std::string::npos) out.push_back(line.substr(0, eq));
  }
  return out;
}

// A Chinese name of the world atlas: a country's (with its code) or a
// place's.
struct AtlasName {
  std::string chinese;
  std::string country;  // the ISO code of a country's name, else empty
};

// The atlas's "C" lines (code, Chinese name, …) and the shown names and
// other names of its "P" lines (id, name, latin name, …, other names).
std::vector<AtlasName> AtlasNames(const std::string& text) {
  std::vector<AtlasName> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 2 || line[1] != '\t' || (line[0] != 'C' && line[0] != 'P')) continue;
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string f; std::getline(parts, f, '\t');) fields.push_back(f);
    if (line[0] == 'C') {
      if (fields.size() > 2 && HasNonAscii(fields[2])) out.push_back({fields[2], fields[1]});
      continue;
    }
    if (fields.size() > 2 && HasNonAscii(fields[2])) out.push_back({fields[2], {}});
    if (fields.size() > 10) {
      std::istringstream others(fields[10]);
      for (std::string o; std::getline(others, o, '|');)
        if (HasNonAscii(o)) out.push_back({o, {}});
    }
  }
  return out;
}

// Every shown text of the engine's sources (or, with `window`, of the
// windows' sources), each once.
std::set<std::string> Vocabulary(const Options& o, bool window = false) {
  std::set<std::string> texts;
  auto add = [&](const std::string& text) {
    // Byte strings (GBK samples, escapes) are no shown texts.
    if (!HasNonAscii(text) || !ValidUtf8(text)) return;
    texts.insert(text);
    for (const std::string& c : Characters(text))
      if (c.size() > 1) texts.insert(c);
  };
  if (window) {
    for (const std::string& f : o.window)
      for (const std::string& s : StringLiterals(ReadFile(f))) add(s);
    return texts;
  }
  for (const std::string& f : o.utf8)
    for (const std::string& s : StringLiterals(ReadFile(f))) add(s);
  for (const std::string& f : o.gbk)
    for (const std::string& s : StringLiterals(ReadFile(f))) add(GbkToUtf8(s, f));
  for (const std::string& f : o.ini)
    for (const std::string& s : IniNames(ReadFile(f))) add(GbkToUtf8(s, f));
  return texts;
}

// The texts with the phrases that decide a character of more than one
// traditional form (干 乾 幹, 历 歷 曆): the overrides' phrases, and around
// each such character in a text its two- and three-character phrases whose
// conversion gives each of their characters as the whole text does. A text composed
// at run time then finds 干支 or 日历 as a piece before the character alone.
std::set<std::string> WithPhrases(std::set<std::string> texts, const Converter& converter, const Options& o,
                                  const std::vector<Override>& overrides) {
  std::set<std::string> ambiguous;
  for (auto& [c, forms] : lumtar::script::AmbiguousCharacters(o.opencc)) ambiguous.insert(c);
  std::set<std::string> phrases;
  for (const Override& ov : overrides) phrases.insert(ov.simplified);
  for (const std::string& text : texts) {
    const std::vector<std::string> from = Characters(text);
    if (from.size() < 3) continue;
    const std::vector<std::string> to = Characters(converter.Convert(text));
    if (to.size() != from.size()) continue;
    for (std::size_t i = 0; i < from.size(); ++i) {
      if (!ambiguous.count(from[i])) continue;
      for (std::size_t first = i >= 2 ? i - 2 : 0; first <= i; ++first)
        for (std::size_t length = 2; length <= 3; ++length) {
          if (first + length <= i || first + length > from.size()) continue;
          std::string phrase;
          bool chinese = true;
          for (std::size_t k = first; k < first + length; ++k) {
            phrase += from[k];
            chinese = chinese && from[k].size() > 1;
          }
          if (!chinese || texts.count(phrase) || phrases.count(phrase)) continue;
          // The phrase alone must give every character as the whole text does
          // (导出数 alone gives 匯出數, in 导出数据 the text has 匯出資料).
          const std::vector<std::string> alone = Characters(converter.Convert(phrase));
          bool same = alone.size() == length;
          for (std::size_t k = 0; same && k < length; ++k) same = alone[k] == to[first + k];
          if (same) phrases.insert(phrase);
        }
    }
  }
  texts.insert(phrases.begin(), phrases.end());
  return texts;
}

// A character of more than one traditional form, standing alone in a text
// composed at run time, takes the form it has most often in our texts (历
// is 曆 in 农历 万年历 公历, 干 is 干 in 天干 干支).
// A character the overrides decide alone (斗, 丑) keeps their form.
std::map<std::string, std::string> UsualForms(const std::set<std::string>& texts, const Converter& converter,
                                              const Options& o, const std::vector<Override>& overrides) {
  std::set<std::string> ambiguous;
  for (auto& [c, forms] : lumtar::script::AmbiguousCharacters(o.opencc)) ambiguous.insert(c);
  for (const Override& ov : overrides) ambiguous.erase(ov.simplified);
  // Only where OpenCC converted the character as a character: a word of
  // Taiwan's (参数 引數, 数据 資料) says nothing of the character alone.
  const lumtar::script::CharacterForms forms(o.opencc);
  std::map<std::string, std::map<std::string, int>> seen;
  for (const std::string& text : texts) {
    const std::vector<std::string> from = Characters(text);
    if (from.size() < 2) continue;
    const std::vector<std::string> to = Characters(converter.Convert(text));
    if (to.size() != from.size()) continue;
    for (std::size_t i = 0; i < from.size(); ++i)
      if (ambiguous.count(from[i]) && forms.IsFormOf(from[i], to[i])) ++seen[from[i]][to[i]];
  }
  std::map<std::string, std::string> usual;
  for (const auto& [c, forms] : seen) {
    const auto most = std::max_element(forms.begin(), forms.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    usual[c] = most->first;
  }
  return usual;
}

std::string Utf8Of(const icu::UnicodeString& s) {
  std::string utf8;
  s.toUTF8String(utf8);
  return utf8;
}

// CLDR's names of the cities of the time zones: the name in simplified
// characters with the one in traditional characters as Taiwan writes it
// (托木斯克 托木斯克), where simplified names stand for one city only.
std::map<std::string, std::string> ZoneCities() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::TimeZoneNames> hans(icu::TimeZoneNames::createInstance(icu::Locale("zh_Hans_CN"), status));
  std::unique_ptr<icu::TimeZoneNames> hant(icu::TimeZoneNames::createInstance(icu::Locale("zh_Hant_TW"), status));
  std::unique_ptr<icu::StringEnumeration> ids(
      icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_CANONICAL_LOCATION, nullptr, nullptr, status));
  if (U_FAILURE(status)) Fail("ICU has no time-zone names");
  std::map<std::string, std::string> cities;
  std::set<std::string> twice;
  while (const icu::UnicodeString* id = ids->snext(status)) {
    if (U_FAILURE(status)) break;
    icu::UnicodeString a, b;
    hans->getExemplarLocationName(*id, a);
    hant->getExemplarLocationName(*id, b);
    const std::string s = Utf8Of(a), t = Utf8Of(b);
    if (a.isBogus() || b.isBogus() || !HasNonAscii(s) || !HasNonAscii(t)) continue;
    const auto [it, added] = cities.emplace(s, t);
    if (!added && it->second != t) twice.insert(s);
  }
  for (const std::string& s : twice) cities.erase(s);
  return cities;
}

// The Chinese names of the atlas with their traditional form: a country by
// CLDR's name (意大利 → 義大利, 新西兰 → 紐西蘭), a place by CLDR's name of
// its time zone's city, else character by character for a name written by
// its sound.
std::map<std::string, std::string> AtlasForms(const Options& o) {
  std::map<std::string, std::string> names;
  if (o.atlas.empty()) return names;
  std::map<std::string, std::string> given;
  std::string error;
  if (o.transliteration.empty()) Fail("--atlas needs --transliteration FILE");
  if (!lumtar::script::ReadTransliteration(o.transliteration, given, error)) Fail(error);
  const lumtar::script::CharacterForms forms(o.opencc);
  const std::map<std::string, std::string> cities = ZoneCities();
  const icu::Locale hant("zh_Hant_TW");
  for (const std::string& f : o.atlas)
    for (const AtlasName& n : AtlasNames(ReadFile(f))) {
      if (!n.country.empty()) {
        icu::UnicodeString name;
        icu::Locale("und", n.country.c_str()).getDisplayCountry(hant, name);
        const std::string utf8 = Utf8Of(name);
        names[n.chinese] = !utf8.empty() && utf8 != n.country && HasNonAscii(utf8)
                               ? utf8 : forms.Transliterated(n.chinese, given);
        continue;
      }
      const auto city = cities.find(n.chinese);
      names[n.chinese] = city != cities.end() ? city->second : forms.Transliterated(n.chinese, given);
    }
  return names;
}

std::string CppLiteral(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", u);
      out += buf;
    } else {
      out += c;
    }
  }
  // A '?' next to another could form a trigraph in old compilers; C++20 has
  // none, so nothing more is needed.
  return out + "\"";
}

// The pairs of `texts` whose traditional form differs, as C++ initializers;
// also a text that stays as it is while one of its characters alone would
// change (干支, 三台): a text composed at run time is converted piece by
// piece, and such a piece keeps its characters from the single-character
// forms.
std::string Pairs(const std::set<std::string>& texts, const Converter& converter, const Options& o,
                  std::size_t& count, const std::map<std::string, std::string>& given = {}) {
  // A character alone stands for itself wherever a text composed at run
  // time has it: it takes one of its own forms, never another word's.
  static const lumtar::script::CharacterForms forms(o.opencc);
  std::string out;
  count = 0;
  // A character alone changes: by the form the table gives it (its usual
  // form in our texts, 注 註 of 注明), so that a text that keeps it (注意)
  // stands in the table whole and is not taken character by character.
  std::map<std::string, bool> changes;
  auto changing = [&](const std::string& c) {
    auto it = changes.find(c);
    if (it == changes.end()) {
      const auto named = given.find(c);
      it = changes.emplace(c, (named != given.end() ? named->second : converter.Convert(c)) != c).first;
    }
    return it->second;
  };
  for (const std::string& s : texts) {
    const auto named = given.find(s);
    const std::string t = named != given.end() ? named->second : converter.Convert(s);
    if (Characters(s).size() == 1 && !forms.IsFormOf(s, t)) Fail(s + " alone would become " + t);
    if (t == s) {
      const std::vector<std::string> chars = Characters(s);
      if (chars.size() < 2 || std::none_of(chars.begin(), chars.end(), changing)) continue;
    }
    out += "    {" + CppLiteral(s) + ", " + CppLiteral(t) + "},\n";
    ++count;
  }
  if (!count) out += "    {\"\", \"\"},\n";
  return out;
}

void WriteVocabulary(const Options& o, const std::vector<Override>& overrides, const Converter& engine,
                     const Converter& interface) {
  if (o.positional.size() != 1) Fail("vocabulary OUT.cpp");
  std::string out =
      "// Generated at build time by tools/script/gen_script from the engine's\n"
      "// sources and tools/script/overrides.txt; do not edit.\n"
      "#include \"script.h\"\n\n"
      "namespace lumtar::detail {\n\n"
      "extern const ScriptPair kScriptPairs[];\n"
      "extern const std::size_t kScriptPairCount;\n"
      "extern const ScriptPair kWindowPairs[];\n"
      "extern const std::size_t kWindowPairCount;\n\n"
      "// Simplified and traditional form, sorted by the simplified form's bytes.\n"
      "const ScriptPair kScriptPairs[] = {\n";
  std::size_t count = 0;
  const std::set<std::string> engineTexts = WithPhrases(Vocabulary(o), engine, o, overrides);
  std::set<std::string> texts = engineTexts;
  std::map<std::string, std::string> given = UsualForms(engineTexts, engine, o, overrides);
  for (auto& [name, form] : AtlasForms(o)) {
    texts.insert(name);
    given[name] = form;
  }
  out += Pairs(texts, engine, o, count, given);
  out += "};\nconst std::size_t kScriptPairCount = " + std::to_string(count) + ";\n\n";
  out += "// The windows' texts, with Taiwan's words for an interface.\nconst ScriptPair kWindowPairs[] = {\n";
  const std::set<std::string> windowTexts = WithPhrases(Vocabulary(o, true), interface, o, overrides);
  out += Pairs(windowTexts, interface, o, count, UsualForms(windowTexts, interface, o, overrides));
  out += "};\nconst std::size_t kWindowPairCount = " + std::to_string(count) + ";\n\n}  // namespace lumtar::detail\n";
  WriteFile(o.positional[0], out);
}

// KEY<TAB>TEXT lines with the text converted; other lines as they are.
std::string ConvertCatalogue(const std::string& text, const Converter& engine) {
  std::string out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos)
      out += line;
    else
      out += line.substr(0, tab + 1) + engine.Convert(line.substr(tab + 1));
    out += '\n';
  }
  return out;
}

// ---- review

// The first characters of a text, for one line of the review.
std::string Clip(const std::string& s) {
  std::string out;
  int n = 0;
  for (const std::string& c : Characters(s)) {
    if (++n > 120) return out + "…";
    out += c == "\n" ? "\\n" : c == "\r" ? "\\r" : c;
  }
  return out;
}

void Review(const Options& o, const std::vector<Override>& overrides) {
  const Converter engine(o.opencc, Profile::Taiwan, overrides);
  const Converter plainEngine(o.opencc, Profile::Taiwan, {});
  const Converter interface(o.opencc, Profile::TaiwanPhrases, overrides);
  const Converter plainInterface(o.opencc, Profile::TaiwanPhrases, {});
  std::map<std::string, std::vector<std::string>> ambiguous;
  for (auto& [c, forms] : lumtar::script::AmbiguousCharacters(o.opencc)) ambiguous[c] = forms;

  // Each text with where it comes from and the profile it is converted with.
  struct Text {
    std::string origin, text;
    bool interface;
  };
  std::vector<Text> texts;
  for (const std::string& s : Vocabulary(o)) texts.push_back({"engine", s, false});
  for (const std::string& s : Vocabulary(o, true)) texts.push_back({"window", s, true});
  if (!o.catalogue.empty()) {
    std::istringstream in(ReadFile(o.catalogue));
    std::string line;
    while (std::getline(in, line)) {
      const auto tab = line.find('\t');
      if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
      texts.push_back({"verse " + line.substr(0, tab), line.substr(tab + 1), false});
    }
  }

  std::map<std::string, std::map<std::string, int>> places;  // char → "context → result" → count
  for (const Text& t : texts) {
    const std::string converted = (t.interface ? interface : engine).Convert(t.text);
    const std::string plain = (t.interface ? plainInterface : plainEngine).Convert(t.text);
    if (converted != plain)
      std::cout << "override\t" << t.origin << "\t" << Clip(t.text) << "\n\t\tOpenCC\t"
                << Clip(plain) << "\n\t\tours\t" << Clip(converted) << "\n";
    const std::vector<std::string> from = Characters(t.text), to = Characters(converted);
    if (from.size() != to.size()) {
      std::cout << "length\t" << t.origin << "\t" << Clip(t.text) << "\n\t\t" << Clip(converted)
                << "\n";
      continue;
    }
    for (std::size_t i = 0; i < from.size(); ++i) {
      if (!ambiguous.count(from[i])) continue;
      std::string before, after;
      for (std::size_t k = i >= 3 ? i - 3 : 0; k < std::min(from.size(), i + 4); ++k) {
        before += from[k];
        after += to[k];
      }
      ++places[from[i]][to[i] + "\t" + before + " → " + after];
    }
  }
  for (const auto& [name, form] : AtlasForms(o))
    if (const std::string running = plainEngine.Convert(name); running != form)
      std::cout << "atlas\t" << name << "\t" << form << "\t(running text: " << running << ")\n";
  for (const auto& [c, results] : places) {
    std::cout << "\n== " << c << " (";
    for (const std::string& f : ambiguous[c]) std::cout << f;
    std::cout << ")\n";
    for (const auto& [r, count] : results) std::cout << "\t" << r << (count > 1 ? "\t×" + std::to_string(count) : "") << "\n";
  }
}

Options ParseArguments(int argc, char** argv) {
  Options o;
  if (argc < 2) Fail("usage: gen_script vocabulary|catalogue|review …");
  o.mode = argv[1];
  std::vector<std::string>* list = nullptr;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Fail(a + " needs a value");
      return argv[++i];
    };
    if (a == "--utf8") list = &o.utf8;
    else if (a == "--gbk") list = &o.gbk;
    else if (a == "--ini") list = &o.ini;
    else if (a == "--window") list = &o.window;
    else if (a == "--atlas") list = &o.atlas;
    else if (a == "--overrides") { o.overrides = value(); list = nullptr; }
    else if (a == "--opencc") { o.opencc = value(); list = nullptr; }
    else if (a == "--catalogue") { o.catalogue = value(); list = nullptr; }
    else if (a == "--transliteration") { o.transliteration = value(); list = nullptr; }
    else if (list) list->push_back(a);
    else o.positional.push_back(a);
  }
  if (o.overrides.empty() || o.opencc.empty()) Fail("--overrides FILE and --opencc FOLDER are needed");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = ParseArguments(argc, argv);
  std::vector<Override> overrides;
  std::string error;
  if (!lumtar::script::ReadOverrides(o.overrides, overrides, error)) Fail(error);
  try {
    if (o.mode == "vocabulary") {
      WriteVocabulary(o, overrides, Converter(o.opencc, Profile::Taiwan, overrides),
                      Converter(o.opencc, Profile::TaiwanPhrases, overrides));
    } else if (o.mode == "catalogue") {
      if (o.positional.size() != 2) Fail("catalogue IN OUT");
      WriteFile(o.positional[1],
                         ConvertCatalogue(ReadFile(o.positional[0]), Converter(o.opencc, Profile::Taiwan, overrides)));
    } else if (o.mode == "review") {
      Review(o, overrides);
    } else {
      Fail("unknown mode " + o.mode);
    }
  } catch (const std::exception& e) {
    Fail(e.what());
  }
  return 0;
}
