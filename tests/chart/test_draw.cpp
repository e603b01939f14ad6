// The chart picture, probed at known places: background, circles, spokes,
// body labels in their colours near their computed anchors, the header and
// the annual overlay; the picture and SVG files.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "chartdraw.h"
#include "chartheader.h"
#include "chartlayout.h"
#include "chartrequests.h"
#include "tempdir.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "test_chart_draw";
    static char* argv[] = {name, nullptr};
    app_ = new QGuiApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QGuiApplication* app_ = nullptr;
};
const auto* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// Background colour of the tests' charts, 0x00BBGGRR as set.ini keeps it.
constexpr uint32_t kBackgroundBgr = 0x00A0D0F0;
const QColor kBackground(0xF0, 0xD0, 0xA0);

// Whether a line passes within a pixel of a point.
bool DarkAround(const QImage& img, const ChartPoint& p) {
  const int x0 = static_cast<int>(std::lround(p.x)), y0 = static_cast<int>(std::lround(p.y));
  for (int y = y0 - 1; y <= y0 + 1; ++y)
    for (int x = x0 - 1; x <= x0 + 1; ++x)
      if (qGray(img.pixel(x, y)) < 110) return true;
  return false;
}

// Share of the samples along a circle that lie on a line.
double DarkShareOnCircle(const QImage& img, double radius) {
  int dark = 0;
  const int n = 720;
  for (int i = 0; i < n; ++i) dark += DarkAround(img, PointAt(i * 0.5, radius)) ? 1 : 0;
  return static_cast<double>(dark) / n;
}

// Share of the samples along a radial segment that lie on a line.
double DarkShareOnSpoke(const QImage& img, double theta, double r1, double r2) {
  int dark = 0, n = 0;
  for (double r = r1; r <= r2; r += 1, ++n) dark += DarkAround(img, PointAt(theta, r)) ? 1 : 0;
  return static_cast<double>(dark) / n;
}

// Pixels within a box around a point that carry the given ink: on the way
// from the background to that colour, at least half-way (text is smoothed
// into the background at its edges).
int PixelsNear(const QImage& img, double cx, double cy, double half, const QColor& ink) {
  const double bg[3] = {double(kBackground.red()), double(kBackground.green()), double(kBackground.blue())};
  const double d[3] = {ink.red() - bg[0], ink.green() - bg[1], ink.blue() - bg[2]};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  int count = 0;
  for (int y = static_cast<int>(cy - half); y <= static_cast<int>(cy + half); ++y)
    for (int x = static_cast<int>(cx - half); x <= static_cast<int>(cx + half); ++x) {
      if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) continue;
      const QColor c = img.pixelColor(x, y);
      const double v[3] = {c.red() - bg[0], c.green() - bg[1], c.blue() - bg[2]};
      const double t = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / dd;
      double off = 0;
      for (int i = 0; i < 3; ++i) off += (v[i] - t * d[i]) * (v[i] - t * d[i]);
      if (t > 0.5 && std::sqrt(off) < 40) ++count;
    }
  return count;
}

class Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    ChartSettings s;
    s.backgroundColour = kBackgroundBgr;
    ASSERT_TRUE(SaveChartSettings((dir / "set.ini").string(), s));
    engine.SetSettingsPath((dir / "set.ini").string());
    engine.SetPainter(&painter);
    painter.painted = [this] { ++painted; };
  }
  bool Natal() {
    ChartRequest r = test::MakeRequest(1990, 3, 7, 14, 25);
    r.SetPlaceName("北京-北京");
    return engine.ComputeNatal(r);
  }
  test::TempDir dir;
  CVoVirer engine;
  QImage picture = NewChartPicture();
  PictureChartPainter painter{&picture};
  int painted = 0;
};

}  // namespace

TEST_F(Draw, FrameRingsAndSpokes) {
  ASSERT_TRUE(Natal());
  EXPECT_EQ(painted, 1);
  ASSERT_EQ(picture.size(), QSize(880, 700));
  EXPECT_EQ(picture.dotsPerMeterX(), 3780);
  // The background fills the picture (checked where nothing is written:
  // the right-hand edge below the body lines).
  for (QPoint p : {QPoint(879, 699), QPoint(870, 560), QPoint(640, 520)})
    EXPECT_EQ(picture.pixelColor(p), kBackground) << p.x() << "," << p.y();
  for (double r : {30.0, 60.0, 90.0, 210.0, 240.0, 255.0, 300.0}) EXPECT_GT(DarkShareOnCircle(picture, r), 0.98) << r;
  EXPECT_LT(DarkShareOnCircle(picture, 156), 0.2);  // the annual circle only comes with an overlay
  for (int k = 0; k < 12; ++k) {
    EXPECT_GT(DarkShareOnSpoke(picture, 30 * k, 258, 298), 0.98) << k;  // spirit ring
    EXPECT_GT(DarkShareOnSpoke(picture, 30 * k, 33, 58), 0.98) << k;    // branch ring
  }
}

