// The chart picture as a JPEG file: baseline, colour (three components,
// YCbCr), written with libjpeg.
#pragma once

#include <filesystem>
#include <string>

class QImage;

namespace lumtar {

inline constexpr int kJpegQuality = 90;

// Encodes the image (any format; alpha is dropped) as a baseline JFIF
// stream. False for an empty image or one libjpeg cannot take (wider or
// higher than 65500 pixels).
bool EncodeJpeg(const QImage& image, std::string* bytes, int quality = kJpegQuality);

// Writes the JPEG file; on failure returns false and leaves neither a
// partial file nor a changed old one.
bool SaveJpeg(const QImage& image, const std::filesystem::path& path, int quality = kJpegQuality);

}  // namespace lumtar
