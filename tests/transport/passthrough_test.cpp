// The pass-through start-up (letter and port scans) and the execution of one command.
#include <gtest/gtest.h>

#include "support/pc_fixture.h"
#include "transport/scsi_command.h"

namespace tessaly::testing {
namespace {

const std::uint8_t kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};
const std::uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x38, 0};

std::string Adapter(const std::string& devices) {
    return R"({"bus": "atapi", "identifier": "atapi", "scsi_id": 5, "devices": [)" + devices + "]}";
}

std::string Device(int target, const std::string& letter, const std::string& extra = "") {
    return R"({"target": )" + std::to_string(target) +
           (letter.empty() ? "" : R"(, "letter": ")" + letter + "\"") +
           R"(, "drive": {"model": "CD-R   VW2410A")" + extra + "}}";
}

TEST(PassThroughStartup, MapsLetterToAddressIndexAndSlot) {
    // A drive on port 1, target 3, at E: is the first letter that answers.
    Pc pc(Json({kXp, R"("adapters": [)" + Adapter("") + "," + Adapter(Device(3, "E")) + "]"}));
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_EQ(pc.transport->DriveLetterEntry(1, 3), 4);
    EXPECT_EQ(pc.transport->HandleSlotEntry(1, 3), 0);
    EXPECT_EQ(pc.transport->HandleSlotCount(), 1);
    EXPECT_EQ(pc.transport->DriveLetterEntry(0, 3), -1);
    EXPECT_EQ(pc.transport->HandleSlotEntry(1, 2), -1);
    EXPECT_EQ(pc.recorder->CountOpened("\\\\.\\E:"), 1);
    EXPECT_EQ(pc.machine->OpenHandleCount(), 2) << "letter devices are closed, ports kept";
}

TEST(PassThroughStartup, TwoLettersOfOneAddressBothGetSlotsAndTheLaterWins) {
    Pc pc(Json({kXp, R"("adapters": [)" + Adapter(Device(0, "E")) + "]", R"("registry": {})"}));
    // A second letter of the same device: the virtual PC lets F: report that address too.
    pc.machine->AddLetterAlias('F', 0, 0);
    EXPECT_EQ(pc.transport->Initialize(), 1);
    EXPECT_EQ(pc.transport->HandleSlotCount(), 2);
    EXPECT_EQ(pc.transport->DriveLetterEntry(0, 0), 5);
    EXPECT_EQ(pc.transport->HandleSlotEntry(0, 0), 1);
}

TEST(PassThroughStartup, PortScanStopsAtTheFirstGap) {
    Pc pc(Json({kXp, R"("adapters": [)" + Adapter(Device(0, "E")) + "," + Adapter("") + "," +
                         Adapter("") + "," + Adapter("") + "]"}));
    pc.recorder->failOpen.insert("\\\\.\\SCSI2:");
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_EQ(pc.recorder->CountOpened("\\\\.\\SCSI2:"), 1);
    EXPECT_EQ(pc.recorder->CountOpened("\\\\.\\SCSI3:"), 0);
    EXPECT_NE(pc.transport->PortHandle(1), 0u);
    EXPECT_EQ(pc.transport->PortHandle(2), 0u);
}

TEST(PassThroughStartup, NoLetterMeansNoPortIsProbed) {
    Pc pc(Json({kXp, R"("adapters": [)" + Adapter(Device(0, "")) + "]"}));
    EXPECT_EQ(pc.transport->Initialize(), 0);
    EXPECT_EQ(pc.recorder->CountOpened("\\\\.\\SCSI0:"), 0);
}

TEST(PassThroughExecution, RequestBlockAsTheDriverSeesIt) {
    struct Row {
        std::vector<std::uint8_t> cdb;
        std::uint8_t dataIn;
        std::uint8_t cdbLength;
    };
    const Row rows[] = {
        {{0x00, 0, 0, 0, 0, 0}, 1, 6},
        {{0x12, 0, 0, 0, 0x38, 0}, 1, 6},
        {{0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 1, 10},
        {{0x43, 2, 4, 0, 0, 0, 0, 0, 0x1C, 0}, 1, 10},
        {{0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, 10},
        {{0x55, 0x10, 0, 0, 0, 0, 0, 0, 8, 0}, 0, 10},
        {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0x10, 0, 0}, 1, 12},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "opcode " << int(row.cdb[0]));
        Pc pc(Json({kXp, R"("adapters": [)" + Adapter("") + "," + Adapter(Device(2, "G")) + "]"}));
        pc.transport->Initialize();
        std::uint8_t buffer[32] = {};
        pc.transport->ExecuteCommand(1, 2, row.cdb.data(), buffer, sizeof buffer);
        ASSERT_EQ(pc.recorder->passThroughRequests.size(), 1u);
        const nt::PassThroughRequest& request = pc.recorder->passThroughRequests[0];
        EXPECT_EQ(request.sptd.Length, sizeof(nt::SCSI_PASS_THROUGH_DIRECT));
        EXPECT_EQ(request.sptd.PathId, 1);
        EXPECT_EQ(request.sptd.TargetId, 2);
        EXPECT_EQ(request.sptd.Lun, 0);
        EXPECT_EQ(request.sptd.CdbLength, row.cdbLength);
        EXPECT_EQ(request.sptd.SenseInfoLength, 32);
        EXPECT_EQ(request.sptd.DataIn, row.dataIn);
        EXPECT_EQ(request.sptd.DataTransferLength, sizeof buffer);
        EXPECT_EQ(request.sptd.TimeOutValue, 108000u);
        EXPECT_EQ(request.sptd.DataBuffer, buffer);
        EXPECT_EQ(request.sptd.SenseInfoOffset, offsetof(nt::PassThroughRequest, sense));
        EXPECT_EQ(pc.recorder->passThroughSizes[0], sizeof(nt::PassThroughRequest));
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(request.sptd.Cdb[i], i < row.cdbLength ? row.cdb[i] : 0) << "byte " << i;
        }
        EXPECT_EQ(pc.recorder->openedNames.back(), "\\\\.\\G:");
    }
}

