// Text fit to print: byte tables of what is kept and what is replaced.
#include <gtest/gtest.h>

#include <string>

#include "common/printable_text.h"

namespace tessaly {
namespace {

const std::string R(kReplacementCharacter);

struct Row {
    const char* name;
    std::string in;
    std::string out;
};

TEST(PrintableText, ByteTable) {
    const Row rows[] = {
        {"ASCII kept", "VARNOTH CD-R   VW1210A 1.04", "VARNOTH CD-R   VW1210A 1.04"},
        {"empty", "", ""},
        {"escape sequence defused", "A\x1B[2JB", "A" + R + "[2JB"},
        {"title change defused", "\x1B]0;x\x07", R + "]0;x" + R},
        {"NUL inside", std::string("A\0B", 3), "A" + R + "B"},
        {"tab, line feed and carriage return", "a\tb\nc\rd", "a" + R + "b" + R + "c" + R + "d"},
        {"DEL", "a\x7F", "a" + R},
        {"C1 CSI as UTF-8",
         "a\xC2\x9B"
         "1m",
         "a" + R + "1m"},
        {"C1 first and last", "\xC2\x80\xC2\x9F", R + R},
        {"no-break space kept", "\xC2\xA0", "\xC2\xA0"},
        {"Latin-1 letter kept", "Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"euro sign kept", "\xE2\x82\xAC", "\xE2\x82\xAC"},
        {"four bytes kept", "\xF0\x9F\x92\xBF", "\xF0\x9F\x92\xBF"},
        {"replacement character kept", "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
        {"highest code point kept", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
        {"lone continuation byte", "a\x80z", "a" + R + "z"},
        {"a code page byte that is no UTF-8", "Caf\xE9", "Caf" + R},
        {"overlong two bytes", "\xC0\xAF", R + R},
        {"overlong three bytes", "\xE0\x80\xAF", R + R + R},
        {"overlong four bytes", "\xF0\x80\x80\xAF", R + R + R + R},
        {"surrogate", "\xED\xA0\x80", R + R + R},
        {"past U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
        {"F5h and up", "\xF5\xFF", R + R},
        {"cut at the end", "A\xE2\x82", "A" + R + R},
        {"cut before ASCII",
         "\xE2\x82"
         "A",
         R + R + "A"},
        {"cut by another lead byte", "\xE2\xC3\xA9", R + "\xC3\xA9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PrintableUtf8(row.in), row.out);
    }
}

// Every C0 control byte and DEL, alone, is one replacement; every other ASCII byte stays.
TEST(PrintableText, EveryAsciiByte) {
    for (int c = 0; c < 0x80; ++c) {
        SCOPED_TRACE(c);
        const std::string in(1, static_cast<char>(c));
        const bool control = c < 0x20 || c == 0x7F;
        EXPECT_EQ(PrintableUtf8(in), control ? R : in);
    }
}

}  // namespace
}  // namespace tessaly
