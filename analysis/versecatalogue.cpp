#include "versecatalogue.h"

#include <string_view>
#include <vector>

#include "script.h"

namespace lumtar {
namespace detail {
extern const std::string_view kVerseCatalogueText;
// The same in traditional characters, written at build time (tools/script).
extern const std::string_view kVerseCatalogueTextTraditional;
}  // namespace detail

namespace {

constexpr int kMaxVerseId = 1223;
enum LordKind { kEntersMansion = 0, kEntersPalace = 1, kSharesPalace = 2 };

const std::string kEmpty;

// "\r", "\n", "\t" and "\\" of the stored form back to the characters.
std::string Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

// A non-negative decimal number filling the whole view, or -1.
int ParseIndex(std::string_view s) {
  if (s.empty() || s.size() > 6) return -1;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

class VerseCatalogue {
 public:
  // The catalogue of the chosen script, each read when first needed.
  static const VerseCatalogue& Instance() {
    if (TraditionalScript()) {
      static const VerseCatalogue traditional(detail::kVerseCatalogueTextTraditional);
      return traditional;
    }
    static const VerseCatalogue catalogue(detail::kVerseCatalogueText);
    return catalogue;
  }

  const std::string& Verse(int id) const {
    if (id < 0 || id > kMaxVerseId) return kEmpty;
    return verses_[id];
  }
  const std::string& Lord(int kind, int a, int b) const {
    if (a < 0 || a >= kVerseBodyCount || b < 0 || b >= kVerseBodyCount) return kEmpty;
    return lords_[kind][a][b];
  }
  std::size_t verseCount() const { return verseCount_; }
  std::size_t lordCount() const { return lordCount_; }

 private:
  // Reads "KEY<TAB>TEXT" lines; comments, blank and malformed lines are
  // skipped, and a key given twice keeps its first text.
  explicit VerseCatalogue(std::string_view text) : verses_(kMaxVerseId + 1) {
    while (!text.empty()) {
      std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      if (line.empty() || line[0] == '#') continue;
      std::size_t tab = line.find('\t');
      if (tab == std::string_view::npos || tab + 1 == line.size()) continue;
      AddEntry(line.substr(0, tab), Unescape(line.substr(tab + 1)));
    }
  }

  void AddEntry(std::string_view key, std::string text) {
    int id = ParseIndex(key);
    if (id >= 0) {
      if (id <= kMaxVerseId && verses_[id].empty()) {
        verses_[id] = std::move(text);
        ++verseCount_;
      }
      return;
    }
    // "D a b", "G a b" or "T a b".
    if (key.size() < 5 || key[1] != ' ') return;
    int kind = key[0] == 'D' ? kEntersMansion : key[0] == 'G' ? kEntersPalace : key[0] == 'T' ? kSharesPalace : -1;
    std::string_view rest = key.substr(2);
    std::size_t space = rest.find(' ');
    if (kind < 0 || space == std::string_view::npos) return;
    int a = ParseIndex(rest.substr(0, space));
    int b = ParseIndex(rest.substr(space + 1));
    if (a < 0 || a >= kVerseBodyCount || b < 0 || b >= kVerseBodyCount) return;
    std::string& slot = lords_[kind][a][b];
    if (slot.empty()) {
      slot = std::move(text);
      ++lordCount_;
    }
  }

  std::vector<std::string> verses_;
  std::string lords_[3][kVerseBodyCount][kVerseBodyCount];
  std::size_t verseCount_ = 0;
  std::size_t lordCount_ = 0;
};

bool IsGovernor(int body) { return body >= 0 && body < kGovernorCount; }

}  // namespace

int MansionVerseBase(int body) {
  return body >= 0 && body < kVerseBodyCount ? kMansionVerseBase[body] : 0;
}

uint16_t DomicileTable(int governor) { return IsGovernor(governor) ? kDomicileTable[governor] : 0; }

int DomicileBranches(int governor, int (&branches)[2]) {
  if (!IsGovernor(governor)) return 0;
  int entry = kDomicileTable[governor];
  if (entry <= 100) {
    branches[0] = entry;
    return 1;
  }
  branches[0] = entry % 100;
  branches[1] = entry / 100;
  return 2;
}

const std::string& VerseText(int id) { return VerseCatalogue::Instance().Verse(id); }

const std::string& LordMansionVerse(int body, int lord) {
  if (!IsGovernor(body) || !IsGovernor(lord)) return kEmpty;
  return VerseCatalogue::Instance().Lord(kEntersMansion, body, lord);
}

const std::string& LordPalaceVerse(int body, int lord) {
  if (!IsGovernor(lord)) return kEmpty;
  return VerseCatalogue::Instance().Lord(kEntersPalace, body, lord);
}

const std::string& ConjunctionVerse(int a, int b) {
  if (!IsGovernor(a) || b <= a) return kEmpty;
  return VerseCatalogue::Instance().Lord(kSharesPalace, a, b);
}

std::size_t VerseCount() { return VerseCatalogue::Instance().verseCount(); }
std::size_t BodyLordVerseCount() { return VerseCatalogue::Instance().lordCount(); }

}  // namespace lumtar
