// The real Win32 platform, run under Wine: the calls reach the system and the
// transport starts and stops on it without a drive.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "transport/scsi_transport.h"

namespace tessaly::platform {
namespace {

TEST(Win32Platform, ReportsAVersionAndDriveTypes) {
    Win32Platform win32;
    OsVersionInfo info;
    ASSERT_TRUE(win32.GetVersionExA(info));
    EXPECT_TRUE(info.platformId == kVerPlatformWin32Windows ||
                info.platformId == kVerPlatformWin32Nt);
    EXPECT_GE(info.majorVersion, 4u);
    EXPECT_EQ(win32.GetDriveTypeA("C:\\"), kDriveFixed);
}

TEST(Win32Platform, MissingDeviceFailsWithInvalidHandle) {
    Win32Platform win32;
    const Handle h = win32.CreateFileA("\\\\.\\SCSI25:", kGenericRead,
                                       kFileShareRead | kFileShareWrite, kOpenExisting);
    EXPECT_EQ(h, kInvalidHandleValue);
    EXPECT_NE(win32.GetLastError(), 0u);
}

TEST(Win32Platform, EventsWaitAndTimeOut) {
    Win32Platform win32;
    const Handle event = win32.CreateEventA(true, false);
    ASSERT_NE(event, 0u);
    EXPECT_EQ(win32.WaitForSingleObject(event, 0), kWaitTimeout);
    EXPECT_TRUE(win32.ResetEvent(event));
    EXPECT_TRUE(win32.CloseHandle(event));
}

// What a 64-bit program meets when the ASPI manager installed is a 32-bit DLL, and a
// 32-bit program with a 64-bit one: the load fails with ERROR_BAD_EXE_FORMAT, as the
// virtual PC answers, and start-up then falls back to pass-through as for a missing file.
TEST(Win32Platform, ADllOfTheOtherBitnessDoesNotLoad) {
    const char* path = TESSALY_OTHER_BITNESS_DLL;
    ASSERT_NE(::GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES)
        << path << ": the other mingw-w64 compiler's runtime DLL is missing";
    Win32Platform win32;
    EXPECT_EQ(win32.LoadLibraryA(path), 0u) << path;
    EXPECT_EQ(win32.GetLastError(), 193u);  // ERROR_BAD_EXE_FORMAT
}

TEST(Win32Platform, TransportStartsAndStopsWithoutADrive) {
    Win32Platform win32;
    ScsiTransport transport(win32);
    const std::int32_t result = transport.Initialize();
    EXPECT_LE(result & 0xFF, kMaxAdapters);
    EXPECT_EQ(transport.Shutdown(), 0);
    EXPECT_EQ(transport.Shutdown(), 0);
}

}  // namespace
}  // namespace tessaly::platform
