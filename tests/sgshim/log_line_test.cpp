#include "log_line.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessaly::sgshim {
namespace {

TEST(SgShimLogLine, TimeThenTheVirtualPcsCommandFormat) {
    const std::uint8_t inquiry[] = {0x12, 0, 0, 0, 0x24, 0};
    const std::uint8_t readToc[] = {0x43, 0, 4, 0, 0, 0, 0, 3, 0x24, 0};
    struct Row {
        std::uint64_t ms;
        unsigned adapter, bus, target;
        const std::uint8_t* cdb;
        std::size_t length;
        const char* expected;
    };
    const Row rows[] = {
        {1234, 0, 0, 1, inquiry, sizeof inquiry, "1234 0:1 12 00 00 00 24 00\n"},
        {0, 3, 0, 15, readToc, sizeof readToc, "0 3:15 43 00 04 00 00 00 00 03 24 00\n"},
        {18446744073709551615u, 0, 0, 0, inquiry, 1, "18446744073709551615 0:0 12\n"},
        // A drive on another bus, as the runner's command form names it.
        {7, 0, 1, 0, inquiry, sizeof inquiry, "7 0:1:0 12 00 00 00 24 00\n"},
        {7, 2, 255, 3, readToc, 1, "7 2:255:3 43\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatLogLine(row.ms, row.adapter, row.bus, row.target, row.cdb, row.length),
                  row.expected);
    }
}

}  // namespace
}  // namespace tessaly::sgshim
