// The chart picture: a fixed-size image that the chart engine draws into,
// shown at its own size, with a hint that follows the pointer.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace lumtar {

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  PictureBox(int width, int height, QWidget* parent = nullptr);

  // The canvas. Whoever draws into it calls update() afterwards.
  QImage& Picture() { return picture_; }
  const QImage& Picture() const { return picture_; }
  // Fills the whole picture white.
  void Blank();

  // The hint shown over the picture. A blank text shows none. When a hint is
  // on screen and the text changes, the new one replaces it at once, so the
  // hint follows the pointer from one ring or body to the next.
  void SetHint(const QString& text);
  const QString& Hint() const { return hint_; }

  // Called with the pointer position (picture pixels) on every move.
  std::function<void(int x, int y)> onMouseMove;

  QSize sizeHint() const override { return picture_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  QString hint_;
};

}  // namespace lumtar
