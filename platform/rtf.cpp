#include "rtf.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "files.h"
#include "gbk.h"
#include "textio.h"
#include "widgets.h"

namespace lumtar {
namespace {

// ---------------------------------------------------------------------------
// Shared by reading and writing

// Faces named in the files and the faces that show them here. Reading maps
// the first column to the second; writing maps the first face found in the
// second column back to its Windows name.
struct FontAlias {
  const char* inFile;
  const char* here;
};
constexpr FontAlias kFontAliases[] = {
    {"宋体", kSongTiFamily},
    {"SimSun", kSongTiFamily},
    {"黑体", "Noto Sans CJK SC"},
    {"SimHei", "Noto Sans CJK SC"},
};

QString FaceForFileName(const QString& name) {
  for (const auto& a : kFontAliases)
    if (name.compare(QString::fromUtf8(a.inFile), Qt::CaseInsensitive) == 0)
      return QString::fromUtf8(a.here);
  return name;
}

QString FileNameForFace(const QString& face) {
  for (const auto& a : kFontAliases)
    if (face.compare(QString::fromUtf8(a.here), Qt::CaseInsensitive) == 0)
      return QString::fromUtf8(a.inFile);
  return face;
}

// Character formatting as the file states it.
struct CharState {
  int font = -1;  // font number; -1 is the document's default font
  int halfPoints = 24;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int color = 0;      // colour-table index; 0 is automatic
  int highlight = 0;  // colour-table index; 0 is none
  int script = 0;     // 1 superscript, 2 subscript

