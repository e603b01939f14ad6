#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <string>
#include <vector>

#include "files.h"
#include "rtf.h"
#include "tempdir.h"
#include "widgets.h"

using namespace lumtar;

namespace {

// What a reader sees of a stretch of text: the resolved font and colours.
struct Span {
  Span() = default;
  // flags: b bold, i italic, u underline, s struck out.
  Span(const QString& t, const QString& fam, double pt, const QString& flags = {},
       const QString& fg = {}, const QString& bg = {})
      : text(t), family(fam), points(pt), bold(flags.contains(u'b')), italic(flags.contains(u'i')),
        underline(flags.contains(u'u')), strike(flags.contains(u's')), color(fg), background(bg) {}

  QString text;
  QString family;
  double points = 0;
  bool bold = false, italic = false, underline = false, strike = false;
  QString color;       // "#rrggbb", empty when automatic
  QString background;  // empty when none

  bool SameFormat(const Span& o) const {
    return family == o.family && points == o.points && bold == o.bold && italic == o.italic &&
           underline == o.underline && strike == o.strike && color == o.color &&
           background == o.background;
  }
  bool operator==(const Span& o) const { return text == o.text && SameFormat(o); }
};

struct Block {
  int align = 0;  // 0 left, 1 centre, 2 right, 3 justify
  std::vector<Span> spans;
  bool operator==(const Block&) const = default;
};

void PrintTo(const Span& s, std::ostream* os) {
  *os << '"' << s.text.toStdString() << "\" " << s.family.toStdString() << ' ' << s.points
      << (s.bold ? " b" : "") << (s.italic ? " i" : "") << (s.underline ? " u" : "")
      << (s.strike ? " s" : "") << ' ' << s.color.toStdString() << ' ' << s.background.toStdString();
}

Span SpanOf(const QString& text, const QTextCharFormat& f, const QFont& base) {
  QFont font = f.font().resolve(base);
  Span s;
  s.text = text;
  s.family = font.families().value(0, font.family());
  s.points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
  s.bold = font.bold();
  s.italic = font.italic();
  s.underline = font.underline();
  s.strike = font.strikeOut();
  if (f.hasProperty(QTextFormat::ForegroundBrush)) s.color = f.foreground().color().name();
  if (f.hasProperty(QTextFormat::BackgroundBrush)) s.background = f.background().color().name();
  return s;
}

// The document as blocks of spans, neighbouring spans of one format merged.
std::vector<Block> Describe(const QTextDocument& doc) {
  std::vector<Block> out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    Block block;
    Qt::Alignment a = b.blockFormat().alignment();
    block.align = (a & Qt::AlignHCenter) ? 1 : (a & Qt::AlignRight) ? 2 : (a & Qt::AlignJustify) ? 3 : 0;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      QTextFragment fr = it.fragment();
      if (fr.text().isEmpty()) continue;
      Span s = SpanOf(fr.text(), fr.charFormat(), doc.defaultFont());
      if (!block.spans.empty() && block.spans.back().SameFormat(s)) block.spans.back().text += s.text;
      else block.spans.push_back(s);
    }
    out.push_back(block);
  }
  return out;
}

// A compact way to write a test document: paragraphs of (text, format).
struct Piece {
  QString text;
  QTextCharFormat format;
};
struct Para {
  std::vector<Piece> pieces;
  Qt::Alignment align = Qt::AlignLeft;
};

QTextCharFormat Fmt(const QString& family, double points, const QString& flags = {},
                    const QColor& color = {}, const QColor& background = {}) {
  QTextCharFormat f;
  f.setFontFamilies(QStringList{family});
  f.setFontPointSize(points);
  f.setFontWeight(flags.contains(u'b') ? QFont::Bold : QFont::Normal);
  f.setFontItalic(flags.contains(u'i'));
  f.setFontUnderline(flags.contains(u'u'));
  f.setFontStrikeOut(flags.contains(u's'));
  if (color.isValid()) f.setForeground(color);
  if (background.isValid()) f.setBackground(background);
  return f;
}

void Build(QTextDocument* doc, const std::vector<Para>& paras) {
  doc->clear();
  QTextCursor c(doc);
  for (size_t i = 0; i < paras.size(); ++i) {
    QTextBlockFormat bf;
    bf.setAlignment(paras[i].align);
    if (i == 0) c.setBlockFormat(bf);
    else c.insertBlock(bf);
    for (const Piece& p : paras[i].pieces) c.insertText(p.text, p.format);
  }
}

