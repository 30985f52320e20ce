#include "runner/cp1252.h"

#include <cstdint>
#include <vector>

#include "common/code_pages.h"

namespace tessaly::runner {

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

}  // namespace tessaly::runner
