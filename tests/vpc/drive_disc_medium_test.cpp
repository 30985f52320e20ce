// The disc commands of the emulated drives around the medium: tray open, no disc,
// becoming ready (counted down by TEST UNIT READY alone), ready after a load;
// clipping to the allocation length and the buffer; injected answers and failures
// first; the example scenarios with discs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/emulated_drive_io.h"
#include "support/pc_fixture.h"
#include "vpc/emulated_drive.h"

namespace tessaly::vpc::testing {
namespace {

const Bytes kTestUnitReady = {0x00, 0, 0, 0, 0, 0};
const Bytes kDiscInformation = {0x51, 0, 0, 0, 0, 0, 0, 0x00, 0x22, 0};
const Bytes kAtip = {0x43, 0, 0x04, 0, 0, 0, 0, 0x03, 0x24, 0};
const Bytes kFullToc = {0x43, 0, 0x00, 0, 0, 0, 0, 0x0B, 0xB8, 0x80};
const Bytes kCapacity = {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kLoad = {0x1B, 0, 0, 0, 0x03, 0};
const Bytes kEject = {0x1B, 0, 0, 0, 0x02, 0};

struct DiscCommand {
    const char* name;
    Bytes cdb;
    std::size_t readyLength;  // bytes of the answer once a two-session disc is ready
};

const std::vector<DiscCommand>& DiscCommands() {
    static const std::vector<DiscCommand> commands = {
        {"READ DISC INFORMATION", kDiscInformation, 34},
        {"ATIP", kAtip, 28},
        {"full TOC", kFullToc, 114},
        {"READ CAPACITY", kCapacity, 8},
    };
    return commands;
}

TEST(VpcDiscMedium, DiscCommandsFailWithoutAReadyDisc) {
    struct Row {
        const char* drive;
        SenseCode sense;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A", "tray": "open", "disc": {"kind": "cd-r"}})",
         sense::kNoMediumTrayOpen},
        {R"({"model": "CD-ROM VN40S", "tray": "open"})", sense::kNoMediumTrayOpen},
        {R"({"model": "CD-R   VW2410S", "tray": "closed"})", sense::kNoMediumTrayClosed},
        {R"({})", sense::kNoMediumTrayClosed},
        {R"({"model": "DVDR   VD0708A", "disc": {"kind": "cd-rw", "ready_after": 1}})",
         sense::kBecomingReady},
    };
    for (const Row& row : rows) {
        for (const DiscCommand& command : DiscCommands()) {
            SCOPED_TRACE(std::string(row.drive) + ": " + command.name);
            EmulatedDrive drive(Drive(row.drive));
            const Outcome out = SendDisc(drive, command.cdb);
            EXPECT_EQ(out.status, kScsiStatusCheckCondition);
            EXPECT_EQ(out.sense, row.sense);
            EXPECT_TRUE(out.data.empty());
            // The commands that need no medium still run.
            EXPECT_EQ(SendDisc(drive, {0x17, 0, 0, 0, 0, 0}).status, kScsiStatusGood);
            EXPECT_EQ(SendDisc(drive, {0x12, 0, 0, 0, 0x24, 0}).data.size(), 36u);
        }
    }
}

TEST(VpcDiscMedium, OnlyTestUnitReadyCountsBecomingReadyDown) {
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A",
        "disc": {"kind": "cd-r", "sessions": 2, "ready_after": 2}})"));
    for (int round = 0; round < 3; ++round) {
        for (const DiscCommand& command : DiscCommands())
            EXPECT_EQ(SendDisc(drive, command.cdb).sense, sense::kBecomingReady) << command.name;
    }
    EXPECT_EQ(drive.BecomingReadyLeft(), 2u);
    EXPECT_EQ(SendDisc(drive, kTestUnitReady).sense, sense::kBecomingReady);
    EXPECT_EQ(drive.BecomingReadyLeft(), 1u);
    for (const DiscCommand& command : DiscCommands())
        EXPECT_EQ(SendDisc(drive, command.cdb).sense, sense::kBecomingReady) << command.name;
    EXPECT_EQ(SendDisc(drive, kTestUnitReady).sense, sense::kBecomingReady);
    for (const DiscCommand& command : DiscCommands()) {
        const Outcome out = SendDisc(drive, command.cdb);
        EXPECT_EQ(out.status, kScsiStatusGood) << command.name;
        EXPECT_EQ(out.data.size(), command.readyLength) << command.name;
    }
    EXPECT_EQ(SendDisc(drive, kTestUnitReady).status, kScsiStatusGood);
}