const QString kSong = QString::fromLatin1(kSongTiFamily);

bool IsSevenBit(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string FixtureBytes(const char* name) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(std::string(LUMTAR_TEST_DATA_DIR) + "/rtf/" + name, &bytes));
  return bytes;
}

}  // namespace

TEST(Rtf, DocumentsRoundTrip) {
  const QTextCharFormat plain = Fmt(kSong, 10.5);
  const QTextCharFormat heading = Fmt(kSong, 12, "b", QColor(0, 0, 255));
  struct Case {
    const char* name;
    std::vector<Para> paras;
  } cases[] = {
      {"comment", {{{{"输入自己的评语：", plain}}}}},
      {"empty", {{}}},
      {"analysis page",
       {{{{"命主分析", heading}, {"：", heading}}},
        {{{"★命度主：角木蛟为命度主，", plain}}},
        {},
        {},
        {{{"入宫分析：", heading}}},
        {}}},
      {"character styles",
       {{{{"粗", Fmt(kSong, 12, "b")},
          {"斜", Fmt(kSong, 12, "i")},
          {"下划线", Fmt(kSong, 12, "u")},
          {"删除", Fmt(kSong, 12, "s")},
          {"all", Fmt(kSong, 12, "bius")},
          {" none", Fmt(kSong, 12)}}},
        {{{"9", Fmt(kSong, 9)}, {"10.5", Fmt(kSong, 10.5)}, {"36", Fmt(kSong, 36)},
          {"72", Fmt(kSong, 72)}, {"1", Fmt(kSong, 1)}}}}},
      {"colours",
       {{{{"红", Fmt(kSong, 12, {}, Qt::red)},
          {"绿", Fmt(kSong, 12, {}, QColor(0, 128, 0))},
          {"黑", Fmt(kSong, 12, {}, Qt::black)},
          {"auto", Fmt(kSong, 12)},
          {"又红", Fmt(kSong, 12, "b", Qt::red)},
          {"marked", Fmt(kSong, 12, {}, QColor(12, 34, 56), Qt::yellow)}}}}},
      {"faces",
       {{{{"Arial text ", Fmt("Arial", 12)},
          {"黑体字", Fmt("Noto Sans CJK SC", 12)},
          {"楷体", Fmt("楷体_GB2312", 12)},
          {"雅黑", Fmt("微软雅黑", 12)},
          {"Times", Fmt("Times New Roman", 12)}}}}},
      {"characters",
       {{{{"a\\b{c}d;e", plain}}},
        {{{"\t缩进\t", plain}}},
        {{{QString("行一") + QChar(QChar::LineSeparator) + "行二", plain}}},
        {{{QString("不") + QChar(0xA0) + "断", plain}}},
        {{{"€ é ½ Ω Жж 한국어 ☯ 😀 𠀀", plain}}},
        {{{" 12 leading and trailing spaces  ", plain}}},
        {{{"1", Fmt(kSong, 12, "b")}, {"2", Fmt(kSong, 12)}, {"-3", Fmt(kSong, 14)}}}}},
      {"alignment",
       {{{{"left", plain}}},
        {{{"centre", plain}}, Qt::AlignHCenter},
        {{{"right", plain}}, Qt::AlignRight},
        {{{"justified", plain}}, Qt::AlignJustify},
        {{}, Qt::AlignHCenter}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTextDocument original;
    Build(&original, c.paras);
    const std::string rtf = WriteRtf(original);
    EXPECT_TRUE(IsSevenBit(rtf));
    QTextDocument read;
    QString error;
    ASSERT_TRUE(ReadRtf(rtf, &read, &error)) << error.toStdString();
    EXPECT_EQ(Describe(read), Describe(original)) << rtf;
    // Writing what was read gives the same file again.
    EXPECT_EQ(WriteRtf(read), rtf);
  }
}

TEST(Rtf, WritesRichEditHeaderAndEncodings) {
  QTextDocument doc;
  Build(&doc, {{{{"宋", Fmt(kSong, 12)}, {"😀", Fmt("Arial", 10.5, {}, Qt::red)}}}});
  const std::string rtf = WriteRtf(doc);
  // The face that shows 宋体 goes out as 宋体, in GBK bytes, so the file stays
  // readable by the Windows program; everything is GBK-encoded (charset 134).
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936\\deff0", 0), 0u);
  EXPECT_NE(rtf.find("{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\colortbl ;\\red255\\green0\\blue0;}"), std::string::npos);
  EXPECT_NE(rtf.find("\\uc1"), std::string::npos);
  EXPECT_NE(rtf.find("\\'cb\\'ce"), std::string::npos);          // 宋 as a GBK pair
  EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos);  // 😀 outside GBK
  EXPECT_NE(rtf.find("\\fs21"), std::string::npos);
  EXPECT_EQ(rtf.substr(rtf.size() - 9), "\\par\r\n}\r\n");
}

TEST(Rtf, CommentEditorFontBecomesWindowsPointSize) {
  // The comment editor shows 宋体 at 14 pixels; a Windows rich edit keeps
  // that as 10.5 points (\fs21) in 宋体.
  QTextDocument doc;
  doc.setDefaultFont(SongTiPixelFont(14));
  doc.setPlainText("输入自己的评语：");
  const std::string rtf = WriteRtf(doc);
  EXPECT_NE(rtf.find("{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\f0\\fs21"), std::string::npos) << rtf;
  QTextDocument back;
  ASSERT_TRUE(ReadRtf(rtf, &back));
  ASSERT_EQ(Describe(back).size(), 1u);
  EXPECT_EQ(Describe(back)[0].spans, (std::vector<Span>{{"输入自己的评语：", kSong, 10.5}}));
}

TEST(Rtf, ReadsRichEditFixture) {
  QTextDocument doc;
  QString error;
  ASSERT_TRUE(ReadRtf(FixtureBytes("richedit_comment.rtf"), &doc, &error)) << error.toStdString();
  const QString sans = "Noto Sans CJK SC";
  const std::vector<Block> expected = {
      {0, {{"输入自己的评语：", kSong, 10.5}}},
      {0, {{"命主分析：", kSong, 12, "b", "#0000ff"}}},
      {0, {}},
      {0,
       {{"太阳\t", kSong, 10.5},
        {"月亮", kSong, 10.5, "u"},
        {QString(QChar(QChar::LineSeparator)), kSong, 10.5},
        {"Café", "Arial", 10.5, "i"},
        {" ", kSong, 10.5},
        {"删", kSong, 10.5, "s", "#ff0000"}}},
      {0, {{"黑体😀", sans, 14}, {"x{y}\\z", kSong, 10.5}}},
      {0, {{"あ end", kSong, 10.5}}},
      {1, {{"€", kSong, 12}}},
  };
  EXPECT_EQ(Describe(doc), expected);
  // The empty line keeps the size in force at its paragraph mark.
  EXPECT_EQ(doc.findBlockByNumber(2).charFormat().fontPointSize(), 10.5);
  // And the document survives a write and a read unchanged.
  QTextDocument again;
  ASSERT_TRUE(ReadRtf(WriteRtf(doc), &again));
  EXPECT_EQ(Describe(again), expected);
}

TEST(Rtf, ReadsOlderRichEditFixture) {
  // The older rich edit writes a colour table without the automatic entry,
  // so \cf0 is an explicit black, and fonts without \fcharset.
  QTextDocument doc;
  QString error;
  ASSERT_TRUE(ReadRtf(FixtureBytes("richedit1_comment.rtf"), &doc, &error)) << error.toStdString();
  const std::vector<Block> expected = {
      {0, {{"甲子年生人，命宫在寅。", kSong, 10.5, {}, "#000000"}}},
      {0, {{"注意", kSong, 10.5, "b", "#ff0000"}, {"：流年不利。", kSong, 10.5, {}, "#000000"}}},
      {0, {}},
  };
  EXPECT_EQ(Describe(doc), expected);
}

TEST(Rtf, ReadsVariantsOtherWritersUse) {
  struct Case {
    const char* name;
    std::string rtf;
    QString text;
  } cases[] = {
      {"font table without inner groups, raw GBK bytes",
       "{\\rtf1\\ansi\\ansicpg936{\\fonttbl\\f0\\fnil\\fcharset134 SimSun;\\f1\\fnil Arial;}\\f0 "
       "\xC6\xDF\xD5\xFE\\f1  ok}",
       "七政 ok"},
      {"GBK trail byte escaped as \\\\", "{\\rtf1\\ansicpg936 \xDE\\\\}", "轡"},
      {"Big5 font", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset136 MingLiU;}}\\f0 \\'a4\\'a4}", "中"},
      {"code page on the font", "{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg1251 X;}}\\f0 \\'c6}", "Ж"},
      {"unknown code page reads as Latin-1", "{\\rtf1\\ansi\\ansicpg424242 \\'e9}", "é"},
      {"\\uc0 has no fallback", "{\\rtf1\\uc0\\u20013\\u25991}", "中文"},
      {"fallback stops at a group end", "{\\rtf1\\uc3{\\u20013?}x}", "中x"},
      {"\\upr takes the Unicode text", "{\\rtf1{\\upr{ansi}{\\*\\ud{uni}}}}", "uni"},
      {"field shows its result", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}}", "link"},
      {"special characters", "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
       "—–•‘’“”"},
      {"unknown words are ignored, their text kept", "{\\rtf1\\madeup12 a{\\unknowndest b}}", "ab"},
      {"text after the closing brace is ignored", std::string("{\\rtf1 a}\r\n\0junk", 17), "a"},
      {"\\ followed by a line end is a paragraph", "{\\rtf1 a\\\r\nb}", "a\nb"},
      {"huge but 32-bit parameters are clamped",
       "{\\rtf1\\fs2147483647\\f-2147483648\\cf99{\\uc2147483647\\u2147483647 abc\\par}\\u-2147483648?z}",
       "\uFFFD\uFFFDz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTextDocument doc;
    QString error;
    ASSERT_TRUE(ReadRtf(c.rtf, &doc, &error)) << error.toStdString();
    EXPECT_EQ(doc.toPlainText(), c.text);
  }
}

