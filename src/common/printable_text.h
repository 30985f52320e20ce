// Text fit to print on a terminal or a page. A drive or a disc supplies much of what the
// program shows (identification, serial numbers, manufacturer names), and a control
// character among it would reach the user's terminal as a command: cursor moves, title
// changes, whole escape sequences.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The replacement character U+FFFD, as UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// UTF-8 text with every control character (C0 00h-1Fh, DEL 7Fh, C1 U+0080-U+009F) and
// every byte that does not belong to a well-formed UTF-8 sequence (overlong forms,
// surrogates, code points past U+10FFFF, cut sequences) replaced by U+FFFD, one
// replacement per offending character or byte. Everything else is kept as it is.
std::string PrintableUtf8(std::string_view utf8);

}  // namespace tessaly
