#include <gtest/gtest.h>

#include <string>

#include "files.h"
#include "gbk.h"
#include "tempdir.h"
#include "textio.h"

using namespace lumtar;

TEST(TextFile, DecodesGbkUtf8AndUtf16) {
  struct Case {
    const char* name;
    std::string bytes;
    QString text;
  } cases[] = {
      {"GBK with CRLF", "\xC6\xDF\xD5\xFE\r\n\xCB\xC4\xD3\xE0", "七政\n四余"},
      {"UTF-8", "七政\r\n四余", "七政\n四余"},
      {"UTF-8 with BOM", "\xEF\xBB\xBF七政\n四余", "七政\n四余"},
      {"UTF-16LE with BOM", std::string("\xFF\xFE\x03\x4E\r\0\n\0a\0", 10), "七\na"},
      {"UTF-16BE with BOM", std::string("\xFE\xFF\x4E\x03\0\r\0\n\0a", 10), "七\na"},
      {"ASCII", "plain text", "plain text"},
      {"lone CR and LF", "a\rb\nc\r\n\r\nd", "a\nb\nc\n\nd"},
      {"trailing break", "a\r\n", "a\n"},
      {"NUL dropped", std::string("a\0b", 3), "ab"},
      {"invalid GBK shows U+FFFD", "a\xFF" "b", "a\uFFFDb"},
      // Bytes that are valid UTF-8 and GBK alike are taken as UTF-8 (é, not 茅).
      {"ambiguous bytes", "\xC3\xA9", "é"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeTextFile(c.bytes), c.text);
  }
}

TEST(TextFile, EncodesGbkWithCrlf) {
  EXPECT_EQ(EncodeTextFile("七政\n四余"), "\xC6\xDF\xD5\xFE\r\n\xCB\xC4\xD3\xE0");
  EXPECT_EQ(EncodeTextFile(QString("a") + QChar(QChar::LineSeparator) + "b"), "a\r\nb");
  EXPECT_EQ(EncodeTextFile("a\r\nb\n"), "a\r\nb\r\n");
  EXPECT_EQ(EncodeTextFile("x😀y"), "x?y");  // outside GBK
}

TEST(TextFile, SavesAndLoads) {
  test::TempDir dir;
  const QString text = "命主分析：\n★命度主：\n\n末行";
  ASSERT_TRUE(SaveTextFile(dir / "断语.txt", text));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(dir / "断语.txt", &bytes));
  EXPECT_EQ(bytes, Utf8ToGbk("命主分析：\r\n★命度主：\r\n\r\n末行"));
  QString back;
  ASSERT_TRUE(LoadTextFile(dir / "断语.txt", &back));
  EXPECT_EQ(back, text);

  EXPECT_FALSE(LoadTextFile(dir / "missing.txt", &back));
  EXPECT_EQ(back, text);
  std::filesystem::create_directory(dir / "taken.txt");
  EXPECT_FALSE(SaveTextFile(dir / "taken.txt", text));
  EXPECT_FALSE(FileExists(dir / "taken.txt.tmp~"));
}

TEST(SaveAsName, AppendsTheFilterExtensionToTheTypedName) {
  const QString text = "Rtf格式|*.rtf|Txt格式|*.txt";
  const QString picture = "bmp格式|*.bmp|jpg格式|*.jpg";
  struct Case {
    QString typed;
    const QString& filter;
    int index;
    QString file;
  } cases[] = {
      {"a", text, 1, "a.rtf"},
      {"a.rtf", text, 1, "a.rtf.rtf"},  // a typed extension is not recognised
      {"a", text, 2, "a.txt"},
      {"a.txt", text, 1, "a.txt.rtf"},
      {"/home/u/命例", text, 2, "/home/u/命例.txt"},
      {"chart", picture, 1, "chart.bmp"},
      {"chart", picture, 2, "chart.jpg"},
      {"chart.jpg", picture, 2, "chart.jpg.jpg"},
      {"x", text, 0, "x.rtf"},  // out of range: the first filter
      {"x", text, 3, "x.rtf"},
  };
  for (const auto& c : cases) EXPECT_EQ(SaveAsFileName(c.typed, c.filter, c.index), c.file);
  EXPECT_EQ(QtNameFilters(text), (QStringList{"Rtf格式 (*.rtf)", "Txt格式 (*.txt)"}));
  EXPECT_EQ(QtNameFilters("All.rtf|*.rtf|All.txt|*.txt"),
            (QStringList{"All.rtf (*.rtf)", "All.txt (*.txt)"}));
}
