// The staging buffer of pass-through data: aligned as the adapter's mask demands (a mask
// widened to a run of low bits, at most 64 KiB), the caller's bytes in, at most the
// staged length out.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "transport/aligned_buffer.h"

namespace tessaly {
namespace {

TEST(AlignedBuffer, StagesAtAnAlignedAddressAndCopiesOutNoMoreThanStaged) {
    struct Row {
        std::uint32_t reported, usable;
    };
    const Row rows[] = {{0, 0},
                        {1, 1},
                        {3, 3},
                        {6, 7},
                        {0x1FF, 0x1FF},
                        {0x100, 0x1FF},
                        {0x10000, 0xFFFF},
                        {0xFFFFFFFFu, 0xFFFF}};
    std::array<std::uint8_t, 41> caller{};
    for (std::size_t i = 0; i < caller.size(); ++i)
        caller[i] = static_cast<std::uint8_t>(i + 1);
    AlignedBuffer buffer;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reported);
        EXPECT_EQ(UsableAlignmentMask(row.reported), row.usable);
        std::uint8_t* staged = buffer.Stage(row.reported, caller.data(), caller.size());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(staged) & row.usable, 0u);
        EXPECT_TRUE(std::equal(caller.begin(), caller.end(), staged));
    }

    std::array<std::uint8_t, 16> out{};
    std::uint8_t* staged = buffer.Stage(0x1FF, out.data(), 8);
    std::fill_n(staged, 8, 0xA5);
    buffer.CopyOut(out.data(), 5);
    EXPECT_EQ(out[4], 0xA5);
    EXPECT_EQ(out[5], 0) << "beyond the count the drive reported";
    buffer.CopyOut(out.data(), 0xFFFFFFFFu);
    EXPECT_EQ(out[7], 0xA5);
    EXPECT_EQ(out[8], 0) << "beyond the staged length";
}

}  // namespace
}  // namespace tessaly
