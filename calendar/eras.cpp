// Era names as people date a lunar day by them.
#include "eras.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "gbk.h"
#include "lunar.h"
#include "script.h"
#include "yidateex.h"

namespace lumtar::calendar {

namespace {

// Rows that name no era (the reigns before 140 BC) and the closing row of
// the present era, which counts the common years.
bool IsEraRow(const EraRow& row) { return row.eraName[0] != '\0' && row.yearCount < 9999; }

std::vector<Era> BuildEras() {
  std::vector<Era> eras;
  std::map<std::tuple<std::string, std::string, int>, std::size_t> index;
  const EraRow* rows = EraTable();
  for (int i = 0; i < EraTableSize(); ++i) {
    const EraRow& row = rows[i];
    if (!IsEraRow(row)) continue;
    const std::string dynasty = GbkFieldToUtf8(row.dynasty, sizeof row.dynasty);
    const std::string name = GbkFieldToUtf8(row.eraName, sizeof row.eraName);
    const int base = row.firstYear - row.yearOffset;
    const int first = row.yearOffset + 1;
    const int last = row.yearOffset + row.yearCount;
    const auto [it, added] = index.emplace(std::make_tuple(dynasty, name, base), eras.size());
    if (added) {
      eras.push_back({dynasty, name, GbkFieldToUtf8(row.title, sizeof row.title), base, first, last});
    } else {
      Era& era = eras[it->second];
      era.firstNumber = std::min(era.firstNumber, first);
      era.lastNumber = std::max(era.lastNumber, last);
    }
  }
  return eras;
}

std::string YearText(int year) { return year <= 0 ? "前" + std::to_string(1 - year) : std::to_string(year); }

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

constexpr const char* kDigits[10] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

// Ways of writing a character of the era table otherwise (variant forms,
// traditional forms), each with the table's character; in code point order.
struct Variant {
  char32_t written;
  char32_t table;
};
constexpr Variant kVariants[] = {
#include "eravariants.inc"
};

// The code point of the UTF-8 character at text[at], and its length; a byte
// that begins no character is taken alone.
char32_t DecodeAt(std::string_view text, std::size_t at, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
  if (at + length > text.size()) length = 1;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) length = 1;
  if (length == 1) return lead;
  char32_t c = lead & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(at + i) & 0x3F);
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
}

// A name as the era table writes its characters: 元佑 is read as 元祐, 東漢
// as 东汉, 天寶 as 天宝.
std::string TableForm(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = 1;
    const char32_t c = DecodeAt(text, at, length);
    const Variant* v = std::lower_bound(std::begin(kVariants), std::end(kVariants), c,
                                        [](const Variant& a, char32_t x) { return a.written < x; });
    if (length > 1 && v != std::end(kVariants) && v->written == c)
      AppendUtf8(out, v->table);
    else
      out.append(text.substr(at, length));
    at += length;
  }
  return out;
}


// An era written as "ERA" or "QUALIFIER:ERA" (a dynasty or a ruler's title),
// each part in the table's characters: 唐:天寶 is 唐 and 天宝, 元佑 is 元祐.
struct QualifiedName {
  bool hasQualifier = false;
  std::string qualifier;
  std::string name;
};

QualifiedName Split(std::string_view typed) {
  typed = Trimmed(typed);
  std::string_view qualifier;
  std::string_view name = typed;
  bool hasQualifier = false;
  for (std::string_view colon : {":", "："}) {
    const std::size_t at = typed.find(colon);
    if (at == std::string_view::npos) continue;
    qualifier = Trimmed(typed.substr(0, at));
    name = Trimmed(typed.substr(at + colon.size()));
    hasQualifier = !qualifier.empty();
    break;
  }
  return {hasQualifier, TableForm(SimplifiedForm(qualifier)), TableForm(SimplifiedForm(name))};
}

}  // namespace

const std::vector<Era>& Eras() {
  static const std::vector<Era> eras = BuildEras();
  return eras;
}

std::string EraLabel(const Era& era) {
  std::string label = era.dynasty + " " + era.name + " " + YearText(era.FirstYear());
  if (era.LastYear() != era.FirstYear()) label += "-" + YearText(era.LastYear());
  return label;
}

std::vector<const Era*> SearchEras(std::string_view typed) {
  // A name typed in traditional characters (萬曆) or with a variant
  // character (元佑) finds its era too, as does "唐:天宝".
  const QualifiedName typedName = Split(typed);
  const std::string_view text = typedName.name;
  const std::string_view qualifier = typedName.qualifier;
  std::vector<const Era*> found;
  if (text.empty() && qualifier.empty()) return found;
  for (const Era& era : Eras()) {
    if (!typedName.hasQualifier ? Contains(era.name, text) || Contains(era.dynasty, text) ||
                                      Contains(era.ruler, text) || EraLabel(era).starts_with(text)
                                : (era.dynasty == qualifier || era.ruler == qualifier) && Contains(era.name, text))
      found.push_back(&era);
  }
  // The eras of that very name first, then those whose name begins with it.
  auto rank = [text](const Era* e) { return e->name == text ? 0 : e->name.starts_with(text) ? 1 : 2; };
  std::stable_sort(found.begin(), found.end(), [&](const Era* a, const Era* b) { return rank(a) < rank(b); });
  return found;
}

