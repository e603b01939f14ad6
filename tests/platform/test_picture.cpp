#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bmp.h"
#include "files.h"
#include "jpeg.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

// A chart-sized picture with smooth shading and flat colour areas.
QImage TestPicture(int width = 880, int height = 700) {
  QImage img(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      img.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
  QPainter p(&img);
  p.fillRect(40, 40, 200, 120, QColor(255, 255, 255));
  p.fillRect(300, 200, 160, 160, QColor(200, 0, 0));
  p.setBrush(QColor(0, 0, 160));
  p.drawEllipse(QPoint(width / 2, height / 2), 90, 90);
  return img;
}

// The marker codes of a JPEG stream up to the start of scan.
std::vector<int> JpegMarkers(const std::string& b) {
  std::vector<int> markers;
  size_t i = 2;
  if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF || static_cast<unsigned char>(b[1]) != 0xD8)
    return markers;
  while (i + 4 <= b.size() && static_cast<unsigned char>(b[i]) == 0xFF) {
    int code = static_cast<unsigned char>(b[i + 1]);
    markers.push_back(code);
    if (code == 0xDA) break;
    size_t len = (static_cast<unsigned char>(b[i + 2]) << 8) | static_cast<unsigned char>(b[i + 3]);
    i += 2 + len;
  }
  return markers;
}

struct Decoded {
  int components = 0;
  J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
  bool progressive = true;
  std::vector<int> lumaTable;  // natural order
  QImage image;
};

Decoded DecodeJpeg(const std::string& bytes) {
  Decoded d;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  d.components = cinfo.num_components;
  d.colorSpace = cinfo.jpeg_color_space;
  d.progressive = cinfo.progressive_mode;
  if (cinfo.quant_tbl_ptrs[0])
    for (int i = 0; i < DCTSIZE2; ++i) d.lumaTable.push_back(cinfo.quant_tbl_ptrs[0]->quantval[i]);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  d.image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB888);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = d.image.scanLine(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return d;
}

uint32_t Le32(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8) |
         (static_cast<unsigned char>(b[at + 2]) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}
int Le16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

}  // namespace

TEST(Jpeg, WritesBaselineColourAtQuality90) {
  const QImage img = TestPicture();
  std::string bytes;
  ASSERT_TRUE(EncodeJpeg(img, &bytes));

  // Exactly one frame header, and it is SOF0 (baseline DCT).
  std::set<int> sofs;
  for (int m : JpegMarkers(bytes))
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) sofs.insert(m);
  EXPECT_EQ(sofs, std::set<int>{0xC0});

  Decoded d = DecodeJpeg(bytes);
  EXPECT_EQ(d.components, 3);
  EXPECT_EQ(d.colorSpace, JCS_YCbCr);
  EXPECT_FALSE(d.progressive);

  // Quality 90: the standard luminance table (ITU T.81 Annex K) scaled by
  // 20 %, as libjpeg's quality scaling gives for 90.
  const int kStandardLuma[DCTSIZE2] = {
      16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
      14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
      18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
      49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  std::vector<int> expected;
  for (int q : kStandardLuma) expected.push_back(std::clamp((q * 20 + 50) / 100, 1, 255));
  EXPECT_EQ(d.lumaTable, expected);

  // The picture comes back close to the original.
  ASSERT_EQ(d.image.size(), img.size());
  double error = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      QRgb a = img.pixel(x, y), b = d.image.pixel(x, y);
      error += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    }
  EXPECT_LT(error / (3.0 * img.width() * img.height()), 2.0);
}

TEST(Jpeg, TakesAnyImageFormatAsColour) {
  QImage gray(33, 17, QImage::Format_Grayscale8);
  gray.fill(100);
  QImage indexed = TestPicture(50, 40).convertToFormat(QImage::Format_Indexed8);
  QImage argb = TestPicture(50, 40).convertToFormat(QImage::Format_ARGB32);
  for (const QImage& img : {gray, indexed, argb}) {
    std::string bytes;
    ASSERT_TRUE(EncodeJpeg(img, &bytes));
    Decoded d = DecodeJpeg(bytes);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.image.size(), img.size());
  }
}

TEST(Jpeg, FailureLeavesNoFile) {
  test::TempDir dir;
  const QImage img = TestPicture(64, 48);
  ASSERT_TRUE(SaveJpeg(img, dir / "chart.jpg"));
  std::string bytes, encoded;
  ASSERT_TRUE(ReadWholeFile(dir / "chart.jpg", &bytes));
  ASSERT_TRUE(EncodeJpeg(img, &encoded));
  EXPECT_EQ(bytes, encoded);

  EXPECT_FALSE(SaveJpeg(QImage(), dir / "empty.jpg"));
  EXPECT_FALSE(FileExists(dir / "empty.jpg"));
  // Too large for JPEG; nothing is written.
  EXPECT_FALSE(SaveJpeg(QImage(70000, 1, QImage::Format_RGB32), dir / "wide.jpg"));
  EXPECT_FALSE(FileExists(dir / "wide.jpg"));
  // A folder in the way.
  std::filesystem::create_directory(dir / "taken.jpg");
  EXPECT_FALSE(SaveJpeg(img, dir / "taken.jpg"));
  EXPECT_FALSE(FileExists(dir / "taken.jpg.tmp~"));
}

TEST(Bmp, Writes24BitFilesThatReadBackEqual) {
  const QImage base = TestPicture(881, 700);  // odd width: rows are padded
  struct Case {
    const char* name;
    QImage image;
  } cases[] = {
      {"RGB32", base},
      {"ARGB32", base.convertToFormat(QImage::Format_ARGB32)},
      {"RGB888", base.convertToFormat(QImage::Format_RGB888)},
      {"Indexed8", base.convertToFormat(QImage::Format_Indexed8)},
      {"Mono", base.convertToFormat(QImage::Format_Mono)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes;
    ASSERT_TRUE(EncodeBmp(c.image, &bytes));
    const int w = c.image.width(), h = c.image.height();
    const size_t row = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), bytes.size());
    EXPECT_EQ(Le32(bytes, 10), 54u);            // pixels right after the headers
    EXPECT_EQ(Le32(bytes, 14), 40u);            // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<int>(Le32(bytes, 18)), w);
    EXPECT_EQ(static_cast<int>(Le32(bytes, 22)), h);  // positive: bottom-up
    EXPECT_EQ(Le16(bytes, 26), 1);
    EXPECT_EQ(Le16(bytes, 28), 24);
    EXPECT_EQ(Le32(bytes, 30), 0u);             // BI_RGB
    EXPECT_EQ(bytes.size(), 54 + row * static_cast<size_t>(h));

    QImage back = QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), "BMP");
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), c.image.convertToFormat(QImage::Format_RGB32));
  }
}

TEST(Bmp, SavesFilesAtomically) {
  test::TempDir dir;
  const QImage img = TestPicture(40, 30);
  ASSERT_TRUE(SaveBmp(img, dir / "chart.bmp"));
  EXPECT_EQ(QImage(QString::fromStdString((dir / "chart.bmp").string())).convertToFormat(QImage::Format_RGB32), img);
  EXPECT_FALSE(SaveBmp(QImage(), dir / "empty.bmp"));
  EXPECT_FALSE(FileExists(dir / "empty.bmp"));
  std::filesystem::create_directory(dir / "taken.bmp");
  EXPECT_FALSE(SaveBmp(img, dir / "taken.bmp"));
  EXPECT_FALSE(FileExists(dir / "taken.bmp.tmp~"));
}
