#include "script.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lumtar {

namespace detail {
// Written at build time (tools/script/gen_script vocabulary).
extern const ScriptPair kScriptPairs[];
extern const std::size_t kScriptPairCount;
extern const ScriptPair kWindowPairs[];
extern const std::size_t kWindowPairCount;
}  // namespace detail

namespace {

std::atomic<Script> g_script{Script::Simplified};

const detail::ScriptPair* Begin() { return detail::kScriptPairs; }
const detail::ScriptPair* End() { return detail::kScriptPairs + detail::kScriptPairCount; }

const detail::ScriptPair* Find(std::string_view text) {
  const detail::ScriptPair* p = std::lower_bound(
      Begin(), End(), text, [](const detail::ScriptPair& a, std::string_view t) { return a.simplified < t; });
  return p != End() && p->simplified == text ? p : nullptr;
}

// The table's pairs ordered by their traditional form.
const std::vector<const detail::ScriptPair*>& ByTraditional() {
  static const std::vector<const detail::ScriptPair*> order = [] {
    std::vector<const detail::ScriptPair*> v;
    for (const detail::ScriptPair* p = Begin(); p != End(); ++p) v.push_back(p);
    std::stable_sort(v.begin(), v.end(), [](const detail::ScriptPair* a, const detail::ScriptPair* b) {
      return std::string_view(a->traditional) < std::string_view(b->traditional);
    });
    return v;
  }();
  return order;
}

// A table of pairs for converting composed texts: each simplified text with
// its traditional form, and the byte lengths the texts have, longest first.
class Pieces {
 public:
  void Add(const detail::ScriptPair* pairs, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) AddPiece(pairs[i].simplified, pairs[i].traditional);
  }

  // The way back: each traditional text with its simplified form. A text
  // that is also a simplified text of the vocabulary (乾 of 乾隆) stays as
  // it is; of several simplified forms the first in the table's order.
  void AddReversed(const detail::ScriptPair* pairs, std::size_t count) {
    std::unordered_set<std::string_view> simplified;
    for (std::size_t i = 0; i < count; ++i) simplified.insert(pairs[i].simplified);
    for (std::size_t i = 0; i < count; ++i) {
      const std::string_view from(pairs[i].traditional), to(pairs[i].simplified);
      if (from == to || !simplified.count(from)) AddPiece(from, to);
    }
  }

  std::string Convert(std::string_view text) const {
    if (text.find(kVerbatimBegin) == std::string_view::npos) return Converted(text);
    // Spans between the marks stay as they are, with their marks.
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t begin = text.find(kVerbatimBegin, at);
      out += Converted(text.substr(at, begin == std::string_view::npos ? std::string_view::npos : begin - at));
      if (begin == std::string_view::npos) break;
      const std::size_t end = text.find(kVerbatimEnd, begin);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end + std::strlen(kVerbatimEnd);
      out.append(text.substr(begin, stop - begin));
      at = stop;
    }
    return out;
  }

 private:
  std::string Converted(std::string_view text) const {
    std::string out = Pieced(text);
    // A name on disk keeps its characters.
    if (out.find("Lumtar_") == std::string::npos) return out;
    for (const char* name : kNamesOnDisk) {
      const std::string shown = Pieced(name);
      for (std::size_t at = out.find(shown); shown != name && at != std::string::npos; at = out.find(shown, at)) {
        out.replace(at, shown.size(), name);
        at += std::strlen(name);
      }
    }
    return out;
  }

  std::string Pieced(std::string_view text) const {
    if (const auto whole = forms_.find(text); whole != forms_.end()) return std::string(whole->second);
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t left = text.size() - i;
      bool matched = false;
      for (std::size_t length : lengths_) {
        if (length > left) continue;
        // Only whole characters: the piece must not end inside one.
        if (length < left && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) continue;
        const auto it = forms_.find(text.substr(i, length));
        if (it == forms_.end()) continue;
        out += it->second;
        i += length;
        matched = true;
        break;
      }
      if (matched) continue;
      // No piece here: the character as it stands.
      std::size_t n = 1;
      while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
      out.append(text.substr(i, n));
      i += n;
    }
    return out;
  }

  void AddPiece(std::string_view from, std::string_view to) {
    if (from.empty() || !forms_.emplace(from, to).second) return;
    const auto at = std::lower_bound(lengths_.begin(), lengths_.end(), from.size(), std::greater<>());
    if (at == lengths_.end() || *at != from.size()) lengths_.insert(at, from.size());
  }

  std::unordered_map<std::string_view, std::string_view> forms_;
  std::vector<std::size_t> lengths_;  // longest first
};

const Pieces& EnginePieces() {
  static const Pieces pieces = [] {
    Pieces p;
    p.Add(detail::kScriptPairs, detail::kScriptPairCount);
    return p;
  }();
  return pieces;
}

const Pieces& WindowPieces() {
  static const Pieces pieces = [] {
    Pieces p;
    p.Add(detail::kWindowPairs, detail::kWindowPairCount);
    p.Add(detail::kScriptPairs, detail::kScriptPairCount);
    return p;
  }();
  return pieces;
}

const Pieces& SimplifyingPieces() {
  static const Pieces pieces = [] {
    Pieces p;
    p.AddReversed(detail::kScriptPairs, detail::kScriptPairCount);
    return p;
  }();
  return pieces;
}

bool HasNonAscii(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

void SetScript(Script script) { g_script = script; }
Script CurrentScript() { return g_script; }

std::string_view InScript(std::string_view text) {
  if (g_script == Script::Simplified || text.empty()) return text;
  const detail::ScriptPair* p = Find(text);
  return p ? std::string_view(p->traditional) : text;
}

const char* InScript(const char* text) {
  if (g_script == Script::Simplified || !text || !*text) return text;
  const detail::ScriptPair* p = Find(text);
  return p ? p->traditional : text;
}

std::string TextInScript(std::string_view text) {
  if (g_script == Script::Simplified || !HasNonAscii(text)) return std::string(text);
  return EnginePieces().Convert(text);
}

std::string WindowTextInScript(std::string_view text) {
  if (g_script == Script::Simplified || !HasNonAscii(text)) return std::string(text);
  return WindowPieces().Convert(text);
}

std::string Verbatim(std::string_view text) {
  std::string out(kVerbatimBegin);
  out.append(text);
  out += kVerbatimEnd;
  return out;
}

std::string WithoutVerbatimMarks(std::string_view text) {
  std::string out(text);
  for (const char* mark : {kVerbatimBegin, kVerbatimEnd})
    for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at))
      out.erase(at, std::strlen(mark));
  return out;
}

std::string_view SimplifiedForm(std::string_view text) {
  const auto& order = ByTraditional();
  auto it = std::lower_bound(order.begin(), order.end(), text,
                             [](const detail::ScriptPair* a, std::string_view t) { return a->traditional < t; });
  return it != order.end() && (*it)->traditional == text ? std::string_view((*it)->simplified) : text;
}

std::string SimplifiedText(std::string_view text) {
  if (!HasNonAscii(text)) return std::string(text);
  return SimplifyingPieces().Convert(text);
}

}  // namespace lumtar