TEST(PassThroughExecution, StatusValues) {
    Pc pc(Json({kXp, R"("adapters": [)" +
                         Adapter(Device(0, "E") + "," + Device(1, "F", R"(, "tray": "open")") +
                                 "," + Device(2, "G", R"(, "passthrough_error": 1117)") + "," +
                                 Device(3, "H", R"(, "passthrough_error": 1)")) +
                         "]"}));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    std::uint8_t buffer[56] = {};
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 0, kInquiry, buffer, sizeof buffer), 1);
    EXPECT_EQ(buffer[0], 0x05);
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 1, kTestUnitReady, nullptr, 0), 2);
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 2, kTestUnitReady, nullptr, 0), 1117);
    // A system error of 1 must not read as success.
    const std::int32_t invalidFunction =
        pc.transport->ExecuteCommand(0, 3, kTestUnitReady, nullptr, 0);
    EXPECT_NE(invalidFunction, 1);
    EXPECT_NE(invalidFunction, 0);
    // Never mapped: nothing is sent.
    pc.machine->ClearCommandLog();
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 9, kTestUnitReady, nullptr, 0), -1);
    EXPECT_EQ(pc.transport->ExecuteCommand(16, 0, kTestUnitReady, nullptr, 0), -1);
    EXPECT_EQ(pc.transport->ExecuteCommand(200, 15, kTestUnitReady, nullptr, 0), -1);
    EXPECT_TRUE(pc.machine->CommandLog().empty());
}

TEST(PassThroughExecution, SenseStoreFollowsTheResult) {
    Pc pc(Json({kXp, R"("adapters": [)" +
                         Adapter(Device(1, "E", R"(, "tray": "open")") + "," +
                                 Device(2, "F", R"(, "passthrough_error": 1117)")) +
                         "]"}));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    // CHECK CONDITION: the driver's sense bytes are kept.
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 1, kTestUnitReady, nullptr, 0), 2);
    const SenseBytes trayOpen = pc.transport->GetLastSense(0, 1);
    EXPECT_EQ(trayOpen[2], 0x02);
    EXPECT_EQ(trayOpen[12], 0x3A);
    EXPECT_EQ(trayOpen[13], 0x02);
    // A command to an unmapped address leaves its entry alone.
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 7, kTestUnitReady, nullptr, 0), -1);
    EXPECT_EQ(pc.transport->GetLastSense(0, 7), SenseBytes{});
    // Success keeps the old sense; the failed device call stores the (empty) sense area.
    std::uint8_t buffer[56] = {};
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 1, kInquiry, buffer, sizeof buffer), 1);
    EXPECT_EQ(pc.transport->GetLastSense(0, 1), trayOpen);
    pc.machine->DriveAt(0, 2)->SetTray("open");
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 2, kTestUnitReady, nullptr, 0), 1117);
    EXPECT_EQ(pc.transport->GetLastSense(0, 2), SenseBytes{});
    EXPECT_EQ(pc.transport->GetLastSense(0, 1), trayOpen);
}

TEST(PassThroughExecution, DriveDeviceIsOpenedAndClosedPerCommand) {
    Pc pc(Json({kXp, R"("adapters": [)" + Adapter(Device(0, "E")) + "]"}));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    const int handlesBefore = pc.machine->OpenHandleCount();
    const int opensBefore = pc.recorder->CountOpened("\\\\.\\E:");
    for (int i = 0; i < 3; ++i)
        pc.transport->ExecuteCommand(0, 0, kTestUnitReady, nullptr, 0);
    EXPECT_EQ(pc.recorder->CountOpened("\\\\.\\E:") - opensBefore, 3);
    EXPECT_EQ(pc.machine->OpenHandleCount(), handlesBefore);
}

TEST(PassThroughAdapterInfo, NamesNoManagerAndReadsTheInitiatorId) {
    Pc pc(Json({kXp, R"("adapters": [)" + Adapter(Device(0, "E")) + "]"}));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    AdapterInfo info;
    EXPECT_EQ(pc.transport->GetAdapterInfo(0, info), 1);
    EXPECT_STREQ(info.managerId, "N/A");
    EXPECT_EQ(info.scsiId, 5);
    for (std::uint8_t b : info.unique)
        EXPECT_EQ(b, 0);
    AdapterInfo missing;
    EXPECT_EQ(pc.transport->GetAdapterInfo(4, missing), 1);
    EXPECT_EQ(missing.scsiId, 0) << "a port without a handle reads as empty";
}

}  // namespace
}  // namespace tessaly::testing