TEST(Rtf, ReadsFontNames) {
  struct Case {
    std::string entry;  // one font-table entry, font 0
    QString family;
  } cases[] = {
      {"{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}", kSong},
      {"{\\f0\\fnil SimSun;}", kSong},
      {"{\\f0\\fnil\\fcharset134 \\'ba\\'da\\'cc\\'e5;}", "Noto Sans CJK SC"},
      {"{\\f0\\fnil\\fcharset136 \\'b7\\'73\\'b2\\'d3\\'a9\\'fa\\'c5\\'e9;}", "新細明體"},
      {"{\\f0\\froman{\\*\\panose 02020603050405020304}Times New Roman{\\*\\falt Times};}", "Times New Roman"},
      {"{\\f0 \\u-10179?\\u-8704? X;}", "😀 X"},  // a surrogate pair in \\uN
      {"{\\f0 Ar\\'01ial;}", "Arial"},           // control characters dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf("{\\rtf1\\ansi\\ansicpg936{\\fonttbl" + c.entry + "}\\f0 a}", &doc));
    EXPECT_EQ(Describe(doc)[0].spans[0].family, c.family);
  }
}

TEST(Rtf, HostileInputFailsAndLeavesTheDocumentAlone) {
  std::string deep = "{\\rtf1 ";
  deep += std::string(100000, '{') + "x" + std::string(100000, '}') + "}";
  std::string junk = "{\\rtf1 ";
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) % 256 == '}' ? 'x' : (i * 131 + 7) % 256);
  std::string oversized = "{\\rtf1 " + std::string(kRtfMaxBytes, 'a') + "}";
  std::string paragraphs = "{\\rtf1 ", runs = "{\\rtf1 ";
  for (size_t i = 0; i <= kRtfMaxPieces; ++i) paragraphs += "\\par ";
  for (size_t i = 0; i <= kRtfMaxPieces / 2; ++i) runs += "\\b a\\b0 a";
  paragraphs += "}";
  runs += "}";
  const std::string cases[] = {
      "",
      "plain text",
      "\x89PNG\r\n\x1a\n",
      "{\\rtf",
      "{\\rtf1\\ansi abc",
      "{\\rtf1 abc\\",
      "{\\rtf1 \\'4",
      "{\\rtf1 \\'zz}",
      "{\\rtf1 \\fs99999999999 a}",
      "{\\rtf1 \\fs2147483648 a}",
      "{\\rtf1 \\u-99999999999 a}",
      "{\\rtf1 \\" + std::string(40, 'a') + " b}",
      "{\\rtf1 {\\pict\\bin999 ab}}",
      "{\\rtf1 {\\pict\\bin-1 ab}}",
      "{\\rtf1 {\\pict\\bin ab}}",
      deep,
      junk,
      oversized,
      paragraphs,
      runs,
  };
  for (const auto& rtf : cases) {
    SCOPED_TRACE(rtf.substr(0, 40));
    QTextDocument doc;
    doc.setPlainText("kept");
    QString error;
    EXPECT_FALSE(ReadRtf(rtf, &doc, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(doc.toPlainText(), "kept");
  }
}

TEST(Rtf, PicturesAreLeftOutTheirTextKept) {
  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText("前", Fmt(kSong, 12));
  QTextImageFormat image;
  image.setName("chart.png");
  c.insertImage(image);
  c.insertText("后", Fmt(kSong, 12));
  c.insertBlock();
  c.insertImage(image);  // a paragraph holding only a picture
  QTextDocument back;
  ASSERT_TRUE(ReadRtf(WriteRtf(doc), &back));
  EXPECT_EQ(back.toPlainText(), "前后\n");
}

TEST(Rtf, BackgroundColourRoundTrips) {
  QTextDocument doc;
  doc.setPlainText("背景");
  QTextFrameFormat ff = doc.rootFrame()->frameFormat();
  ff.setBackground(ColorFromBgr(12635344));
  doc.rootFrame()->setFrameFormat(ff);
  const std::string rtf = WriteRtf(doc);
  EXPECT_NE(rtf.find("{\\sn fillColor}{\\sv 12635344}"), std::string::npos);
  QTextDocument back;
  ASSERT_TRUE(ReadRtf(rtf, &back));
  EXPECT_EQ(BgrFromColor(back.rootFrame()->frameFormat().background().color()), 12635344u);
  EXPECT_EQ(back.toPlainText(), "背景");
}

TEST(Rtf, FilesSaveAndLoad) {
  test::TempDir dir;
  QTextDocument doc;
  Build(&doc, {{{{"命例评语", Fmt(kSong, 12, "b", Qt::red)}}}});
  const auto path = dir / "张三_199003070805.rtf";
  ASSERT_TRUE(SaveRtfFile(path, doc));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, &bytes));
  EXPECT_EQ(bytes, WriteRtf(doc));

  QTextDocument loaded;
  ASSERT_TRUE(LoadRtfFile(path, &loaded));
  EXPECT_EQ(Describe(loaded), Describe(doc));
  EXPECT_FALSE(loaded.isUndoAvailable());

  // A folder in the way: nothing written, nothing left behind.
  std::filesystem::create_directory(dir / "taken.rtf");
  EXPECT_FALSE(SaveRtfFile(dir / "taken.rtf", doc));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.rtf"));
  EXPECT_FALSE(FileExists(dir / "taken.rtf.tmp~"));

  QTextDocument untouched;
  untouched.setPlainText("kept");
  EXPECT_FALSE(LoadRtfFile(dir / "missing.rtf", &untouched));
  EXPECT_EQ(untouched.toPlainText(), "kept");
}

