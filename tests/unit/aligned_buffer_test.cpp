// The staging buffer of pass-through data: aligned as the adapter's mask demands, the
// caller's bytes in, at most the staged length out.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "transport/aligned_buffer.h"

namespace tessaly {
namespace {

TEST(AlignedBuffer, UsableMaskIsARunOfLowBitsWithinTheLargest) {
    struct Row {
        std::uint32_t reported, usable;
    };
    const Row rows[] = {{0, 0},
                        {1, 1},
                        {3, 3},
                        {0x1FF, 0x1FF},
                        {5, 7},
                        {0x100, 0x1FF},
                        {0xFFFF, 0xFFFF},
                        {0x10000, 0xFFFF},
                        {0xFFFFFFFFu, 0xFFFF}};
    for (const Row& row : rows)
        EXPECT_EQ(UsableAlignmentMask(row.reported), row.usable) << row.reported;
}

TEST(AlignedBuffer, StagesTheCallersBytesAtAnAlignedAddress) {
    std::array<std::uint8_t, 41> caller{};
    for (std::size_t i = 0; i < caller.size(); ++i)
        caller[i] = static_cast<std::uint8_t>(i + 1);
    AlignedBuffer buffer;
    for (std::uint32_t mask : {0u, 1u, 3u, 7u, 0x1FFu, 0xFFFu, 6u}) {
        SCOPED_TRACE(mask);
        std::uint8_t* staged = buffer.Stage(mask, caller.data(), caller.size());
        ASSERT_NE(staged, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(staged) & UsableAlignmentMask(mask), 0u);
        EXPECT_TRUE(std::equal(caller.begin(), caller.end(), staged));
    }
}

TEST(AlignedBuffer, CopiesOutNoMoreThanStaged) {
    std::array<std::uint8_t, 16> caller{};
    AlignedBuffer buffer;
    std::uint8_t* staged = buffer.Stage(0x1FF, caller.data(), 8);
    for (int i = 0; i < 8; ++i)
        staged[i] = 0xA0 + i;
    buffer.CopyOut(caller.data(), 5);
    EXPECT_EQ(caller[4], 0xA4);
    EXPECT_EQ(caller[5], 0) << "beyond the count the drive reported";
    buffer.CopyOut(caller.data(), 0xFFFFFFFFu);
    EXPECT_EQ(caller[7], 0xA7);
    EXPECT_EQ(caller[8], 0) << "beyond the staged length";
}

}  // namespace
}  // namespace tessaly
