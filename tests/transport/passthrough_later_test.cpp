// Pass-through on NT 6 and later against NT 4 to XP: the time-out, the data buffer
// aligned as the adapter demands, and a drive device that does not open.
#include <gtest/gtest.h>

#include <cstring>

#include "disc/disc_commands.h"
#include "support/pc_fixture.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::testing {
namespace {

const char kVista[] =
    R"("os": {"platform": 2, "major": 6, "minor": 0, "build": 6002, "service": "Service Pack 2"})";
const char kWin10[] = R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045})";

const std::uint8_t kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};
const std::uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x24, 0};
const std::uint8_t kModeSelect[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, 12, 0};

// One ATAPI adapter with a recorder at target 0, E:; maskField is "" or
// "\"alignment_mask\": N, ".
std::string OneDrive(const char* os, const std::string& maskField = "") {
    return Json({os, R"("adapters": [{"bus": "atapi", "identifier": "storahci", )" + maskField +
                         R"("devices": [{"target": 0, "letter": "E",
                            "drive": {"model": "CD-R   VW2410A"}}]}])"});
}

TEST(PassThroughLater, TimeOutByRelease) {
    struct Row {
        const char* label;
        const char* os;
        std::uint32_t seconds;
    };
    const Row rows[] = {
        {"NT 4 without a manager", kNt4, 108000},
        {"XP", kXp, 108000},
        {"Vista", kVista, 60},
        {"10", kWin10, 60},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Pc pc(OneDrive(row.os));
        ASSERT_EQ(pc.transport->Initialize() & 0xFF, 1);
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 0, kTestUnitReady, nullptr, 0), 2);
        ASSERT_FALSE(pc.recorder->passThroughRequests.empty());
        EXPECT_EQ(pc.recorder->passThroughRequests.back().sptd.TimeOutValue, row.seconds);
    }
}

TEST(PassThroughLater, DataPassesThroughABufferAlignedForTheAdapter) {
    struct Row {
        const char* label;
        const char* os;
        std::string maskField;
        std::uint32_t mask;  // what the adapter demands
        bool staged;
        std::int32_t result;
    };
    const Row rows[] = {
        {"10, dword alignment", kWin10, R"("alignment_mask": 3, )", 3, true, 1},
        {"10, sector alignment", kWin10, R"("alignment_mask": "0x1ff", )", 0x1FF, true, 1},
        {"Vista, no mask named", kVista, "", 0, true, 1},
        // XP keeps the caller's buffer: an adapter that demands more refuses it.
        {"XP, sector alignment", kXp, R"("alignment_mask": "0x1ff", )", 0x1FF, false, 87},
        {"XP, no mask named", kXp, "", 0, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Pc pc(OneDrive(row.os, row.maskField));
        ASSERT_EQ(pc.transport->Initialize(), 1);
        alignas(16) std::uint8_t storage[64] = {};
        std::uint8_t* caller = storage + 1;  // never even word-aligned
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 0, kInquiry, caller, 36), row.result);
        ASSERT_EQ(pc.recorder->passThroughRequests.size(), 1u);
        const auto sent =
            reinterpret_cast<std::uintptr_t>(pc.recorder->passThroughRequests[0].sptd.DataBuffer);
        if (row.staged) {
            EXPECT_NE(sent, reinterpret_cast<std::uintptr_t>(caller));
            EXPECT_EQ(sent & row.mask, 0u);
            EXPECT_EQ(std::memcmp(caller + 8, "VARNOTH ", 8), 0) << "answer copied out";
        } else {
            EXPECT_EQ(sent, reinterpret_cast<std::uintptr_t>(caller));
        }
        EXPECT_EQ(storage[0], 0) << "nothing written before the caller's buffer";
        EXPECT_EQ(caller[36], 0) << "nothing written past the transfer length";
    }
}

