// The emulated drive: CDB in, status, bytes and sense out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/emulated_drive_io.h"
#include "vpc/emulated_drive.h"

namespace tessaly::vpc::testing {
namespace {

TEST(VpcDrive, InquiryIdentity) {
    struct Row {
        const char* drive;
        std::uint8_t peripheral;
        const char* vendor;
        const char* product;
        const char* revision;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A"})", 0x05, "VARNOTH ", "CD-R   VW2410A  ", "1.00"},
        {R"({"model": "DVDR   VD0708AF"})", 0x05, "VARNOTH ", "DVDR   VD0708AF ", "1.00"},
        {R"({})", 0x05, "OTHERCO ", "CD-ROM DRIVE    ", "1.00"},
        {R"({"model": "CD-ROM VN32S", "product": "CD-ROM VN32S", "revision": "1.1",
             "vendor": "OEM", "peripheral": "0x25"})",
         0x25, "OEM     ", "CD-ROM VN32S    ", "1.1 "},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Drive(row.drive));
        const Outcome out = Send(drive, {0x12, 0, 0, 0, 0x60, 0});
        SCOPED_TRACE(row.drive);
        EXPECT_EQ(out.status, kScsiStatusGood);
        ASSERT_EQ(out.data.size(), 96u);
        EXPECT_EQ(out.data[0], row.peripheral);
        EXPECT_EQ(out.data[1], 0x80);
        EXPECT_EQ(out.data[3], 0x02);
        EXPECT_EQ(out.data[4], 31);
        EXPECT_EQ(Text(out.data, 8, 8), row.vendor);
        EXPECT_EQ(Text(out.data, 16, 16), row.product);
        EXPECT_EQ(Text(out.data, 32, 4), row.revision);
        EXPECT_EQ(out.data[95], 0);
    }
}

TEST(VpcDrive, AnswersAreClippedToAllocationLengthAndBuffer) {
    struct Row {
        std::vector<std::uint8_t> cdb;
        std::uint32_t buffer;
        std::size_t expected;
    };
    const Row rows[] = {
        {{0x12, 0, 0, 0, 0x24, 0}, 255, 36}, {{0x12, 0, 0, 0, 0x38, 0}, 255, 56},
        {{0x12, 0, 0, 0, 0xFF, 0}, 255, 96}, {{0x12, 0, 0, 0, 0x60, 0}, 20, 20},
        {{0x12, 0, 0, 0, 0, 0}, 255, 0},     {{0x12, 0, 0, 0, 0x60, 0}, 0, 0},
        {{0x03, 0, 0, 0, 8, 0}, 255, 8},     {{0x03, 0, 0, 0, 0xFC, 0}, 255, 18},
    };
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A"})"));
    for (const Row& row : rows) {
        EXPECT_EQ(Send(drive, row.cdb, row.buffer).data.size(), row.expected)
            << "opcode " << int(row.cdb[0]) << " allocation " << int(row.cdb[4]) << " buffer "
            << row.buffer;
    }
}

TEST(VpcDrive, TestUnitReadyFollowsTrayAndDisc) {
    struct Row {
        const char* drive;
        SenseCode first;
    };
    const Row rows[] = {
        {R"({"tray": "open", "disc": {"kind": "cd-r"}})", SenseCode{2, 0x3A, 0x02}},
        {R"({"tray": "closed"})", SenseCode{2, 0x3A, 0x01}},
        {R"({"disc": {"kind": "cd-r"}})", SenseCode{}},
        {R"({"disc": {"kind": "cd-rw", "ready_after": 1}})", SenseCode{2, 0x04, 0x01}},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Drive(row.drive));
        const Outcome out = Send(drive, {0, 0, 0, 0, 0, 0});
        EXPECT_EQ(out.status,
                  row.first == SenseCode{} ? kScsiStatusGood : kScsiStatusCheckCondition)
            << row.drive;
        EXPECT_EQ(out.sense, row.first) << row.drive;
        EXPECT_TRUE(out.data.empty());
    }
}

