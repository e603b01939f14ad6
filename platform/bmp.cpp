#include "bmp.h"

#include <QBuffer>
#include <QImage>

#include "files.h"

namespace lumtar {

bool EncodeBmp(const QImage& image, std::string* bytes) {
  if (image.isNull()) return false;
  // Qt writes indexed images with a palette; an RGB image always comes out
  // with 24 bits per pixel.
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QByteArray data;
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::WriteOnly) || !rgb.save(&buffer, "BMP")) return false;
  bytes->assign(data.constData(), static_cast<size_t>(data.size()));
  return true;
}

bool SaveBmp(const QImage& image, const std::filesystem::path& path) {
  std::string bytes;
  return EncodeBmp(image, &bytes) && WriteWholeFileAtomic(path, bytes);
}

}  // namespace lumtar