  bool operator==(const CharState&) const = default;
};

enum Align { kLeft = 0, kCenter = 1, kRight = 2, kJustify = 3 };

constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;  // 1638 points, the rich-edit maximum

// ---------------------------------------------------------------------------
// Reading: the file is parsed into this model first, so that a failure
// anywhere leaves the document alone.

struct Run {
  QString text;
  CharState chr;
  qsizetype repaired = 0;  // the text before has whole surrogate pairs only
};

struct Paragraph {
  int align = kLeft;
  std::vector<Run> runs;
  CharState endChr;  // formatting at the paragraph mark (an empty line's size)
};

struct FontEntry {
  QString name;  // UTF-16 so that \uN surrogate halves pair up
  std::string pendingBytes;
  int charset = -1;
  int codePage = 0;
  QString face;
};

struct Model {
  std::map<int, FontEntry> fonts;
  int defaultFont = 0;
  int ansiCodePage = 1252;
  std::vector<std::optional<QColor>> colors;  // nullopt: automatic
  std::vector<Paragraph> paragraphs;
  std::optional<QColor> background;
};

int CharsetCodePage(int charset, int ansiCodePage) {
  switch (charset) {
    case 0: return 1252;
    case 2: return 28591;  // symbol fonts: the bytes are the glyphs
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return ansiCodePage;
  }
}

enum class Dest : uint8_t {
  Text,        // document text
  Skip,        // ignored group
  FontTable,
  ColorTable,
  Background,  // {\*\background …}: only the fill colour is taken
  ShapeName,   // {\sn …} inside the background
  ShapeValue,  // {\sv …} inside the background
  Upr,         // {\upr ansi-text {\*\ud unicode-text}}: only \ud is read
};

struct Group {
  CharState chr;
  Dest dest = Dest::Text;
  Dest outer = Dest::Text;  // destination of the enclosing group
  int uc = 1;               // fallback characters after \uN
  int align = kLeft;
  bool star = false;        // "\*" seen: an unknown destination is skipped
};

// Destinations whose text is never shown.
constexpr std::string_view kSkippedDestinations[] = {
    "annotation", "author", "bkmkend", "bkmkstart", "buptim", "colorschememapping", "comment",
    "company", "creatim", "datastore", "doccomm", "filetbl", "fldinst", "footer", "footerf",
    "footerl", "footerr", "footnote", "generator", "header", "headerf", "headerl", "headerr",
    "info", "keywords", "latentstyles", "listoverridetable", "listtable", "listtext", "mmathPr",
    "nonshppict", "object", "operator", "pgdsctbl", "pict", "pn", "pntext", "pntxta", "pntxtb",
    "printim", "revtbl", "revtim", "rsidtbl", "shp", "stylesheet", "subject", "tc", "themedata",
    "title", "txe", "xe", "xmlnstbl",
};

bool IsSkippedDestination(std::string_view word) {
  return std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word) !=
         std::end(kSkippedDestinations);
}

struct SpecialChar {
  std::string_view word;
  char16_t ch;
};
constexpr SpecialChar kSpecialChars[] = {
    {"emdash", 0x2014},    {"endash", 0x2013},    {"bullet", 0x2022}, {"lquote", 0x2018},
    {"rquote", 0x2019},    {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
    {"enspace", 0x2002},   {"qmspace", 0x2005},   {"tab", u'\t'},     {"cell", u'\t'},
    {"nestcell", u'\t'},   {"line", 0x2028},
};

constexpr std::string_view kUnderlineWords[] = {
    "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd",
    "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave",
};

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Reader {
 public:
  explicit Reader(std::string_view rtf) : s_(rtf) {}

  bool Parse(Model* model) {
    if (!Begin(model)) return false;
    for (;;) {
      switch (Step(SIZE_MAX)) {
        case StepResult::kMore: break;
        case StepResult::kDone: return true;
        case StepResult::kFailed: return false;
      }
    }
  }

  // Parsing in steps: Begin, then Step until it is no longer kMore.
  enum class StepResult { kMore, kDone, kFailed };
  bool Begin(Model* model) {
    m_ = model;
    m_->paragraphs.emplace_back();
    size_t start = 0;
    while (start < s_.size() && (s_[start] == ' ' || s_[start] == '\t' || s_[start] == '\r' ||
                                 s_[start] == '\n'))
      ++start;
    if (s_.substr(start, 5) != "{\\rtf") return Fail("不是RTF文件");
    if (s_.size() > kRtfMaxBytes) return Fail("RTF文件过大");
    pos_ = start;
    return true;
  }

  // Reads on for about `bytes` bytes.
  StepResult Step(size_t bytes) {
    const size_t stop = bytes >= s_.size() - pos_ ? s_.size() : pos_ + bytes;
    while (pos_ < stop && !closed_) {
      char c = s_[pos_];
      if (c == '{') {
        ++pos_;
        if (!Push()) return StepResult::kFailed;
      } else if (c == '}') {
        ++pos_;
        Pop();
        closed_ = stack_.empty();
      } else if (c == '\\') {
        if (!Control()) return StepResult::kFailed;
      } else if (c == '\r' || c == '\n') {
        ++pos_;
      } else {
        ++pos_;
        if (skip_ > 0) {
          --skip_;
        } else if (c == '\t') {
          TextChar(u'\t');
        } else if (static_cast<unsigned char>(c) >= 0x20) {
          Byte(c);
        }
      }
      if (!error_.isEmpty()) return StepResult::kFailed;
    }
    if (!closed_ && pos_ < s_.size()) {
      // The text read so far goes into the model now, not all at the end.
      FlushWholeCharacters();
      RepairNewText(/*end=*/false);
      return StepResult::kMore;
    }
    if (!closed_) {
      Fail("RTF文件不完整");
      return StepResult::kFailed;
    }
    // A rich-edit file ends its last paragraph with \par as well; that mark
    // does not open another, empty paragraph.
    auto& paras = m_->paragraphs;
    if (paras.size() > 1 && paras.back().runs.empty()) paras.pop_back();
    RepairNewText(/*end=*/true);
    return StepResult::kDone;
  }

  const QString& error() const { return error_; }

 private:
  bool Fail(const char* message) {
    if (error_.isEmpty()) error_ = QString::fromUtf8(message);
    return false;
  }

  Group& Top() { return stack_.back(); }

  bool Push() {
    if (static_cast<int>(stack_.size()) >= kRtfMaxDepth) return Fail("RTF嵌套过深");
    Flush();
    skip_ = 0;
    Group g = stack_.empty() ? Group{} : stack_.back();
    g.outer = g.dest;
    g.star = false;
    stack_.push_back(g);
    return true;
  }

  void Pop() {
    Flush();
    skip_ = 0;
    Group& g = Top();
    if (g.dest == Dest::FontTable) FinishFont();
    if (g.dest == Dest::ShapeValue && shapeName_ == "fillColor") {
      bool ok = false;
      long v = QString::fromStdString(shapeValue_).trimmed().toLong(&ok);
      if (ok && v >= 0) m_->background = ColorFromBgr(static_cast<uint32_t>(v & 0xFFFFFF));
    }
    if (stack_.size() == 1) {
      // The closing brace of the document: the last paragraph takes the
      // properties in force.
      m_->paragraphs.back().align = g.align;
      m_->paragraphs.back().endChr = g.chr;
    }
    stack_.pop_back();
  }

  // A backslash sequence at pos_.
  bool Control() {
    ++pos_;
    if (pos_ >= s_.size()) return Fail("RTF文件不完整");
    char c = s_[pos_];
    if (IsAlpha(c)) {
      size_t begin = pos_;
      while (pos_ < s_.size() && IsAlpha(s_[pos_])) {
        if (pos_ - begin >= 32) return Fail("RTF控制字过长");
        ++pos_;
      }
      std::string_view word = s_.substr(begin, pos_ - begin);
      bool negative = false;
      if (pos_ + 1 < s_.size() && s_[pos_] == '-' && IsDigit(s_[pos_ + 1])) {
        negative = true;
        ++pos_;
      }
      bool hasParam = false;
      int64_t value = 0;
      size_t digits = pos_;
      while (pos_ < s_.size() && IsDigit(s_[pos_])) {
        if (pos_ - digits >= 10) return Fail("RTF控制字参数过大");
        value = value * 10 + (s_[pos_] - '0');
        hasParam = true;
        ++pos_;
      }
      if (negative) value = -value;
      if (value > INT32_MAX || value < INT32_MIN) return Fail("RTF控制字参数过大");
      if (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
      return Word(word, hasParam, static_cast<int>(value));
    }
    ++pos_;
    if (c == '\'') {
      if (pos_ + 2 > s_.size()) return Fail("RTF文件不完整");
      int hi = HexValue(s_[pos_]);
      int lo = HexValue(s_[pos_ + 1]);
      if (hi < 0 || lo < 0) return Fail("RTF格式错误");
      pos_ += 2;
      if (skip_ > 0) {
        --skip_;
        return true;
      }
      Byte(static_cast<char>(hi * 16 + lo));
      return true;
    }
    if (skip_ > 0) {
      --skip_;
      return true;
    }
    switch (c) {
      case '\\':
      case '{':
      case '}':
        Byte(c);
        break;
      case '~':
        TextChar(0xA0);
        break;
      case '_':
        TextChar(0x2011);
        break;
      case '*':
        Top().star = true;
        break;
      case '\r':
      case '\n':
        Flush();
        if (Top().dest == Dest::Text) return Par();
        break;
      default:
        break;  // \- optional hyphen, \| \: and the like
    }
    return true;
  }

  bool SkipBinary(bool hasParam, int count) {
    if (!hasParam || count < 0) return Fail("RTF格式错误");
    if (static_cast<size_t>(count) > s_.size() - pos_) return Fail("RTF文件不完整");
    pos_ += static_cast<size_t>(count);
    return true;
  }

  bool Word(std::string_view w, bool hasParam, int param) {
    Flush();
    if (skip_ > 0) {
      --skip_;
      return w == "bin" ? SkipBinary(hasParam, param) : true;
    }
    if (w == "bin") return SkipBinary(hasParam, param);
    Group& g = Top();
    bool star = g.star;
    g.star = false;
    switch (g.dest) {
      case Dest::Skip:
        return true;
      case Dest::Upr:
        if (w == "ud" && stack_.size() >= 2 && g.outer == Dest::Upr)
          g.dest = stack_[stack_.size() - 2].outer;
        else if (star)
          g.dest = Dest::Skip;
        return true;
      case Dest::FontTable:
        return FontTableWord(w, hasParam, param, star);
      case Dest::ColorTable:
        return ColorTableWord(w, param, star);
      case Dest::Background:
      case Dest::ShapeName:
      case Dest::ShapeValue:
        return BackgroundWord(w, star);
      case Dest::Text:
        return TextWord(w, hasParam, param, star);
    }
    return true;
  }

  bool FontTableWord(std::string_view w, bool hasParam, int param, bool star) {
    Group& g = Top();
    if (w == "f") {
      FinishFont();
      font_ = param;
      m_->fonts[param] = FontEntry{};
    } else if (w == "fcharset") {
      if (auto* e = OpenFont()) e->charset = param;
    } else if (w == "cpg") {
      if (auto* e = OpenFont()) e->codePage = param > 0 ? param : 0;
    } else if (w == "u") {
      if (auto* e = OpenFont()) {
        FlushFontName(e);
        e->name += Utf16(UnicodeValue(param));
      }
      skip_ = g.uc;
    } else if (w == "uc") {
      g.uc = std::clamp(param, 0, 1000);
    } else if (star || IsSkippedDestination(w) || w == "falt" || w == "panose") {
      g.dest = Dest::Skip;
    }
    (void)hasParam;
    return true;
  }

  bool ColorTableWord(std::string_view w, int param, bool star) {
    int v = std::clamp(param, 0, 255);
    if (w == "red") red_ = v, colorSet_ = true;
    else if (w == "green") green_ = v, colorSet_ = true;
    else if (w == "blue") blue_ = v, colorSet_ = true;
    else if (star) Top().dest = Dest::Skip;
    return true;
  }

  bool BackgroundWord(std::string_view w, bool star) {
    Group& g = Top();
    if (w == "shp" || w == "shpinst" || w == "sp") {
      g.dest = Dest::Background;
    } else if (w == "sn") {
      g.dest = Dest::ShapeName;
      shapeName_.clear();
    } else if (w == "sv") {
      g.dest = Dest::ShapeValue;
      shapeValue_.clear();
    } else if (star) {
      g.dest = Dest::Skip;
    }
    return true;
  }

  bool TextWord(std::string_view w, bool hasParam, int param, bool star) {
    Group& g = Top();
    CharState& c = g.chr;
    const bool on = !hasParam || param != 0;
    // Destinations first.
    if (w == "fonttbl") {
      g.dest = Dest::FontTable;
      font_ = INT32_MIN;
    } else if (w == "colortbl") {
      g.dest = Dest::ColorTable;
      red_ = green_ = blue_ = 0;
      colorSet_ = false;
    } else if (w == "background") {
      g.dest = Dest::Background;
    } else if (w == "upr") {
      g.dest = Dest::Upr;
    } else if (IsSkippedDestination(w)) {
      g.dest = Dest::Skip;
    } else if (w == "par" || w == "sect" || w == "page" || w == "row") {
      return Par();
    } else if (w == "u") {
      TextChar(UnicodeValue(param));
      skip_ = g.uc;
    } else if (w == "uc") {
      g.uc = std::clamp(param, 0, 1000);
    } else if (w == "pard") {
      g.align = kLeft;
    } else if (w == "ql") {
      g.align = kLeft;
    } else if (w == "qc") {
      g.align = kCenter;
    } else if (w == "qr") {
      g.align = kRight;
    } else if (w == "qj" || w == "qd") {
      g.align = kJustify;
    } else if (w == "plain") {
      c = CharState{};
    } else if (w == "f") {
      c.font = hasParam ? param : -1;
    } else if (w == "fs") {
      c.halfPoints = hasParam ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints) : 24;
    } else if (w == "b") {
      c.bold = on;
    } else if (w == "i") {
      c.italic = on;
    } else if (w == "strike" || w == "striked") {
      c.strike = on;
    } else if (w == "ulnone") {
      c.underline = false;
    } else if (std::find(std::begin(kUnderlineWords), std::end(kUnderlineWords), w) !=
               std::end(kUnderlineWords)) {
      c.underline = on;
    } else if (w == "cf") {
      c.color = std::max(param, 0);
    } else if (w == "highlight" || w == "cb") {
      c.highlight = std::max(param, 0);
    } else if (w == "super") {
      c.script = 1;
    } else if (w == "sub") {
      c.script = 2;
    } else if (w == "nosupersub") {
      c.script = 0;
    } else if (w == "deff") {
      m_->defaultFont = param;
    } else if (w == "ansi") {
      m_->ansiCodePage = 1252;
    } else if (w == "mac") {
      m_->ansiCodePage = 10000;
    } else if (w == "pc") {
      m_->ansiCodePage = 437;
    } else if (w == "pca") {
      m_->ansiCodePage = 850;
    } else if (w == "ansicpg") {
      if (param > 0) m_->ansiCodePage = param;
    } else if (star) {
      g.dest = Dest::Skip;
    } else {
      for (const auto& sc : kSpecialChars)
        if (sc.word == w) {
          TextChar(sc.ch);
          break;
        }
    }
    return true;
  }

  static char32_t UnicodeValue(int param) {
    int64_t v = param;
    if (v < 0) v += 65536;
    if (v < 0 || v > 0x10FFFF) return 0xFFFD;
    return static_cast<char32_t>(v);
  }

  static QString Utf16(char32_t cp) { return QString::fromUcs4(&cp, 1); }

  FontEntry* OpenFont() {
    if (font_ == INT32_MIN) return nullptr;
    return &m_->fonts[font_];
  }

  void FlushFontName(FontEntry* e) {
    if (e->pendingBytes.empty()) return;
    int cp = e->codePage > 0 ? e->codePage : CharsetCodePage(e->charset, m_->ansiCodePage);
    e->name += QString::fromStdString(CodePageToUtf8(cp, e->pendingBytes));
    e->pendingBytes.clear();
  }

  void FinishFont() {
    FontEntry* e = OpenFont();
    if (!e) return;
    FlushFontName(e);
    QString name = e->name;
    RepairSurrogates(&name);
    name.removeIf([](QChar c) { return c.unicode() < 0x20 || c == QChar::ObjectReplacementCharacter; });
    e->face = FaceForFileName(name.trimmed());
    font_ = INT32_MIN;
  }

  int CodePageOf(int fontNumber) const {
    auto it = m_->fonts.find(fontNumber < 0 ? m_->defaultFont : fontNumber);
    if (it == m_->fonts.end()) return m_->ansiCodePage;
    if (it->second.codePage > 0) return it->second.codePage;
    return CharsetCodePage(it->second.charset, m_->ansiCodePage);
  }

  // One byte of text (raw, \'hh or an escaped \ { }).
  void Byte(char b) {
    Group& g = Top();
    switch (g.dest) {
      case Dest::Text:
        if (!pending_.empty() && !(pendingChr_ == g.chr)) Flush();
        if (pending_.empty()) pendingChr_ = g.chr;
        pending_ += b;
        break;
      case Dest::FontTable:
        if (b == ';') FinishFont();
        else if (auto* e = OpenFont()) e->pendingBytes += b;
        break;
      case Dest::ColorTable:
        if (b == ';') {
          if (colorSet_) m_->colors.emplace_back(QColor(red_, green_, blue_));
          else m_->colors.emplace_back(std::nullopt);
          red_ = green_ = blue_ = 0;
          colorSet_ = false;
        }
        break;
      case Dest::ShapeName:
        if (shapeName_.size() < 64) shapeName_ += b;
        break;
      case Dest::ShapeValue:
        if (shapeValue_.size() < 64) shapeValue_ += b;
        break;
      default:
        break;
    }
  }

  // Decodes the bytes gathered so far in the code page of their font.
  // The length of the longest start of `bytes` that ends with a whole
  // character of the code page.
  static size_t WholeCharacters(int codePage, std::string_view bytes) {
    auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950) {
      auto lead = [codePage](unsigned char c) {
        if (codePage == 932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        return c >= 0x81 && c <= 0xFE;
      };
      size_t i = 0;
      while (i < bytes.size()) {
        const size_t n = lead(byte(i)) ? 2 : 1;
        if (i + n > bytes.size()) break;
        i += n;
      }
      return i;
    }
    // In the other code pages a byte below 0x80 after another such byte (or
    // first) is a character of its own.
    for (size_t i = bytes.size(); i-- > 0;)
      if (byte(i) < 0x80 && (i == 0 || byte(i - 1) < 0x80)) return i + 1;
    return 0;
  }

  // Flushes the pending text up to its last whole character.
  void FlushWholeCharacters() {
    if (pending_.empty()) return;
    const size_t whole = WholeCharacters(CodePageOf(pendingChr_.font), pending_);
    if (whole == pending_.size()) return Flush();
    if (whole == 0) return;
    const std::string head = pending_.substr(0, whole);
    pending_.erase(0, whole);
    Append(QString::fromStdString(CodePageToUtf8(CodePageOf(pendingChr_.font), head)), pendingChr_);
  }

  void Flush() {
    if (pending_.empty()) return;
    std::string utf8 = CodePageToUtf8(CodePageOf(pendingChr_.font), pending_);
    pending_.clear();
    Append(QString::fromStdString(utf8), pendingChr_);
  }

  void TextChar(char32_t ch) {
    Flush();
    if (Top().dest == Dest::FontTable) {
      if (auto* e = OpenFont()) {
        FlushFontName(e);
        e->name += Utf16(ch);
      }
      return;
    }
    if (Top().dest != Dest::Text || ch == 0) return;
    Append(Utf16(ch), Top().chr);
  }

  void Append(const QString& text, const CharState& chr) {
    QString clean;
    clean.reserve(text.size());
    for (QChar ch : text) {
      if (ch == u'\0' || ch == u'\r' || ch == u'\n' || ch == QChar::ObjectReplacementCharacter) continue;
      clean += ch == QChar::ParagraphSeparator ? QChar(QChar::LineSeparator) : ch;
    }
    if (clean.isEmpty()) return;
    auto& runs = m_->paragraphs.back().runs;
    if (!runs.empty() && runs.back().chr == chr) {
      runs.back().text += clean;
    } else if (++pieces_ > kRtfMaxPieces) {
      Fail("RTF文件过大");
    } else {
      runs.push_back(Run{clean, chr});
    }
  }

  bool Par() {
    Paragraph& p = m_->paragraphs.back();
    p.align = Top().align;
    p.endChr = Top().chr;
    if (++pieces_ > kRtfMaxPieces) return Fail("RTF文件过大");
    m_->paragraphs.emplace_back();
    return true;
  }

  // \uN pairs can leave half a surrogate pair behind; it becomes U+FFFD.
  // Looks at the text from `from` on and returns how far it is repaired:
  // unless `closed`, a first half at the end waits for its other half.
  static qsizetype RepairSurrogates(QString* s, qsizetype from = 0, bool closed = true) {
    const qsizetype size = s->size();
    qsizetype i = from;
    for (; i < size; ++i) {
      const QChar c = s->at(i);
      if (!c.isSurrogate()) continue;
      if (c.isHighSurrogate() && i + 1 < size && s->at(i + 1).isLowSurrogate()) {
        ++i;
      } else if (c.isHighSurrogate() && i + 1 == size && !closed) {
        return i;
      } else {
        (*s)[i] = QChar(QChar::ReplacementCharacter);
      }
    }
    return i;
  }

  // Repairs the text added since the last call, each run once: only the
  // last run of the last paragraph can still grow, until the end.
  void RepairNewText(bool end) {
    auto& paras = m_->paragraphs;
    for (; repairedParagraph_ < paras.size(); ++repairedParagraph_, repairedRun_ = 0) {
      auto& runs = paras[repairedParagraph_].runs;
      const bool lastParagraph = repairedParagraph_ + 1 == paras.size();
      for (; repairedRun_ < runs.size(); ++repairedRun_) {
        Run& r = runs[repairedRun_];
        const bool open = !end && lastParagraph && repairedRun_ + 1 == runs.size();
        r.repaired = RepairSurrogates(&r.text, r.repaired, !open);
        if (open) return;
      }
      if (!end && lastParagraph) return;
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
  bool closed_ = false;
  Model* m_ = nullptr;
  std::vector<Group> stack_;
  int skip_ = 0;  // \uN fallback characters still to skip
  size_t pieces_ = 0;  // paragraphs and runs so far
  size_t repairedParagraph_ = 0, repairedRun_ = 0;  // where RepairNewText goes on
  std::string pending_;
  CharState pendingChr_;
  int font_ = INT32_MIN;  // font-table entry being read
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;
  std::string shapeName_, shapeValue_;
  QString error_;
};

QTextCharFormat CharFormatOf(const Model& m, const CharState& c) {
  QTextCharFormat f;
  auto font = m.fonts.find(c.font < 0 ? m.defaultFont : c.font);
  if (font != m.fonts.end() && !font->second.face.isEmpty())
    f.setFontFamilies(QStringList{font->second.face});
  f.setFontPointSize(c.halfPoints / 2.0);
  f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(c.italic);
  f.setFontUnderline(c.underline);
  f.setFontStrikeOut(c.strike);
  auto colorAt = [&m](int index) -> std::optional<QColor> {
    if (index < 0 || index >= static_cast<int>(m.colors.size())) return std::nullopt;
    return m.colors[static_cast<size_t>(index)];
  };
  if (auto color = colorAt(c.color)) f.setForeground(*color);
  if (c.highlight > 0)
    if (auto color = colorAt(c.highlight)) f.setBackground(*color);
  if (c.script == 1) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (c.script == 2) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  return f;
}

QTextBlockFormat BlockFormatOf(const Paragraph& p) {
  QTextBlockFormat f;
  switch (p.align) {
    case kCenter: f.setAlignment(Qt::AlignHCenter); break;
    case kRight: f.setAlignment(Qt::AlignRight); break;
    case kJustify: f.setAlignment(Qt::AlignJustify); break;
    default: break;
  }
  return f;
}

// Where a paragraph longer than kLongestParagraph is cut: each piece at most
// that long, ending at the last break opportunity in its second half, or at
// the limit when there is none there (never inside a surrogate pair).
std::vector<qsizetype> ParagraphCuts(const QString& text) {
  std::vector<qsizetype> cuts;
  if (text.size() <= kLongestParagraph) return cuts;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
  qsizetype start = 0;
  while (text.size() - start > kLongestParagraph) {
    // Looked for position by position: the finder's own search for the
    // previous boundary would run back to the start of the text.
    qsizetype cut = start + kLongestParagraph;
    qsizetype at = cut;
    for (; at > start + kLongestParagraph / 2; --at) {
      finder.setPosition(at);
      if (finder.isAtBoundary()) break;
    }
    if (at > start + kLongestParagraph / 2) cut = at;
    else if (text[cut].isLowSurrogate()) --cut;
    cuts.push_back(cut);
    start = cut;
  }
  return cuts;
}

// Cuts the model's overlong paragraphs into paragraphs of the same
// alignment, the runs split where the cuts fall. Returns how many were cut.
int CutLongParagraphs(Model* m) {
  int cutCount = 0;
  std::vector<Paragraph> out;
  out.reserve(m->paragraphs.size());
  for (Paragraph& p : m->paragraphs) {
    qsizetype length = 0;
    for (const Run& r : p.runs) length += r.text.size();
    if (length <= kLongestParagraph) {
      out.push_back(std::move(p));
      continue;
    }
    ++cutCount;
    QString text;
    text.reserve(length);
    for (const Run& r : p.runs) text += r.text;
    const std::vector<qsizetype> cuts = ParagraphCuts(text);
    text.clear();
    Paragraph piece{p.align, {}, p.endChr};
    qsizetype position = 0;  // of the run's start in the paragraph
    size_t next = 0;
    for (Run& r : p.runs) {
      const qsizetype size = r.text.size();
      qsizetype from = 0;
      while (next < cuts.size() && cuts[next] < position + size) {
        const qsizetype at = cuts[next++] - position;
        if (at > from) piece.runs.push_back({r.text.mid(from, at - from), r.chr});
        out.push_back(std::move(piece));
        piece = Paragraph{p.align, {}, p.endChr};
        from = at;
      }
      if (from < size) piece.runs.push_back({from == 0 ? std::move(r.text) : r.text.mid(from), r.chr});
      position += size;
    }
    out.push_back(std::move(piece));
  }
  m->paragraphs = std::move(out);
  return cutCount;
}

// Plain text cut the same way: a line break at every cut of an overlong line.
QString CutLongLines(const QString& text, int* cutCount) {
  QString out;
  qsizetype lineStart = 0;
  *cutCount = 0;
  while (lineStart <= text.size()) {
    qsizetype end = text.indexOf(u'\n', lineStart);
    if (end < 0) end = text.size();
    const QString line = text.mid(lineStart, end - lineStart);
    qsizetype from = 0;
    const std::vector<qsizetype> cuts = ParagraphCuts(line);
    if (!cuts.empty()) ++*cutCount;
    for (qsizetype cut : cuts) {
      out += QStringView(line).mid(from, cut - from);
      out += u'\n';
      from = cut;
    }
    out += QStringView(line).mid(from);
    if (end < text.size()) out += u'\n';
    lineStart = end + 1;
  }
  return out;
}

void FillDocument(const Model& m, QTextDocument* doc) {
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  doc->clear();
  QTextCursor cur(doc);
  cur.beginEditBlock();
  for (size_t i = 0; i < m.paragraphs.size(); ++i) {
    const Paragraph& p = m.paragraphs[i];
    QTextCharFormat endFormat = CharFormatOf(m, p.endChr);
    if (i == 0) {
      cur.setBlockFormat(BlockFormatOf(p));
      cur.setBlockCharFormat(endFormat);
    } else {
      cur.insertBlock(BlockFormatOf(p), endFormat);
    }
    for (const Run& r : p.runs) cur.insertText(r.text, CharFormatOf(m, r.chr));
  }
  cur.endEditBlock();
  if (m.background) {
    QTextFrameFormat ff = doc->rootFrame()->frameFormat();
    ff.setBackground(*m.background);
    doc->rootFrame()->setFrameFormat(ff);
  }
  doc->setUndoRedoEnabled(undo);
}

qsizetype TextLength(const Paragraph& p) {
  qsizetype n = 0;
  for (const Run& r : p.runs) n += r.text.size();
  return n;
}

// Characters, each paragraph end counted as one.
qsizetype TextLength(const Model& m) {
  qsizetype n = 0;
  for (const Paragraph& p : m.paragraphs) n += TextLength(p) + 1;
  return n > 0 ? n - 1 : 0;
}

// The characters [from, to) of a paragraph's text.
QString TextSpan(const Paragraph& p, qsizetype from, qsizetype to) {
  QString out;
  qsizetype at = 0;
  for (const Run& r : p.runs) {
    const qsizetype end = at + r.text.size();
    if (end > from && at < to) {
      const qsizetype a = std::max(from, at) - at;
      out += QStringView(r.text).mid(a, std::min(to, end) - at - a);
    }
    at = end;
    if (at >= to) break;
  }
  return out;
}

// Where a paragraph is cut so that its first part holds at most `limit`
// characters: at the last break opportunity in the kLongestParagraph
// characters before, else at the limit (never inside a surrogate pair).
qsizetype CutNear(const Paragraph& p, qsizetype limit) {
  const qsizetype from = std::max<qsizetype>(0, limit - kLongestParagraph);
  const QString span = TextSpan(p, from, limit + 1);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Line, span);
  for (qsizetype at = limit - from; at > 0; --at) {
    finder.setPosition(at);
    if (finder.isAtBoundary()) return from + at;
  }
  if (limit - from < span.size() && span[limit - from].isLowSurrogate()) return limit - 1;
  return limit;
}

// Cuts a paragraph after `at` characters: it keeps the first part, the
// second is returned, in the same alignment.
Paragraph TakeTail(Paragraph* p, qsizetype at) {
  Paragraph tail{p->align, {}, p->endChr};
  std::vector<Run> head;
  qsizetype position = 0;
  for (Run& r : p->runs) {
    const qsizetype size = r.text.size();
    if (position + size <= at) {
      head.push_back(std::move(r));
    } else if (position >= at) {
      tail.runs.push_back(std::move(r));
    } else {
      // Cut in place, without copying or shrinking the rest: a run may be
      // the whole document.
      head.push_back({QString(r.text.constData(), at - position), r.chr});
      r.text.remove(0, at - position);
      tail.runs.push_back(std::move(r));
    }
    position += size;
  }
  p->runs = std::move(head);
  return tail;
}

// Keeps the first `limit` characters of the model and moves the rest, with
// the font and colour tables, into `rest`; the cut falls at a paragraph end
// when there is one in the second half of the limit, else at a break
// opportunity. True when the rest goes on the last kept paragraph.
bool SplitModel(Model* m, qsizetype limit, Model* rest) {
  rest->fonts = m->fonts;
  rest->defaultFont = m->defaultFont;
  rest->ansiCodePage = m->ansiCodePage;
  rest->colors = m->colors;
  auto& paras = m->paragraphs;
  qsizetype before = 0;  // characters of the paragraphs before, with their ends
  for (size_t i = 0; i < paras.size(); ++i) {
    const qsizetype length = TextLength(paras[i]);
    if (before + length <= limit) {
      before += length + 1;
      continue;
    }
    bool joined = false;
    if (i == 0 || (limit - before >= 1 && before - 1 < limit / 2)) {
      Paragraph tail = TakeTail(&paras[i], CutNear(paras[i], limit - before));
      rest->paragraphs.push_back(std::move(tail));
      joined = true;
      ++i;
    }
    for (size_t k = i; k < paras.size(); ++k) rest->paragraphs.push_back(std::move(paras[k]));
    paras.resize(i);
    return joined;
  }
  return false;
}

// Fills a document from a model in steps of about a number of characters.
class Filler {
 public:
  // True when the whole model is in.
  bool Step(const Model& m, QTextDocument* doc, qsizetype characters) {
    if (!started_) {
      undo_ = doc->isUndoRedoEnabled();
      doc->setUndoRedoEnabled(false);
      doc->clear();
      started_ = true;
    }
    QTextCursor cur(doc);
    cur.movePosition(QTextCursor::End);
    cur.beginEditBlock();
    qsizetype written = 0;
    while (paragraph_ < m.paragraphs.size() && written < characters) {
      const Paragraph& p = m.paragraphs[paragraph_];
      if (!opened_) {
        QTextCharFormat endFormat = CharFormatOf(m, p.endChr);
        if (paragraph_ == 0) {
          cur.setBlockFormat(BlockFormatOf(p));
          cur.setBlockCharFormat(endFormat);
        } else {
          cur.insertBlock(BlockFormatOf(p), endFormat);
        }
        opened_ = true;
        ++written;
      }
      for (; run_ < p.runs.size() && written < characters; ++run_) {
        cur.insertText(p.runs[run_].text, CharFormatOf(m, p.runs[run_].chr));
        written += p.runs[run_].text.size();
      }
      if (run_ == p.runs.size()) {
        ++paragraph_;
        run_ = 0;
        opened_ = false;
      }
    }
    cur.endEditBlock();
    if (paragraph_ < m.paragraphs.size()) return false;
    if (m.background) {
      QTextFrameFormat ff = doc->rootFrame()->frameFormat();
      ff.setBackground(*m.background);
      doc->rootFrame()->setFrameFormat(ff);
    }
    doc->setUndoRedoEnabled(undo_);
    return true;
  }

 private:
  bool started_ = false;
  bool undo_ = true;
  size_t paragraph_ = 0;
  size_t run_ = 0;
  bool opened_ = false;
};

// ---------------------------------------------------------------------------
// Writing

class Writer {
 public:
  explicit Writer(const QTextDocument& doc) : doc_(doc), base_(doc.defaultFont()) {}
  // The document's paragraphs followed by those of `rest`; `joined`: the
  // rest's first paragraph goes on the document's last one.
  Writer(const QTextDocument& doc, const Model& rest, bool joined)
      : doc_(doc), base_(doc.defaultFont()), rest_(&rest), joined_(joined) {}

  std::string Write() {
    FontIndex(FileNameForFace(base_.family()));  // font 0, the default
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next())
      Paragraph(b, /*ended=*/!(rest_ && joined_ && !b.next().isValid()));
    if (rest_) {
      for (size_t i = 0; i < rest_->paragraphs.size(); ++i)
        ModelParagraph(rest_->paragraphs[i], /*continued=*/i == 0 && joined_);
    }

    std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl";
    for (size_t i = 0; i < fonts_.size(); ++i) {
      out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset134 ";
      bool delim = false;
      AppendText(&out, &delim, fonts_[i], /*inName=*/true);
      out += ";}";
    }
    out += "}\r\n";
    if (!colors_.empty()) {
      out += "{\\colortbl ;";
      for (QRgb c : colors_)
        out += "\\red" + std::to_string(qRed(c)) + "\\green" + std::to_string(qGreen(c)) +
               "\\blue" + std::to_string(qBlue(c)) + ";";
      out += "}\r\n";
    }
    const QBrush bg = doc_.rootFrame()->frameFormat().background();
    if (bg.style() != Qt::NoBrush) {
      out += "{\\*\\background{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 1}}"
             "{\\sp{\\sn fBackground}{\\sv 1}}{\\sp{\\sn fillColor}{\\sv " +
             std::to_string(BgrFromColor(bg.color())) + "}}}}}\r\n\\viewbksp1";
    }
    out += "\\viewkind4\\uc1\\pard\\lang2052";
    out += body_;
    out += "}\r\n";
    return out;
  }

 private:
  void Align(int align) {
    if (align != align_) {
      static const char* const kWords[] = {"ql", "qc", "qr", "qj"};
      Word(kWords[align]);
      align_ = align;
    }
  }

  void EndParagraph() {
    Word("par");
    body_ += "\r\n";
    delim_ = false;
  }

  // A paragraph of the rest; `continued`: it goes on the paragraph before.
  void ModelParagraph(const struct Paragraph& p, bool continued) {
    if (!continued) Align(p.align);
    bool any = false;
    for (const Run& r : p.runs) {
      if (!HasWritableText(r.text)) continue;
      Format(StateOf(CharFormatOf(*rest_, r.chr)));
      AppendText(&body_, &delim_, r.text, /*inName=*/false);
      any = true;
    }
    if (!any && !continued) Format(StateOf(CharFormatOf(*rest_, p.endChr)));
    EndParagraph();
  }

  void Paragraph(const QTextBlock& b, bool ended) {
    const Qt::Alignment a = b.blockFormat().alignment();
    int align = kLeft;
    if (a & Qt::AlignHCenter) align = kCenter;
    else if (a & Qt::AlignRight) align = kRight;
    else if (a & Qt::AlignJustify) align = kJustify;
    Align(align);
    bool any = false;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      if (!fr.isValid() || !HasWritableText(fr.text())) continue;
      Format(StateOf(fr.charFormat()));
      AppendText(&body_, &delim_, fr.text(), /*inName=*/false);
      any = true;
    }
    if (!any) Format(StateOf(b.charFormat()));
    if (ended) EndParagraph();
  }

  // Embedded objects (pictures) and stray NUL or CR characters are not
  // written; a fragment of nothing else is left out with its formatting.
  static bool IsDropped(QChar c) {
    return c == QChar::ObjectReplacementCharacter || c == u'\0' || c == u'\r';
  }
  static bool HasWritableText(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return !IsDropped(c); });
  }

  void Word(const char* w) {
    body_ += '\\';
    body_ += w;
    delim_ = true;
  }
  void Word(const char* w, int param) {
    Word(w);
    body_ += std::to_string(param);
  }

  // Writes the control words that change the current formatting into `to`.
  void Format(const CharState& to) {
    if (to.font != cur_.font) Word("f", to.font);
    if (to.halfPoints != cur_.halfPoints) Word("fs", to.halfPoints);
    if (to.bold != cur_.bold) to.bold ? Word("b") : Word("b", 0);
    if (to.italic != cur_.italic) to.italic ? Word("i") : Word("i", 0);
    if (to.underline != cur_.underline) to.underline ? Word("ul") : Word("ulnone");
    if (to.strike != cur_.strike) to.strike ? Word("strike") : Word("strike", 0);
    if (to.color != cur_.color) Word("cf", to.color);
    if (to.highlight != cur_.highlight) Word("highlight", to.highlight);
    if (to.script != cur_.script) Word(to.script == 1 ? "super" : to.script == 2 ? "sub" : "nosupersub");
    cur_ = to;
  }

  CharState StateOf(const QTextCharFormat& f) {
    CharState s;
    QString family;
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty()) family = families.first();
    if (family.isEmpty()) family = f.stringProperty(QTextFormat::FontFamily);
    if (family.isEmpty()) family = base_.family();
    s.font = FontIndex(FileNameForFace(family));

    double points = 0;
    if (f.hasProperty(QTextFormat::FontPointSize)) points = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize)) points = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (points <= 0) points = base_.pointSizeF() > 0 ? base_.pointSizeF() : base_.pixelSize() * 0.75;
    if (points <= 0) points = 12;
    s.halfPoints = std::clamp(static_cast<int>(std::lround(points * 2)), kMinHalfPoints, kMaxHalfPoints);

    s.bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() > QFont::Medium : base_.bold();
    s.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : base_.italic();
    s.underline = f.hasProperty(QTextFormat::TextUnderlineStyle) || f.hasProperty(QTextFormat::FontUnderline)
                      ? f.fontUnderline()
                      : base_.underline();
    s.strike = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : base_.strikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
      s.color = ColorIndex(f.foreground().color());
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
      s.highlight = ColorIndex(f.background().color());
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) s.script = 1;
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) s.script = 2;
    return s;
  }

  int FontIndex(const QString& name) {
    for (size_t i = 0; i < fonts_.size(); ++i)
      if (fonts_[i] == name) return static_cast<int>(i);
    fonts_.push_back(name);
    return static_cast<int>(fonts_.size() - 1);
  }

  int ColorIndex(const QColor& c) {
    const QRgb rgb = c.rgb() & 0xFFFFFF;
    for (size_t i = 0; i < colors_.size(); ++i)
      if (colors_[i] == rgb) return static_cast<int>(i + 1);
    colors_.push_back(rgb);
    return static_cast<int>(colors_.size());
  }

  static void Hex(std::string* out, unsigned char b) {
    static const char kDigits[] = "0123456789abcdef";
    *out += "\\'";
    *out += kDigits[b >> 4];
    *out += kDigits[b & 15];
  }

  // Text as 7-bit RTF: ASCII as it is, GBK characters as \'hh pairs, the
  // rest as \uN with '?' for readers without Unicode.
  static void AppendText(std::string* out, bool* delim, const QString& text, bool inName) {
    auto word = [&](const char* w) {
      *out += '\\';
      *out += w;
      *delim = true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
      char32_t cp = text[i].unicode();
      if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        cp = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
        ++i;
      } else if (QChar::isSurrogate(cp)) {
        cp = 0xFFFD;
      }
      if (cp == '\\' || cp == '{' || cp == '}') {
        *out += '\\';
        *out += static_cast<char>(cp);
        *delim = false;
      } else if (cp == ';' && inName) {
        continue;
      } else if (cp == '\t' && !inName) {
        word("tab");
      } else if ((cp == '\n' || cp == 0x2028 || cp == 0x2029) && !inName) {
        word("line");
      } else if (cp == 0xA0 && !inName) {
        *out += "\\~";
        *delim = false;
      } else if (cp < 0x10000 && IsDropped(QChar(static_cast<char16_t>(cp)))) {
        continue;
      } else if (cp < 0x20 || cp == 0x7F) {
        Hex(out, static_cast<unsigned char>(cp));
        *delim = false;
      } else if (cp < 0x80) {
        if (*delim) *out += ' ';
        *out += static_cast<char>(cp);
        *delim = false;
      } else {
        const QString one = QString::fromUcs4(&cp, 1);
        const std::string gbk = Utf8ToGbk(one.toStdString());
        if (gbk != "?") {
          for (char b : gbk) Hex(out, static_cast<unsigned char>(b));
          *delim = false;
        } else {
          for (QChar unit : one) {
            int n = unit.unicode();
            *out += "\\u" + std::to_string(n > 32767 ? n - 65536 : n) + "?";
          }
          *delim = false;
        }
      }
    }
  }

  const QTextDocument& doc_;
  const QFont base_;
  const Model* rest_ = nullptr;
  bool joined_ = false;
  std::vector<QString> fonts_;
  std::vector<QRgb> colors_;
  std::string body_;
  bool delim_ = false;
  CharState cur_{.font = -2, .halfPoints = -1};
  int align_ = kLeft;
};