TEST(VpcDrive, BecomingReadyCountsTestUnitReadyAfterALoad) {
    EmulatedDrive drive(Drive(R"({"disc": {"kind": "cd-r", "ready_after": 2}})"));
    const std::vector<std::uint8_t> tur = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Send(drive, tur).sense, sense::kBecomingReady);
    EXPECT_EQ(Send(drive, tur).sense, sense::kBecomingReady);
    EXPECT_EQ(Send(drive, tur).status, kScsiStatusGood);
    EXPECT_EQ(drive.BecomingReadyLeft(), 0u);
    ASSERT_TRUE(drive.SetTray("open"));
    EXPECT_EQ(Send(drive, tur).sense, sense::kNoMediumTrayOpen);
    ASSERT_TRUE(drive.SetTray("closed"));
    EXPECT_EQ(drive.BecomingReadyLeft(), 2u);
    EXPECT_FALSE(drive.SetTray("ajar"));
}

std::vector<std::uint8_t> StartStop(std::uint8_t control) {
    return {0x1B, 0, 0, 0, control, 0};
}

TEST(VpcDriveTray, StartStopUnitEjectsAndLoadsOnlyForLoEj) {
    struct Row {
        const char* drive;
        std::uint8_t control;  // CDB byte 4
        bool openAfter;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A"})", 0x02, true},
        {R"({"model": "CD-ROM VN40S", "tray": "open"})", 0x03, false},
        {R"({"model": "DVDR   VD0708A", "tray": "open"})", 0x02, true},
        {R"({"tray": "open"})", 0x03, false},
        {R"({})", 0x02, true},
        {R"({"model": "CD-R   VW0202"})", 0x00, false},
        {R"({"model": "CD-R   VW0202"})", 0x01, false},
        {R"({"model": "CD-R   VW0202", "tray": "open"})", 0x00, true},
        {R"({"model": "CD-R   VW0202", "tray": "open"})", 0x01, true},
        {R"({"model": "CD-R   VW0202", "tray": "open"})", 0x23, true},
        {R"({"model": "CD-R   VW5232A"})", 0x22, false},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(Drive(row.drive));
        const Outcome out = Send(drive, StartStop(row.control));
        EXPECT_EQ(out.status, kScsiStatusGood) << row.drive << " byte 4 " << int(row.control);
        EXPECT_TRUE(out.data.empty());
        EXPECT_EQ(drive.TrayOpen(), row.openAfter) << row.drive << " byte 4 " << int(row.control);
    }
}

TEST(VpcDriveTray, EjectAndLoadDriveTestUnitReady) {
    struct Row {
        const char* drive;
        std::vector<SenseCode> afterLoad;  // TEST UNIT READY answers after the load
    };
    const std::vector<SenseCode> ready = {sense::kNoSense, sense::kNoSense};
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A", "disc": {"kind": "cd-r"}})", ready},
        {R"({"model": "CD-R   VW2410S", "disc": {"kind": "cd-rw", "ready_after": 2}})",
         {sense::kBecomingReady, sense::kBecomingReady, sense::kNoSense, sense::kNoSense}},
        {R"({"disc": {"kind": "cd-rom", "ready_after": 1}})",
         {sense::kBecomingReady, sense::kNoSense}},
        {R"({"model": "CD-R   VW5232A"})",
         {sense::kNoMediumTrayClosed, sense::kNoMediumTrayClosed}},
    };
    const std::vector<std::uint8_t> tur = {0, 0, 0, 0, 0, 0};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        EmulatedDrive drive(Drive(row.drive));
        while (drive.BecomingReadyLeft() > 0)
            Send(drive, tur);
        ASSERT_EQ(Send(drive, StartStop(0x02)).status, kScsiStatusGood);
        EXPECT_EQ(Send(drive, tur).sense, sense::kNoMediumTrayOpen);
        EXPECT_EQ(Send(drive, tur).sense, sense::kNoMediumTrayOpen);
        ASSERT_EQ(Send(drive, StartStop(0x03)).status, kScsiStatusGood);
        for (std::size_t i = 0; i < row.afterLoad.size(); ++i) {
            const Outcome out = Send(drive, tur);
            EXPECT_EQ(out.sense, row.afterLoad[i]) << "TEST UNIT READY " << i;
            EXPECT_EQ(out.status, row.afterLoad[i] == sense::kNoSense ? kScsiStatusGood
                                                                      : kScsiStatusCheckCondition);
        }
    }
}

