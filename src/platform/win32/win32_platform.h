// The Platform of the real program: every call forwards to the Win32 API.
#pragma once

#include "platform/platform.h"

namespace tessaly::platform {

class Win32Platform final : public Platform {
  public:
    bool GetVersionExA(OsVersionInfo& info) override;
    std::uint32_t GetDriveTypeA(const char* rootPath) override;
    Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t shareMode,
                       std::uint32_t creationDisposition) override;
    bool DeviceIoControl(Handle device, std::uint32_t controlCode, void* inBuffer,
                         std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                         std::uint32_t* bytesReturned) override;
    bool CloseHandle(Handle object) override;
    std::uint32_t GetLastError() override;
    Module LoadLibraryA(const char* fileName) override;
    AnyProc GetProcAddress(Module module, const char* procName) override;
    bool FreeLibrary(Module module) override;
    Handle CreateEventA(bool manualReset, bool initialState) override;
    bool ResetEvent(Handle event) override;
    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t milliseconds) override;
    std::int32_t RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t samDesired,
                               RegKey* result) override;
    std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override;
    std::int32_t RegCloseKey(RegKey key) override;
    std::uint32_t GetFileVersionInfoSizeA(const char* fileName) override;
    bool GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) override;
    bool VerQueryValueA(const void* block, const char* subBlock, const void** value,
                        std::uint32_t* length) override;
    int MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) override;
};

}  // namespace tessaly::platform
