// Commands through the ASPI manager: the request block the manager sees, the
// completion paths, and the per-address sense store.
#include <gtest/gtest.h>

#include "support/pc_fixture.h"
#include "transport/scsi_command.h"

namespace tessaly::testing {
namespace {

const char kTwoDrives[] = R"("adapters": [
    {"bus": "scsi", "identifier": "aic78xx", "scsi_id": 7, "devices": [
        {"target": 4, "letter": "E", "drive": {"model": "CD-R   VW2410S", "tray": "closed"}},
        {"target": 5, "letter": "F", "drive": {"model": "CD-ROM VN40S", "tray": "open"}}]}])";

std::string Win98WithManager(const std::string& managerExtra = "") {
    std::string aspi = R"("aspi": {"file_version": "4, 60, 0, 1021")" + managerExtra + "}";
    return Json({kWin98, aspi, kTwoDrives});
}

const std::uint8_t kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};
const std::uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x38, 0};

TEST(AspiExecution, StartsThroughTheManagerAndCountsItsAdapters) {
    Pc pc(Win98WithManager());
    const std::int32_t support = pc.transport->Initialize();
    EXPECT_EQ(support & 0xFF, 1);
    EXPECT_EQ(support & 0x100, 0x100);
    EXPECT_EQ(pc.transport->Mode(), TransportMode::Aspi);
    EXPECT_FALSE(pc.transport->IsAspiBypassed());
    EXPECT_STREQ(pc.transport->GetAspiPath(), "wnaspi32.dll");
    ASSERT_EQ(pc.recorder->loadedLibraries.size(), 1u);
    EXPECT_EQ(pc.recorder->loadedLibraries[0], "wnaspi32.dll");
}

TEST(AspiExecution, RequestBlockCarriesAddressLengthsAndDirection) {
    struct Row {
        std::vector<std::uint8_t> cdb;
        std::uint8_t flags;
        std::uint8_t cdbLength;
    };
    const Row rows[] = {
        {{0x12, 0, 0, 0, 0x38, 0}, 0x48, 6},                                // INQUIRY: in
        {{0x00, 0, 0, 0, 0, 0}, 0x48, 6},                                   // TEST UNIT READY
        {{0x55, 0x10, 0, 0, 0, 0, 0, 0, 8, 0}, 0x50, 10},                   // MODE SELECT(10): out
        {{0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0x50, 10},                      // WRITE(10): out
        {{0x43, 2, 4, 0, 0, 0, 0, 0, 0x1C, 0}, 0x48, 10},                   // READ TOC: in
        {{0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 0x48, 12},                // READ(12)
        {{0x85, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA, 0xB, 0xC, 0xD}, 0x48, 12},  // 80h group
    };
    for (const Row& row : rows) {
        Pc pc(Win98WithManager());
        pc.transport->Initialize();
        pc.recorder->execSrbs.clear();  // the start-up's own device scan
        std::uint8_t buffer[64] = {};
        pc.transport->ExecuteCommand(0, 4, row.cdb.data(), buffer, sizeof buffer);
        ASSERT_EQ(pc.recorder->execSrbs.size(), 1u);
        const aspi::SRB_ExecSCSICmd& srb = pc.recorder->execSrbs[0];
        SCOPED_TRACE(::testing::Message() << "opcode " << int(row.cdb[0]));
        EXPECT_EQ(srb.SRB_Cmd, aspi::SC_EXEC_SCSI_CMD);
        EXPECT_EQ(srb.SRB_Status, aspi::SS_ERR);  // set before sending
        EXPECT_EQ(srb.SRB_HaId, 0);
        EXPECT_EQ(srb.SRB_Target, 4);
        EXPECT_EQ(srb.SRB_Lun, 0);
        EXPECT_EQ(srb.SRB_Flags, row.flags);
        const void* postProc = srb.SRB_PostProc;  // packed: copy, never bind
        EXPECT_NE(postProc, nullptr);
        EXPECT_EQ(srb.SRB_SenseLen, 14);
        EXPECT_EQ(srb.SRB_CDBLen, row.cdbLength);
        EXPECT_EQ(srb.SRB_BufLen, sizeof buffer);
        const std::uint8_t* bufPointer = srb.SRB_BufPointer;
        EXPECT_EQ(bufPointer, buffer);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(srb.CDBByte[i], i < row.cdbLength ? row.cdb[i] : 0) << "CDB byte " << i;
        }
    }
}

TEST(AspiExecution, CommandLogShowsTheCdbAsSent) {
    Pc pc(Win98WithManager());
    pc.transport->Initialize();
    std::uint8_t buffer[56] = {};
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 4, kInquiry, buffer, sizeof buffer), 1);
    ASSERT_FALSE(pc.machine->CommandLog().empty());
    EXPECT_EQ(pc.machine->CommandLog().back(), "0:4 12 00 00 00 38 00");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 8, 8), "VARNOTH ");
}

TEST(AspiExecution, PendingRequestWaitsOnItsEventAndDirectOneDoesNot) {
    for (const char* mode : {"pending", "direct"}) {
        Pc pc(Win98WithManager(std::string(R"(, "completion": ")") + mode + "\""));
        pc.transport->Initialize();
        const int waitsBefore = pc.recorder->waits;
        std::uint8_t buffer[56] = {};
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 4, kInquiry, buffer, sizeof buffer), 1) << mode;
        EXPECT_EQ(pc.recorder->waits - waitsBefore, std::string(mode) == "pending" ? 1 : 0) << mode;
        EXPECT_EQ(buffer[0], 0x05) << mode;
        EXPECT_EQ(pc.machine->OpenHandleCount(), 0) << mode << ": the event must be closed";
    }
}