TEST(VpcDriveTray, ClosingAClosedTrayIsNoLoad) {
    EmulatedDrive drive(Drive(R"({"disc": {"kind": "cd-r", "ready_after": 3}})"));
    const std::vector<std::uint8_t> tur = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Send(drive, tur).sense, sense::kBecomingReady);
    EXPECT_EQ(Send(drive, StartStop(0x03)).status, kScsiStatusGood);
    EXPECT_EQ(drive.BecomingReadyLeft(), 2u) << "the count goes on, not over";
    EXPECT_EQ(Send(drive, StartStop(0x02)).status, kScsiStatusGood);
    EXPECT_EQ(drive.BecomingReadyLeft(), 0u);
    EXPECT_EQ(Send(drive, StartStop(0x02)).status, kScsiStatusGood) << "ejecting an open tray";
    EXPECT_TRUE(drive.TrayOpen());
}

TEST(VpcDriveTray, InjectedFailureKeepsTheTrayWhereItIs) {
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A", "fail": {"1b": "02/53/02"}})"));
    const Outcome out = Send(drive, StartStop(0x02));
    EXPECT_EQ(out.sense, (SenseCode{2, 0x53, 0x02}));
    EXPECT_FALSE(drive.TrayOpen());
}

TEST(VpcDrive, RequestSenseHandsOutTheKeptSenseOnce) {
    EmulatedDrive drive(Drive(R"({"tray": "open"})"));
    EXPECT_EQ(Send(drive, {0, 0, 0, 0, 0, 0}).status, kScsiStatusCheckCondition);
    Outcome sense = Send(drive, {0x03, 0, 0, 0, 18, 0});
    EXPECT_EQ(sense.status, kScsiStatusGood);
    ASSERT_EQ(sense.data.size(), 18u);
    EXPECT_EQ(sense.data[0], 0x70);
    EXPECT_EQ(sense.data[2], 0x02);
    EXPECT_EQ(sense.data[7], 10);
    EXPECT_EQ(sense.data[12], 0x3A);
    EXPECT_EQ(sense.data[13], 0x02);
    // Taken: the next REQUEST SENSE reports no sense.
    sense = Send(drive, {0x03, 0, 0, 0, 18, 0});
    EXPECT_EQ(sense.data[2], 0);
    EXPECT_EQ(sense.data[12], 0);
}

TEST(VpcDrive, UnknownOpcodesAndFieldsAreIllegalRequests) {
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A", "disc": {"kind": "cd-r"}})"));
    struct Row {
        std::vector<std::uint8_t> cdb;
        SenseCode sense;
    };
    const Row rows[] = {
        {{0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0}, sense::kInvalidOpcode},  // READ(10)
        {{0xD5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, sense::kInvalidOpcode},
        {{0x12, 0x01, 0x80, 0, 0x60, 0}, sense::kInvalidFieldInCdb},  // vital product data
        {{}, sense::kInvalidOpcode},
    };
    for (const Row& row : rows) {
        const Outcome out = Send(drive, row.cdb);
        EXPECT_EQ(out.status, kScsiStatusCheckCondition);
        EXPECT_EQ(out.sense, row.sense);
        EXPECT_TRUE(out.data.empty());
    }
    // A good command clears the kept sense.
    EXPECT_EQ(Send(drive, {0, 0, 0, 0, 0, 0}).sense, sense::kNoSense);
}

