#include "picturebox.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace lumtar {

namespace {
constexpr int kDotsPerMeter = 3780;  // 96 dots per inch
}

PictureBox::PictureBox(int width, int height, QWidget* parent)
    : QWidget(parent), picture_(width, height, QImage::Format_RGB32) {
  // 96 dots per inch, so that fonts given in points draw as on the screen.
  picture_.setDotsPerMeterX(kDotsPerMeter);
  picture_.setDotsPerMeterY(kDotsPerMeter);
  Blank();
  setFixedSize(width, height);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::Blank() {
  picture_.fill(Qt::white);
  blank_ = true;
  sharp_ = QImage();
  update();
}

void PictureBox::Changed() {
  blank_ = false;
  sharp_ = QImage();
  update();
}

void PictureBox::Paint(QPainter& painter, bool screen) const {
  const QRect own(QPoint(0, 0), picture_.size());
  if (blank_) {
    painter.fillRect(own, Qt::white);
  } else if (drawing) {
    drawing(painter, screen);
  } else {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(own, picture_);
    painter.restore();
  }
}

const QImage& PictureBox::ScreenImage(double devicePixelRatio) {
  if (!(devicePixelRatio > 1)) return picture_;
  if (sharp_.isNull() || sharp_.devicePixelRatio() != devicePixelRatio) {
    sharp_ = QImage(static_cast<int>(std::ceil(picture_.width() * devicePixelRatio)),
                    static_cast<int>(std::ceil(picture_.height() * devicePixelRatio)), QImage::Format_RGB32);
    sharp_.setDotsPerMeterX(kDotsPerMeter);
    sharp_.setDotsPerMeterY(kDotsPerMeter);
    sharp_.setDevicePixelRatio(devicePixelRatio);
    sharp_.fill(Qt::white);
    QPainter p(&sharp_);
    Paint(p, true);
  }
  return sharp_;
}

void PictureBox::SetHint(const QString& text) {
  if (text == hint_) return;
  hint_ = text;
  const QString shown = text.trimmed().isEmpty() ? QString() : text;
  setToolTip(shown);
  if (QToolTip::isVisible() && underMouse()) {
    if (shown.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(QCursor::pos(), shown, this);
  }
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const double dpr = devicePixelRatioF();
  if (dpr > 1)
    p.drawImage(QPointF(0, 0), ScreenImage(dpr));
  else
    p.drawImage(event->rect(), picture_, event->rect());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  if (onMouseMove) {
    QPoint pos = event->position().toPoint();
    onMouseMove(pos.x(), pos.y());
  }
  QWidget::mouseMoveEvent(event);
}

}  // namespace lumtar
