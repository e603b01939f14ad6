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
inline constexpr int kChartDpi = 96;
inline constexpr int kChartDotsPerMeter = 3780;
// The largest resolution a picture is exported at: 4 × 880 by 4 × 700.
inline constexpr int kMaxChartScale = 4;

// A blank 880 × 700 picture at 96 dpi. With a scale above 1 it has that
// many times the pixels and that device pixel ratio, so a painter on it
// still paints in 880 × 700 picture pixels.
QImage NewChartPicture(int width = kChartImageWidth, int height = kChartImageHeight, double scale = 1);

// How lines are drawn where the painter enlarges the picture. Scaled: a
// line one picture pixel wide becomes as wide as that pixel (exported
// pictures, paper, PDF). DevicePixel: one pixel of the device, whatever the
// enlargement (a screen of higher density). Both are the same at scale 1.
enum class ChartLines { Scaled, DevicePixel };

// The painting works in picture pixels: `size` is the picture's size in
// them, and the painter's transformation and the device's resolution take
// them to the device. Font sizes are Windows point sizes at 96 dpi on every
// device.
//
// Paints the natal chart of the engine's model.
void PaintNatalChart(QPainter& painter, const QSize& size, CVoVirer& engine, ChartLines lines = ChartLines::Scaled);
// Paints the natal chart and the annual overlay.
void PaintAnnualChart(QPainter& painter, const QSize& size, CVoVirer& engine, const AnnualChart& annual,
                      ChartLines lines = ChartLines::Scaled);
// The engine's current picture: natal, or with its latest overlay when
// chartMode is 1; nothing before the first chart.
void PaintCurrentChart(QPainter& painter, const QSize& size, CVoVirer& engine, ChartLines lines = ChartLines::Scaled);

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
// vector rendering of the same painting). `scale` (1..kMaxChartScale) draws
// the picture at that many times the resolution, 880·scale × 700·scale
// pixels, marked with that many times 96 dpi. The writers replace a file
// only once the whole new file is written; false when it cannot be written.
QImage RenderChart(CVoVirer& engine, int scale = 1);
// A white 880 × 700 picture at `scale` (1..kMaxChartScale) with `paint`
// painting on it in picture pixels; marked as RenderChart marks it.
QImage RenderPicture(int scale, const std::function<void(QPainter&)>& paint);
// The files' bytes; false (and `bytes` untouched) when the picture cannot
// be made.
bool ChartPngBytes(CVoVirer& engine, int scale, std::string* bytes);
bool ChartSvgBytes(CVoVirer& engine, std::string* bytes);
bool SaveChartPng(CVoVirer& engine, const std::string& path, int scale = 1);
bool SaveChartSvg(CVoVirer& engine, const std::string& path);

}  // namespace lumtar