TEST(VpcDrive, InjectedAnswersMatchOpcodePageAndFormat) {
    EmulatedDrive drive(Drive(R"({"answers": {
        "43/4": "04 04 04 04", "43/2": "02 02", "43": "09", "1a/2a": "2a 2a 2a",
        "5a/5": "05", "f1": "f1 f1 f1 f1 f1 f1", "25": "00 05 7e 0f 00 00 08 00"}})"));
    struct Row {
        const char* label;
        std::vector<std::uint8_t> cdb;
        std::uint32_t buffer;
        std::vector<std::uint8_t> expected;
    };
    const Row rows[] = {
        {"format in byte 2", {0x43, 0x02, 0x04, 0, 0, 0, 0, 0x00, 0xFF, 0}, 255, {4, 4, 4, 4}},
        {"format in byte 9", {0x43, 0x02, 0x00, 0, 0, 0, 0, 0x00, 0xFF, 0x80}, 255, {2, 2}},
        {"opcode key for other formats", {0x43, 0, 0x01, 0, 0, 0, 0, 0, 0xFF, 0}, 255, {9}},
        {"allocation length clips", {0x43, 0x02, 0x04, 0, 0, 0, 0, 0x00, 0x03, 0}, 255, {4, 4, 4}},
        {"buffer clips", {0x43, 0x02, 0x04, 0, 0, 0, 0, 0x00, 0xFF, 0}, 2, {4, 4}},
        {"page code, PC bits ignored", {0x1A, 0, 0xEA, 0, 0xFF, 0}, 255, {0x2a, 0x2a, 0x2a}},
        {"ten-byte mode sense", {0x5A, 0, 0x05, 0, 0, 0, 0, 0, 0xFF, 0}, 255, {5}},
        {"vendor command: buffer only",
         {0xF1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         4,
         {0xf1, 0xf1, 0xf1, 0xf1}},
        {"no allocation field",
         {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         8,
         {0, 5, 0x7e, 0x0f, 0, 0, 8, 0}},
    };
    for (const Row& row : rows) {
        const Outcome out = Send(drive, row.cdb, row.buffer);
        EXPECT_EQ(out.status, kScsiStatusGood) << row.label;
        EXPECT_EQ(out.data, row.expected) << row.label;
    }
    // A page that has no answer falls through to the drive, a plain one without page 31h.
    EXPECT_EQ(Send(drive, {0x1A, 0, 0x31, 0, 0xFF, 0}).sense, sense::kInvalidFieldInCdb);
}

TEST(VpcDrive, InjectedFailureComesBeforeAnswersAndHandlers) {
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A",
        "answers": {"51": "00 20"}, "fail": {"51": "02/3a/01", "12": "04/44/00"}})"));
    Outcome out = Send(drive, {0x51, 0, 0, 0, 0, 0, 0, 0, 0x20, 0});
    EXPECT_EQ(out.status, kScsiStatusCheckCondition);
    EXPECT_EQ(out.sense, (SenseCode{2, 0x3A, 0x01}));
    out = Send(drive, {0x12, 0, 0, 0, 0x24, 0});
    EXPECT_EQ(out.sense, (SenseCode{4, 0x44, 0x00}));
    EXPECT_TRUE(out.data.empty());
}

TEST(VpcDrive, IdentifyDataIsTheInjectedInquiryWhenThereIsOne) {
    EmulatedDrive plain(Drive(R"({"model": "CD-R   VW2410S"})"));
    const auto identity = plain.IdentifyData();
    EXPECT_EQ(std::string(identity.begin() + 16, identity.begin() + 32), "CD-R   VW2410S  ");
    EmulatedDrive injected(Drive(R"({"answers": {"12": "05 80 02 02 1f"}})"));
    const auto short_answer = injected.IdentifyData();
    EXPECT_EQ(short_answer[4], 0x1f);
    EXPECT_EQ(short_answer[8], 0) << "padded with zeros";
}

TEST(VpcDrive, NullBufferMovesNothing) {
    EmulatedDrive drive(Drive("{}"));
    const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 0x24, 0};
    const CommandResult result = drive.Execute(inquiry, sizeof inquiry, nullptr, 4096);
    EXPECT_EQ(result.status, kScsiStatusGood);
    EXPECT_EQ(result.transferred, 0u);
}

}  // namespace
}  // namespace tessaly::vpc::testing
