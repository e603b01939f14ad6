// The RTF reader on arbitrary bytes. Besides not crashing or hanging, a
// document read successfully must write out as RTF that reads back and
// writes out identically.
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rtf.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  QTextDocument doc;
  if (!lumtar::ReadRtf(input, &doc)) return 0;
  const std::string first = lumtar::WriteRtf(doc);
  QTextDocument again;
  if (!lumtar::ReadRtf(first, &again)) std::abort();
  if (lumtar::WriteRtf(again) != first) std::abort();
  return 0;
}