// Eject, then load with START STOP UNIT or by hand: the disc commands follow the tray
// and the "becoming ready" count of the load.
TEST(VpcDiscMedium, ReadyAfterALoad) {
    struct Row {
        const char* drive;
        bool byHand;
        std::uint32_t readyAfter;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A", "tray": "open", "disc": {"kind": "cd-r", "sessions": 2}})",
         false, 0},
        {R"({"model": "CD-ROM VN40S", "disc": {"kind": "cd-r", "sessions": 2, "ready_after": 3}})",
         false, 3},
        {R"({"tray": "open", "disc": {"kind": "cd-r", "sessions": 2, "ready_after": 1}})", true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        EmulatedDrive drive(Drive(row.drive));
        if (row.byHand) {
            ASSERT_TRUE(drive.SetTray("open"));
        } else {
            ASSERT_EQ(SendDisc(drive, kEject).status, kScsiStatusGood);
        }
        for (const DiscCommand& command : DiscCommands())
            EXPECT_EQ(SendDisc(drive, command.cdb).sense, sense::kNoMediumTrayOpen) << command.name;
        if (row.byHand) {
            ASSERT_TRUE(drive.SetTray("closed"));
        } else {
            ASSERT_EQ(SendDisc(drive, kLoad).status, kScsiStatusGood);
        }
        for (std::uint32_t i = 0; i < row.readyAfter; ++i) {
            for (const DiscCommand& command : DiscCommands())
                EXPECT_EQ(SendDisc(drive, command.cdb).sense, sense::kBecomingReady)
                    << command.name;
            EXPECT_EQ(SendDisc(drive, kTestUnitReady).sense, sense::kBecomingReady);
        }
        for (const DiscCommand& command : DiscCommands()) {
            const Outcome out = SendDisc(drive, command.cdb);
            EXPECT_EQ(out.status, kScsiStatusGood) << command.name;
            EXPECT_EQ(out.data.size(), command.readyLength) << command.name;
        }
    }
}

TEST(VpcDiscMedium, RequestSenseHandsOutTheMediumFailureOnce) {
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410S"})"));
    EXPECT_EQ(SendDisc(drive, kAtip).status, kScsiStatusCheckCondition);
    Outcome sense = SendDisc(drive, {0x03, 0, 0, 0, 18, 0});
    ASSERT_EQ(sense.data.size(), 18u);
    EXPECT_EQ(sense.data[2], 0x02);
    EXPECT_EQ(sense.data[12], 0x3A);
    EXPECT_EQ(sense.data[13], 0x01);
    sense = SendDisc(drive, {0x03, 0, 0, 0, 18, 0});
    EXPECT_EQ(sense.data[2], 0x00);
    EXPECT_EQ(sense.data[12], 0x00);
}

