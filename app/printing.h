// Printing of the editors' text and of the chart picture.
#pragma once

#include <QPointF>
#include <QRect>
#include <QSizeF>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QTextDocument;

namespace lumtar {

// A text document laid out for paper: a copy of it laid out as on the
// screen (at the screen's resolution) on pages of the given size in device
// pixels at the device's resolution, with 2 cm margins, painted page by
// page scaled up to the device, in black where the text has no colour of
// its own.
class PagedDocument {
 public:
  PagedDocument(const QTextDocument& doc, QSizeF pageSize, QPointF deviceDpi);
  ~PagedDocument();
  int PageCount() const;
  // Paints page `index` (from 0) with its top-left corner at the painter's
  // origin.
  void PaintPage(QPainter* painter, int index) const;

 private:
  std::unique_ptr<QTextDocument> copy_;
  double sx_ = 1, sy_ = 1;
  QSizeF page_;
};

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

// Paints the picture in its own pixels (0, 0)-(width, height) on a painter.
using PictureDrawing = std::function<void(QPainter& painter)>;

// The picture painted into ChartPictureRect at the device's own
// resolution: its drawing enlarged to the rectangle, lines and text drawn
// by the device, no raster in between.
void DrawChartPage(QPainter* painter, int pageWidth, int pageHeight, QSize picture, const PictureDrawing& draw);

// Prints the picture on one page. False when the printer cannot be started
// or fails.
bool PrintChartPicture(QPrinter* printer, QSize picture, const PictureDrawing& draw);

}  // namespace lumtar
