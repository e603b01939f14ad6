#include "searchcriteria.h"

#include "gbk.h"
#include "inifile.h"

namespace lumtar {
namespace {

// Byte for byte, without case folding and without regard to where GBK
// characters begin: a pattern may match across two characters.
bool TextMatches(uint8_t mode, const char* field, std::size_t size, const std::string& pattern) {
  std::string_view text = FieldText(field, size);
  switch (mode) {
    case 1: return text.find(pattern) != std::string_view::npos;
    case 2: return text == pattern;
    default: return true;
  }
}

}  // namespace

void SearchCriteria::SetNamePattern(const std::string& utf8) { namePattern = Utf8ToGbk(utf8); }
void SearchCriteria::SetClassPattern(const std::string& utf8) { classPattern = Utf8ToGbk(utf8); }
std::string SearchCriteria::NamePatternUtf8() const { return GbkToUtf8(namePattern); }
std::string SearchCriteria::ClassPatternUtf8() const { return GbkToUtf8(classPattern); }

bool MatchesCriteria(const SearchCriteria& c, const CaseRecord& r) {
  return TextMatches(c.nameMode, r.name, sizeof r.name, c.namePattern) &&
         TextMatches(c.classMode, r.className, sizeof r.className, c.classPattern) &&
         (!c.sexFilter || r.isMale == c.wantMale) &&
         (!c.yearFilter || (r.year >= c.yearFrom && r.year <= c.yearTo)) &&
         (c.provinceIndex == -1 || r.provinceIndex == c.provinceIndex);
}

bool SetYearRange(SearchCriteria* c, const std::string& from, const std::string& to,
                  std::string* message) {
  if (from.empty() && to.empty()) {
    c->yearFilter = false;
    return true;
  }
  auto read = [](const std::string& text) {
    int v;
    return IniFile::ParseInteger(text, &v) ? v : -1000;
  };
  auto allowed = [](int y) { return y >= -850 && y <= 2100 && y != 0; };
  int a = read(from), b = read(to);
  if (!allowed(a) || !allowed(b)) {
    *message = kYearRangeMessage;
    return false;
  }
  if (b < a) {
    *message = kYearOrderMessage;
    return false;
  }
  c->yearFilter = true;
  c->yearFrom = static_cast<int16_t>(a < 0 ? a + 1 : a);
  c->yearTo = static_cast<int16_t>(b < 0 ? b + 1 : b);
  return true;
}

}  // namespace lumtar
