#include "pdftext.h"

#include <QFont>
#include <QList>
#include <QRawFont>
#include <QRegularExpression>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "widgets.h"

namespace lumtar {
namespace {

// The radical blocks: CJK Radicals Supplement and Kangxi Radicals.
constexpr char16_t kFirstRadical = 0x2E80;
constexpr char16_t kLastRadical = 0x2FDF;

bool IsRadical(uint c) { return c >= kFirstRadical && c <= kLastRadical; }

// For each radical, the ideograph the faces draw with the same glyph:
// unified ideographs first, then extension A, then the compatibility
// ideographs; a radical no face shares takes its compatibility equivalent.
std::map<char16_t, char16_t> BuildRadicalTable() {
  std::map<char16_t, char16_t> table;
  const struct {
    char16_t first, last;
  } ideographs[] = {{0x4E00, 0x9FFF}, {0x3400, 0x4DBF}, {0xF900, 0xFAFF}};
  for (const char* family : {kSongTiFamily, "Noto Sans CJK SC"}) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(16);
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) continue;
    auto glyphOf = [&raw](char16_t c) -> quint32 {
      const QChar ch(c);
      quint32 glyph = 0;
      int count = 1;
      if (!raw.glyphIndexesForChars(&ch, 1, &glyph, &count) || count != 1) return 0;
      return glyph;
    };
    std::unordered_map<quint32, std::vector<char16_t>> radicalsOfGlyph;
    for (char16_t r = kFirstRadical; r <= kLastRadical; ++r)
      if (!table.count(r))
        if (const quint32 g = glyphOf(r)) radicalsOfGlyph[g].push_back(r);
    for (const auto& block : ideographs)
      for (uint u = block.first; u <= block.last && !radicalsOfGlyph.empty(); ++u) {
        const auto it = radicalsOfGlyph.find(glyphOf(static_cast<char16_t>(u)));
        if (it == radicalsOfGlyph.end()) continue;
        for (char16_t r : it->second) table.emplace(r, static_cast<char16_t>(u));
        radicalsOfGlyph.erase(it);
      }
  }
  for (char16_t r = kFirstRadical; r <= kLastRadical; ++r) {
    if (table.count(r)) continue;
    const QString k = QString(QChar(r)).normalized(QString::NormalizationForm_KC);
    if (k.size() == 1 && k[0].unicode() != r) table.emplace(r, k[0].unicode());
  }
  return table;
}

QByteArray Hex4(uint c) { return QByteArray::number(c, 16).toUpper().rightJustified(4, '0'); }

// One line of a bfrange section: "<lo> <hi> <dst>" or "<lo> <hi> [<d> …]".
QByteArray MendRangeLine(const QByteArray& line) {
  static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]+)>"));
  QList<QByteArray> codes;
  for (auto it = hex.globalMatch(QString::fromLatin1(line)); it.hasNext();) codes << it.next().captured(1).toLatin1();
  if (codes.size() < 3) return line;
  bool ok = false;
  const uint lo = codes[0].toUInt(&ok, 16);
  const uint hi = codes[1].toUInt(nullptr, 16);
  if (!ok || hi < lo) return line;
  std::vector<uint> targets;
  if (line.contains('[')) {
    for (qsizetype i = 2; i < codes.size(); ++i) {
      if (codes[i].size() != 4) return line;  // a pair of surrogates or a string: left alone
      targets.push_back(codes[i].toUInt(nullptr, 16));
    }
  } else {
    if (codes[2].size() != 4) return line;
    const uint first = codes[2].toUInt(nullptr, 16);
    for (uint k = 0; k <= hi - lo; ++k) targets.push_back(first + k);
  }
  bool changed = false;
  for (uint& t : targets) {
    if (!IsRadical(t)) continue;
    const uint mended = IdeographOfRadical(static_cast<char16_t>(t));
    if (mended != t) {
      t = mended;
      changed = true;
    }
  }
  if (!changed) return line;
  QByteArray out = "<" + codes[0] + "> <" + codes[1] + "> ";
  if (lo == hi) return out + "<" + Hex4(targets[0]) + ">";
  out += "[";
  for (uint t : targets) out += "<" + Hex4(t) + "> ";
  return out + "]";
}

