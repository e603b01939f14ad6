#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QtTest>

#include "analysisreport.h"
#include "analysisview.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

QTextCharFormat FormatAt(QTextEdit& editor, int position) {
  QTextCursor c(editor.document());
  c.setPosition(position);
  c.setPosition(position + 1, QTextCursor::KeepAnchor);
  return c.charFormat();
}

// The font a character is shown in: its own properties over the editor's.
QFont ShownFont(QTextEdit& editor, int position) {
  return FormatAt(editor, position).font().resolve(editor.document()->defaultFont());
}

bool IsHeadingFormat(const QTextCharFormat& f) {
  return f.foreground().color() == QColor(0, 0, 255) && f.fontWeight() == QFont::Bold;
}

bool IsPlainFormat(const QTextCharFormat& f) {
  return f.foreground().color() == QColor(0, 0, 0) && f.fontWeight() == QFont::Normal && !f.fontItalic() &&
         !f.fontUnderline();
}

}  // namespace

class AnalysisViewTest : public QObject {
  Q_OBJECT
 private slots:
  void showsTheReportWithBlueBoldHeadings() {
    QTextEdit editor;
    QFont font = editor.font();
    font.setPointSize(14);
    editor.setFont(font);
    editor.setHtml("<p align=right><i><font color=red>an earlier page</font></i></p>");
    CVoVirer engine;
    engine.model.places[kAscendantPlace].branch = 1;
    for (int i = 0; i < kChartBodyCount; ++i) {  // one body in each house
      engine.model.places[i].palaceNumber = static_cast<uint8_t>(i % 12);
      engine.model.places[i].branch = static_cast<uint8_t>((13 - i % 12) % 12);
      engine.model.places[i].longitude = 17.0 * i;
    }
    BuildAnalysis(engine);
    const QString expected = QString::fromStdString(engine.analysisText).replace("\r\n", "\n");

    ShowAnalysis(engine, &editor);

    QVERIFY(engine.analysisText.empty());
    const QString text = editor.toPlainText();
    QCOMPARE(text, expected);
    int from = 0;
    for (const char* h : kAnalysisHeadings) {
      const QString heading = QString::fromUtf8(h);
      const int at = text.indexOf(heading + QStringLiteral("："), from);
      QVERIFY(at >= 0);
      for (int i = at; i < at + heading.size() + 1; ++i) QVERIFY2(IsHeadingFormat(FormatAt(editor, i)), h);
      QVERIFY2(IsPlainFormat(FormatAt(editor, at + heading.size() + 2)), h);  // the next line's first character
      from = at;
    }
    QVERIFY(IsPlainFormat(FormatAt(editor, text.size() - 2)));
    QCOMPARE(ShownFont(editor, 10).pointSize(), 14);
    // A page font set later applies to the report shown, headings included.
    font.setPointSize(20);
    editor.setFont(font);
    QCOMPARE(ShownFont(editor, 10).pointSize(), 20);
    QCOMPARE(ShownFont(editor, 0).pointSize(), 20);
    QVERIFY(IsHeadingFormat(FormatAt(editor, 0)));
    QCOMPARE(editor.document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(editor.textCursor().position(), 0);
    QVERIFY(!editor.textCursor().hasSelection());
  }

  void aHeadingWordInAnEarlierSectionStaysPlain() {
    QTextEdit editor;
    std::string text =
        "命主分析：\r\n星象相位关系之说\r\n入宫分析：\r\n…\r\n主星飞宫：\r\n…\r\n相位关系：\r\n太阳：\r\n";
    ShowAnalysisText(text, &editor);
    const QString shown = editor.toPlainText();
    const int early = shown.indexOf(QStringLiteral("相位关系"));
    const int late = shown.lastIndexOf(QStringLiteral("相位关系"));
    QVERIFY(early < late);
    QVERIFY(IsPlainFormat(FormatAt(editor, early)));
    QVERIFY(IsHeadingFormat(FormatAt(editor, late)));
  }

  void withoutAnEditorTheTextIsOnlyEmptied() {
    std::string text = "命主分析：\r\n";
    ShowAnalysisText(text, nullptr);
    QVERIFY(text.empty());
  }
};

QTEST_MAIN(AnalysisViewTest)
#include "test_analysisview.moc"