TEST_F(Draw, BodyLabelsInTheirColoursAtTheirAnchors) {
  ASSERT_TRUE(Natal());
  LabelGrid grid;
  const QColor colours[kChartBodyCount] = {
      QColor(255, 0, 0), QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 0, 255), QColor(0, 0, 255),
      QColor(0, 0, 255), QColor(0, 0, 255), QColor(0, 128, 0), QColor(0, 128, 0), QColor(0, 128, 0),
      QColor(0, 128, 0), QColor(228, 187, 0), QColor(228, 187, 0), QColor(228, 187, 0)};
  for (int k = 0; k < kChartBodyCount; ++k) {
    const LabelPlacement l =
        PlaceLabelsInRing(grid, NatalRing(), ScreenAngleOf(engine.model.places[k].longitude));
    EXPECT_GT(PixelsNear(picture, l.anchor.x, l.anchor.y, 6, colours[k]), 4) << k;
  }
  // 命宫's red line across the mansion ring.
  const double asc = ScreenAngleOf(engine.model.places[kAscendantPlace].longitude);
  const ChartPoint mid = PointAt(asc, 220);
  EXPECT_GT(PixelsNear(picture, mid.x, mid.y, 1.5, QColor(255, 0, 0)), 0);
}

TEST_F(Draw, HeaderBlocksWhereTheyBelong) {
  ASSERT_TRUE(Natal());
  EXPECT_GT(PixelsNear(picture, 30, 14, 10, QColor(255, 0, 0)), 10);    // "Lumtar" in red
  EXPECT_GT(PixelsNear(picture, 540, 26, 8, QColor(0, 0, 0)), 10);      // "姓名:"
  EXPECT_GT(PixelsNear(picture, 545, 80, 8, QColor(255, 0, 0)), 10);    // "命宫:"
  EXPECT_GT(PixelsNear(picture, 620, 138, 6, QColor(0, 0, 255)), 5);    // "日:" of the body lines
  EXPECT_GT(PixelsNear(picture, 20, 596, 8, QColor(0, 0, 0)), 10);      // "星图:"
  EXPECT_GT(PixelsNear(picture, 315, 648, 8, QColor(0, 0, 255)), 10);   // "寿元:"
  // No text runs into the right-hand or the bottom edge.
  for (int x = 0; x < picture.width(); ++x)
    for (int y : {picture.height() - 2, picture.height() - 1})
      ASSERT_EQ(picture.pixelColor(x, y), kBackground) << x << "," << y;
  for (int y = 0; y < picture.height(); ++y)
    for (int x : {picture.width() - 2, picture.width() - 1})
      ASSERT_EQ(picture.pixelColor(x, y), kBackground) << x << "," << y;
}

TEST_F(Draw, AnnualOverlay) {
  ASSERT_TRUE(Natal());
  const QImage natal = picture;
  const double jd = engine.dateService.JulianDayOf(DateTime{2024, 5, 1, 12, 0});
  EXPECT_FALSE(engine.ComputeAnnual(8, 0));
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(picture, natal);  // a refused overlay draws nothing
  ASSERT_TRUE(engine.ComputeAnnual(8, jd));
  EXPECT_EQ(painted, 2);
  EXPECT_GT(DarkShareOnCircle(picture, 156), 0.98);
  // The green text block and the period line.
  EXPECT_GT(PixelsNear(picture, 575, 478, 12, QColor(0, 128, 0)), 10);
  EXPECT_EQ(PixelsNear(natal, 575, 478, 12, QColor(0, 128, 0)), 0);
  const ChartPoint line = PointAt(engine.annual.period.lineAngle, 232);
  EXPECT_GT(PixelsNear(picture, line.x, line.y, 1.5, QColor(0, 128, 0)), 0);
  // The annual bodies in the inner ring.
  LabelGrid grid;
  const ChartPoint sun = PlaceLabelsInRing(grid, AnnualRing(), ScreenAngleOf(engine.annual.longitude[0])).anchor;
  EXPECT_GT(PixelsNear(picture, sun.x, sun.y, 6, QColor(255, 0, 0)), 4);
  // Redrawing the same overlay gives the same picture.
  const QImage once = picture;
  ASSERT_TRUE(engine.ComputeAnnual(8, jd));
  EXPECT_EQ(picture, once);
  EXPECT_EQ(RenderChart(engine), once);
}

