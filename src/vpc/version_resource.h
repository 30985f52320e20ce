// The version resource of the virtual PC's "wnaspi32.dll". Only the virtual PC reads
// the block it builds, so its layout is its own: a magic, the block's size (u32), then
// records of [u16 key length][key][u32 value length][value], value texts NUL-terminated.
#pragma once

#include <cstdint>
#include <vector>

#include "vpc/scenario.h"

namespace tessaly::vpc {

// Empty when the file has no version resource.
std::vector<std::uint8_t> BuildVersionBlock(const AspiSpec& aspi);

// Copies the block into data (size bytes), cut to fit, its size field saying what was copied.
bool CopyVersionBlock(const std::vector<std::uint8_t>& block, void* data, std::uint32_t size);

// VerQueryValueA on such a block: "\VarFileInfo\Translation" (4 bytes) and
// "\StringFileInfo\<lang><cp>\<name>" (texts, length in characters with the NUL).
bool QueryVersionBlock(const void* block, const char* subBlock, const void** value,
                       std::uint32_t* length);

}  // namespace tessaly::vpc
