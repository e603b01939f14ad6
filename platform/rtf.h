// Rich text in the RTF that Windows rich-edit controls write, for the comment
// documents of the cases and the analysis page's files.
//
// Reading understands the code-page header (\ansicpg936), \'hh bytes in the
// code page of each font's \fcharset, \uN with \ucN fallback skipping, the
// font and colour tables, character formatting (\b \i \ul \strike \fs \cf \f
// \highlight \super \sub \plain), paragraphs (\par \pard \ql \qc \qr \qj),
// \line, \tab, the common special characters, fields (their shown result)
// and a page background colour; groups the program has no use for (pictures,
// style sheets, {\*…} destinations) are skipped.
//
// Writing gives rich-edit RTF: 7-bit text, GBK characters as \'hh pairs,
// characters outside GBK as \uN with a '?' fallback, every font with
// \fcharset134, CRLF after each \par. 宋体 stands in the file for the face
// that shows it here, so the files stay interchangeable.
#pragma once

#include <QString>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "files.h"

class QTextDocument;

namespace lumtar {

// Limits against hostile files; beyond them reading fails.
inline constexpr std::size_t kRtfMaxBytes = kMaxDocumentBytes;
inline constexpr int kRtfMaxDepth = 512;
// Paragraphs plus formatting runs: a document of more pieces would take
// seconds and hundreds of megabytes to build.
inline constexpr std::size_t kRtfMaxPieces = 200000;
// The longest paragraph a document is given when read. The editor lays a
// paragraph out as a whole, and one long run without a break opportunity
// costs it time growing with the square of its length (100 kB took more than
// a second, 1 MB minutes): a longer paragraph is cut into pieces at most this
// long, at a break opportunity where there is one.
inline constexpr qsizetype kLongestParagraph = 4096;

// True when the bytes start like an RTF file ("{\rtf").
bool LooksLikeRtf(std::string_view bytes);

// Replaces the document's content with the RTF. On failure (not RTF, cut
// off, malformed, nested deeper than kRtfMaxDepth, a control-word parameter
// outside 32 bits, \bin data past the end, beyond kRtfMaxBytes or
// kRtfMaxPieces) the document is left
// exactly as it was and `error`, when given, says why. The undo history is
// cleared; the modified mark is left to the caller. `cutParagraphs`, when
// given, receives how many paragraphs were longer than kLongestParagraph and
// cut (the text is all kept; saving writes the pieces as paragraphs).
bool ReadRtf(std::string_view rtf, QTextDocument* doc, QString* error = nullptr,
             int* cutParagraphs = nullptr);

// The document as RTF bytes.
std::string WriteRtf(const QTextDocument& doc);

// File versions. Saving replaces the file atomically: on failure an existing
// file is left as it was and no partial file remains.
bool LoadRtfFile(const std::filesystem::path& path, QTextDocument* doc, QString* error = nullptr);
bool SaveRtfFile(const std::filesystem::path& path, const QTextDocument& doc);

// Loads a file the way the analysis page imports one: RTF when the file
// starts like RTF, otherwise plain text (see textio.h; at most kRtfMaxPieces
// lines). The plain text takes the document's default format, its lines
// longer than kLongestParagraph cut as in ReadRtf. The document is unchanged
// on failure.
bool LoadRichOrPlainFile(const std::filesystem::path& path, QTextDocument* doc,
                         QString* error = nullptr, int* cutParagraphs = nullptr);

}  // namespace lumtar
