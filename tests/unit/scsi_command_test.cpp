#include "transport/scsi_command.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(CdbLength, FollowsTheOperationCodeGroup) {
    struct Row {
        std::uint8_t opcode;
        std::uint8_t length;
    };
    const Row rows[] = {{0x00, 6},  {0x12, 6},  {0x1F, 6},  {0x20, 10}, {0x43, 10},
                        {0x5F, 10}, {0x60, 12}, {0x7F, 12}, {0x80, 12}, {0x9F, 12},
                        {0xA8, 12}, {0xBE, 12}, {0xF1, 12}, {0xFF, 12}};
    for (const Row& row : rows) {
        EXPECT_EQ(CdbLength(row.opcode), row.length) << "opcode " << int(row.opcode);
    }
}

TEST(DataOutOpcodeTable, HoldsExactlyTheSeventeenWritingCommands) {
    const std::uint8_t dataOut[] = {0x04, 0x0A, 0x15, 0x1D, 0x2A, 0x3B, 0x54, 0x55, 0x5D,
                                    0xA3, 0xAA, 0xB6, 0xBF, 0xD5, 0xE2, 0xF0, 0xFD};
    int marked = 0;
    for (int op = 0; op < 256; ++op)
        marked += DataOutOpcodeTable[op];
    EXPECT_EQ(marked, 17);
    for (std::uint8_t op : dataOut)
        EXPECT_TRUE(IsDataOut(op)) << int(op);
    for (std::uint8_t op : {0x00, 0x12, 0x28, 0x43, 0x5A, 0xBE, 0xF1, 0xDE}) {
        EXPECT_FALSE(IsDataOut(op)) << int(op);
    }
}

}  // namespace
}  // namespace tessaly
