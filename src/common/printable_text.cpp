#include "common/printable_text.h"

namespace tessaly {

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

bool Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed sequence at text[at] and its code point; 0 when the
// byte there starts none.
std::size_t DecodeOne(std::string_view text, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t smallest = 0;  // below it the form is overlong
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;  // a continuation byte, C0h, C1h or F5h-FFh
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[at + i]);
        if (!Continuation(c))
            return 0;
        code = (code << 6) | (c & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < smallest || surrogate || code > kLastCodePoint)
        return 0;
    return length;
}

bool ControlCharacter(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

}  // namespace

std::string PrintableUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(utf8, at, code);
        if (length == 0 || ControlCharacter(code)) {
            out.append(kReplacementCharacter);
            at += length == 0 ? 1 : length;
            continue;
        }
        out.append(utf8.substr(at, length));
        at += length;
    }
    return out;
}

}  // namespace tessaly