TEST(AspiExecution, WithoutAnEventTheRequestHasNoDirectionAndIsPolled) {
    for (const char* mode : {"pending", "direct"}) {
        Pc pc(Json({kWin98, R"("event_creation": false)",
                    std::string(R"("aspi": {"completion": ")") + mode + "\"}", kTwoDrives}));
        pc.transport->Initialize();
        pc.recorder->execSrbs.clear();  // the start-up's own device scan
        std::uint8_t buffer[56] = {};
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 4, kInquiry, buffer, sizeof buffer), 1) << mode;
        EXPECT_EQ(pc.transport->ExecuteCommand(0, 5, kTestUnitReady, nullptr, 0), aspi::SS_ERR)
            << mode;
        ASSERT_EQ(pc.recorder->execSrbs.size(), 2u);
        EXPECT_EQ(pc.recorder->execSrbs[0].SRB_Flags, 0) << mode;
        const void* postProc = pc.recorder->execSrbs[0].SRB_PostProc;
        EXPECT_EQ(postProc, nullptr) << mode;
        EXPECT_EQ(pc.recorder->waits, 0) << mode;
        EXPECT_EQ(buffer[0], 0x05) << mode;
        EXPECT_EQ(pc.transport->GetLastSense(0, 5)[12], 0x3A) << mode;
    }
}

TEST(AspiExecution, StatusValuesOfTheManager) {
    Pc pc(Win98WithManager());
    pc.transport->Initialize();
    std::uint8_t buffer[56] = {};
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 4, kInquiry, buffer, sizeof buffer), 1);
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 5, kTestUnitReady, nullptr, 0), 0x04);
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 9, kInquiry, buffer, sizeof buffer), 0x82);
    EXPECT_EQ(pc.transport->ExecuteCommand(3, 4, kInquiry, buffer, sizeof buffer), 0x81);
}

TEST(AspiExecution, SenseIsStoredOnFailureOnlyAndAtItsOwnAddress) {
    Pc pc(Win98WithManager());
    pc.transport->Initialize();
    // The tray of target 5 is open: MEDIUM NOT PRESENT - TRAY OPEN.
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 5, kTestUnitReady, nullptr, 0), 0x04);
    SenseBytes sense = pc.transport->GetLastSense(0, 5);
    EXPECT_EQ(sense[0], 0x70);
    EXPECT_EQ(sense[2], 0x02);
    EXPECT_EQ(sense[12], 0x3A);
    EXPECT_EQ(sense[13], 0x02);
    EXPECT_EQ(pc.transport->GetLastSense(0, 4), SenseBytes{}) << "neighbour untouched";
    EXPECT_EQ(pc.transport->GetLastSense(1, 5), SenseBytes{}) << "next adapter untouched";

    // A later success leaves the stored sense as it was.
    std::uint8_t buffer[56] = {};
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 5, kInquiry, buffer, sizeof buffer), 1);
    EXPECT_EQ(pc.transport->GetLastSense(0, 5), sense);

    // A new failure replaces it.
    pc.machine->DriveAt(0, 5)->SetTray("closed");
    ASSERT_EQ(pc.transport->ExecuteCommand(0, 5, kTestUnitReady, nullptr, 0), 0x04);
    EXPECT_EQ(pc.transport->GetLastSense(0, 5)[13], 0x01);
}

TEST(AspiExecution, FailureOutsideTheSenseTableWritesNothing) {
    // Nine adapters: the ninth (adapter 8) lies beyond the 128-entry tables.
    std::string adapters = R"("adapters": [)";
    for (int i = 0; i < 9; ++i) {
        adapters +=
            std::string(i ? "," : "") + R"({"bus": "scsi", "identifier": "ha", "devices": [)";
        adapters += R"({"target": 0, "drive": {"model": "CD-ROM VN40S", "tray": "open"}}]})";
    }
    adapters += "]";
    Pc pc(Json({kWin98, kManager, adapters}));
    EXPECT_EQ(pc.transport->Initialize() & 0xFF, 9);
    EXPECT_EQ(pc.transport->ExecuteCommand(8, 0, kTestUnitReady, nullptr, 0), 0x04);
    for (int adapter = 0; adapter < 8; ++adapter) {
        for (int target = 0; target < 16; ++target) {
            EXPECT_EQ(pc.transport->GetLastSense(adapter, target), SenseBytes{});
        }
    }
    EXPECT_EQ(pc.transport->GetLastSense(8, 0), SenseBytes{});
    // A target of 16 or more is not folded onto the next adapter's entries.
    EXPECT_EQ(pc.transport->ExecuteCommand(0, 16, kTestUnitReady, nullptr, 0), 0x82);
    EXPECT_EQ(pc.transport->GetLastSense(1, 0), SenseBytes{});
}

TEST(AspiExecution, AdapterInfoComesFromTheHostAdapterInquiry) {
    Pc pc(Win98WithManager());
    pc.transport->Initialize();
    AdapterInfo info;
    EXPECT_EQ(pc.transport->GetAdapterInfo(0, info), aspi::SS_COMP);
    EXPECT_EQ(std::string(info.identifier), "aic78xx");
    EXPECT_EQ(info.identifier[16], '\0');
    EXPECT_EQ(std::string(info.managerId).size(), 16u);
    EXPECT_EQ(info.scsiId, 7);

    // Beyond the count the manager fills nothing: empty texts and zero bytes.
    AdapterInfo none;
    EXPECT_NE(pc.transport->GetAdapterInfo(5, none), aspi::SS_COMP);
    EXPECT_STREQ(none.identifier, "");
    EXPECT_STREQ(none.managerId, "");
    EXPECT_EQ(none.scsiId, 0);
    for (std::uint8_t b : none.unique)
        EXPECT_EQ(b, 0);
}

}  // namespace
}  // namespace tessaly::testing
