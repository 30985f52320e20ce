// The ANSI code pages the program's texts come in: code page 1252 (and the katakana of
// code page 932) to UTF-16, as MultiByteToWideChar converts them.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// MultiByteToWideChar for code page 1252 (and the katakana of code page 932):
// length -1 converts up to and including the terminator. 0 on failure.
int AnsiToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int outCount);

// Code page 1252 text as UTF-8, for output outside Windows (the runners, cairo).
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace tessaly
