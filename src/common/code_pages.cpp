#include "common/code_pages.h"

#include <cstring>
#include <vector>

namespace tessaly {

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one character at text[i]; advances i.
char16_t DecodeAnsi(unsigned codePage, const unsigned char* text, int length, int& i) {
    const unsigned char c = text[i++];
    if (codePage == 932) {
        // Shift-JIS: the full-width katakana row (lead byte 83h) and single-byte ASCII.
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (!lead)
            return c < 0x80 ? c : u'\u30FB';
        if (i >= length)
            return u'\u30FB';
        const unsigned char trail = text[i++];
        if (c == 0x83 && trail >= 0x40 && trail <= 0x96 && trail != 0x7F) {
            return static_cast<char16_t>(0x30A1 + trail - (trail > 0x7F ? 0x41 : 0x40));
        }
        return u'\u30FB';
    }
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

}  // namespace

int AnsiToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int outCount) {
    if (text == nullptr || outCount < 0)
        return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (length < 0)
        length = static_cast<int>(std::strlen(text)) + 1;
    int written = 0;
    for (int i = 0; i < length;) {
        const char16_t c = DecodeAnsi(codePage, bytes, length, i);
        if (out != nullptr && outCount > 0) {
            if (written >= outCount)
                return 0;  // ERROR_INSUFFICIENT_BUFFER
            out[written] = c;
        }
        ++written;
    }
    return written;
}

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::vector<char16_t> wide(text.size());
    const int count = AnsiToUtf16(1252, text.data(), static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size()));
    std::string out;
    out.reserve(text.size());
    for (int i = 0; i < count; ++i)
        AppendUtf8(out, wide[i]);
    return out;
}

}  // namespace tessaly
