// The data buffer of one pass-through command when the adapter demands an alignment:
// the adapter's AlignmentMask (STORAGE_ADAPTER_DESCRIPTOR) names the low address bits
// that must be zero in a buffer it transfers to or from. The caller's bytes are copied
// in before the command and the bytes the drive returned are copied out after it.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly {

// The largest mask honoured: 64 KiB. A larger value from an adapter is clamped, as is
// a mask that is not a run of low bits (it is widened to the next one).
inline constexpr std::uint32_t kLargestAlignmentMask = 0xFFFF;

// The mask a buffer is aligned to for an adapter's reported mask: a run of low bits,
// at most kLargestAlignmentMask.
std::uint32_t UsableAlignmentMask(std::uint32_t reported);

class AlignedBuffer {
  public:
    // Room for length bytes at an address whose bits in mask are zero, holding a copy
    // of the caller's bytes (so bytes the drive leaves alone read as before). The room
    // is reused by the next command.
    std::uint8_t* Stage(std::uint32_t mask, const std::uint8_t* caller, std::uint32_t length);
    // Copies the first count bytes of the staged data back, at most the staged length.
    void CopyOut(std::uint8_t* caller, std::uint32_t count) const;

  private:
    std::vector<std::uint8_t> storage_;
    std::uint8_t* data_ = nullptr;
    std::uint32_t length_ = 0;
};

}  // namespace tessaly
