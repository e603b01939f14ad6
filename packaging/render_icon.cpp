// Renders the program's SVG icon as square PNG pictures for the icon theme:
//   render_icon ICON.svg OUT_FOLDER SIZE…  → OUT_FOLDER/SIZExSIZE.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: render_icon ICON.svg OUT_FOLDER SIZE...\n");
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > 4096) return 2;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    svg.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    const std::string out = std::string(argv[2]) + "/" + std::to_string(size) + "x" + std::to_string(size) + ".png";
    if (!image.save(QString::fromStdString(out), "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", out.c_str());
      return 1;
    }
  }
  return 0;
}
