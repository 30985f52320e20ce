// MODE SENSE on the emulated drives: which forms and pages each kind of model answers,
// the six- and ten-byte layouts, where the drive's settings land, and clipping.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/emulated_drive_io.h"
#include "vpc/emulated_drive.h"

namespace tessaly::vpc::testing {
namespace {

DriveSpec Model(const std::string& key, const std::string& more = "") {
    return Drive(key.empty()
                     ? "{" + more + "}"
                     : R"({"model": ")" + key + "\"" + (more.empty() ? "" : ", ") + more + "}");
}

std::vector<std::uint8_t> Sense6(std::uint8_t page, std::uint8_t allocation = 0xFF) {
    return {0x1A, 0, page, 0, allocation, 0};
}

std::vector<std::uint8_t> Sense10(std::uint8_t page, std::uint16_t allocation = 0xFF) {
    return {0x5A,
            0,
            page,
            0,
            0,
            0,
            0,
            static_cast<std::uint8_t>(allocation >> 8),
            static_cast<std::uint8_t>(allocation),
            0};
}

// The page of an answer, after the header and the block descriptor.
std::vector<std::uint8_t> PageOf(const Outcome& out, bool tenByte) {
    const std::size_t at = tenByte ? 8 : 12;  // the ten-byte form has no block descriptor
    if (out.data.size() < at)
        return {};
    return std::vector<std::uint8_t>(out.data.begin() + at, out.data.end());
}

constexpr SenseCode kGood{};

struct FormRow {
    const char* model;  // empty: a plain drive of another maker
    SenseCode six[4];   // pages 05h, 2Ah, 30h, 31h in the six-byte form
    SenseCode ten[4];   // the same pages in the ten-byte form
};

constexpr SenseCode kOp = sense::kInvalidOpcode;
constexpr SenseCode kFld = sense::kInvalidFieldInCdb;

TEST(VpcDriveModeSense, FormsAndPagesPerModel) {
    const FormRow rows[] = {
        {"CD-ROM VN40S", {kFld, kGood, kFld, kGood}, {kFld, kGood, kFld, kGood}},
        {"CD-R   VW2410S", {kGood, kGood, kFld, kGood}, {kGood, kGood, kFld, kGood}},
        {"CD-R   VW2410A", {kOp, kOp, kOp, kOp}, {kGood, kGood, kFld, kGood}},
        {"CD-R   VW5232A", {kOp, kOp, kOp, kOp}, {kGood, kGood, kGood, kFld}},
        {"CD-R   VW5232AU", {kOp, kOp, kOp, kOp}, {kGood, kGood, kGood, kFld}},
        {"DVDR   VD0708A", {kOp, kOp, kOp, kOp}, {kGood, kGood, kGood, kFld}},
        {"CD-ROM VN52A", {kOp, kOp, kOp, kOp}, {kFld, kGood, kFld, kFld}},
        {"CD-R   VW0202", {kGood, kGood, kFld, kGood}, {kGood, kGood, kFld, kGood}},
        {"", {kFld, kGood, kFld, kFld}, {kFld, kGood, kFld, kFld}},
    };
    const std::uint8_t pages[4] = {0x05, 0x2A, 0x30, 0x31};
    for (const FormRow& row : rows) {
        EmulatedDrive drive(Model(row.model));
        for (int i = 0; i < 4; ++i) {
            for (const bool tenByte : {false, true}) {
                SCOPED_TRACE(std::string(row.model) + (tenByte ? " ten-byte" : " six-byte") +
                             " page " + std::to_string(pages[i]));
                const SenseCode expected = tenByte ? row.ten[i] : row.six[i];
                const Outcome out = Send(drive, tenByte ? Sense10(pages[i]) : Sense6(pages[i]));
                EXPECT_EQ(out.sense, expected);
                if (expected == kGood) {
                    EXPECT_EQ(out.status, kScsiStatusGood);
                    EXPECT_EQ(PageOf(out, tenByte).at(0), pages[i]);
                } else {
                    EXPECT_EQ(out.status, kScsiStatusCheckCondition);
                    EXPECT_TRUE(out.data.empty());
                }
            }
        }
    }
}

TEST(VpcDriveModeSense, PagesNoModelHasAreInvalidFields) {
    EmulatedDrive drive(Model("CD-R   VW2410S"));
    for (const std::uint8_t page : {0x00, 0x01, 0x0E, 0x1A, 0x2B, 0x32, 0x3F}) {
        EXPECT_EQ(Send(drive, Sense6(page)).sense, sense::kInvalidFieldInCdb) << int(page);
        EXPECT_EQ(Send(drive, Sense10(page)).sense, sense::kInvalidFieldInCdb) << int(page);
    }
}

TEST(VpcDriveModeSense, SixByteFormHasABlockDescriptorTenByteFormNone) {
    EmulatedDrive drive(Model("CD-R   VW2410S"));
    const Outcome six = Send(drive, Sense6(0x2A));
    ASSERT_EQ(six.data.size(), 4u + 8u + 22u);
    const std::vector<std::uint8_t> sixHead(six.data.begin(), six.data.begin() + 12);
    EXPECT_EQ(sixHead, (std::vector<std::uint8_t>{0x21, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x08, 0x00}));

    const Outcome ten = Send(drive, Sense10(0x2A));
    ASSERT_EQ(ten.data.size(), 8u + 22u);
    const std::vector<std::uint8_t> tenHead(ten.data.begin(), ten.data.begin() + 8);
    EXPECT_EQ(tenHead, (std::vector<std::uint8_t>{0x00, 0x1C, 0, 0, 0, 0, 0x00, 0x00}));
    EXPECT_EQ(PageOf(six, false), PageOf(ten, true)) << "the same page in both forms";
}

TEST(VpcDriveModeSense, PageLengths) {
    struct Row {
        const char* model;
        std::uint8_t page;
        std::uint8_t pageLength;
    };
    const Row rows[] = {
        {"CD-R   VW2410A", 0x05, 0x32},
        {"CD-R   VW2410A", 0x2A, 0x14},
        {"CD-R   VW5232A", 0x30, 0x0E},
        {"CD-R   VW2410A", 0x31, 0x06},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Model(row.model));
        const Outcome out = Send(drive, Sense10(row.page, 0x200));
        const std::size_t total = 8u + row.pageLength + 2u;
        ASSERT_EQ(out.data.size(), total) << int(row.page);
        EXPECT_EQ((out.data[0] << 8) | out.data[1], total - 2) << "mode data length";
        EXPECT_EQ(out.data[8], row.page);
        EXPECT_EQ(out.data[9], row.pageLength);
    }
}