// One line of a bfchar section: "<src> <dst>".
QByteArray MendCharLine(const QByteArray& line) {
  static const QRegularExpression pair(QStringLiteral("^\\s*<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]{4})>\\s*$"));
  const QRegularExpressionMatch m = pair.match(QString::fromLatin1(line));
  if (!m.hasMatch()) return line;
  const uint t = m.captured(2).toUInt(nullptr, 16);
  if (!IsRadical(t) || IdeographOfRadical(static_cast<char16_t>(t)) == t) return line;
  return "<" + m.captured(1).toLatin1() + "> <" + Hex4(IdeographOfRadical(static_cast<char16_t>(t))) + ">";
}

}  // namespace

char16_t IdeographOfRadical(char16_t c) {
  if (!IsRadical(c)) return c;
  static const std::map<char16_t, char16_t> table = BuildRadicalTable();
  const auto it = table.find(c);
  return it == table.end() ? c : it->second;
}

QByteArray MendCharacterMap(const QByteArray& cmap) {
  enum class Section { None, Range, Char } section = Section::None;
  QList<QByteArray> lines = cmap.split('\n');
  for (QByteArray& line : lines) {
    const QByteArray word = line.trimmed();
    if (word.endsWith("beginbfrange")) {
      section = Section::Range;
    } else if (word.endsWith("beginbfchar")) {
      section = Section::Char;
    } else if (word == "endbfrange" || word == "endbfchar") {
      section = Section::None;
    } else if (section == Section::Range) {
      line = MendRangeLine(line);
    } else if (section == Section::Char) {
      line = MendCharLine(line);
    }
  }
  return lines.join('\n');
}

bool MendPdfText(QByteArray* pdf, const PdfInfo& info) {
  try {
    QPDF doc;
    doc.setSuppressWarnings(true);
    doc.processMemoryFile("report", pdf->constData(), static_cast<size_t>(pdf->size()));
    bool changed = false;
    for (QPDFObjectHandle object : doc.getAllObjects()) {
      if (!object.isDictionary() || !object.hasKey("/ToUnicode")) continue;
      QPDFObjectHandle map = object.getKey("/ToUnicode");
      if (!map.isStream()) continue;
      const auto data = map.getStreamData(qpdf_dl_generalized);
      const QByteArray before(reinterpret_cast<const char*>(data->getBuffer()), static_cast<qsizetype>(data->getSize()));
      const QByteArray after = MendCharacterMap(before);
      if (after == before) continue;
      map.replaceStreamData(after.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
      changed = true;
    }
    const std::pair<const char*, const QString*> fields[] = {
        {"/Title", &info.title}, {"/Author", &info.author}, {"/Subject", &info.subject}, {"/Creator", &info.creator}};
    for (const auto& [key, text] : fields) {
      if (text->isEmpty()) continue;
      QPDFObjectHandle trailer = doc.getTrailer();
      QPDFObjectHandle dict = trailer.getKey("/Info");
      if (!dict.isDictionary()) {
        dict = doc.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", dict);
      }
      dict.replaceKey(key, QPDFObjectHandle::newUnicodeString(text->toStdString()));
      changed = true;
    }
    if (!changed) return true;
    QPDFWriter writer(doc);
    writer.setOutputMemory();
    writer.setDeterministicID(true);
    writer.write();
    std::unique_ptr<Buffer> out(writer.getBuffer());
    *pdf = QByteArray(reinterpret_cast<const char*>(out->getBuffer()), static_cast<qsizetype>(out->getSize()));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace lumtar
