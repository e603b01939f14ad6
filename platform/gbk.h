// GBK (code page 936) <-> UTF-8 text conversion.
//
// Every text the program keeps in files is GBK; the code works in UTF-8.
// Conversion never fails: bytes that are no valid GBK come out as U+FFFD,
// characters that GBK cannot hold go out as '?'.
#pragma once

#include <string>
#include <string_view>

namespace lumtar {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// Text in another Windows code page (1252, 950, 932 …; 936 is GBK, 65001
// UTF-8) as UTF-8. Invalid bytes come out as U+FFFD; a code page the system
// cannot convert is read as Latin-1.
std::string CodePageToUtf8(int codePage, std::string_view bytes);

// True when the bytes are well-formed UTF-8 (used to accept UTF-8 input
// where a GBK file is expected).
bool IsValidUtf8(std::string_view bytes);

// Copies the UTF-8 text as GBK into a fixed field of `size` bytes,
// zero-terminated within the field and zero-filled after it. The text is cut
// at a whole GBK character when it does not fit in size-1 bytes.
void CopyToGbkField(std::string_view utf8, char* field, std::size_t size);

// Reads a zero-terminated GBK field of at most `size` bytes as UTF-8.
std::string GbkFieldToUtf8(const char* field, std::size_t size);

// Cuts a GBK byte string to at most `maxBytes` bytes without splitting a
// double-byte character.
std::string TruncateGbk(std::string_view gbk, std::size_t maxBytes);

}  // namespace lumtar