TEST(VpcDriveModeSense, CapabilitiesPageReportsMediaAndSpeeds) {
    struct Row {
        const char* model;
        const char* more;
        std::uint8_t writes;        // byte 3
        std::uint16_t currentRead;  // bytes 14-15
    };
    const Row rows[] = {
        {"CD-ROM VN40S", "", 0x00, 7056},
        {"CD-R   VW2410S", R"("read_speed_kbs": 5632)", 0x03, 5632},
        {"CD-R   VW2410A", R"("read_speed_kbs": "0x0b00")", 0x03, 2816},
        {"DVDR   VD0708A", "", 0x13, 7056},
        {"DVDR   VD0708AF", "", 0x13, 7056},
        {"CD-R   VW0202", R"("read_speed_kbs": 1411)", 0x03, 1411},
        {"", R"("read_speed_kbs": 706)", 0x00, 706},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        EmulatedDrive drive(Model(row.model, row.more));
        const std::vector<std::uint8_t> page = PageOf(Send(drive, Sense10(0x2A)), true);
        ASSERT_EQ(page.size(), 22u);
        EXPECT_EQ(page[2] & 0x03, 0x03) << "reads CD-R and CD-RW";
        EXPECT_EQ(page[3], row.writes);
        EXPECT_EQ((page[8] << 8) | page[9], 7056) << "maximum read speed";
        EXPECT_EQ((page[14] << 8) | page[15], row.currentRead);
    }
}

TEST(VpcDriveModeSense, UnderrunShowsInStandardOrVendorPage) {
    struct Row {
        const char* model;
        const char* more;
        int capabilitiesBit;  // page 2Ah byte 4 bit 7
        int writeBit;         // page 05h byte 2 bit 6
        int vendorSupported;  // page 30h byte 2 bit 0, -1 without page 30h
        int vendorEnabled;    // page 30h byte 3 bit 0
    };
    const Row rows[] = {
        {"CD-R   VW2410A", R"("underrun": {"supported": true, "enabled": true})", 1, 1, -1, 0},
        {"CD-R   VW2410A", R"("underrun": {"supported": true, "enabled": false})", 1, 0, -1, 0},
        {"CD-R   VW2410S", R"("underrun": {"supported": false, "enabled": true})", 0, 1, -1, 0},
        {"CD-R   VW2410A", "", 0, 0, -1, 0},
        {"CD-R   VW5232A", R"("underrun": {"supported": true, "enabled": true})", 0, 0, 1, 1},
        {"CD-R   VW5232AU", R"("underrun": {"supported": true, "enabled": false})", 0, 0, 1, 0},
        {"DVDR   VD0708A", R"("underrun": {"supported": false, "enabled": false})", 0, 0, 0, 0},
        {"DVDR   VD0708A", "", 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.model) + " " + row.more);
        EmulatedDrive drive(Model(row.model, row.more));
        const auto capabilities = PageOf(Send(drive, Sense10(0x2A)), true);
        const auto write = PageOf(Send(drive, Sense10(0x05)), true);
        ASSERT_EQ(capabilities.size(), 22u);
        ASSERT_EQ(write.size(), 52u);
        EXPECT_EQ(capabilities[4] >> 7, row.capabilitiesBit);
        EXPECT_EQ((write[2] >> 6) & 1, row.writeBit);
        const Outcome vendor = Send(drive, Sense10(0x30));
        if (row.vendorSupported < 0) {
            EXPECT_EQ(vendor.sense, sense::kInvalidFieldInCdb);
            continue;
        }
        const auto page = PageOf(vendor, true);
        ASSERT_EQ(page.size(), 16u);
        EXPECT_EQ(page[2] & 1, row.vendorSupported);
        EXPECT_EQ(page[3] & 1, row.vendorEnabled);
    }
}

