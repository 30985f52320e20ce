// The narrow window through which the core reaches Windows. Each operation is
// named after, and behaves like, the Win32 call it stands for; the real
// implementation forwards to that call, the virtual PC models it.
#pragma once

#include <cstdint>

namespace tessaly::platform {

using Handle = std::uintptr_t;  // HANDLE; 0 is null
using Module = std::uintptr_t;  // HMODULE; 0 is null
using AnyProc = void (*)();     // FARPROC
using RegKey = std::uintptr_t;  // HKEY; 0 is null

inline constexpr Handle kInvalidHandleValue = ~Handle{0};

// GetVersionExA's OSVERSIONINFOA, the fields the program reads.
struct OsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;  // 1 Windows 9x, 2 NT, kVerPlatformLinux
    char csdVersion[128] = {};
};

inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;
// Not a Windows value: the Linux platform's answer, with the kernel's version numbers
// and "release machine" as the service text.
inline constexpr std::uint32_t kVerPlatformLinux = 0x4C;

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

inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHkeyDynData = 0x80000006u;
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorIoDevice = 1117;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;

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

    // The registry, read only. Each returns a system error code (kErrorSuccess on success).
    virtual std::int32_t RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t samDesired,
                                       RegKey* result) = 0;
    // data may be null to ask for the size; dataSize is the buffer size in, the value's out.
    virtual std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* dataSize) = 0;
    // nameSize: the buffer in characters (terminator included) in, the name's length out.
    virtual std::int32_t RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                                       std::uint32_t* nameSize) = 0;
    virtual std::int32_t RegCloseKey(RegKey key) = 0;

    // Version resources of a file found by the usual search for a bare name.
    virtual std::uint32_t GetFileVersionInfoSizeA(const char* fileName) = 0;
    virtual bool GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) = 0;
    // value points into block; length is in characters for texts, bytes otherwise.
    virtual bool VerQueryValueA(const void* block, const char* subBlock, const void** value,
                                std::uint32_t* length) = 0;

    // MultiByteToWideChar from the ANSI code page, no flags: UTF-16 units written, 0 on failure.
    virtual int MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) = 0;
};

}  // namespace tessaly::platform
