#include "transport/text_match.h"

#include <cstring>
#include <initializer_list>

namespace tessaly {

namespace {
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
}  // namespace

void CopyText(const char* text, char* out, std::size_t size) {
    if (size == 0)
        return;
    std::size_t i = 0;
    for (; text != nullptr && text[i] != '\0' && i + 1 < size; ++i)
        out[i] = text[i];
    out[i] = '\0';
}

void ToLowerAscii(char* text) {
    for (; *text != '\0'; ++text)
        *text = LowerAscii(*text);
}

bool EqualIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    }
    return *a == *b;
}

bool ContainsText(const char* text, const char* word) {
    return std::strstr(text, word) != nullptr;
}

void JoinDeviceName(const InquiryIdentity& identity, char* out, std::size_t size) {
    if (size == 0)
        return;
    std::size_t n = 0;
    for (const char* part : {identity.vendor, identity.product}) {
        for (const char* c = part; *c != '\0' && n + 1 < size; ++c) {
            out[n++] = *c == ' ' ? '_' : UpperAscii(*c);
        }
    }
    out[n] = '\0';
}

}  // namespace tessaly
