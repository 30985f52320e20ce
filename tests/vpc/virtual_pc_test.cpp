// The virtual PC's Windows services: version, drive letters, device names, handles,
// events and the ASPI manager library.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "vpc_test_support.h"

namespace tessaly::vpc::testing {
namespace {

using platform::kInvalidHandleValue;

std::string Pc(const char* os, const std::string& aspi = "") {
    std::string json = Json({os, R"("adapters": [
        {"bus": "atapi", "identifier": "atapi"},
        {"bus": "atapi", "identifier": "atapi", "devices": [
          {"target": 0, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}],
      "external": [{"letter": "G", "bus": "usb", "drive": {"model": "CD-R   VW2410AU"}}])"});
    if (!aspi.empty())
        json = json.substr(0, json.size() - 1) + "," + aspi + "}";
    return json;
}

TEST(VpcWindows, VersionComesFromTheScenario) {
    VirtualPc pc(ScenarioFrom(Pc(kWin98)));
    platform::OsVersionInfo info;
    std::memset(info.csdVersion, 'x', sizeof info.csdVersion);
    ASSERT_TRUE(pc.GetVersionExA(info));
    EXPECT_EQ(info.platformId, platform::kVerPlatformWin32Windows);
    EXPECT_EQ(info.majorVersion, 4u);
    EXPECT_EQ(info.minorVersion, 10u);
    EXPECT_EQ(info.buildNumber, 2222u);
    EXPECT_STREQ(info.csdVersion, " A ");
}

TEST(VpcWindows, DriveTypes) {
    VirtualPc pc(ScenarioFrom(Pc(kXp)));
    const std::pair<const char*, std::uint32_t> rows[] = {
        {"E:\\", platform::kDriveCdrom},     {"e:\\", platform::kDriveCdrom},
        {"G:\\", platform::kDriveCdrom},     {"C:\\", platform::kDriveFixed},
        {"D:\\", platform::kDriveNoRootDir}, {"Z:\\", platform::kDriveNoRootDir},
        {"E", platform::kDriveNoRootDir},    {"E:\\x", platform::kDriveNoRootDir},
        {"", platform::kDriveNoRootDir},     {nullptr, platform::kDriveFixed},
    };
    for (const auto& [root, type] : rows) {
        EXPECT_EQ(pc.GetDriveTypeA(root), type) << (root ? root : "(null)");
    }
}

TEST(VpcWindows, DeviceNamesOpenOnNtOnly) {
    struct Row {
        const char* name;
        bool onNt;
    };
    const Row rows[] = {
        {"\\\\.\\E:", true},
        {"\\\\.\\e:", true},
        {"\\\\.\\G:", true},
        {"\\\\.\\C:", true},
        {"\\\\.\\D:", false},
        {"\\\\.\\E:\\", false},
        {"\\\\.\\SCSI0:", true},
        {"\\\\.\\scsi1:", true},
        {"\\\\.\\SCSI001:", true},
        {"\\\\.\\SCSI2:", false},
        {"\\\\.\\SCSI:", false},
        {"\\\\.\\SCSI1", false},
        {"\\\\.\\SCSI99999999999999999999:", false},
        {"E:", false},
        {"\\\\.\\", false},
        {"C:\\autoexec.bat", false},
    };
    for (const char* os : {kXp, kNt4, kWin98}) {
        VirtualPc pc(ScenarioFrom(Pc(os)));
        const bool nt = os != kWin98;
        std::vector<std::string> asked;
        for (const Row& row : rows) {
            const platform::Handle handle = Open(pc, row.name);
            asked.push_back(row.name);
            if (nt && row.onNt) {
                EXPECT_NE(handle, kInvalidHandleValue) << row.name;
                EXPECT_TRUE(pc.CloseHandle(handle));
            } else {
                EXPECT_EQ(handle, kInvalidHandleValue) << row.name;
                EXPECT_EQ(pc.GetLastError(), platform::kErrorFileNotFound) << row.name;
            }
        }
        EXPECT_EQ(pc.OpenedNames(), asked);
        EXPECT_EQ(pc.OpenHandleCount(), 0u);
    }
}

TEST(VpcWindows, HandlesAreSmallUniqueAndNeverReused) {
    VirtualPc pc(ScenarioFrom(Pc(kXp)));
    std::set<platform::Handle> seen;
    for (int i = 0; i < 5; ++i) {
        const platform::Handle file = Open(pc, "\\\\.\\E:");
        const platform::Handle event = pc.CreateEventA(true, false);
        for (platform::Handle h : {file, event}) {
            EXPECT_NE(h, 0u);
            EXPECT_LT(h, 0x10000u);
            EXPECT_TRUE(seen.insert(h).second) << "handle " << h << " reused";
        }
        EXPECT_EQ(pc.OpenHandleCount(), 2u);
        EXPECT_TRUE(pc.CloseHandle(file));
        EXPECT_TRUE(pc.CloseHandle(event));
    }
    EXPECT_EQ(pc.OpenHandleCount(), 0u);
    EXPECT_EQ(pc.BadCloseCount(), 0u);
    const platform::Handle last = *seen.rbegin();
    EXPECT_FALSE(pc.CloseHandle(last)) << "closed twice";
    EXPECT_EQ(pc.GetLastError(), platform::kErrorInvalidHandle);
    EXPECT_FALSE(pc.CloseHandle(kInvalidHandleValue));
    EXPECT_EQ(pc.BadCloseCount(), 2u);
    EXPECT_EQ(Open(pc, "\\\\.\\E:") > last, true);
}

TEST(VpcWindows, OpeningADeviceNeedsOpenExisting) {
    VirtualPc pc(ScenarioFrom(Pc(kXp)));
    EXPECT_EQ(pc.CreateFileA("\\\\.\\E:", platform::kGenericRead, 0, 2 /* CREATE_ALWAYS */),
              kInvalidHandleValue);
    EXPECT_EQ(pc.GetLastError(), platform::kErrorInvalidParameter);
    EXPECT_EQ(pc.CreateFileA(nullptr, 0, 0, platform::kOpenExisting), kInvalidHandleValue);
}

TEST(VpcWindows, EventsResetAndTimeOut) {
    VirtualPc pc(ScenarioFrom(Pc(kXp)));
    const platform::Handle manual = pc.CreateEventA(true, true);
    EXPECT_EQ(pc.WaitForSingleObject(manual, 0), platform::kWaitObject0);
    EXPECT_EQ(pc.WaitForSingleObject(manual, 0), platform::kWaitObject0) << "manual: stays set";
    EXPECT_TRUE(pc.ResetEvent(manual));
    EXPECT_EQ(pc.WaitForSingleObject(manual, 10), platform::kWaitTimeout);

    const platform::Handle automatic = pc.CreateEventA(false, true);
    EXPECT_EQ(pc.WaitForSingleObject(automatic, 0), platform::kWaitObject0);
    EXPECT_EQ(pc.WaitForSingleObject(automatic, 10), platform::kWaitTimeout) << "auto: reset";

    const platform::Handle file = Open(pc, "\\\\.\\E:");
    EXPECT_EQ(pc.WaitForSingleObject(file, 0), platform::kWaitFailed);
    EXPECT_EQ(pc.WaitForSingleObject(0x7777, 0), platform::kWaitFailed);
    EXPECT_EQ(pc.GetLastError(), platform::kErrorInvalidHandle);
    EXPECT_FALSE(pc.ResetEvent(file));

    VirtualPc noEvents(ScenarioFrom(Json({kXp, R"("event_creation": false)"})));
    EXPECT_EQ(noEvents.CreateEventA(true, false), 0u);
    EXPECT_NE(noEvents.GetLastError(), 0u);
    EXPECT_EQ(noEvents.OpenHandleCount(), 0u);
}

TEST(VpcWindows, ManagerLibraryExistsWithAspiOnly) {
    struct Row {
        const char* label;
        std::string json;
        const char* file;
        bool loads;
        bool sendExported;
    };
    const Row rows[] = {
        {"no manager", Pc(kWin98), "wnaspi32.dll", false, false},
        {"manager", Pc(kWin98, R"("aspi": {})"), "wnaspi32.dll", true, true},
        {"upper case", Pc(kWin98, R"("aspi": {})"), "WNASPI32.DLL", true, true},
        {"no extension", Pc(kWin98, R"("aspi": {})"), "wnaspi32", true, true},
        {"full path", Pc(kWin98, R"("aspi": {})"), "C:\\WINDOWS\\SYSTEM\\wnaspi32.dll", false,
         false},
        {"missing entry point", Pc(kXp, R"("aspi": {"exports": false})"), "wnaspi32.dll", true,
         false},
    };
    for (const Row& row : rows) {
        VirtualPc pc(ScenarioFrom(row.json));
        const platform::Module module = pc.LoadLibraryA(row.file);
        EXPECT_EQ(module != 0, row.loads) << row.label;
        EXPECT_EQ(pc.LoadLibraryCalls(), 1u);
        EXPECT_EQ(pc.AspiLoaded(), row.loads);
        if (!row.loads) {
            EXPECT_EQ(pc.GetLastError(), 126u) << row.label;
            continue;
        }
        EXPECT_NE(pc.GetProcAddress(module, aspi::kSupportInfoName), nullptr) << row.label;
        EXPECT_EQ(pc.GetProcAddress(module, aspi::kSendCommandName) != nullptr, row.sendExported)
            << row.label;
        EXPECT_EQ(pc.GetProcAddress(module, "sendaspi32command"), nullptr) << "names are exact";
        EXPECT_EQ(pc.GetLastError(), 127u);
        EXPECT_EQ(pc.GetProcAddress(module, reinterpret_cast<const char*>(std::uintptr_t{2})),
                  nullptr)
            << "ordinals";
        EXPECT_TRUE(pc.FreeLibrary(module));
        EXPECT_FALSE(pc.AspiLoaded());
        EXPECT_FALSE(pc.FreeLibrary(module)) << "freed twice";
        EXPECT_EQ(pc.GetProcAddress(module, aspi::kSupportInfoName), nullptr) << "freed";
    }
}

TEST(VpcWindows, ManagerEntryPointsReachThisPc) {
    VirtualPc pc(ScenarioFrom(Pc(kWin98, R"("aspi": {"status": 1})")));
    const platform::Module module = pc.LoadLibraryA("wnaspi32.dll");
    const auto support = reinterpret_cast<aspi::GetASPI32SupportInfoProc>(
        pc.GetProcAddress(module, aspi::kSupportInfoName));
    const auto send = reinterpret_cast<aspi::SendASPI32CommandProc>(
        pc.GetProcAddress(module, aspi::kSendCommandName));
    ASSERT_TRUE(support && send);
    EXPECT_EQ(support(), 0x0102u);

    // A pending request signals the program's event through the PC's handle table.
    const platform::Handle event = pc.CreateEventA(true, false);
    std::uint8_t buffer[36] = {};
    aspi::SRB_ExecSCSICmd srb = ExecSrb(1, 0, {0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
    srb.SRB_Flags |= aspi::SRB_EVENT_NOTIFY;
    srb.SRB_PostProc = reinterpret_cast<void*>(event);
    EXPECT_EQ(send(&srb), aspi::SS_PENDING);
    EXPECT_EQ(pc.WaitForSingleObject(event, 5000), platform::kWaitObject0);
    EXPECT_EQ(srb.SRB_Status, aspi::SS_COMP);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 16, 16), "CD-R   VW2410A  ");
    EXPECT_EQ(pc.CommandLog(), std::vector<std::string>{"1:0 12 00 00 00 24 00"});
    pc.ClearCommandLog();
    EXPECT_TRUE(pc.CommandLog().empty());

    // Once freed, the entry points answer without reaching the PC.
    EXPECT_TRUE(pc.FreeLibrary(module));
    EXPECT_EQ(support(), 0u);
    EXPECT_EQ(send(&srb), aspi::SS_INVALID_CMD);
    EXPECT_TRUE(pc.CommandLog().empty());
    EXPECT_TRUE(pc.CloseHandle(event));
}

TEST(VpcWindows, DriveAccessForTests) {
    VirtualPc pc(ScenarioFrom(Pc(kXp)));
    ASSERT_NE(pc.DriveAt(1, 0), nullptr);
    EXPECT_EQ(pc.DriveAt(1, 0)->Spec().model, "CD-R   VW2410A");
    EXPECT_EQ(pc.DriveAt(0, 0), nullptr);
    EXPECT_EQ(pc.DriveAt(1, 1), nullptr);
    ASSERT_NE(pc.ExternalDrive(0), nullptr);
    EXPECT_EQ(pc.ExternalDrive(0)->Spec().model, "CD-R   VW2410AU");
    EXPECT_EQ(pc.ExternalDrive(1), nullptr);
    EXPECT_EQ(pc.Aspi(), nullptr);

    EXPECT_TRUE(pc.AddLetterAlias('f', 1, 0));
    EXPECT_EQ(pc.GetDriveTypeA("F:\\"), platform::kDriveCdrom);
    EXPECT_FALSE(pc.AddLetterAlias('G', 1, 0)) << "taken";
    EXPECT_FALSE(pc.AddLetterAlias('H', 0, 0)) << "no device";
    const platform::Handle f = Open(pc, "\\\\.\\F:");
    std::uint8_t address[8] = {};
    ASSERT_TRUE(Ioctl(pc, f, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, address, 8).ok);
    EXPECT_EQ(address[4], 1);
    EXPECT_EQ(address[6], 0);
}

}  // namespace
}  // namespace tessaly::vpc::testing
