#include "transport/aligned_buffer.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

std::uint32_t UsableAlignmentMask(std::uint32_t reported) {
    std::uint32_t mask = std::min(reported, kLargestAlignmentMask);
    // Every bit below the highest set bit.
    for (int shift = 1; shift < 32; shift *= 2)
        mask |= mask >> shift;
    return mask;
}

std::uint8_t* AlignedBuffer::Stage(std::uint32_t mask, const std::uint8_t* caller,
                                   std::uint32_t length) {
    const std::uint32_t usable = UsableAlignmentMask(mask);
    const std::size_t room = std::size_t{length} + usable;
    if (storage_.size() < room)
        storage_.resize(room);
    const auto start = reinterpret_cast<std::uintptr_t>(storage_.data());
    const std::uintptr_t aligned = (start + usable) & ~std::uintptr_t{usable};
    data_ = storage_.data() + (aligned - start);
    length_ = length;
    if (caller != nullptr && length > 0)
        std::memcpy(data_, caller, length);
    return data_;
}

void AlignedBuffer::CopyOut(std::uint8_t* caller, std::uint32_t count) const {
    const std::uint32_t n = std::min(count, length_);
    if (caller != nullptr && data_ != nullptr && n > 0)
        std::memcpy(caller, data_, n);
}

}  // namespace tessaly
