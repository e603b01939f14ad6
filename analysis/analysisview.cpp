#include "analysisview.h"

#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "analysisreport.h"
#include "script.h"
#include "vovirer.h"

namespace lumtar {

void ShowAnalysis(CVoVirer& engine, QTextEdit* editor) { ShowAnalysisText(engine.analysisText, editor); }

namespace {

QTextCharFormat PlainFormat() {
  QTextCharFormat plain;
  plain.setForeground(QColor(0, 0, 0));
  plain.setFontWeight(QFont::Normal);
  plain.setFontItalic(false);
  plain.setFontUnderline(false);
  plain.setFontStrikeOut(false);
  return plain;
}

}  // namespace

void WriteAnalysisDocument(const std::string& analysisText, QTextDocument* doc) {
  // No font of its own: the text shows in the document's font and size, and
  // follows them when the page's font is set later.
  const QTextCharFormat plain = PlainFormat();
  QTextBlockFormat left;
  left.setAlignment(Qt::AlignLeft);

  // The document keeps paragraphs, not CR LF pairs.
  QString text = QString::fromUtf8(analysisText.data(), static_cast<qsizetype>(analysisText.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

  QTextCursor cursor(doc);
  cursor.setBlockFormat(left);
  cursor.setCharFormat(plain);
  cursor.insertText(text, plain);

  QTextCharFormat heading;
  heading.setForeground(QColor(0, 0, 255));
  heading.setFontWeight(QFont::Bold);
  int from = 0;
  for (const char* h : kAnalysisHeadings) {
    QTextCursor found = doc->find(QString::fromUtf8(InScript(h)), from, QTextDocument::FindCaseSensitively);
    if (found.isNull()) continue;
    from = found.selectionStart();
    found.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);  // the colon
    found.mergeCharFormat(heading);
  }
}

void ShowAnalysisText(std::string& analysisText, QTextEdit* editor) {
  if (!editor) {
    analysisText.clear();
    return;
  }
  editor->clear();
  editor->setCurrentCharFormat(PlainFormat());
  WriteAnalysisDocument(analysisText, editor->document());
  analysisText.clear();

  QTextCursor start(editor->document());
  start.movePosition(QTextCursor::Start);
  editor->setTextCursor(start);
}

}  // namespace lumtar
