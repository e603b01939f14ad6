// The chart picture: the round chart of concentric rings around (302, 302),
// the bodies with their stacked labels, the spirit ring, the header text
// around it and the annual overlay, painted on a QPainter. Qt Gui only.
//
// Painting follows the engine's drawing steps: DrawFrame, the palace, mansion
// and body rings (the body ring ends with the spirits), then the header; an
// annual chart repeats all of that and adds its bodies, its spirits, its
// text block and the period line. Texts are written as the picture's
// original canvas writes them: top-left at the given point, on a cell filled
// with the background colour, so a later label covers an earlier one.
#pragma once

#include <QImage>

#include <functional>
#include <string>

#include "vovirer.h"

class QPainter;
class QSize;

namespace lumtar {

inline constexpr int kChartImageWidth = 880;
inline constexpr int kChartImageHeight = 700;
// 96 dots per inch: the chart's font sizes are Windows point sizes there.
inline constexpr int kChartDotsPerMeter = 3780;

// A blank 880 × 700 picture at 96 dpi.
QImage NewChartPicture(int width = kChartImageWidth, int height = kChartImageHeight);

// Paints the natal chart of the engine's model onto a device of `size`.
void PaintNatalChart(QPainter& painter, const QSize& size, CVoVirer& engine);
// Paints the natal chart and the annual overlay.
void PaintAnnualChart(QPainter& painter, const QSize& size, CVoVirer& engine, const AnnualChart& annual);
// The engine's current picture: natal, or with its latest overlay when
// chartMode is 1; nothing before the first chart.
void PaintCurrentChart(QPainter& painter, const QSize& size, CVoVirer& engine);

// The engine's painter for a picture it does not own (the main window's
// chart picture, or an image of the command-line tool). The picture is set
// to 96 dpi before painting; `painted` is called afterwards.
class PictureChartPainter : public ChartPainter {
 public:
  explicit PictureChartPainter(QImage* picture) : picture_(picture) {}
  void PaintNatal(CVoVirer& engine) override;
  void PaintAnnual(CVoVirer& engine, const AnnualChart& annual) override;

  std::function<void()> painted;

 private:
  QImage* picture_;
};

// The engine's current picture as an image, and written as PNG or SVG (a
// vector rendering of the same painting). The writers replace a file only
// once the whole new file is written; false when it cannot be written.
QImage RenderChart(CVoVirer& engine);
bool SaveChartPng(CVoVirer& engine, const std::string& path);
bool SaveChartSvg(CVoVirer& engine, const std::string& path);

}  // namespace lumtar
