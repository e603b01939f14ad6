// Printing of the editors' text and of the chart picture.
#pragma once

#include <QRect>

class QImage;
class QPainter;
class QPrinter;
class QTextDocument;

namespace lumtar {

// Prints the whole document, paginated, at the size it has on the screen,
// with 2 cm margins and in black where the text has no colour of its own;
// the print job has no title. False when the printer cannot be started or
// fails on the way.
bool PrintTextDocument(QPrinter* printer, const QTextDocument& doc);

// Where the chart picture goes on a page `pageWidth` printer pixels wide:
// from (8, 30) to (pageWidth - 8, 30 + trunc((pageWidth - 16) * 0.875)),
// right and bottom edges outside.
QRect ChartPrintRect(int pageWidth);

// Where the picture itself goes: as wide as ChartPrintRect(pageWidth) and
// as high as its own proportions ask (880 x 700 is less high than the
// rectangle), so the round chart prints round; on a page too low for that
// (landscape) it shrinks to end above the page's bottom, centred across.
QRect ChartPictureRect(int pageWidth, int pageHeight, QSize picture);

// The picture drawn into ChartPictureRect.
void DrawChartPage(QPainter* painter, int pageWidth, int pageHeight, const QImage& picture);

// Prints the picture on one page. False when the printer cannot be started
// or fails.
bool PrintChartPicture(QPrinter* printer, const QImage& picture);

}  // namespace lumtar
