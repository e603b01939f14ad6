// The text layer of the PDF files the program writes with Qt.
#pragma once

#include <QByteArray>
#include <QString>

namespace lumtar {

// The document information a PDF file carries (the viewer's title bar and
// its properties). An empty field is left as it was.
struct PdfInfo {
  QString title;
  QString author;
  QString subject;
  QString creator;
};

// Qt names every glyph of an embedded font after the lowest character the
// font draws with it, and the CJK faces draw many ideographs with the glyph
// of their radical: copied or searched, 日 月 金 木 水 火 土 见 长 … came out
// as the radicals ⽇ ⽉ ⾦ ⽊ ⽔ ⽕ ⼟ ⻅ ⻓. Rewrites the character maps of the
// fonts of a PDF file so that such a glyph names the ideograph, and writes
// the fields of `info` into its document information: Qt writes them as
// UTF-16 in literal strings without escaping the bytes 0x0D and 0x0A, which
// readers take as line ends (名, U+540D, read back as 吊, U+540A). False
// (and the bytes unchanged) when they are no PDF file that can be read.
bool MendPdfText(QByteArray* pdf, const PdfInfo& info = {});

// The character a radical's glyph stands for in the program's CJK faces
// (U+2F49 ⽉ gives U+6708 月); the character itself when it is no radical.
char16_t IdeographOfRadical(char16_t c);

// A character map (a ToUnicode CMap) with every radical destination
// replaced by its ideograph.
QByteArray MendCharacterMap(const QByteArray& cmap);

}  // namespace lumtar
