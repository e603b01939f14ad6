#include "chartdraw.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "chartheader.h"
#include "files.h"
#include "chartlayout.h"
#include "script.h"

namespace lumtar {

namespace {

// The CJK serif face that stands in for 宋体.
constexpr const char* kSongTi = "Noto Serif CJK SC";

// The ideographic em box of a CJK face lies 0.88 em above and 0.12 em below
// the baseline; a text's cell is that box, as 宋体 has it.
constexpr double kCellAscent = 0.88;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 128, 0);
const QColor kOrange(228, 187, 0);
const QColor kBlack(0, 0, 0);

QColor FromBgr(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// A name of the engine's vocabulary as shown, in the chosen script.
QString Q(std::string_view s) {
  s = InScript(s);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The colour of a body's label: 日 月 red, 水 金 火 木 土 blue, 罗 计 气 孛
// green, 天 海 冥 orange.
QColor BodyColour(int body) {
  if (body < 2) return kRed;
  if (body < 7) return kBlue;
  if (body < 11) return kGreen;
  return kOrange;
}

// The drawing steps on one painter, with the canvas state they share: the
// font size and colour, the pen and brush, and the character metrics the
// frame measured.
class ChartCanvas {
 public:
  ChartCanvas(QPainter& painter, const QSize& size, CVoVirer& engine, ChartLines lines)
      : p_(painter), size_(size), engine_(engine), m_(engine.model),
        lineWidth_(lines == ChartLines::DevicePixel ? 0 : 1),
        deviceDpi_(painter.device() ? painter.device()->logicalDpiY() : kChartDpi) {
    // Lines one pixel wide and crisp, as the original canvas draws them;
    // smooth text.
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    if (deviceDpi_ <= 0) deviceDpi_ = kChartDpi;
  }

  void DrawFrame();
  void DrawPalaceRing();
  void DrawMansionRing();
  void DrawBodyRing();
  void DrawSpirits(int yearPillar);
  void DrawHeader();
  void DrawAnnualOverlay(const AnnualChart& annual);

 private:
  void SetFontSize(int pointSize);
  // The height of a text cell: the font's size in pixels at 96 dpi.
  double CellHeight() const { return std::round(points_ * kChartDpi / 72.0); }
  void SetPen(const QColor& c) { pen_ = c; }
  void Line(double theta, double r1, double r2);
  void Line(const ChartPoint& a, const ChartPoint& b);
  // Writes a text with its cell's top-left corner at (x, y).
  void TextOut(double x, double y, const QString& text);
  // Writes a text centred on a point by the frame's character metrics.
  void TextAt(const ChartPoint& anchor, const QString& text);
  void TextAt(double theta, double radius, const QString& text) { TextAt(PointAt(theta, radius), text); }
  void Circle(double radius);
  void PlaceBodyLabels(const double* longitudes, const RingParameters& ring);

  QPainter& p_;
  QSize size_;
  CVoVirer& engine_;
  const ChartModel& m_;
  // 1: lines one picture pixel wide, enlarged with the picture; 0: one
  // device pixel wide whatever the enlargement.
  const int lineWidth_;
  // The device's own resolution; font sizes are converted so that a point
  // is 96/72 picture pixels on every device.
  int deviceDpi_;
  int points_ = 9;
  QFont font_;
  QColor fontColour_ = kBlack;
  QColor pen_ = kBlack;
  QColor background_;
  double charWidth_ = 12;
  double charHeight_ = 12;
};

void ChartCanvas::SetFontSize(int pointSize) {
  points_ = pointSize;
  font_ = QFont(kSongTi);
  // In a PDF file, without shaping: digits after Latin letters ("UTC+7:30")
  // keep the glyphs of their characters, whereas the font's alternates for
  // them would reach the file without the characters they stand for.
  if (p_.paintEngine() && p_.paintEngine()->type() == QPaintEngine::Pdf)
    font_.setStyleStrategy(QFont::PreferNoShaping);
  font_.setPointSizeF(deviceDpi_ == kChartDpi ? pointSize : static_cast<double>(pointSize) * kChartDpi / deviceDpi_);
  p_.setFont(font_);
}

void ChartCanvas::Line(double theta, double r1, double r2) { Line(PointAt(theta, r1), PointAt(theta, r2)); }

void ChartCanvas::Line(const ChartPoint& a, const ChartPoint& b) {
  p_.setPen(QPen(pen_, lineWidth_));
  p_.drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
}

void ChartCanvas::TextOut(double x, double y, const QString& text) {
  const QFontMetricsF fm(font_, p_.device());
  const double h = CellHeight();
  p_.fillRect(QRectF(x, y, fm.horizontalAdvance(text), h), background_);
  p_.setPen(fontColour_);
  p_.drawText(QPointF(x, y + kCellAscent * h), text);
}

void ChartCanvas::TextAt(const ChartPoint& anchor, const QString& text) {
  TextOut(anchor.x - charWidth_ / 2, anchor.y - charHeight_ / 2, text);
}

void ChartCanvas::Circle(double radius) {
  p_.setPen(QPen(kBlack, lineWidth_));
  p_.setBrush(background_);
  p_.drawEllipse(QPointF(kChartCentreX, kChartCentreY), radius, radius);
}

void ChartCanvas::DrawFrame() {
  background_ = FromBgr(m_.settings.backgroundColour);
  pen_ = kBlack;
  p_.fillRect(QRectF(0, 0, size_.width(), size_.height()), background_);

  SetFontSize(9);
  const QFontMetricsF fm(font_, p_.device());
  charWidth_ = std::round(fm.horizontalAdvance(QStringLiteral("字")));
  charHeight_ = CellHeight();

  for (double r : {kOuterRadius, kAgeRingOuter, kMansionRingOuter, kBodyAreaOuter}) Circle(r);
  if (m_.chartMode == 1) Circle(kAnnualBaseRadius);
  for (double r : {kPalaceRingOuter, kBranchRingOuter, kInnerRadius}) Circle(r);

  fontColour_ = kBlack;
  for (int k = 0; k < 12; ++k) {
    const double theta = 30.0 * k;
    Line(theta, kInnerRadius, kBodyAreaOuter);
    Line(theta, kAgeRingOuter, kOuterRadius);
    TextAt(theta + 15, kBranchNameRadius, Q(calendar::kBranchNames[(k + 11) % 12]));
  }
}

void ChartCanvas::DrawPalaceRing() {
  const auto ring = PalaceRing(m_.places[kAscendantPlace].branch, m_.ageOffset, m_.request.isMale != 0);
  char age[16];
  for (const PalaceRingEntry& e : ring) {
    fontColour_ = e.palaceNumber == 0 ? kRed : kBlack;
    if (e.showsAge) {
      pen_ = kBlack;
      for (double a : e.tickAngles) Line(a, kMansionRingOuter, kAgeRingOuter);
      std::snprintf(age, sizeof age, "%02d", e.startAge);
      TextAt(e.nameAngle, kPalaceNameRadius, Q(e.name));
      TextAt(e.ageAngle, kPalaceNameRadius, QString::fromLatin1(age));
    } else {
      TextAt(e.nameAngle, kPalaceNameRadius, Q(e.name));
    }
  }
}

void ChartCanvas::DrawMansionRing() {
  double p = WrapAngle(30 - m_.mansionOrigin);
  for (int i = 0; i < kMansionCount; ++i) {
    const double width = kMansionWidths[i];
    Line(p, kBodyAreaOuter, kMansionRingOuter);
    TextAt(p - width / 2, kMansionNameRadius, Q(MansionName(i)));
    p = WrapAngle(p - width);
  }
}

void ChartCanvas::PlaceBodyLabels(const double* longitudes, const RingParameters& ring) {
  LabelGrid grid;
  for (int k = 0; k < kChartBodyCount; ++k) {
    fontColour_ = BodyColour(k);
    const LabelPlacement l = PlaceLabelsInRing(grid, ring, ScreenAngleOf(longitudes[k]));
    Line(l.from, l.anchor);
    TextAt(l.anchor, Q(BodyChar(k)));
  }
}

void ChartCanvas::DrawBodyRing() {
  pen_ = kRed;
  Line(ScreenAngleOf(m_.places[kAscendantPlace].longitude), kBodyAreaOuter, kMansionRingOuter);
  const QString centre = QString::fromStdString(AscendantCentreText(m_));
  const QFontMetricsF fm(font_, p_.device());
  TextOut(kChartCentreX - fm.horizontalAdvance(centre) / 2, kChartCentreY - charHeight_ / 2, centre);

  double longitudes[kChartBodyCount];
  for (int k = 0; k < kChartBodyCount; ++k) longitudes[k] = m_.places[k].longitude;
  PlaceBodyLabels(longitudes, NatalRing());

  DrawSpirits(m_.yearPillar);
}

void ChartCanvas::DrawSpirits(int yearPillar) {
  SpiritCounters counters{};
  for (const SpiritLabel& l : PlaceSpirits(yearPillar, m_.nayinElement, counters)) {
    if (!l.shown()) continue;
    fontColour_ = l.kind == SpiritKind::Stage ? kOrange : kBlack;
    const double theta = SpiritAngle(l.branch, l.position);
    const QString text = Q(l.text);
    for (qsizetype i = 0; i < text.size(); ++i)
      TextAt(theta, kSpiritFirstRadius + kSpiritCharStep * static_cast<double>(i), text.mid(i, 1));
  }
}

void ChartCanvas::DrawHeader() {
  const std::vector<HeaderLine> lines = HeaderLines(engine_);
  const double h = charHeight_, w = charWidth_;
  const double height = size_.height();
  size_t i = 0;
  auto next = [&](HeaderBlock block) -> QString {
    while (i < lines.size() && lines[i].block != block) ++i;
    return i < lines.size() ? QString::fromStdString(lines[i++].text) : QString();
  };

  // Title block.
  double x = 4, y = 6;
  fontColour_ = kRed;
  SetFontSize(12);
  TextOut(x, y, next(HeaderBlock::Title));
  SetFontSize(9);
  y = std::trunc(y + 1.5 * h);
  TextOut(x, y, next(HeaderBlock::Title));
  SetFontSize(11);
  y += 2 * h;
  TextOut(x, y, next(HeaderBlock::Title));

  // Birth block, under the chart on the left.
  SetFontSize(10);
  fontColour_ = kBlack;
  // Seven lines, and before 1912 the era form of the lunar date under them:
  // the block then starts a line higher, beside the chart's lowest point.
  const double birthSteps[8] = {0, h + 2, h + 3, h + 3, h + 2, h + 3, h + 3, h + 3};
  const bool eraLine = std::count_if(lines.begin(), lines.end(), [](const HeaderLine& l) {
                         return l.block == HeaderBlock::Birth;
                       }) > 7;
  y = kChartCentreY + kChartScale - h - (eraLine ? birthSteps[7] : 0);
  for (int k = 0; k < (eraLine ? 8 : 7); ++k) {
    y += birthSteps[k];
    TextOut(x, y, next(HeaderBlock::Birth));
  }

  // Pillar block, top right.
  x = kChartCentreX + 225;
  y = 20;
  TextOut(x, y, next(HeaderBlock::Pillars));
  for (int k = 0; k < 2; ++k) {
    y += h + 2;
    TextOut(x, y, next(HeaderBlock::Pillars));
  }

  // 命宫, 身宫, the benefactor line and the bodies.
  fontColour_ = kRed;
  x += 5;
  y += 10;
  for (int k = 0; k < 2; ++k) {
    y += h + 2;
    TextOut(x, y, next(HeaderBlock::Places));
  }
  fontColour_ = kBlue;
  y += h + 2;
  x += 15;
  TextOut(x, y, next(HeaderBlock::Places));
  x = kChartCentreX + 310;
  y += h;
  for (int k = 0; k < kChartBodyCount; ++k) {
    y += h + 8;
    TextOut(x, y, next(HeaderBlock::Places));
  }

  // Chart stars under the chart on the right: three lines, then twenty
  // columns read downwards, the body set apart from its title.
  x = kChartCentreX + 2;
  y = height - 6 * h;
  for (int k = 0; k < 3; ++k) {
    y += h + 2;
    TextOut(x, y, next(HeaderBlock::StarLines));
  }
  y = height - 6 * h;
  x += 3 * w + 3;
  const double ch = CellHeight();
  for (QString column = next(HeaderBlock::StarColumns); !column.isEmpty(); column = next(HeaderBlock::StarColumns)) {
    x += w + 2;
    double cy = y;
    for (qsizetype c = 0; c < column.size(); ++c) {
      if (c == 1) cy += ch;
      if (c == 2) cy += 1.5 * ch;
      if (c > 2) cy += ch;
      TextOut(x, cy, column.mid(c, 1));
    }
  }
}

void ChartCanvas::DrawAnnualOverlay(const AnnualChart& a) {
  PlaceBodyLabels(a.longitude, AnnualRing());
  DrawSpirits(a.yearPillar);

  fontColour_ = kGreen;
  const double h = charHeight_;
  const double x = std::trunc(kChartCentreX + kAgeRingOuter);
  double y = kChartCentreY + 14 * h;
  bool first = true;
  for (const std::string& line : AnnualLines(a)) {
    if (!first) y += h + 2;
    first = false;
    TextOut(x, y, QString::fromStdString(line));
  }
  pen_ = kGreen;
  Line(a.period.lineAngle, kBodyAreaOuter, kAgeRingOuter);
}

void PaintNatalSteps(ChartCanvas& c) {
  c.DrawFrame();
  c.DrawPalaceRing();
  c.DrawMansionRing();
  c.DrawBodyRing();
  c.DrawHeader();
}

}  // namespace

QImage NewChartPicture(int width, int height, double scale) {
  if (!(scale > 1)) scale = 1;
  QImage image(static_cast<int>(std::ceil(width * scale)), static_cast<int>(std::ceil(height * scale)),
               QImage::Format_RGB32);
  image.setDotsPerMeterX(kChartDotsPerMeter);
  image.setDotsPerMeterY(kChartDotsPerMeter);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  return image;
}

void PaintNatalChart(QPainter& painter, const QSize& size, CVoVirer& engine, ChartLines lines) {
  ChartCanvas canvas(painter, size, engine, lines);
  PaintNatalSteps(canvas);
}

void PaintAnnualChart(QPainter& painter, const QSize& size, CVoVirer& engine, const AnnualChart& annual,
                      ChartLines lines) {
  ChartCanvas canvas(painter, size, engine, lines);
  PaintNatalSteps(canvas);
  canvas.DrawAnnualOverlay(annual);
}

void PaintCurrentChart(QPainter& painter, const QSize& size, CVoVirer& engine, ChartLines lines) {
  if (engine.model.chartMode == 1)
    PaintAnnualChart(painter, size, engine, engine.annual, lines);
  else if (engine.model.chartMode == 0)
    PaintNatalChart(painter, size, engine, lines);
}

namespace {

QSize LogicalSize(const QImage& image) { return image.deviceIndependentSize().toSize(); }

void PrepareImage(QImage* image) {
  if (image->isNull()) *image = NewChartPicture();
  image->setDotsPerMeterX(kChartDotsPerMeter);
  image->setDotsPerMeterY(kChartDotsPerMeter);
}

}  // namespace

void PictureChartPainter::PaintNatal(CVoVirer& engine) {
  PrepareImage(picture_);
  {
    QPainter painter(picture_);
    PaintNatalChart(painter, LogicalSize(*picture_), engine);
  }
  if (painted) painted();
}

void PictureChartPainter::PaintAnnual(CVoVirer& engine, const AnnualChart& annual) {
  PrepareImage(picture_);
  {
    QPainter painter(picture_);
    PaintAnnualChart(painter, LogicalSize(*picture_), engine, annual);
  }
  if (painted) painted();
}

QImage RenderPicture(int scale, const std::function<void(QPainter&)>& paint) {
  scale = std::clamp(scale, 1, kMaxChartScale);
  QImage image = NewChartPicture(kChartImageWidth, kChartImageHeight, scale);
  {
    QPainter painter(&image);
    if (paint) paint(painter);
  }
  if (scale == 1) return image;
  // A picture of its own resolution: as large as the plain one on paper.
  image.setDevicePixelRatio(1);
  image.setDotsPerMeterX(kChartDotsPerMeter * scale);
  image.setDotsPerMeterY(kChartDotsPerMeter * scale);
  return image;
}

QImage RenderChart(CVoVirer& engine, int scale) {
  return RenderPicture(scale, [&engine](QPainter& painter) {
    PaintCurrentChart(painter, QSize(kChartImageWidth, kChartImageHeight), engine);
  });
}

bool ChartPngBytes(CVoVirer& engine, int scale, std::string* bytes) {
  const QImage image = RenderChart(engine, scale);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return false;
  *bytes = data.toStdString();
  return true;
}

bool ChartSvgBytes(CVoVirer& engine, std::string* bytes) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(kChartImageWidth, kChartImageHeight));
  svg.setViewBox(QRect(0, 0, kChartImageWidth, kChartImageHeight));
  svg.setResolution(kChartDpi);
  svg.setTitle(QStringLiteral("Lumtar"));
  {
    QPainter painter(&svg);
    PaintCurrentChart(painter, QSize(kChartImageWidth, kChartImageHeight), engine);
  }
  if (data.isEmpty()) return false;
  *bytes = data.toStdString();
  return true;
}

namespace {

// Through the program's one file writer: a link planted at the name is
// replaced, never written through. The folder must be there.
bool WritePicture(const std::string& path, const std::string& bytes) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty() && !DirectoryExists(folder)) return false;
  return WriteWholeFileAtomic(path, bytes);
}

}  // namespace

bool SaveChartPng(CVoVirer& engine, const std::string& path, int scale) {
  std::string bytes;
  return ChartPngBytes(engine, scale, &bytes) && WritePicture(path, bytes);
}

bool SaveChartSvg(CVoVirer& engine, const std::string& path) {
  std::string bytes;
  return ChartSvgBytes(engine, &bytes) && WritePicture(path, bytes);
}

}  // namespace lumtar
