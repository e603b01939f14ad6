// A picture as a PNG file, with its resolution (dots per inch) recorded.
#pragma once

#include <filesystem>
#include <string>

class QImage;

namespace lumtar {

// False for an empty image.
bool EncodePng(const QImage& image, std::string* bytes);

// Writes the PNG file; on failure returns false and leaves neither a partial
// file nor a changed old one.
bool SavePng(const QImage& image, const std::filesystem::path& path);

}  // namespace lumtar