TEST(Rtf, ImportTakesRichOrPlainByContent) {
  test::TempDir dir;
  QTextDocument rich;
  Build(&rich, {{{{"断语", Fmt(kSong, 12, "b")}}}});
  ASSERT_TRUE(SaveRtfFile(dir / "a.txt", rich));  // RTF under another name
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "b.rtf", "\xB6\xCF\xD3\xEF\r\nline 2"));  // GBK 断语
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "c.rtf", "{\\rtf1 cut off"));
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "d.txt", std::string(kRtfMaxPieces, '\n')));

  QTextDocument doc;
  ASSERT_TRUE(LoadRichOrPlainFile(dir / "a.txt", &doc));
  EXPECT_EQ(Describe(doc), Describe(rich));
  ASSERT_TRUE(LoadRichOrPlainFile(dir / "b.rtf", &doc));
  EXPECT_EQ(doc.toPlainText(), "断语\nline 2");
  EXPECT_EQ(doc.blockCount(), 2);

  QString error;
  EXPECT_FALSE(LoadRichOrPlainFile(dir / "c.rtf", &doc, &error));
  EXPECT_FALSE(LoadRichOrPlainFile(dir / "missing.txt", &doc, &error));
  EXPECT_FALSE(LoadRichOrPlainFile(dir / "d.txt", &doc, &error));
  EXPECT_EQ(doc.toPlainText(), "断语\nline 2");
}