EraLookup LookUpEra(std::string_view typed, int number) {
  const QualifiedName typedName = Split(typed);
  const std::string& text = typedName.name;
  const std::string& qualifierText = typedName.qualifier;
  EraLookup lookup;
  std::set<std::string> dynasties;
  for (const Era& era : Eras()) {
    if (era.name != text) continue;
    if (typedName.hasQualifier && era.dynasty != qualifierText && era.ruler != qualifierText) continue;
    lookup.candidates.push_back(&era);
    dynasties.insert(era.dynasty);
  }
  if (lookup.candidates.empty()) return lookup;
  if (!typedName.hasQualifier && dynasties.size() > 1) {
    lookup.result = EraLookup::kSeveralDynasties;
    return lookup;
  }
  std::vector<const Era*> reaching;
  for (const Era* era : lookup.candidates)
    if (number >= 1 && number <= era->lastNumber) reaching.push_back(era);
  if (reaching.empty()) {
    lookup.result = EraLookup::kBeyondLength;
  } else if (reaching.size() > 1) {
    lookup.result = EraLookup::kSeveral;
    lookup.candidates = reaching;
  } else {
    lookup.result = EraLookup::kFound;
    lookup.era = reaching.front();
  }
  return lookup;
}

std::string EraLookupMessage(std::string_view text, int number, const EraLookup& lookup) {
  const std::string era(Trimmed(text));
  std::string message;
  switch (lookup.result) {
    case EraLookup::kFound:
      return {};
    case EraLookup::kUnknown:
      return "没有这个年号：" + era;
    case EraLookup::kSeveralDynasties:
      message = "几个朝代都用过年号" + era + "，请写明朝代（朝代:年号）：";
      break;
    case EraLookup::kBeyondLength:
      message = "年号" + era + "没有第" + std::to_string(number) + "年：";
      break;
    case EraLookup::kSeveral:
      message = "年号" + era + "用过不止一次，请写明皇帝（庙号:年号）：";
      break;
  }
  for (const Era* e : lookup.candidates) {
    message += "\n" + (lookup.result == EraLookup::kSeveral ? e->ruler : e->dynasty) + ":" + e->name + "  " +
               YearText(e->FirstYear());
    if (e->LastYear() != e->FirstYear()) message += "-" + YearText(e->LastYear());
    message += "  共" + std::to_string(e->lastNumber) + "年";
  }
  return message;
}

std::string EraYearText(int number) {
  if (number == 1) return "元年";
  if (number < 1 || number > 99) return std::to_string(number) + "年";
  std::string text;
  if (number >= 10) text = std::string(number >= 20 ? kDigits[number / 10] : "") + "十";
  return text + kDigits[number % 10] + "年";
}

const Era* CentralEra(int lunarYear, int month, bool leap) {
  if (lunarYear >= 1912) return nullptr;
  // The central eras of the year; among them the one that began last before
  // the month (a year that only eras beginning later in it name takes the
  // first of those).
  const EraRow* rows = EraTable();
  const EraRow* best = nullptr;
  const EraRow* earliest = nullptr;
  const int when = month * 2 + (leap ? 1 : 0);
  auto start = [lunarYear](const EraRow& r) {
    return r.firstYear < lunarYear ? -1 : r.firstMonth * 2 + r.firstMonthLeap;
  };
  for (int i = 0; i < EraTableSize(); ++i) {
    const EraRow& r = rows[i];
    if (!IsEraRow(r) || lunarYear < r.centralFirstYear || lunarYear >= r.centralFirstYear + r.centralYearCount)
      continue;
    if (!earliest || start(r) < start(*earliest)) earliest = &r;
    if (start(r) <= when && (!best || start(r) >= start(*best))) best = &r;
  }
  if (!best) best = earliest;
  if (!best) return nullptr;
  const std::string dynasty = GbkFieldToUtf8(best->dynasty, sizeof best->dynasty);
  const std::string name = GbkFieldToUtf8(best->eraName, sizeof best->eraName);
  const int base = best->firstYear - best->yearOffset;
  for (const Era& era : Eras())
    if (era.baseYear == base && era.name == name && era.dynasty == dynasty) return &era;
  return nullptr;
}

std::string EraDateText(int lunarYear, int month, bool leap, int day) {
  const Era* era = CentralEra(lunarYear, month, leap);
  if (!era) return {};
  return TextInScript(era->dynasty + era->name + EraYearText(lunarYear - era->baseYear + 1) +
                      LunarMonthText(month, leap) + LunarDayText(day) + "日");
}

}  // namespace lumtar::calendar
