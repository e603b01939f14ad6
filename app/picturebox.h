// The chart picture: a fixed-size image that the chart engine draws into,
// shown at its own size (or scaled, see SetViewScale), with a hint that
// follows the pointer. On a screen with more than one device pixel to a
// picture pixel, and when scaled, it shows the same picture painted again at
// that resolution.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QPainter;

namespace lumtar {

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  PictureBox(int width, int height, QWidget* parent = nullptr);

  // The canvas, in picture pixels at 96 dpi. Whoever draws into it calls
  // Changed() afterwards.
  QImage& Picture() { return picture_; }
  const QImage& Picture() const { return picture_; }
  // Fills the whole picture white.
  void Blank();
  bool IsBlank() const { return blank_; }
  // The canvas holds new content: shows it again.
  void Changed();

  // Paints what the canvas holds, in picture pixels, on any painter: the
  // screen at its density (`screen` true), a printer, a PDF or a larger
  // picture. Empty: the canvas itself is shown enlarged.
  std::function<void(QPainter& painter, bool screen)> drawing;

  // The picture painted in picture pixels on `painter`: white while blank,
  // else by `drawing` (or the canvas when there is none).
  void Paint(QPainter& painter, bool screen) const;

  // The hint shown over the picture. A blank text shows none. When a hint is
  // on screen and the text changes, the new one replaces it at once, so the
  // hint follows the pointer from one ring or body to the next.
  void SetHint(const QString& text);
  const QString& Hint() const { return hint_; }

  // Called with the pointer position (picture pixels) on every move.
  std::function<void(int x, int y)> onMouseMove;

  QSize sizeHint() const override { return size(); }

  // Shows the picture `scale` times its size (1: its own size), painted
  // again at that size, so that it stays sharp; the pointer positions given
  // to onMouseMove stay in picture pixels.
  void SetViewScale(double scale);
  double ViewScale() const { return viewScale_; }

  // What the screen shows at a device pixel ratio: the canvas at 1 and the
  // picture's own size, else the picture painted again at that density and
  // the view's scale (kept until it changes).
  const QImage& ScreenImage(double devicePixelRatio);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  QImage sharp_;  // the picture at the screen's density and the view's scale
  double viewScale_ = 1;
  bool blank_ = true;
  QString hint_;
};

}  // namespace lumtar