// A paragraph longer than the editor lays out quickly comes out cut into
// pieces, every character kept and in order, at a break opportunity where
// there is one; a paragraph of the limit stays whole.
TEST(Rtf, OverlongParagraphsAreCutTheirTextKept) {
  const qsizetype n = kLongestParagraph;
  QString words;
  while (words.size() < 3 * n) words += QStringLiteral("word ");
  QString han;
  for (int i = 0; han.size() < 3 * n; ++i) han += QChar(0x4E00 + i % 300);
  // Letters of two UTF-16 units without a break between them, the limit
  // falling inside a pair.
  QString astral = QStringLiteral("a");
  while (astral.size() < 2 * n + 1) astral += QString::fromUcs4(U"\U0001D400", 1);
  struct Case {
    const char* what;
    QString text;
    int blocks;  // the paragraph comes out as this many
  };
  const std::vector<Case> cases = {
      {"limit", QString(n, u'a'), 1},
      {"run without a break", QString(300000, u'a'), static_cast<int>((300000 + n - 1) / n)},
      {"words", words, 4},
      {"Han characters", han, 3},
      {"surrogate pairs", astral, 3},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTextDocument source;
    Build(&source, {{{{QStringLiteral("前"), Fmt(kSong, 12)}}}, {{{c.text, Fmt(kSong, 12)}}}});
    const std::string rtf = WriteRtf(source);
    ASSERT_TRUE(WriteWholeFileAtomic(dir / "plain.txt", "head\n" + c.text.toStdString()));
    for (bool plain : {false, true}) {
      QTextDocument doc;
      int cut = -1;
      ASSERT_TRUE(plain ? LoadRichOrPlainFile(dir / "plain.txt", &doc, nullptr, &cut)
                        : ReadRtf(rtf, &doc, nullptr, &cut));
      EXPECT_EQ(cut, c.blocks > 1 ? 1 : 0);
      ASSERT_EQ(doc.blockCount(), 1 + c.blocks);
      QString joined;
      for (QTextBlock b = doc.begin().next(); b.isValid(); b = b.next()) {
        const QString t = b.text();
        EXPECT_LE(t.size(), n);
        EXPECT_FALSE(t.isEmpty());
        EXPECT_FALSE(t.front().isLowSurrogate());
        // A cut in text with break opportunities falls on one.
        if (c.text == words && b.next().isValid()) {
          EXPECT_TRUE(t.endsWith(u' '));
        }
        joined += t;
      }
      EXPECT_EQ(joined, c.text);
    }
  }

  // Formatting stays with its characters across a cut.
  QTextDocument mixed;
  Build(&mixed, {{{{QString(n - 10, u'a'), Fmt(kSong, 12)},
                   {QString(20, u'b'), Fmt(kSong, 12, "b")},
                   {QString(10, u'c'), Fmt(kSong, 12)}}}});
  QTextDocument doc;
  ASSERT_TRUE(ReadRtf(WriteRtf(mixed), &doc));
  EXPECT_EQ(Describe(doc), (std::vector<Block>{
                               {0, {Span(QString(n - 10, u'a'), kSong, 12), Span(QString(10, u'b'), kSong, 12, "b")}},
                               {0, {Span(QString(10, u'b'), kSong, 12, "b"), Span(QString(10, u'c'), kSong, 12)}},
                           }));
}

