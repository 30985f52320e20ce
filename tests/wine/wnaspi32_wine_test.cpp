// End to end under Wine: the virtual wnaspi32.dll beside this exe serves the drives of
// scenarios/win98-empty.json (one SCSI adapter "aic78xx", a recorder at target 4 with
// its tray open), and the transport reaches them on the real Win32 platform.
//
// Needs, in the Wine prefix: the override wnaspi32=native,builtin and a Windows 98
// version for this exe (tests/wine/prepare-prefix.sh sets both). main() points
// TESSALY_SCENARIO and TESSALY_COMMAND_LOG at the scenario and at a log file beside the
// exe before anything loads the DLL; the DLL reads them once per process. With
// --no-scenario it names a file that does not exist and runs only the test of that case.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "transport/aspi_srb.h"
#include "transport/scsi_transport.h"

namespace tessaly {
namespace {

constexpr std::uint8_t kAdapter = 0;
constexpr std::uint8_t kTarget = 4;

std::string logPath;

std::string ExeDirectory() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::ifstream file(logPath);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// The log lines appended since `before` lines were there.
std::vector<std::string> LinesAfter(std::size_t before) {
    std::vector<std::string> lines = LogLines();
    lines.erase(lines.begin(),
                lines.begin() + static_cast<std::ptrdiff_t>(std::min(before, lines.size())));
    return lines;
}

std::string Text(const char* bytes, std::size_t length) {
    return std::string(bytes, length);
}

class VirtualAspiUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::int32_t support = transport_.Initialize();
        ASSERT_EQ(transport_.Mode(), TransportMode::Aspi);
        ASSERT_EQ(support, 0x0101);  // SS_COMP, one adapter
    }
    void TearDown() override { transport_.Shutdown(); }

    platform::Win32Platform win32_;
    ScsiTransport transport_{win32_};
};

TEST_F(VirtualAspiUnderWine, RunsAsWindows98WithTheDllBesideTheExe) {
    EXPECT_FALSE(transport_.IsNt());
    const HMODULE module = ::GetModuleHandleA("wnaspi32.dll");
    ASSERT_NE(module, nullptr);
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(module, path, sizeof path);
    EXPECT_EQ(
        lstrcmpiA(std::string(path, length).c_str(), (ExeDirectory() + "wnaspi32.dll").c_str()), 0)
        << path;

    const std::uint32_t size = win32_.GetFileVersionInfoSizeA("wnaspi32.dll");
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(win32_.GetFileVersionInfoA("wnaspi32.dll", size, block.data()));
    const void* value = nullptr;
    std::uint32_t chars = 0;
    ASSERT_TRUE(win32_.VerQueryValueA(block.data(), "\\StringFileInfo\\040904e4\\FileVersion",
                                      &value, &chars));
    EXPECT_STREQ(static_cast<const char*>(value), "4, 60, 0, 1021");
    ASSERT_TRUE(win32_.VerQueryValueA(block.data(), "\\StringFileInfo\\040904e4\\CompanyName",
                                      &value, &chars));
    EXPECT_STREQ(static_cast<const char*>(value), "Example Software Inc.");
}

TEST_F(VirtualAspiUnderWine, AdapterInquiryReportsTheScenarioAdapter) {
    AdapterInfo info;
    ASSERT_EQ(transport_.GetAdapterInfo(kAdapter, info), aspi::SS_COMP);
    EXPECT_STREQ(info.identifier, "aic78xx");
    EXPECT_STREQ(info.managerId, "ASPI for WIN32  ");
    EXPECT_EQ(info.scsiId, 7);
    EXPECT_EQ(info.unique[3], 16);  // targets per adapter
    EXPECT_EQ(transport_.GetAdapterInfo(1, info), aspi::SS_INVALID_HA);
}

