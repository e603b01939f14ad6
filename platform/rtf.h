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
#include <memory>
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

// The part of a document that was not put into the editor (see
// RtfStepReader::Split): its text and formatting, to be written after the
// part that was, so that saving the edited beginning keeps it.
class RtfRest {
 public:
  RtfRest();
  ~RtfRest();
  RtfRest(RtfRest&&) noexcept;
  RtfRest& operator=(RtfRest&&) noexcept;

  bool empty() const;
  // Characters, paragraph ends counted as one.
  qsizetype Length() const;
  // The text, paragraphs ended by '\n', beginning with one when the rest
  // does not go on the last paragraph before it.
  QString PlainText() const;

 private:
  friend class RtfStepReader;
  friend std::string WriteRtf(const QTextDocument& beginning, const RtfRest& rest);
  struct Data;
  std::unique_ptr<Data> d_;
};

// The document followed by the rest, as RTF bytes: when the rest was cut
// from inside a paragraph, the document's last paragraph goes on into it.
std::string WriteRtf(const QTextDocument& beginning, const RtfRest& rest);

// Reads an RTF document in steps, so that a window keeps answering while a
// large one is read, and puts into the editor at most a beginning of it, in
// steps as well:
//   RtfStepReader reading(bytes);
//   while (reading.Read(kStep) == RtfStepReader::Result::kMore) { ...events... }
//   reading.Split(limit, &rest);          // after kDone
//   while (!reading.Fill(doc, kChars)) { ...events... }
// A document that ReadRtf refuses gives kFailed, with the same error; the
// document filled is then untouched.
class RtfStepReader {
 public:
  explicit RtfStepReader(std::string rtf);
  ~RtfStepReader();
  RtfStepReader(const RtfStepReader&) = delete;
  RtfStepReader& operator=(const RtfStepReader&) = delete;

  enum class Result { kMore, kDone, kFailed };
  // Reads about `bytes` more bytes of the document.
  Result Read(std::size_t bytes);
  QString error() const;
  // After kDone: the document's characters, paragraph ends counted as one.
  qsizetype Length() const;
  // After kDone: keeps the first `limit` characters for Fill, cut at a
  // paragraph end in the limit's second half or else at a break opportunity,
  // and moves the rest into `rest` (empty when the document is not longer).
  // The kept paragraphs longer than kLongestParagraph are cut as in ReadRtf;
  // returns how many.
  int Split(qsizetype limit, RtfRest* rest);
  // Puts about `characters` more of the kept text into the document (the
  // first call clears it); true when all of it is in. The undo history is
  // off while filling; the modified mark is left to the caller.
  bool Fill(QTextDocument* doc, qsizetype characters);
  // The document's bytes as given (once).
  std::string TakeBytes();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

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
