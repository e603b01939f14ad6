#include "printing.h"

#include <algorithm>
#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <QTextFrame>

#include <cmath>
#include <memory>

namespace lumtar {
namespace {

// The resolution a document without a paint device is laid out at.
QPointF ScreenDpi() {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    return {std::round(screen->logicalDotsPerInchX()), std::round(screen->logicalDotsPerInchY())};
  return {96, 96};
}

constexpr double kMarginCm = 2.0;

}  // namespace

bool PrintTextDocument(QPrinter* printer, const QTextDocument& doc) {
  printer->setDocName(QString());
  QPainter painter;
  if (!painter.begin(printer)) return false;

  // The copy is laid out as on the screen, page by page, and each page is
  // scaled up to the printer's resolution: fonts given in pixels keep their
  // size on paper.
  std::unique_ptr<QTextDocument> copy(doc.clone());
  const QPointF dpi = ScreenDpi();
  const double sx = printer->logicalDpiX() / dpi.x();
  const double sy = printer->logicalDpiY() / dpi.y();
  const QSizeF page(printer->width() / sx, printer->height() / sy);
  QTextFrameFormat frame = copy->rootFrame()->frameFormat();
  frame.setMargin(kMarginCm / 2.54 * dpi.y());
  copy->rootFrame()->setFrameFormat(frame);
  copy->setPageSize(page);

  QAbstractTextDocumentLayout::PaintContext context;
  context.palette.setColor(QPalette::Text, Qt::black);
  const int pages = copy->pageCount();
  for (int i = 0; i < pages; ++i) {
    if (i > 0 && !printer->newPage()) {
      painter.end();
      return false;
    }
    const QRectF view(0, i * page.height(), page.width(), page.height());
    painter.save();
    painter.scale(sx, sy);
    painter.translate(0, -view.top());
    painter.setClipRect(view);
    context.clip = view;
    copy->documentLayout()->draw(&painter, context);
    painter.restore();
  }
  return painter.end() && printer->printerState() != QPrinter::Error;
}

QRect ChartPrintRect(int pageWidth) {
  const int width = pageWidth - 16;
  const int height = static_cast<int>(std::trunc(width * 0.875));
  return {8, 30, width, height};
}

QRect ChartPictureRect(int pageWidth, int pageHeight, QSize picture) {
  const QRect frame = ChartPrintRect(pageWidth);
  if (picture.isEmpty()) return frame;
  // Stretching into the frame itself would squeeze the chart by a tenth
  // across; keep the picture's proportions instead.
  double scale = static_cast<double>(frame.width()) / picture.width();
  scale = std::min(scale, static_cast<double>(frame.height()) / picture.height());
  if (pageHeight > frame.top()) scale = std::min(scale, static_cast<double>(pageHeight - frame.top()) / picture.height());
  const int w = std::clamp(static_cast<int>(std::lround(picture.width() * scale)), 1, frame.width());
  const int h = std::clamp(static_cast<int>(std::lround(picture.height() * scale)), 1, frame.height());
  return {frame.left() + (frame.width() - w) / 2, frame.top(), w, h};
}

void DrawChartPage(QPainter* painter, int pageWidth, int pageHeight, const QImage& picture) {
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  painter->drawImage(ChartPictureRect(pageWidth, pageHeight, picture.size()), picture);
  painter->restore();
}

bool PrintChartPicture(QPrinter* printer, const QImage& picture) {
  printer->setDocName(QString());
  QPainter painter;
  if (!painter.begin(printer)) return false;
  DrawChartPage(&painter, printer->width(), printer->height(), picture);
  return painter.end() && printer->printerState() != QPrinter::Error;
}

}  // namespace lumtar
