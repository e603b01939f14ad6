// The analysis page: shows the report of the chart engine in a text editor
// with its four section headings in blue bold.
#pragma once

#include <string>

class QTextDocument;
class QTextEdit;

namespace lumtar {

class CVoVirer;

// Moves engine.analysisText into the editor and empties it: the editor is
// cleared, the text set in black plain characters of the editor's own font
// and size (and following them when the editor's font changes), left
// aligned; each section heading with the full-width colon
// after it is made blue (0, 0, 255) and bold, every heading searched from
// where the previous one was found; the caret goes to the start. With no
// editor the text is only emptied.
void ShowAnalysis(CVoVirer& engine, QTextEdit* editor);
void ShowAnalysisText(std::string& analysisText, QTextEdit* editor);

// Writes the analysis text into an empty document as the page shows it: plain
// black characters in the document's own font, the section headings blue
// and bold.
void WriteAnalysisDocument(const std::string& analysisText, QTextDocument* doc);

}  // namespace lumtar
