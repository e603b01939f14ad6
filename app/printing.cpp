#include "printing.h"

#include <algorithm>
#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

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

PagedDocument::PagedDocument(const QTextDocument& doc, QSizeF pageSize, QPointF deviceDpi)
    : copy_(doc.clone()) {
  // The copy is laid out as on the screen, page by page, and each page is
  // scaled up to the device's resolution: fonts given in pixels keep their
  // size on paper.
  const QPointF dpi = ScreenDpi();
  sx_ = deviceDpi.x() / dpi.x();
  sy_ = deviceDpi.y() / dpi.y();
  page_ = QSizeF(pageSize.width() / sx_, pageSize.height() / sy_);
  QTextFrameFormat frame = copy_->rootFrame()->frameFormat();
  frame.setMargin(kMarginCm / 2.54 * dpi.y());
  copy_->rootFrame()->setFrameFormat(frame);
  copy_->setPageSize(page_);
  // Text unshaped where it needs no shaping, so that every glyph on paper
  // is one of a character the PDF text layer can name (digits after Latin
  // letters took the font's alternates, which have none).
  QTextCursor all(copy_.get());
  all.select(QTextCursor::Document);
  QTextCharFormat unshaped;
  unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
  all.mergeCharFormat(unshaped);
}

PagedDocument::~PagedDocument() = default;

int PagedDocument::PageCount() const { return copy_->pageCount(); }

void PagedDocument::PaintPage(QPainter* painter, int index) const {
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette.setColor(QPalette::Text, Qt::black);
  const QRectF view(0, index * page_.height(), page_.width(), page_.height());
  painter->save();
  painter->scale(sx_, sy_);
  painter->translate(0, -view.top());
  painter->setClipRect(view, Qt::IntersectClip);
  context.clip = view;
  copy_->documentLayout()->draw(painter, context);
  painter->restore();
}

bool PrintTextDocument(QPrinter* printer, const QTextDocument& doc) {
  printer->setDocName(QString());
  QPainter painter;
  if (!painter.begin(printer)) return false;
  const PagedDocument pages(doc, QSizeF(printer->width(), printer->height()),
                            QPointF(printer->logicalDpiX(), printer->logicalDpiY()));
  const int count = pages.PageCount();
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !printer->newPage()) {
      painter.end();
      return false;
    }
    pages.PaintPage(&painter, i);
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

void DrawChartPage(QPainter* painter, int pageWidth, int pageHeight, QSize picture, const PictureDrawing& draw) {
  if (picture.isEmpty()) return;
  const QRect target = ChartPictureRect(pageWidth, pageHeight, picture);
  painter->save();
  painter->translate(target.topLeft());
  painter->scale(static_cast<double>(target.width()) / picture.width(),
                 static_cast<double>(target.height()) / picture.height());
  const QRect own(QPoint(0, 0), picture);
  painter->setClipRect(own, Qt::IntersectClip);
  painter->fillRect(own, Qt::white);
  if (draw) draw(*painter);
  painter->restore();
}

bool PrintChartPicture(QPrinter* printer, QSize picture, const PictureDrawing& draw) {
  printer->setDocName(QString());
  QPainter painter;
  if (!painter.begin(printer)) return false;
  DrawChartPage(&painter, printer->width(), printer->height(), picture, draw);
  return painter.end() && printer->printerState() != QPrinter::Error;
}

}  // namespace lumtar
