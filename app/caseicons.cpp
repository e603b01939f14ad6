#include "caseicons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace lumtar {
namespace {

// Drawn on a 16-unit grid, scaled to whatever size and density the icon is
// shown at, so that they stay sharp on every screen.
constexpr int kSize = 16;

// A bound book with a red label: the whole collection of cases.
void Root(QPainter& p) {
  p.setPen(QPen(QColor(70, 40, 20), 1));
  p.setBrush(QColor(176, 122, 60));
  p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
  p.setBrush(QColor(250, 244, 226));
  p.drawRect(QRectF(4.5, 3.5, 7, 9));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196, 30, 30));
  p.drawRect(QRectF(6, 5, 4, 6));
  p.setPen(QPen(QColor(70, 40, 20), 0.8));
  for (double y : {3.0, 6.0, 9.0, 12.0}) p.drawLine(QPointF(2.5, y), QPointF(4.5, y));
}

// A folder.
void Class(QPainter& p) {
  QPainterPath tab;
  tab.moveTo(1.5, 4);
  tab.lineTo(1.5, 2.5);
  tab.lineTo(6, 2.5);
  tab.lineTo(7.5, 4);
  p.setPen(QPen(QColor(150, 105, 20), 1));
  p.setBrush(QColor(236, 190, 80));
  p.drawPath(tab);
  p.drawRoundedRect(QRectF(1.5, 4, 13, 9.5), 1, 1);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(252, 222, 130));
  p.drawRect(QRectF(2.5, 6, 11, 6.5));
}

// A person: head and shoulders in blue, or head and a wide robe in red.
void Person(QPainter& p, bool male) {
  const QColor fill = male ? QColor(50, 110, 210) : QColor(215, 60, 110);
  const QColor line = male ? QColor(20, 50, 120) : QColor(130, 20, 60);
  p.setPen(QPen(line, 1));
  p.setBrush(QColor(255, 224, 190));
  p.drawEllipse(QRectF(5, 1.5, 6, 6));
  p.setBrush(fill);
  QPainterPath body;
  if (male) {
    body.moveTo(2.5, 15);
    body.lineTo(2.5, 11.5);
    body.cubicTo(2.5, 9, 5, 8, 8, 8);
    body.cubicTo(11, 8, 13.5, 9, 13.5, 11.5);
    body.lineTo(13.5, 15);
  } else {
    body.moveTo(2, 15);
    body.cubicTo(4, 12, 5, 9, 8, 8);
    body.cubicTo(11, 9, 12, 12, 14, 15);
  }
  body.closeSubpath();
  p.drawPath(body);
  // Dark hair: short for a man, long for a woman.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 30, 25));
  if (male) {
    p.drawChord(QRectF(5, 1.5, 6, 6), 0, 180 * 16);
  } else {
    p.drawChord(QRectF(4.5, 1, 7, 7), 10 * 16, 160 * 16);
    p.drawRect(QRectF(4.5, 4, 1.3, 5));
    p.drawRect(QRectF(10.2, 4, 1.3, 5));
  }
}

// Paints one of the pictures into any rectangle, at the painter's density.
class CaseIconEngine : public QIconEngine {
 public:
  explicit CaseIconEngine(int imageIndex) : image_(imageIndex) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / static_cast<double>(kSize), rect.height() / static_cast<double>(kSize));
    switch (image_) {
      case kImageFemale: Person(*painter, false); break;
      case kImageMale: Person(*painter, true); break;
      case kImageClass: Class(*painter); break;
      default: Root(*painter); break;
    }
    painter->restore();
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1);
  }

  // `size` is in device pixels already (QIcon multiplies it by the scale).
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    const QSize pixels = size;
    QPixmap pm(pixels);
    pm.fill(Qt::transparent);
    {
      QPainter p(&pm);
      paint(&p, QRect(QPoint(0, 0), pixels), mode, state);
    }
    pm.setDevicePixelRatio(scale);
    return pm;
  }

  QIconEngine* clone() const override { return new CaseIconEngine(image_); }

 private:
  int image_;
};

QIcon Icon(int imageIndex) { return QIcon(new CaseIconEngine(imageIndex)); }

}  // namespace

const QIcon& CaseIcon(int imageIndex) {
  static const std::array<QIcon, 4> icons = {Icon(kImageFemale), Icon(kImageMale), Icon(kImageClass),
                                             Icon(kImageRoot)};
  if (imageIndex < 0 || imageIndex >= static_cast<int>(icons.size())) imageIndex = kImageRoot;
  return icons[static_cast<size_t>(imageIndex)];
}

}  // namespace lumtar