bool ReadLimitedFile(const std::filesystem::path& path, std::string* bytes, QString* error) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kRtfMaxBytes) {
    if (error) *error = QStringLiteral("文件过大");
    return false;
  }
  if (!ReadWholeFile(path, bytes)) {
    if (error) *error = QStringLiteral("无法读取文件");
    return false;
  }
  return true;
}

}  // namespace

bool LooksLikeRtf(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
    ++i;
  return bytes.substr(i, 5) == "{\\rtf";
}

bool ReadRtf(std::string_view rtf, QTextDocument* doc, QString* error, int* cutParagraphs) {
  Model model;
  Reader reader(rtf);
  if (!reader.Parse(&model)) {
    if (error) *error = reader.error();
    return false;
  }
  const int cut = CutLongParagraphs(&model);
  if (cutParagraphs) *cutParagraphs = cut;
  FillDocument(model, doc);
  return true;
}

std::string WriteRtf(const QTextDocument& doc) { return Writer(doc).Write(); }

bool LoadRtfFile(const std::filesystem::path& path, QTextDocument* doc, QString* error) {
  std::string bytes;
  return ReadLimitedFile(path, &bytes, error) && ReadRtf(bytes, doc, error);
}

bool SaveRtfFile(const std::filesystem::path& path, const QTextDocument& doc) {
  return WriteWholeFileAtomic(path, WriteRtf(doc));
}

