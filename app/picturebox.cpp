#include "picturebox.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace lumtar {

PictureBox::PictureBox(int width, int height, QWidget* parent)
    : QWidget(parent), picture_(width, height, QImage::Format_RGB32) {
  // 96 dots per inch, so that fonts given in points draw as on the screen.
  picture_.setDotsPerMeterX(3780);
  picture_.setDotsPerMeterY(3780);
  Blank();
  setFixedSize(width, height);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::Blank() {
  picture_.fill(Qt::white);
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
