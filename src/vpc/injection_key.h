// The key under which a scenario injects an answer or a failure for a command:
// the opcode as two lower-case hex digits, and for MODE SENSE (1a, 5a) the page
// code, for READ TOC/PMA/ATIP (43) the format, after a "/" in lower-case hex
// without leading zeros: "12", "1a/2a", "5a/5", "43/4". A key of the opcode alone
// ("1a", "43") stands for every page or format of that command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly::vpc {

// sub < 0: the key of the opcode alone.
std::string InjectionKey(std::uint8_t opcode, int sub = -1);

// The most specific key of a command descriptor block; bytes beyond cdbLength read as 0.
// The page code is CDB byte 2 bits 5-0; the READ TOC format is CDB byte 2 bits 3-0,
// or, when those are 0, CDB byte 9 bits 7-6 (the older place of the format).
std::string InjectionKeyOf(const std::uint8_t* cdb, std::size_t cdbLength);

}  // namespace tessaly::vpc