struct RtfRest::Data {
  Model model;
  bool joined = false;
};

RtfRest::RtfRest() = default;
RtfRest::~RtfRest() = default;
RtfRest::RtfRest(RtfRest&&) noexcept = default;
RtfRest& RtfRest::operator=(RtfRest&&) noexcept = default;

bool RtfRest::empty() const { return !d_ || d_->model.paragraphs.empty(); }

qsizetype RtfRest::Length() const { return empty() ? 0 : TextLength(d_->model) + (d_->joined ? 0 : 1); }

QString RtfRest::PlainText() const {
  QString text;
  if (empty()) return text;
  text.reserve(Length());
  for (size_t i = 0; i < d_->model.paragraphs.size(); ++i) {
    if (i > 0 || !d_->joined) text += u'\n';
    for (const Run& r : d_->model.paragraphs[i].runs) text += r.text;
  }
  return text;
}

std::string WriteRtf(const QTextDocument& beginning, const RtfRest& rest) {
  if (rest.empty()) return WriteRtf(beginning);
  return Writer(beginning, rest.d_->model, rest.d_->joined).Write();
}

struct RtfStepReader::State {
  explicit State(std::string rtf) : bytes(std::move(rtf)), reader(bytes) {}
  std::string bytes;
  Reader reader;
  Model model;
  bool begun = false;
  Result result = Result::kMore;
  Filler filler;
};

