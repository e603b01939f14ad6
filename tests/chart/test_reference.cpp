// The reference charts of tests/chart/reference, rendered again with the
// lumtar-cli of this build by their own script, against the pictures
// committed there. A change to the picture shows here; look at the new
// pictures and, when they are right, render the references again
// (make_reference.sh, see there).
//
// Tolerance: a pixel differs when one of its colour channels differs by more
// than 40 of 255, and at most 8 pixels of a picture's 616,000 may differ.
// Rendered on the same fonts and the same Qt the pictures come out the same
// to the pixel; the allowance is for a stray anti-aliased edge, never for a
// text: one stroke less in the header's name (张三 to 张二) makes 55 pixels
// differ.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "clirun.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

constexpr int kChannelTolerance = 40;
constexpr int kDifferingPixels = 8;

int DifferingPixels(const QImage& a, const QImage& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > kChannelTolerance || std::abs(qGreen(p) - qGreen(q)) > kChannelTolerance ||
          std::abs(qBlue(p) - qBlue(q)) > kChannelTolerance)
        ++count;
    }
  return count;
}

}  // namespace

TEST(ReferenceCharts, RenderAsCommitted) {
  const std::string reference = std::string(LUMTAR_SOURCE_DIR) + "/tests/chart/reference";
  test::TempDir dir;
  const test::CommandRun run = test::RunCommandLine("env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY bash '" +
                                                        reference + "/make_reference.sh' '" + LUMTAR_CLI + "' '" +
                                                        dir.str() + "'",
                                                    (dir / "stderr.txt").string());
  ASSERT_EQ(run.status, 0) << run.err;
  int pictures = 0;
  for (const char* name : {"beijing-1990.png", "beijing-1990-annual-2024.png", "shanghai-lunar-1984.png",
                           "newyork-1969.png", "newyork-1969-annual-2030.png", "sydney-2000.png"}) {
    const QImage committed(QString::fromStdString(reference + "/" + name));
    const QImage rendered(QString::fromStdString((dir / name).string()));
    ASSERT_FALSE(committed.isNull()) << name;
    ASSERT_FALSE(rendered.isNull()) << name;
    ASSERT_EQ(rendered.size(), committed.size()) << name;
    const int differing = DifferingPixels(committed.convertToFormat(QImage::Format_RGB32),
                                          rendered.convertToFormat(QImage::Format_RGB32));
    std::printf("%-30s %d pixels differ\n", name, differing);
    EXPECT_LE(differing, kDifferingPixels) << name << " (rendered into " << dir.str() << ")";
    ++pictures;
  }
  EXPECT_EQ(pictures, 6);
}
