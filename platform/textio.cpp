#include "textio.h"

#include <QStringDecoder>
#include <QStringList>

#include "files.h"
#include "gbk.h"

namespace lumtar {
namespace {

bool HasNonAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

// CRLF, lone CR and lone LF become '\n'; NUL goes.
QString NormaliseBreaks(const QString& in) {
  QString out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    QChar c = in[i];
    if (c == u'\r') {
      out += u'\n';
      if (i + 1 < in.size() && in[i + 1] == u'\n') ++i;
    } else if (c != u'\0') {
      out += c;
    }
  }
  return out;
}

}  // namespace

QString DecodeTextFile(std::string_view bytes) {
  QString text;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    QStringDecoder decode(bytes[0] == '\xFF' ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    text = decode(QByteArrayView(bytes.data() + 2, static_cast<qsizetype>(bytes.size() - 2)));
  } else if (HasNonAscii(bytes) && IsValidUtf8(bytes)) {
    text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  } else {
    text = QString::fromStdString(GbkToUtf8(bytes));
  }
  return NormaliseBreaks(text);
}

std::string EncodeTextFile(const QString& text) {
  QString crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (QChar c : text) {
    if (c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
      crlf += QStringLiteral("\r\n");
    else if (c != u'\r')
      crlf += c;
  }
  return Utf8ToGbk(crlf.toStdString());
}

bool LoadTextFile(const std::filesystem::path& path, QString* text) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return false;
  *text = DecodeTextFile(bytes);
  return true;
}

bool SaveTextFile(const std::filesystem::path& path, const QString& text) {
  return WriteWholeFileAtomic(path, EncodeTextFile(text));
}

QString FilterExtension(const QString& filter, int filterIndex) {
  const QStringList parts = filter.split(u'|');
  const int entries = static_cast<int>(parts.size() / 2);
  if (entries == 0) return {};
  if (filterIndex < 1 || filterIndex > entries) filterIndex = 1;
  QString pattern = parts[2 * (filterIndex - 1) + 1];
  // "*.rtf" (or "*.rtf;*.doc": the first pattern counts) gives ".rtf".
  pattern = pattern.section(u';', 0, 0).trimmed();
  if (pattern.startsWith(u'*')) pattern.remove(0, 1);
  return pattern;
}

QString SaveAsFileName(const QString& typedName, const QString& filter, int filterIndex) {
  return typedName + FilterExtension(filter, filterIndex);
}

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    out << parts[i] + QStringLiteral(" (") + patterns + u')';
  }
  return out;
}

}  // namespace lumtar