TEST(VpcDiscClipping, AllocationLengthAndBuffer) {
    struct Row {
        const char* label;
        Bytes cdb;
        std::uint32_t buffer;
        std::size_t transferred;
    };
    const Row rows[] = {
        {"disc information, 4 asked", {0x51, 0, 0, 0, 0, 0, 0, 0x00, 0x04, 0}, 4096, 4},
        {"disc information, 40 asked", {0x51, 0, 0, 0, 0, 0, 0, 0x00, 0x28, 0}, 4096, 34},
        {"disc information, 0 asked", {0x51, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0}, 4096, 0},
        {"disc information, 256 asked, 10 room", {0x51, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0}, 10, 10},
        {"ATIP, 32 asked", {0x43, 0, 0x04, 0, 0, 0, 0, 0x00, 0x20, 0}, 4096, 28},
        {"ATIP, 804 asked, 3 room", {0x43, 0, 0x04, 0, 0, 0, 0, 0x03, 0x24, 0}, 3, 3},
        {"ATIP, 1 asked", {0x43, 0, 0x04, 0, 0, 0, 0, 0x00, 0x01, 0}, 4096, 1},
        {"full TOC, 3000 asked", {0x43, 0, 0, 0, 0, 0, 0, 0x0B, 0xB8, 0x80}, 4096, 114},
        {"full TOC, 20 asked", {0x43, 0, 0, 0, 0, 0, 0, 0x00, 0x14, 0x80}, 4096, 20},
        {"full TOC, 65535 asked, 50 room", {0x43, 0, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0}, 50, 50},
        {"capacity, buffer of 4", {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4, 4},
        {"capacity, no buffer", {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
        {"short CDB: allocation reads as 0", {0x51, 0, 0, 0, 0, 0, 0, 0x00}, 4096, 0},
    };
    EmulatedDrive drive(Drive(R"({"model": "CD-R   VW2410A", "disc": {"kind": "cd-rw",
        "sessions": 2}})"));
    const Bytes fullToc = SendDisc(drive, {0x43, 0, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0}).data;
    ASSERT_EQ(fullToc.size(), 114u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Outcome out = SendDisc(drive, row.cdb, row.buffer);
        EXPECT_EQ(out.status, kScsiStatusGood);
        EXPECT_EQ(out.data.size(), row.transferred);
        if (row.cdb[0] == 0x43 && (row.cdb[2] == 2 || row.cdb[9] == 0x80)) {
            EXPECT_EQ(out.data, Bytes(fullToc.begin(), fullToc.begin() + out.data.size()))
                << "a clipped answer is the start of the whole one";
        }
    }
    const std::uint8_t capacity[10] = {0x25};
    const CommandResult result = drive.Execute(capacity, sizeof capacity, nullptr, 8);
    EXPECT_EQ(result.status, kScsiStatusGood);
    EXPECT_EQ(result.transferred, 0u);
}

TEST(VpcDiscInjection, InjectedAnswersAndFailuresComeFirst) {
    struct Row {
        const char* drive;
        Bytes cdb;
        std::uint8_t status;
        SenseCode sense;
        Bytes data;
    };
    const Row rows[] = {
        // An injected answer needs no disc.
        {R"({"tray": "open", "answers": {"51": "00 20 0e"}})",
         kDiscInformation,
         kScsiStatusGood,
         sense::kNoSense,
         {0x00, 0x20, 0x0E}},
        {R"({"answers": {"43/2": "00 02 01 01"}, "disc": {"kind": "cd-r", "sessions": 0}})",
         kFullToc,
         kScsiStatusGood,
         sense::kNoSense,
         {0x00, 0x02, 0x01, 0x01}},
        {R"({"answers": {"43/4": "aa bb"}, "disc": {"kind": "cd-rom"}})",
         kAtip,
         kScsiStatusGood,
         sense::kNoSense,
         {0xAA, 0xBB}},
        {R"({"answers": {"43": "cc"}, "disc": {"kind": "cd-r", "ready_after": 5}})",
         kAtip,
         kScsiStatusGood,
         sense::kNoSense,
         {0xCC}},
        {R"({"answers": {"25": "00 00 10 00 00 00 08 00"}})",
         kCapacity,
         kScsiStatusGood,
         sense::kNoSense,
         {0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x08, 0x00}},
        // Another format's answer leaves this one to the drive.
        {R"({"tray": "open", "answers": {"43/4": "aa bb"}})",
         kFullToc,
         kScsiStatusCheckCondition,
         sense::kNoMediumTrayOpen,
         {}},
        // A failure beats an answer and a ready disc.
        {R"({"answers": {"43/4": "aa"}, "fail": {"43/4": "03/02/00"}, "disc": {"kind": "cd-r"}})",
         kAtip,
         kScsiStatusCheckCondition,
         SenseCode{3, 0x02, 0x00},
         {}},
        {R"({"fail": {"43/2": "03/57/00"}, "disc": {"kind": "cd-r"}})",
         kFullToc,
         kScsiStatusCheckCondition,
         SenseCode{3, 0x57, 0x00},
         {}},
        {R"({"fail": {"51": "02/3a/00"}, "disc": {"kind": "cd-r"}})",
         kDiscInformation,
         kScsiStatusCheckCondition,
         SenseCode{2, 0x3A, 0x00},
         {}},
        {R"({"fail": {"25": "02/04/01"}, "disc": {"kind": "cd-r"}})",
         kCapacity,
         kScsiStatusCheckCondition,
         sense::kBecomingReady,
         {}},
        {R"({"fail": {"17": "05/20/00"}})",
         {0x17, 0, 0, 0, 0x08, 0},
         kScsiStatusCheckCondition,
         sense::kInvalidOpcode,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        EmulatedDrive drive(Drive(row.drive));
        const Outcome out = SendDisc(drive, row.cdb);
        EXPECT_EQ(out.status, row.status);
        EXPECT_EQ(out.sense, row.sense);
        EXPECT_EQ(out.data, row.data);
    }
}

TEST(VpcDiscInjection, InjectedRequestSenseFailure) {
    EmulatedDrive drive(Drive(R"({"tray": "open", "fail": {"03": "04/44/00"}})"));
    EXPECT_EQ(SendDisc(drive, kCapacity).sense, sense::kNoMediumTrayOpen);
    const Outcome out = SendDisc(drive, {0x03, 0, 0, 0, 18, 0});
    EXPECT_EQ(out.status, kScsiStatusCheckCondition);
    EXPECT_TRUE(out.data.empty());
    EXPECT_EQ(out.sense, (SenseCode{4, 0x44, 0x00}));
}

// The drive of a scenario with one adapter, of the given bus, holding one device of
// the given model; nullptr when there are more or fewer.
const DriveSpec* OnlyDrive(const Scenario& s, BusKind bus, const char* model) {
    EXPECT_EQ(s.adapters.size(), 1u);
    if (s.adapters.size() != 1)
        return nullptr;
    EXPECT_EQ(s.adapters[0].devices.size(), 1u);
    if (s.adapters[0].devices.size() != 1)
        return nullptr;
    EXPECT_EQ(s.adapters[0].bus, bus);
    EXPECT_EQ(s.adapters[0].devices[0].drive.model, model);
    return &s.adapters[0].devices[0].drive;
}

// An example scenario; an empty one, after the failure, when it does not load.
Scenario Example(const char* file) {
    return tessaly::testing::LoadExample(file).value_or(Scenario{});
}

TEST(VpcDiscScenarios, XpRecorderWithACdRw) {
    const Scenario s = Example("xp-cdrw.json");
    EXPECT_EQ(s.os.major, 5u);
    EXPECT_EQ(s.os.minor, 1u);
    EXPECT_FALSE(s.aspi.has_value());
    const DriveSpec* settings = OnlyDrive(s, BusKind::kAtapi, "CD-R   VW2410A");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(s.adapters[0].devices[0].letter, 'E');
    EmulatedDrive drive(*settings);
    const Outcome info = SendDisc(drive, kDiscInformation);
    ASSERT_EQ(info.data.size(), 34u);
    EXPECT_EQ(info.data[2] & 0x10, 0x10) << "erasable";
    EXPECT_EQ(Bytes(info.data.begin() + 20, info.data.begin() + 24), (Bytes{0, 74, 0, 0}));
    const Outcome atip = SendDisc(drive, kAtip);
    ASSERT_EQ(atip.data.size(), 28u);
    EXPECT_EQ(atip.data[6] & 0x7C, 0x40 | 0x08 | 0x04) << "rewritable, sub-type 1, A1 valid";
    EXPECT_EQ(Bytes(atip.data.begin() + 8, atip.data.begin() + 11), (Bytes{97, 26, 65}));
    EXPECT_EQ(Bytes(atip.data.begin() + 12, atip.data.begin() + 15), (Bytes{74, 0, 0}));
    EXPECT_EQ(atip.data[16], 0x12);
}

TEST(VpcDiscScenarios, Nt4ReaderWithATwoSessionCdR) {
    const Scenario s = Example("nt4-multisession.json");
    EXPECT_EQ(s.os.major, 4u);
    EXPECT_TRUE(s.aspi.has_value());
    const DriveSpec* settings = OnlyDrive(s, BusKind::kScsi, "CD-ROM VN40S");
    ASSERT_NE(settings, nullptr);
    EmulatedDrive drive(*settings);
    const Outcome toc = SendDisc(drive, kFullToc);
    ASSERT_EQ(toc.data.size(), 114u);
    EXPECT_EQ(toc.data[3], 2) << "sessions";
    const std::size_t c0 = 4 + 5 * 11;
    EXPECT_EQ(toc.data[c0 + 3], 0xC0);
    EXPECT_EQ(Bytes(toc.data.begin() + c0 + 8, toc.data.begin() + c0 + 11),
              (Bytes{0x97, 0x24, 0x10}))
        << "in BCD";
    EXPECT_EQ(SendDisc(drive, kAtip).data.size(), 28u);
}

TEST(VpcDiscScenarios, Win98RecorderWithItsTrayOpen) {
    const Scenario s = Example("win98-empty.json");
    EXPECT_EQ(s.os.platform, 1u);
    EXPECT_EQ(s.os.build, 2222u);
    EXPECT_TRUE(s.aspi.has_value());
    const DriveSpec* settings = OnlyDrive(s, BusKind::kScsi, "CD-R   VW2410S");
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(settings->disc.has_value());
    EmulatedDrive drive(*settings);
    EXPECT_EQ(SendDisc(drive, kTestUnitReady).sense, sense::kNoMediumTrayOpen);
    EXPECT_EQ(SendDisc(drive, kDiscInformation).sense, sense::kNoMediumTrayOpen);
    ASSERT_EQ(SendDisc(drive, kLoad).status, kScsiStatusGood);
    EXPECT_EQ(SendDisc(drive, kAtip).sense, sense::kNoMediumTrayClosed);
}

}  // namespace
}  // namespace tessaly::vpc::testing