TEST(VpcDriveModeSense, SpeedIndexInVendorPage31) {
    struct Row {
        const char* model;
        const char* more;
        std::uint8_t index;
    };
    const Row rows[] = {
        {"CD-R   VW2410A", R"("speed_index": 4)", 4},
        {"CD-ROM VN40S", R"("speed_index": 6)", 6},
        {"CD-R   VW0202", "", 0},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Model(row.model, row.more));
        const auto page = PageOf(Send(drive, Sense10(0x31)), true);
        ASSERT_EQ(page.size(), 8u) << row.model;
        EXPECT_EQ(page[2], row.index) << row.model;
    }
}

TEST(VpcDriveModeSense, AnswersAreClippedToAllocationAndBuffer) {
    struct Row {
        const char* label;
        const char* model;
        std::vector<std::uint8_t> cdb;
        std::uint32_t buffer;
        std::size_t expected;
    };
    const Row rows[] = {
        {"2Ah six-byte, all 34 bytes", "CD-R   VW2410S", Sense6(0x2A, 34), 255, 34},
        {"2Ah six-byte, more asked", "CD-R   VW2410S", Sense6(0x2A, 0xFF), 255, 34},
        {"2Ah six-byte, header only", "CD-R   VW2410S", Sense6(0x2A, 4), 255, 4},
        {"2Ah six-byte, nothing asked", "CD-R   VW2410S", Sense6(0x2A, 0), 255, 0},
        {"2Ah ten-byte asked with 34", "CD-R   VW2410A", Sense10(0x2A, 34), 255, 30},
        {"2Ah ten-byte, high length byte", "CD-R   VW2410A", Sense10(0x2A, 0x100), 255, 30},
        {"2Ah ten-byte, small buffer", "CD-R   VW2410A", Sense10(0x2A, 34), 10, 10},
        {"2Ah ten-byte, no buffer", "CD-R   VW2410A", Sense10(0x2A, 34), 0, 0},
        {"30h asked with 32", "CD-R   VW5232A", Sense10(0x30, 32), 255, 24},
        {"30h asked with 20", "CD-R   VW5232A", Sense10(0x30, 20), 255, 20},
        {"30h buffer below allocation", "DVDR   VD0708A", Sense10(0x30, 32), 20, 20},
        {"05h asked with 0xFFFF", "CD-R   VW2410A", Sense10(0x05, 0xFFFF), 255, 60},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Model(row.model));
        const Outcome out = Send(drive, row.cdb, row.buffer);
        EXPECT_EQ(out.status, kScsiStatusGood) << row.label;
        EXPECT_EQ(out.data.size(), row.expected) << row.label;
    }
    // A clipped answer still reports the full mode data length.
    EmulatedDrive drive(Model("CD-R   VW2410A"));
    const Outcome clipped = Send(drive, Sense10(0x2A, 2));
    EXPECT_EQ(clipped.data, (std::vector<std::uint8_t>{0x00, 0x1C}));
}

TEST(VpcDriveModeSense, PageControlBitsAreIgnored) {
    EmulatedDrive drive(Model("CD-R   VW2410S", R"("speed_index": 3)"));
    for (const std::uint8_t pageControl : {0x00, 0x40, 0x80, 0xC0}) {
        const auto page =
            PageOf(Send(drive, Sense6(static_cast<std::uint8_t>(pageControl | 0x31))), false);
        ASSERT_EQ(page.size(), 8u) << int(pageControl);
        EXPECT_EQ(page[2], 3) << int(pageControl);
    }
}

TEST(VpcDriveModeSense, InjectionComesBeforeTheModelsPages) {
    EmulatedDrive drive(Model("CD-R   VW5232A", R"("answers": {"1a/2a": "2a 14"},
                                                   "fail": {"5a/30": "02/3a/01"})"));
    EXPECT_EQ(Send(drive, Sense6(0x2A)).data, (std::vector<std::uint8_t>{0x2A, 0x14}))
        << "an answer even for the form the model lacks";
    EXPECT_EQ(Send(drive, Sense10(0x30)).sense, sense::kNoMediumTrayClosed);
    EXPECT_EQ(Send(drive, Sense10(0x2A)).status, kScsiStatusGood) << "other pages unchanged";
}

}  // namespace
}  // namespace tessaly::vpc::testing