TEST(PassThroughLater, DataOutIsCopiedInBeforeTheCommand) {
    Pc pc(OneDrive(kWin10, R"("alignment_mask": 7, )"));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    std::uint8_t storage[16];
    for (std::size_t i = 0; i < sizeof storage; ++i)
        storage[i] = static_cast<std::uint8_t>(0x40 + i);
    pc.transport->ExecuteCommand(0, 0, kModeSelect, storage + 3, 12);
    ASSERT_EQ(pc.recorder->passThroughData.size(), 1u);
    EXPECT_EQ(pc.recorder->passThroughData[0],
              std::vector<std::uint8_t>(storage + 3, storage + 15));
    EXPECT_EQ(
        reinterpret_cast<std::uintptr_t>(pc.recorder->passThroughRequests[0].sptd.DataBuffer) & 7,
        0u);
}

TEST(PassThroughLater, TheMaskIsReadOncePerAdapterAtStartUp) {
    Pc pc(Json({kWin10, R"("adapters": [
        {"bus": "atapi", "identifier": "storahci", "alignment_mask": 3,
         "devices": [{"target": 0, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]},
        {"bus": "scsi", "identifier": "aic78xx",
         "devices": [{"target": 2, "letter": "F", "drive": {"model": "CD-R   VW2410A"}}]}])"}));
    ASSERT_EQ(pc.transport->Initialize(), 2);
    EXPECT_EQ(pc.transport->AlignmentMask(0), 3u);
    EXPECT_EQ(pc.transport->AlignmentMask(1), 1u) << "word alignment, the default report";
    const int queries = pc.recorder->controlCounts[nt::IOCTL_STORAGE_QUERY_PROPERTY];
    EXPECT_EQ(queries, 2);
    std::uint8_t answer[36];
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 0, kInquiry, answer, sizeof answer), 1);
        EXPECT_EQ(pc.transport->ExecuteCommand(1, 2, kInquiry, answer, sizeof answer), 1);
    }
    EXPECT_EQ(pc.recorder->controlCounts[nt::IOCTL_STORAGE_QUERY_PROPERTY], queries);
}

TEST(PassThroughLater, ADeviceThatDoesNotOpenIsNotAskedOnLaterSystems) {
    struct Row {
        const char* label;
        const char* os;
        std::uint32_t openError;
        std::int32_t result;
        std::size_t requests;
        const char* status;
    };
    const Row rows[] = {
        {"10, denied", kWin10, 5, 5, 0, "Access to the drive denied"},
        {"10, gone", kWin10, 2, 2, 0, "Drive not found"},
        {"10, in use", kWin10, 32, 32, 0, "Drive in use"},
        {"10, not ready", kWin10, 21, 21, 0, "Error reading CD information"},
        {"10, no error told", kWin10, 0, 1117, 0, "Error reading CD information"},
        // XP still asks the device that did not open, which gives "invalid handle".
        {"XP, denied", kXp, 5, 6, 1, "Error reading CD information"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Pc pc(OneDrive(row.os));
        ASSERT_EQ(pc.transport->Initialize(), 1);
        pc.recorder->failOpenWith["\\\\.\\E:"] = row.openError;
        pc.machine->ClearCommandLog();
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 0, kTestUnitReady, nullptr, 0), row.result);
        EXPECT_EQ(pc.recorder->passThroughRequests.size(), row.requests);
        EXPECT_TRUE(pc.machine->CommandLog().empty());
        EXPECT_STREQ(SenseStatusText(*pc.transport, DriveAddress(0, 0)), row.status);
        EXPECT_EQ(pc.transport->GetLastSense(0, 0), SenseBytes{}) << "no stale sense";

        // Once the device opens again, the drive's own answer counts.
        pc.recorder->failOpenWith.clear();
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 0, kTestUnitReady, nullptr, 0), 2);
        EXPECT_EQ(pc.transport->GetOpenFailure(0, 0), 0u);
        EXPECT_STREQ(SenseStatusText(*pc.transport, DriveAddress(0, 0)), "No CD inserted");
    }
}

}  // namespace
}  // namespace tessaly::testing
