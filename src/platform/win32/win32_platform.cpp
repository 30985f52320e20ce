#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstring>

namespace tessaly::platform {

static_assert(sizeof(Handle) == sizeof(HANDLE));

namespace {
HANDLE ToHandle(Handle h) {
    return reinterpret_cast<HANDLE>(h);
}
Handle FromHandle(HANDLE h) {
    return reinterpret_cast<Handle>(h);
}
HKEY ToKey(RegKey key) {
    if (key == kHkeyLocalMachine)
        return HKEY_LOCAL_MACHINE;
    if (key == kHkeyDynData)
        return HKEY_DYN_DATA;
    return reinterpret_cast<HKEY>(key);
}
}  // namespace

bool Win32Platform::GetVersionExA(OsVersionInfo& info) {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return false;
    info.majorVersion = version.dwMajorVersion;
    info.minorVersion = version.dwMinorVersion;
    info.buildNumber = version.dwBuildNumber;
    info.platformId = version.dwPlatformId;
    static_assert(sizeof info.csdVersion == sizeof version.szCSDVersion);
    std::memcpy(info.csdVersion, version.szCSDVersion, sizeof info.csdVersion);
    info.csdVersion[sizeof info.csdVersion - 1] = '\0';
    return true;
}

std::uint32_t Win32Platform::GetDriveTypeA(const char* rootPath) {
    return ::GetDriveTypeA(rootPath);
}

Handle Win32Platform::CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                                  std::uint32_t shareMode, std::uint32_t creationDisposition) {
    return FromHandle(::CreateFileA(fileName, desiredAccess, shareMode, nullptr,
                                    creationDisposition, 0, nullptr));
}

bool Win32Platform::DeviceIoControl(Handle device, std::uint32_t controlCode, void* inBuffer,
                                    std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                                    std::uint32_t* bytesReturned) {
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(ToHandle(device), controlCode, inBuffer, inSize, outBuffer,
                                      outSize, &returned, nullptr);
    if (bytesReturned != nullptr)
        *bytesReturned = returned;
    return ok != FALSE;
}

bool Win32Platform::CloseHandle(Handle object) {
    return ::CloseHandle(ToHandle(object)) != FALSE;
}

std::uint32_t Win32Platform::GetLastError() {
    return ::GetLastError();
}

Module Win32Platform::LoadLibraryA(const char* fileName) {
    return reinterpret_cast<Module>(::LoadLibraryA(fileName));
}

AnyProc Win32Platform::GetProcAddress(Module module, const char* procName) {
    return reinterpret_cast<AnyProc>(::GetProcAddress(reinterpret_cast<HMODULE>(module), procName));
}

bool Win32Platform::FreeLibrary(Module module) {
    return ::FreeLibrary(reinterpret_cast<HMODULE>(module)) != FALSE;
}

Handle Win32Platform::CreateEventA(bool manualReset, bool initialState) {
    return FromHandle(::CreateEventA(nullptr, manualReset, initialState, nullptr));
}

bool Win32Platform::ResetEvent(Handle event) {
    return ::ResetEvent(ToHandle(event)) != FALSE;
}

std::uint32_t Win32Platform::WaitForSingleObject(Handle object, std::uint32_t milliseconds) {
    return ::WaitForSingleObject(ToHandle(object), milliseconds);
}

std::int32_t Win32Platform::RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t samDesired,
                                          RegKey* result) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(ToKey(key), subKey, 0, samDesired, &opened);
    *result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(opened) : 0;
    return status;
}

std::int32_t Win32Platform::RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                             std::uint8_t* data, std::uint32_t* dataSize) {
    DWORD valueType = 0;
    DWORD size = dataSize != nullptr ? *dataSize : 0;
    const LONG status = ::RegQueryValueExA(ToKey(key), valueName, nullptr, &valueType, data,
                                           dataSize != nullptr ? &size : nullptr);
    if (type != nullptr)
        *type = valueType;
    if (dataSize != nullptr)
        *dataSize = size;
    return status;
}

std::int32_t Win32Platform::RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                                          std::uint32_t* nameSize) {
    DWORD size = *nameSize;
    const LONG status =
        ::RegEnumKeyExA(ToKey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    *nameSize = size;
    return status;
}

std::int32_t Win32Platform::RegCloseKey(RegKey key) {
    return ::RegCloseKey(ToKey(key));
}

std::uint32_t Win32Platform::GetFileVersionInfoSizeA(const char* fileName) {
    DWORD handle = 0;
    return ::GetFileVersionInfoSizeA(fileName, &handle);
}

bool Win32Platform::GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) {
    return ::GetFileVersionInfoA(fileName, 0, size, data) != FALSE;
}

bool Win32Platform::VerQueryValueA(const void* block, const char* subBlock, const void** value,
                                   std::uint32_t* length) {
    void* found = nullptr;
    UINT size = 0;
    const BOOL ok = ::VerQueryValueA(block, subBlock, &found, &size);
    *value = found;
    *length = size;
    return ok != FALSE && found != nullptr;
}

int Win32Platform::MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return ::MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(out),
                                 outCount);
}

}  // namespace tessaly::platform
