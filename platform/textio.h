// Plain-text files of the editors and the names the save dialogs give.
//
// On disk a text file is GBK with CRLF line breaks. Loading also takes
// UTF-8 (with or without a byte-order mark) when the bytes are valid UTF-8
// and hold something beyond ASCII, and UTF-16 with a byte-order mark.
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <string_view>

namespace lumtar {

// File bytes as text with '\n' line breaks (CRLF, CR and LF all count as a
// break; NUL characters are dropped).
QString DecodeTextFile(std::string_view bytes);
// Text as file bytes: GBK, every line break (\n, U+2028, U+2029) as CRLF.
// Characters GBK cannot hold are written as '?'.
std::string EncodeTextFile(const QString& text);

bool LoadTextFile(const std::filesystem::path& path, QString* text);
// Replaces the file atomically; on failure an existing file is untouched.
bool SaveTextFile(const std::filesystem::path& path, const QString& text);

// The extension of entry `filterIndex` (1-based, as the dialogs count) of a
// filter written "Rtf格式|*.rtf|Txt格式|*.txt": ".rtf" for 1, ".txt" for 2.
// An index out of range takes the first entry.
QString FilterExtension(const QString& filter, int filterIndex);

// The file a save dialog writes: the name exactly as typed with the chosen
// filter's extension appended. A typed extension is not recognised, so "a.rtf"
// saved with the first filter becomes "a.rtf.rtf".
QString SaveAsFileName(const QString& typedName, const QString& filter, int filterIndex);

// The filter in the form Qt's file dialogs take: "Rtf格式 (*.rtf)" …
QStringList QtNameFilters(const QString& filter);

}  // namespace lumtar
