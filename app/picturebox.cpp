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
  if (!(devicePixelRatio > 1)) devicePixelRatio = 1;
  if (devicePixelRatio == 1 && viewScale_ == 1) return picture_;
  // The size shown, in device pixels.
  const QSize shown = viewScale_ == 1 ? picture_.size() : size();
  const QSize pixels(static_cast<int>(std::ceil(shown.width() * devicePixelRatio)),
                     static_cast<int>(std::ceil(shown.height() * devicePixelRatio)));
  if (sharp_.isNull() || sharp_.devicePixelRatio() != devicePixelRatio || sharp_.size() != pixels) {
    sharp_ = QImage(pixels, QImage::Format_RGB32);
    sharp_.setDotsPerMeterX(kDotsPerMeter);
    sharp_.setDotsPerMeterY(kDotsPerMeter);
    sharp_.setDevicePixelRatio(devicePixelRatio);
    sharp_.fill(Qt::white);
    QPainter p(&sharp_);
    p.scale(static_cast<double>(shown.width()) / picture_.width(),
            static_cast<double>(shown.height()) / picture_.height());
    Paint(p, true);
  }
  return sharp_;
}

void PictureBox::SetViewScale(double scale) {
  if (!(scale > 0)) scale = 1;
  if (scale == viewScale_) return;
  viewScale_ = scale;
  sharp_ = QImage();
  setFixedSize(static_cast<int>(std::lround(picture_.width() * scale)),
               static_cast<int>(std::lround(picture_.height() * scale)));
  update();
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
  if (dpr > 1 || viewScale_ != 1)
    p.drawImage(QPointF(0, 0), ScreenImage(dpr));
  else
    p.drawImage(event->rect(), picture_, event->rect());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  if (onMouseMove) {
    const QPointF pos = event->position() / viewScale_;
    onMouseMove(static_cast<int>(pos.x()), static_cast<int>(pos.y()));
  }
  QWidget::mouseMoveEvent(event);
}

}  // namespace lumtar
