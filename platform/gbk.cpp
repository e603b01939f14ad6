#include "gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace lumtar {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; at an invalid or unconvertible sequence it appends
  // `replacement`, skips `skip` bytes of input and goes on.
  std::string Run(std::string_view in, std::string_view replacement, bool decodingGbk) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.reserve(in.size() * 2 + 8);
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
      char* dst = buf.data();
      size_t dstLeft = buf.size();
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf.data(), dst - buf.data());
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: replace the offending sequence.
      out.append(replacement);
      size_t skip = 1;
      if (!decodingGbk) {
        // Skip one whole UTF-8 character.
        unsigned char c = static_cast<unsigned char>(*src);
        if (c >= 0xF0) skip = 4;
        else if (c >= 0xE0) skip = 3;
        else if (c >= 0xC0) skip = 2;
        if (skip > srcLeft) skip = srcLeft;
        for (size_t i = 1; i < skip; ++i) {
          if ((static_cast<unsigned char>(src[i]) & 0xC0) != 0x80) { skip = i; break; }
        }
      } else {
        // A lead byte followed by an invalid trail byte: drop only the lead,
        // so that an ASCII trail byte survives.
        skip = 1;
      }
      src += skip;
      srcLeft -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

std::string Latin1ToUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size() * 2);
  for (char ch : in) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  bool ascii = true;
  for (char c : gbk) if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  if (ascii) return std::string(gbk);
  thread_local Converter conv("UTF-8", "CP936");
  return conv.Run(gbk, "\xEF\xBF\xBD", true);
}

std::string Utf8ToGbk(std::string_view utf8) {
  bool ascii = true;
  for (char c : utf8) if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  if (ascii) return std::string(utf8);
  thread_local Converter conv("CP936", "UTF-8");
  return conv.Run(utf8, "?", false);
}

std::string CodePageToUtf8(int codePage, std::string_view bytes) {
  if (codePage == 936) return GbkToUtf8(bytes);
  bool ascii = true;
  for (char c : bytes) if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  if (ascii) return std::string(bytes);
  if (codePage == 28591) return Latin1ToUtf8(bytes);
  // One converter per code page, opened on first use; nullptr when iconv
  // does not know the page.
  thread_local std::map<int, std::unique_ptr<Converter>> converters;
  auto it = converters.find(codePage);
  if (it == converters.end()) {
    std::string name;
    if (codePage == 65001) name = "UTF-8";
    else if (codePage == 10000) name = "MACINTOSH";
    else if (codePage == 20127) name = "ASCII";
    else name = "CP" + std::to_string(codePage);
    auto conv = std::make_unique<Converter>("UTF-8", name.c_str());
    if (!conv->ok()) {
      // Remember a few unknown pages; a file naming many more is not worth
      // the memory.
      if (converters.size() >= 64) return Latin1ToUtf8(bytes);
      conv.reset();
    }
    it = converters.emplace(codePage, std::move(conv)).first;
  }
  if (!it->second) return Latin1ToUtf8(bytes);
  return it->second->Run(bytes, "\xEF\xBF\xBD", true);
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    if (c < 0x80) n = 1;
    else if ((c & 0xE0) == 0xC0 && c >= 0xC2) n = 2;
    else if ((c & 0xF0) == 0xE0) n = 3;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) n = 4;
    else return false;
    if (i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

std::string TruncateGbk(std::string_view gbk, std::size_t maxBytes) {
  size_t i = 0;
  while (i < gbk.size()) {
    size_t n = static_cast<unsigned char>(gbk[i]) >= 0x81 && i + 1 < gbk.size() ? 2 : 1;
    if (i + n > maxBytes) break;
    i += n;
  }
  return std::string(gbk.substr(0, i));
}

void CopyToGbkField(std::string_view utf8, char* field, std::size_t size) {
  if (size == 0) return;
  std::memset(field, 0, size);
  std::string g = TruncateGbk(Utf8ToGbk(utf8), size - 1);
  std::memcpy(field, g.data(), g.size());
}

std::string GbkFieldToUtf8(const char* field, std::size_t size) {
  size_t n = 0;
  while (n < size && field[n] != '\0') ++n;
  return GbkToUtf8(std::string_view(field, n));
}

}  // namespace lumtar
