// The PDF report of a chart: the chart page, the analysis, then the comment
// when there is one. Every page carries the person's name and birth data
// at its head and its number at its foot; the chart is drawn as vectors,
// the text is text in embedded fonts.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QStringList>

#include <filesystem>

#include "printing.h"

class QTextDocument;

namespace lumtar {

class CVoVirer;

struct ChartReport {
  QString title;          // the document's title
  QString subject;        // the document's subject
  QString commentHeading = QStringLiteral("评语");  // above the comment
  QStringList header;     // the head of every page, one entry a line
  QSize picture{880, 700};
  PictureDrawing chart;   // paints the chart picture in its own pixels
  const QTextDocument* analysis = nullptr;  // null or empty: no analysis pages
  const QTextDocument* comment = nullptr;   // null or empty: no comment pages
};

// The head of the report's pages for the engine's current chart: the name
// and the pillars, then the entered moment, the zone and the place, as the
// chart's header writes them.
QStringList ReportHeader(CVoVirer& engine);

// The report as the bytes of a PDF file (A4, portrait); empty when it
// cannot be made.
QByteArray ReportPdf(const ChartReport& report);

// Writes the report; the file is replaced only once the whole new one is
// written. False when it cannot be.
bool SaveReportPdf(const ChartReport& report, const std::filesystem::path& path);

}  // namespace lumtar