// Reads a document in steps of `step` bytes and fills it in steps of a few
// characters; false when reading failed.
bool ReadInSteps(const std::string& rtf, size_t step, qsizetype limit, QTextDocument* doc, RtfRest* rest,
                 QString* error = nullptr) {
  RtfStepReader reading(rtf);
  RtfStepReader::Result result;
  while ((result = reading.Read(step)) == RtfStepReader::Result::kMore) {
  }
  if (result == RtfStepReader::Result::kFailed) {
    if (error) *error = reading.error();
    return false;
  }
  reading.Split(limit, rest);
  while (!reading.Fill(doc, 5)) {
  }
  return true;
}

// A document read in steps, however small, is the document ReadRtf gives:
// text split between steps inside a GBK character, a \u surrogate pair, a
// control word; and a broken one fails as ReadRtf does, its document left.
TEST(Rtf, ReadInStepsAsAtOnce) {
  QTextDocument written;
  Build(&written, {{{{QStringLiteral("命主分析："), Fmt(kSong, 12, "b", QColor(0, 0, 255))},
                     {QStringLiteral("角木蛟 plain text"), Fmt(kSong, 10.5)}},
                    Qt::AlignHCenter},
                   {{{QString(5000, u'a'), Fmt(kSong, 10.5, "i")}}},
                   {{{QStringLiteral("末段"), Fmt(kSong, 10.5)}}, Qt::AlignRight}});
  const std::vector<std::string> documents = {
      WriteRtf(written),
      FixtureBytes("richedit_comment.rtf"),
      FixtureBytes("richedit1_comment.rtf"),
      // GBK bytes straight in the text, a surrogate pair and a half one.
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \xcb\xce\xcc\xe5;}}"
      "\\pard\\f0\\fs24 \xd6\xd0\xce\xc4 ab\\u-10187?\\u-9216?c\\u-10187?d\\par\r\n\xd6\xd0}",
  };
  for (size_t d = 0; d < documents.size(); ++d) {
    QTextDocument whole;
    ASSERT_TRUE(ReadRtf(documents[d], &whole));
    for (size_t step : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{100}, SIZE_MAX}) {
      SCOPED_TRACE(testing::Message() << "document " << d << ", steps of " << step);
      QTextDocument doc;
      RtfRest rest;
      ASSERT_TRUE(ReadInSteps(documents[d], step, 1 << 20, &doc, &rest));
      EXPECT_TRUE(rest.empty());
      EXPECT_EQ(Describe(doc), Describe(whole));
      EXPECT_EQ(doc.toPlainText(), whole.toPlainText());
    }
  }
  const std::string broken = documents[0].substr(0, documents[0].size() / 2);
  QString atOnce;
  QTextDocument untouched;
  EXPECT_FALSE(ReadRtf(broken, &untouched, &atOnce));
  for (size_t step : {size_t{1}, size_t{64}, SIZE_MAX}) {
    QString error;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("前"));
    RtfRest rest;
    EXPECT_FALSE(ReadInSteps(broken, step, 1 << 20, &doc, &rest, &error));
    EXPECT_EQ(error, atOnce);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("前"));
  }
}