TEST_F(VirtualAspiUnderWine, InquiryReturnsTheDriveIdentityAndIsLogged) {
    const std::size_t before = LogLines().size();
    const std::uint8_t cdb[6] = {0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
    std::uint8_t answer[36] = {};
    ASSERT_EQ(transport_.ExecuteCommand(kAdapter, kTarget, cdb, answer, sizeof answer), 1);
    EXPECT_EQ(answer[0], 0x05);  // CD/DVD device
    const char* text = reinterpret_cast<const char*>(answer);
    EXPECT_EQ(Text(text + 8, 8), "VARNOTH ");
    EXPECT_EQ(Text(text + 16, 16), "CD-R   VW2410S  ");
    EXPECT_EQ(Text(text + 32, 4), "1.02");

    InquiryIdentity identity;
    EXPECT_EQ(transport_.Inquiry(kAdapter, kTarget, identity), 0x0501);
    EXPECT_STREQ(identity.product, "CD-R   VW2410S  ");

    const std::vector<std::string> expected = {"0:4 12 00 00 00 24 00", "0:4 12 00 00 00 38 00"};
    EXPECT_EQ(LinesAfter(before), expected);
}

TEST_F(VirtualAspiUnderWine, TestUnitReadyOnTheOpenTrayStoresItsSense) {
    const std::size_t before = LogLines().size();
    const std::uint8_t cdb[6] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(transport_.ExecuteCommand(kAdapter, kTarget, cdb, nullptr, 0), aspi::SS_ERR);
    const SenseBytes sense = transport_.GetLastSense(kAdapter, kTarget);
    EXPECT_EQ(sense[0] & 0x7F, 0x70);
    EXPECT_EQ(sense[2] & 0x0F, 0x02);  // not ready
    EXPECT_EQ(sense[12], 0x3A);        // medium not present
    EXPECT_EQ(sense[13], 0x02);        // tray open
    EXPECT_EQ(LinesAfter(before), std::vector<std::string>{"0:4 00 00 00 00 00 00"});
}

TEST_F(VirtualAspiUnderWine, AnEmptyTargetHasNoDevice) {
    const std::size_t before = LogLines().size();
    const std::uint8_t cdb[6] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(transport_.ExecuteCommand(kAdapter, 1, cdb, nullptr, 0), aspi::SS_NO_DEVICE);
    EXPECT_EQ(LinesAfter(before), std::vector<std::string>{"0:1 00 00 00 00 00 00"});
}

// Run alone with --no-scenario: the scenario file does not exist.
TEST(VirtualAspiWithoutScenario, ReportsNoAdaptersAndRefusesRequests) {
    const HMODULE module = ::LoadLibraryA("wnaspi32.dll");
    ASSERT_NE(module, nullptr);
    const auto supportInfo = reinterpret_cast<aspi::GetASPI32SupportInfoProc>(
        reinterpret_cast<void*>(::GetProcAddress(module, aspi::kSupportInfoName)));
    const auto sendCommand = reinterpret_cast<aspi::SendASPI32CommandProc>(
        reinterpret_cast<void*>(::GetProcAddress(module, aspi::kSendCommandName)));
    ASSERT_NE(supportInfo, nullptr);
    ASSERT_NE(sendCommand, nullptr);
    EXPECT_EQ(supportInfo(), 0x0400u);
    EXPECT_EQ(supportInfo(), 0x0400u);

    aspi::SRB_HAInquiry srb;
    std::memset(&srb, 0, sizeof srb);
    srb.SRB_Cmd = aspi::SC_HA_INQUIRY;
    EXPECT_EQ(sendCommand(&srb), aspi::SS_INVALID_HA);
    EXPECT_EQ(srb.SRB_Status, aspi::SS_INVALID_HA);
    // The DLL keeps itself loaded until the process ends, its state with it.
    EXPECT_TRUE(::FreeLibrary(module));
    EXPECT_EQ(::GetModuleHandleA("wnaspi32.dll"), module);
}

}  // namespace
}  // namespace tessaly

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const bool noScenario = argc > 1 && std::strcmp(argv[1], "--no-scenario") == 0;
    const std::string scenario =
        noScenario ? tessaly::ExeDirectory() + "no-such-scenario.json"
                   : std::string(TESSALY_SOURCE_DIR "/scenarios/win98-empty.json");
    ::testing::GTEST_FLAG(filter) =
        noScenario ? "VirtualAspiWithoutScenario.*" : "-VirtualAspiWithoutScenario.*";
    ::SetEnvironmentVariableA("TESSALY_SCENARIO", scenario.c_str());
    if (!noScenario) {
        tessaly::logPath = tessaly::ExeDirectory() + "wnaspi32_wine_test.log";
        ::DeleteFileA(tessaly::logPath.c_str());
        ::SetEnvironmentVariableA("TESSALY_COMMAND_LOG", tessaly::logPath.c_str());
    }
    return RUN_ALL_TESTS();
}
