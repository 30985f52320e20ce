// Which backend start-up chooses, and how often it runs the pass-through start-up.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

const char kAtapiDrive[] = R"("adapters": [
    {"bus": "atapi", "identifier": "atapi", "devices": [
        {"target": 0, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}])";

// Each pass-through start-up walks the letters from C: twice (the letter scan and the
// mounted-device scan of external drives); nothing else asks for the type of C:.
int PassThroughRuns(const RecordingPlatform& recorder) {
    return static_cast<int>(std::count(recorder.driveTypeQueries.begin(),
                                       recorder.driveTypeQueries.end(), std::string("C:\\"))) /
           2;
}

TEST(Startup, NtFiveNeverLoadsTheManager) {
    for (const char* os : {kXp, R"("os": {"platform": 2, "major": 5, "minor": 0})"}) {
        Pc pc(Json({os, kManager, kAtapiDrive}));
        EXPECT_EQ(pc.transport->Initialize(), 1) << os;
        EXPECT_TRUE(pc.transport->IsAspiBypassed());
        EXPECT_TRUE(pc.recorder->loadedLibraries.empty());
        EXPECT_EQ(pc.transport->Mode(), TransportMode::PassThrough);
        EXPECT_EQ(PassThroughRuns(*pc.recorder), 1);
        for (std::uint32_t access : pc.recorder->openAccess)
            EXPECT_EQ(access, 0xC0000000u);
    }
}

TEST(Startup, OlderSystemsOpenDevicesForReadingOnly) {
    Pc pc(Json({kNt4, kAtapiDrive}));  // no manager: pass-through on NT 4
    EXPECT_EQ(pc.transport->Initialize(), 1);
    EXPECT_FALSE(pc.transport->IsAspiBypassed());
    ASSERT_FALSE(pc.recorder->openAccess.empty());
    for (std::uint32_t access : pc.recorder->openAccess)
        EXPECT_EQ(access, 0x80000000u);
}

TEST(Startup, FallbacksToPassThrough) {
    struct Row {
        const char* what;
        std::string aspi;
        int expectedFrees;
        bool loadedAfter;
    };
    const Row rows[] = {
        {"manager file missing", "", 0, false},
        {"entry point missing", R"("aspi": {"exports": false})", 1, false},
        {"status not completed", R"("aspi": {"status": 4})", 0, true},
        // A process loads only a DLL of its own bitness; the other one fails to load
        // (ERROR_BAD_EXE_FORMAT) just as a missing file does.
        {"32-bit manager, 64-bit program", R"("program_bits": 64, "aspi": {"bits": 32})", 0, false},
        {"64-bit manager, 32-bit program", R"("aspi": {"bits": 64})", 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // NT 4: the pass-through start-up finds the drive on port 0.
        Pc pc(row.aspi.empty() ? Json({kNt4, kAtapiDrive}) : Json({kNt4, row.aspi, kAtapiDrive}));
        EXPECT_EQ(pc.transport->Initialize(), 1);
        EXPECT_EQ(pc.transport->Mode(), TransportMode::PassThrough);
        EXPECT_EQ(PassThroughRuns(*pc.recorder), 1);
        EXPECT_EQ(pc.recorder->freeLibraryCalls, row.expectedFrees);
        EXPECT_EQ(pc.machine->AspiLoaded(), row.loadedAfter);
    }
}

TEST(Startup, ManagerOfTheProgramsBitnessIsUsed) {
    for (const char* bits :
         {R"("aspi": {"bits": 32})", R"("program_bits": 64, "aspi": {"bits": 64})"}) {
        Pc pc(Json({kNt4, bits, kAtapiDrive}));
        EXPECT_EQ(pc.transport->Initialize() & 0xFF, 1) << bits;
        EXPECT_EQ(pc.transport->Mode(), TransportMode::Aspi) << bits;
        EXPECT_TRUE(pc.machine->AspiLoaded()) << bits;
    }
}

TEST(Startup, ZeroAdaptersCompletedRunsPassThroughOnce) {
    Pc pc(Json({kNt4, R"("aspi": {"status": 1})"}));
    EXPECT_EQ(pc.transport->Initialize(), 0);
    EXPECT_EQ(PassThroughRuns(*pc.recorder), 1);
}

TEST(Startup, BadStatusAndNoPortRunsPassThroughTwice) {
    Pc pc(Json({kWin98, R"("aspi": {"status": 4})", kAtapiDrive}));
    EXPECT_EQ(pc.transport->Initialize(), 0);
    EXPECT_EQ(PassThroughRuns(*pc.recorder), 2);
    EXPECT_TRUE(pc.machine->AspiLoaded()) << "only a missing entry point frees the manager";
    pc.transport->Shutdown();
    EXPECT_FALSE(pc.machine->AspiLoaded());
}

TEST(Startup, MissingManagerAndNoPortGivesZero) {
    Pc pc(Json({kWin98, kAtapiDrive}));  // Windows 98 has no pass-through devices
    EXPECT_EQ(pc.transport->Initialize(), 0);
    EXPECT_EQ(PassThroughRuns(*pc.recorder), 1);
}

TEST(Startup, ShutdownReleasesEverythingOnceAndIsIdempotent) {
    Pc pc(Json({kXp, R"("adapters": [
        {"bus": "atapi", "identifier": "atapi", "devices": [
            {"target": 0, "letter": "D", "drive": {"model": "CD-ROM VN52A"}}]},
        {"bus": "atapi", "identifier": "atapi", "devices": [
            {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}])"}));
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_EQ(pc.machine->OpenHandleCount(), 2) << "the two port handles stay open";
    EXPECT_EQ(pc.transport->Shutdown(), 0);
    EXPECT_EQ(pc.machine->OpenHandleCount(), 0);
    EXPECT_EQ(pc.transport->Shutdown(), 0);
    EXPECT_EQ(pc.machine->BadCloseCount(), 0);
    EXPECT_EQ(pc.transport->PortHandle(0), 0u);
}

TEST(Startup, ManagerIsFreedByShutdown) {
    Pc pc(Json({kWin98, kManager, kAtapiDrive}));
    EXPECT_EQ(pc.transport->Initialize() & 0xFF, 1);
    EXPECT_TRUE(pc.machine->AspiLoaded());
    pc.transport->Shutdown();
    EXPECT_FALSE(pc.machine->AspiLoaded());
    EXPECT_EQ(pc.recorder->freeLibraryCalls, 1);
    pc.transport->Shutdown();
    EXPECT_EQ(pc.recorder->freeLibraryCalls, 1);
}

}  // namespace
}  // namespace tessaly::testing
