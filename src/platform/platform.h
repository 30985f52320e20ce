// The narrow window through which the core reaches Windows. Each operation is
// named after, and behaves like, the Win32 call it stands for; the real
// implementation forwards to that call, the virtual PC models it.
#pragma once

#include <cstdint>

namespace tessaly::platform {

using Handle = std::uintptr_t;  // HANDLE; 0 is null
using Module = std::uintptr_t;  // HMODULE; 0 is null
using AnyProc = void (*)();     // FARPROC

inline constexpr Handle kInvalidHandleValue = ~Handle{0};

// GetVersionExA's OSVERSIONINFOA, the fields the program reads.
struct OsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;  // 1 Windows 9x, 2 NT
    char csdVersion[128] = {};
};

inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;

inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 0x1;
inline constexpr std::uint32_t kFileShareWrite = 0x2;
inline constexpr std::uint32_t kOpenExisting = 3;

inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdrom = 5;

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorIoDevice = 1117;

class Platform {
  public:
    virtual ~Platform() = default;

    // Version.
    virtual bool GetVersionExA(OsVersionInfo& info) = 0;

    // Drive letters and devices.
    virtual std::uint32_t GetDriveTypeA(const char* rootPath) = 0;
    virtual Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition) = 0;
    virtual bool DeviceIoControl(Handle device, std::uint32_t controlCode, void* inBuffer,
                                 std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned) = 0;
    virtual bool CloseHandle(Handle object) = 0;
    virtual std::uint32_t GetLastError() = 0;

    // The ASPI manager library.
    virtual Module LoadLibraryA(const char* fileName) = 0;
    virtual AnyProc GetProcAddress(Module module, const char* procName) = 0;
    virtual bool FreeLibrary(Module module) = 0;

    // Events (closed with CloseHandle).
    virtual Handle CreateEventA(bool manualReset, bool initialState) = 0;
    virtual bool ResetEvent(Handle event) = 0;
    virtual std::uint32_t WaitForSingleObject(Handle object, std::uint32_t milliseconds) = 0;
};

}  // namespace tessaly::platform
