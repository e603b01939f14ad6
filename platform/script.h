// The script of the program's texts: simplified characters (the default)
// or traditional characters, as the person chooses (选项 → 简体 / 繁體 in
// the window, --traditional for lumtar-cli).
//
// The engine's own texts (names of bodies, palaces, mansions, spirits, the
// header's words, calendar words, messages) take their traditional form
// from a table written at build time by tools/script/gen_script with
// OpenCC and tools/script/overrides.txt from every string literal of the
// engine's sources. A text is passed through InScript where it is shown,
// never where it is stored or compared: records, settings and the names a
// person typed keep their bytes. The window's own texts go through Qt's
// translations instead (platform_gui's scriptui.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumtar {

enum class Script { Simplified, Traditional };

void SetScript(Script script);
Script CurrentScript();
inline bool TraditionalScript() { return CurrentScript() == Script::Traditional; }

// A text of the program's vocabulary in the chosen script: under
// simplified characters, and for a text the table does not hold, the text
// itself. The result is the text or a view of static storage.
std::string_view InScript(std::string_view text);
// The same for a literal; the result stays a C string.
const char* InScript(const char* text);

// Any text the program shows, whole or composed at run time ("已保存到 " and
// a path, a lunar date, a message with a number in it), in the chosen
// script: the text the vocabulary holds whole, or else piece by piece, each
// piece the longest text of the vocabulary that stands there; characters
// the vocabulary does not hold stay as they are. A character alone takes
// one of its own traditional forms (参 參, never a word's 引), the one our
// texts use (干 of 天干, 历 曆). kNamesOnDisk stay as they are.
std::string TextInScript(std::string_view text);
// The same for a text of the windows (menus, dialogs, messages, captions):
// their own words take Taiwan's terms for an interface (檔案, 列印, 預設)
// before the engine's vocabulary.
std::string WindowTextInScript(std::string_view text);

// A part of a composed text that is no text of the program's own (a name a
// person typed, a path): TextInScript and WindowTextInScript leave what
// stands between these marks as it is. The marks are Unicode's first strong
// isolate and pop directional isolate, which show nothing; where a text is
// shown, WithoutVerbatimMarks takes them out.
inline constexpr const char* kVerbatimBegin = "\u2068";
inline constexpr const char* kVerbatimEnd = "\u2069";
std::string Verbatim(std::string_view text);
std::string WithoutVerbatimMarks(std::string_view text);

// Names of files and folders as they are on disk, which texts quote (the
// export folder): they stay as they are under either script.
inline constexpr const char* kNamesOnDisk[] = {"Lumtar_导出数据"};

// The simplified form of a text of the vocabulary written in traditional
// characters, or the text itself: for names a person types in either
// script (era names, places).
std::string_view SimplifiedForm(std::string_view text);
// Any text a person typed, its traditional characters read back into
// simplified ones piece by piece as the vocabulary writes them (臺北 台北,
// 廣州 广州), under either script; other characters stay as they are. For
// searching names (places) typed in either script.
std::string SimplifiedText(std::string_view text);

namespace detail {
struct ScriptPair {
  const char* simplified;
  const char* traditional;
};
}  // namespace detail

}  // namespace lumtar
