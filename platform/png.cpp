#include "png.h"

#include <QBuffer>
#include <QImage>

#include "files.h"

namespace lumtar {

bool EncodePng(const QImage& image, std::string* bytes) {
  if (image.isNull()) return false;
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return false;
  *bytes = data.toStdString();
  return true;
}

bool SavePng(const QImage& image, const std::filesystem::path& path) {
  std::string bytes;
  return EncodePng(image, &bytes) && WriteWholeFileAtomic(path, bytes);
}

}  // namespace lumtar
