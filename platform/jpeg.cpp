#include "jpeg.h"

#include <QImage>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "files.h"

namespace lumtar {
namespace {

// libjpeg reports errors through error_exit, which must not return: it
// jumps back to Compress, which then cleans up.
struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr) {}

// Kept free of C++ objects with destructors, since a libjpeg error leaves
// through longjmp. The output buffer is libjpeg's (malloc), handed back in
// *out even on failure so the caller can free it.
bool Compress(const unsigned char* pixels, int width, int height, int stride, int quality,
              unsigned char** out, unsigned long* outSize) {
  jpeg_compress_struct cinfo;
  ErrorJump err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnError;
  err.mgr.output_message = OnMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, outSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);  // YCbCr, Huffman, sequential: baseline
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + static_cast<size_t>(cinfo.next_scanline) * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool EncodeJpeg(const QImage& image, std::string* bytes, int quality) {
  if (image.isNull()) return false;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) return false;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const bool ok = Compress(rgb.constBits(), rgb.width(), rgb.height(),
                           static_cast<int>(rgb.bytesPerLine()), quality, &out, &outSize);
  if (ok && out) bytes->assign(reinterpret_cast<const char*>(out), outSize);
  std::free(out);
  return ok && out;
}

bool SaveJpeg(const QImage& image, const std::filesystem::path& path, int quality) {
  std::string bytes;
  return EncodeJpeg(image, &bytes, quality) && WriteWholeFileAtomic(path, bytes);
}

}  // namespace lumtar
