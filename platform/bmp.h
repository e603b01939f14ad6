// The chart picture as a Windows bitmap file: 24 bits per pixel,
// uncompressed, bottom-up, BITMAPINFOHEADER.
#pragma once

#include <filesystem>
#include <string>

class QImage;

namespace lumtar {

// False for an empty image.
bool EncodeBmp(const QImage& image, std::string* bytes);

// Writes the BMP file; on failure returns false and leaves neither a partial
// file nor a changed old one.
bool SaveBmp(const QImage& image, const std::filesystem::path& path);

}  // namespace lumtar
