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
        unsigned adapter, target;
        const std::uint8_t* cdb;
        std::size_t length;
        const char* expected;
    };
    const Row rows[] = {
        {1234, 0, 1, inquiry, sizeof inquiry, "1234 0:1 12 00 00 00 24 00\n"},
        {0, 3, 15, readToc, sizeof readToc, "0 3:15 43 00 04 00 00 00 00 03 24 00\n"},
        {18446744073709551615u, 0, 0, inquiry, 1, "18446744073709551615 0:0 12\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatLogLine(row.ms, row.adapter, row.target, row.cdb, row.length),
                  row.expected);
    }
}

}  // namespace
}  // namespace tessaly::sgshim