// A document longer than the limit: the beginning goes into the editor, cut
// at a paragraph end in the limit's second half, else at a break
// opportunity, never inside a surrogate pair; the rest is kept, and the
// beginning (edited or not) written with the rest is the whole document.
TEST(Rtf, ALongDocumentIsShownInPartAndSavedWhole) {
  const qsizetype limit = 1500;
  QString words;
  while (words.size() < 4000) words += QStringLiteral("word ");
  QString lines;
  for (int i = 0; i < 40; ++i) lines += QString(99, QChar(u'子' + i % 10)) + u'\n';
  lines.chop(1);
  QString astral = QStringLiteral("a");
  while (astral.size() < 4000) astral += QString::fromUcs4(U"\U0001D400", 1);
  struct Case {
    const char* what;
    QString text;
    qsizetype shown;  // characters the editor gets
  };
  const std::vector<Case> cases = {
      {"run without a break", QString(4000, u'a'), 1500},
      {"words", words, 1500},
      {"paragraphs", lines, 1499},
      {"surrogate pairs", astral, 1499},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTextDocument source;
    source.setPlainText(c.text);
    // The rest in another format than the beginning.
    QTextCursor bold(&source);
    bold.setPosition(2001);  // between two pairs of the astral text
    bold.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QTextCharFormat boldRed;
    boldRed.setFontWeight(QFont::Bold);
    boldRed.setForeground(QColor(255, 0, 0));
    bold.mergeCharFormat(boldRed);
    const std::string rtf = WriteRtf(source);
    QTextDocument whole;
    ASSERT_TRUE(ReadRtf(rtf, &whole));

    QTextDocument doc;
    RtfRest rest;
    ASSERT_TRUE(ReadInSteps(rtf, 4096, limit, &doc, &rest));
    EXPECT_EQ(doc.characterCount() - 1, c.shown);
    EXPECT_EQ(rest.Length(), c.text.size() - c.shown);
    EXPECT_EQ(doc.toPlainText() + rest.PlainText(), c.text);

    QTextDocument saved;
    ASSERT_TRUE(ReadRtf(WriteRtf(doc, rest), &saved));
    EXPECT_EQ(Describe(saved), Describe(whole));

    QTextCursor(&doc).insertText(QStringLiteral("新"));
    ASSERT_TRUE(ReadRtf(WriteRtf(doc, rest), &saved));
    EXPECT_EQ(saved.toPlainText(), QStringLiteral("新") + c.text);
  }
}

// QTextDocument needs a GUI application for its fonts; the tests run on the
// offscreen platform, also when CTest only lists them.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  InstallFontSubstitutions();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