TEST_F(Draw, PngAndSvgFiles) {
  ASSERT_TRUE(Natal());
  const std::string png = (dir / "chart.png").string(), svg = (dir / "chart.svg").string();
  ASSERT_TRUE(SaveChartPng(engine, png));
  QImage read(QString::fromStdString(png));
  EXPECT_EQ(read.size(), QSize(880, 700));
  EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32));
  ASSERT_TRUE(SaveChartSvg(engine, svg));
  std::ifstream in(svg);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("<svg"), std::string::npos);
  EXPECT_NE(text.str().find("乾造:"), std::string::npos);  // text stays text
  EXPECT_NE(text.str().find("viewBox=\"0 0 880 700\""), std::string::npos);
  // A file that cannot be written leaves the old one alone.
  EXPECT_FALSE(SaveChartPng(engine, (dir / "no-such-folder" / "chart.png").string()));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(png)));
}

namespace {

// Length of the run of dark pixels across row y nearest to column x (within
// 4 pixels).
int DarkRunAcross(const QImage& img, int x, int y) {
  auto dark = [&](int at) { return at >= 0 && at < img.width() && qGray(img.pixel(at, y)) < 110; };
  for (int d = 0; d <= 4 && !dark(x); ++d) {
    if (dark(x - d)) x -= d;
    else if (dark(x + d)) x += d;
  }
  if (!dark(x)) return 0;
  int left = x, right = x;
  while (dark(left - 1)) --left;
  while (dark(right + 1)) ++right;
  return right - left + 1;
}

}  // namespace

// At a higher resolution the same picture is painted again: the same places
// at N times the pixels, lines N pixels wide (or one device pixel on a
// screen), text drawn at that size rather than enlarged.
TEST_F(Draw, HigherResolutions) {
  ASSERT_TRUE(Natal());
  // The vertical spoke below the centre, across the branch ring.
  EXPECT_EQ(DarkRunAcross(picture, 302, 347), 1);
  const QImage enlarged2 = picture.scaled(1760, 1400, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  for (int scale : {2, 3, 4}) {
    const QImage image = RenderChart(engine, scale);
    ASSERT_EQ(image.size(), QSize(880 * scale, 700 * scale));
    EXPECT_EQ(image.dotsPerMeterX(), 3780 * scale);
    EXPECT_EQ(image.devicePixelRatio(), 1.0);
    for (double r : {30.0, 60.0, 90.0, 210.0, 240.0, 255.0, 300.0}) {
      int dark = 0;
      for (int i = 0; i < 720; ++i) {
        const ChartPoint p = PointAt(i * 0.5, r);
        dark += DarkAround(image, ChartPoint{p.x * scale, p.y * scale}) ? 1 : 0;
      }
      EXPECT_GT(dark, 700) << scale << " " << r;
    }
    EXPECT_EQ(DarkRunAcross(image, 302 * scale, 347 * scale), scale) << scale;
  }
  EXPECT_NE(RenderChart(engine, 2), enlarged2);
  // The title's letters are drawn at 2 × 16 pixels, not doubled: the
  // enlarged picture has only pairs of equal columns there.
  const QImage sharp = RenderChart(engine, 2);
  int unpaired = 0;
  for (int y = 12; y < 60; ++y)
    for (int x = 8; x < 130; x += 2)
      if (sharp.pixel(x, y) != sharp.pixel(x + 1, y)) ++unpaired;
  EXPECT_GT(unpaired, 50);
  // On a screen of twice the density the lines stay one device pixel wide.
  QImage screen = NewChartPicture(880, 700, 2);
  {
    QPainter p(&screen);
    PaintCurrentChart(p, QSize(880, 700), engine, ChartLines::DevicePixel);
  }
  EXPECT_EQ(screen.size(), QSize(1760, 1400));
  EXPECT_EQ(DarkRunAcross(screen, 604, 694), 1);
  // Scale 1 stays the picture itself.
  EXPECT_EQ(RenderChart(engine, 1), picture);
}
