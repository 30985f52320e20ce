// The maker's vendor commands on the emulated drives: which models know them, the
// identity block of READ MEMORY (F1h) with serial and usage counter, the jumper
// answer of DEh, and clipping to the transfer length and the buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/emulated_drive_io.h"
#include "vpc/emulated_drive.h"

namespace tessaly::vpc::testing {
namespace {

std::vector<std::uint8_t> ReadMemory(std::uint32_t address, std::uint16_t length) {
    return {0xF1,
            0,
            static_cast<std::uint8_t>(address >> 24),
            static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address),
            0,
            0,
            static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length),
            0,
            0};
}

const std::vector<std::uint8_t> kReadJumper = {0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

std::int32_t SignedBe32(const std::vector<std::uint8_t>& data, std::size_t at) {
    const std::uint32_t raw = (std::uint32_t{data[at]} << 24) |
                              (std::uint32_t{data[at + 1]} << 16) |
                              (std::uint32_t{data[at + 2]} << 8) | data[at + 3];
    return static_cast<std::int32_t>(raw);
}

TEST(VpcDriveVendor, OnlyModelsWithTheVendorSetKnowTheCommands) {
    struct Row {
        const char* drive;
        bool knows;
    };
    const Row rows[] = {
        {R"({"model": "CD-ROM VN40S"})", true},
        {R"({"model": "CD-R   VW2410S"})", true},
        {R"({"model": "CD-R   VW2410A"})", true},
        {R"({"model": "CD-R   VW0202"})", true},
        {R"({"model": "VW0202 LOADER"})", true},
        {R"({"model": "CD-R   VW5232A"})", false},
        {R"({"model": "DVDR   VD0708A"})", false},
        {R"({"model": "CD-ROM VN52A"})", false},
        {R"({})", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        EmulatedDrive drive(Drive(row.drive));
        const Outcome memory = Send(drive, ReadMemory(0, 128));
        const Outcome jumper = Send(drive, kReadJumper);
        if (row.knows) {
            EXPECT_EQ(memory.status, kScsiStatusGood);
            EXPECT_EQ(memory.data.size(), 128u);
            EXPECT_EQ(jumper.status, kScsiStatusGood);
            EXPECT_EQ(jumper.data.size(), 2u);
        } else {
            EXPECT_EQ(memory.status, kScsiStatusCheckCondition);
            EXPECT_EQ(memory.sense, sense::kInvalidOpcode);
            EXPECT_TRUE(memory.data.empty());
            EXPECT_EQ(jumper.sense, sense::kInvalidOpcode);
            EXPECT_TRUE(jumper.data.empty());
        }
    }
}

TEST(VpcDriveVendor, IdentityBlockCarriesSerialAndUsageCounter) {
    struct Row {
        const char* drive;
        const char* serial;
        std::int32_t usage;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A"})", "00001", 0},
        {R"({"model": "CD-R   VW2410A", "serial": "0001f", "usage_seconds": 3725})", "0001f", 3725},
        {R"({"model": "CD-ROM VN40S", "serial": "A9 Z7", "usage_seconds": "0x7fffffff"})", "A9 Z7",
         0x7FFFFFFF},
        // A counter that has run past its top reads back negative.
        {R"({"model": "CD-R   VW2410S", "usage_seconds": "0xfffff1f0"})", "00001", -3600},
        {R"({"model": "CD-R   VW0202", "serial": "12", "usage_seconds": 60})", "12   ", 60},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        EmulatedDrive drive(Drive(row.drive));
        const Outcome out = Send(drive, ReadMemory(0, 128));
        ASSERT_EQ(out.data.size(), 128u);
        EXPECT_EQ(Text(out.data, 26, 5), row.serial);
        EXPECT_EQ(SignedBe32(out.data, 122), row.usage);
    }
}

TEST(VpcDriveVendor, IdentityBlockIsTheSameApartFromTheDrivesFields) {
    EmulatedDrive first(Drive(R"({"model": "CD-R   VW2410A"})"));
    EmulatedDrive second(Drive(R"({"model": "CD-ROM VN40S", "serial": "zzzzz",
                                   "usage_seconds": 4294967295})"));
    std::vector<std::uint8_t> a = Send(first, ReadMemory(0, 128)).data;
    std::vector<std::uint8_t> b = Send(second, ReadMemory(0, 128)).data;
    ASSERT_EQ(a.size(), 128u);
    ASSERT_EQ(b.size(), 128u);
    EXPECT_EQ(SignedBe32(b, 122), -1);
    for (std::size_t i = 26; i < 31; ++i)
        a[i] = b[i] = 0;
    for (std::size_t i = 122; i < 126; ++i)
        a[i] = b[i] = 0;
    EXPECT_EQ(a, b);
    EXPECT_EQ(Text(a, 0, 8), "VARNOTH ");
}

TEST(VpcDriveVendor, ReadMemoryIsClippedAndKnowsOnlyAddressZero) {
    struct Row {
        const char* label;
        std::vector<std::uint8_t> cdb;
        std::uint32_t buffer;
        SenseCode sense;
        std::size_t expected;
    };
    const Row rows[] = {
        {"whole block", ReadMemory(0, 128), 255, {}, 128},
        {"more asked than the block", ReadMemory(0, 0xFFFF), 255, {}, 128},
        {"up to the serial", ReadMemory(0, 31), 255, {}, 31},
        {"nothing asked", ReadMemory(0, 0), 255, {}, 0},
        {"buffer below the length", ReadMemory(0, 128), 64, {}, 64},
        {"no buffer", ReadMemory(0, 128), 0, {}, 0},
        {"address 1", ReadMemory(1, 128), 255, sense::kInvalidFieldInCdb, 0},
        {"address 80h", ReadMemory(0x80, 128), 255, sense::kInvalidFieldInCdb, 0},
        {"high address byte", ReadMemory(0x01000000, 128), 255, sense::kInvalidFieldInCdb, 0},
        {"short CDB", {0xF1, 0, 0, 0, 0, 0}, 255, {}, 0},
    };
    EmulatedDrive drive(
        Drive(R"({"model": "CD-R   VW2410A", "serial": "0001f", "usage_seconds": 3725})"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Outcome out = Send(drive, row.cdb, row.buffer);
        EXPECT_EQ(out.sense, row.sense);
        EXPECT_EQ(out.data.size(), row.expected);
    }
    const Outcome head = Send(drive, ReadMemory(0, 31));
    ASSERT_EQ(head.data.size(), 31u);
    EXPECT_EQ(Text(head.data, 26, 5), "0001f");
}

TEST(VpcDriveVendor, JumperAnswer) {
    struct Row {
        const char* drive;
        std::uint32_t buffer;
        std::vector<std::uint8_t> expected;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A", "jumper": 5})", 255, {5, 0}},
        {R"({"model": "CD-R   VW0202", "jumper": "0xa3"})", 255, {0xA3, 0}},
        {R"({"model": "CD-R   VW2410S"})", 255, {0, 0}},
        {R"({"model": "CD-R   VW2410A", "jumper": 5})", 1, {5}},
        {R"({"model": "CD-R   VW2410A", "jumper": 5})", 0, {}},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Drive(row.drive));
        const Outcome out = Send(drive, kReadJumper, row.buffer);
        EXPECT_EQ(out.status, kScsiStatusGood) << row.drive;
        EXPECT_EQ(out.data, row.expected) << row.drive << " buffer " << row.buffer;
    }
}

TEST(VpcDriveVendor, InjectionComesBeforeTheVendorCommands) {
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A", "jumper": 5,
        "answers": {"de": "07 01"}, "fail": {"f1": "04/44/00"}})"));
    EXPECT_EQ(Send(drive, kReadJumper).data, (std::vector<std::uint8_t>{7, 1}));
    EXPECT_EQ(Send(drive, ReadMemory(0, 128)).sense, (SenseCode{4, 0x44, 0}));
    EmulatedDrive without(Drive(R"({"model": "CD-R   VW5232A", "answers": {"de": "03 00"}})"));
    EXPECT_EQ(Send(without, kReadJumper).data, (std::vector<std::uint8_t>{3, 0}))
        << "answered even by a model without the vendor set";
}

}  // namespace
}  // namespace tessaly::vpc::testing