RtfStepReader::RtfStepReader(std::string rtf) : s_(std::make_unique<State>(std::move(rtf))) {}
RtfStepReader::~RtfStepReader() = default;

RtfStepReader::Result RtfStepReader::Read(std::size_t bytes) {
  if (s_->result != Result::kMore) return s_->result;
  if (!s_->begun) {
    s_->begun = true;
    if (!s_->reader.Begin(&s_->model)) return s_->result = Result::kFailed;
  }
  switch (s_->reader.Step(std::max<std::size_t>(bytes, 1))) {
    case Reader::StepResult::kMore: return Result::kMore;
    case Reader::StepResult::kDone: return s_->result = Result::kDone;
    case Reader::StepResult::kFailed: break;
  }
  return s_->result = Result::kFailed;
}

QString RtfStepReader::error() const { return s_->reader.error(); }

qsizetype RtfStepReader::Length() const { return TextLength(s_->model); }

int RtfStepReader::Split(qsizetype limit, RtfRest* rest) {
  auto data = std::make_unique<RtfRest::Data>();
  data->joined = SplitModel(&s_->model, std::max<qsizetype>(limit, 1), &data->model);
  *rest = RtfRest();
  if (!data->model.paragraphs.empty()) rest->d_ = std::move(data);
  return CutLongParagraphs(&s_->model);
}

bool RtfStepReader::Fill(QTextDocument* doc, qsizetype characters) {
  return s_->filler.Step(s_->model, doc, std::max<qsizetype>(characters, 1));
}

std::string RtfStepReader::TakeBytes() { return std::move(s_->bytes); }

bool LoadRichOrPlainFile(const std::filesystem::path& path, QTextDocument* doc, QString* error,
                         int* cutParagraphs) {
  std::string bytes;
  if (!ReadLimitedFile(path, &bytes, error)) return false;
  if (LooksLikeRtf(bytes)) return ReadRtf(bytes, doc, error, cutParagraphs);
  int cut = 0;
  const QString text = CutLongLines(DecodeTextFile(bytes), &cut);
  if (static_cast<size_t>(text.count(u'\n')) >= kRtfMaxPieces) {
    if (error) *error = QStringLiteral("文件过大");
    return false;
  }
  if (cutParagraphs) *cutParagraphs = cut;
  doc->setPlainText(text);
  return true;
}

}  // namespace lumtar
