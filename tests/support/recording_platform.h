// A Platform that forwards every call to another one and records what the program
// asked for: the request blocks it built, the names it opened, the waits it made.
// Tests use it to look at requests the way a driver or the manager would see them.
#pragma once

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "transport/aspi_srb.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::testing {

class RecordingPlatform : public platform::Platform {
  public:
    explicit RecordingPlatform(platform::Platform& inner) : inner_(inner) {
        while (slot_ < kSlots && slots_[slot_] != nullptr)
            ++slot_;
        if (slot_ < kSlots)
            slots_[slot_] = this;
    }
    ~RecordingPlatform() override {
        if (slot_ < kSlots)
            slots_[slot_] = nullptr;
    }

    // What was seen.
    std::vector<aspi::SRB_ExecSCSICmd> execSrbs;  // as sent, before the manager saw them
    std::vector<nt::PassThroughRequest> passThroughRequests;
    std::vector<std::uint32_t> passThroughSizes;             // input size of each request
    std::vector<std::vector<std::uint8_t>> passThroughData;  // data buffer as sent
    std::map<std::uint32_t, int> controlCounts;              // device controls by code
    std::vector<std::string> openedNames;
    std::vector<std::uint32_t> openAccess;
    std::vector<std::string> driveTypeQueries;
    std::vector<std::string> loadedLibraries;
    int waits = 0;
    int freeLibraryCalls = 0;

    // What to break.
    std::set<std::string> failOpen;                     // CreateFileA of these names fails
    std::map<std::string, std::uint32_t> failOpenWith;  // ... and sets this last error
    std::set<std::uint32_t> failControls;               // DeviceIoControl of these codes fails

    bool GetVersionExA(platform::OsVersionInfo& info) override {
        return inner_.GetVersionExA(info);
    }
    std::uint32_t GetDriveTypeA(const char* rootPath) override {
        driveTypeQueries.emplace_back(rootPath);
        return inner_.GetDriveTypeA(rootPath);
    }
    platform::Handle CreateFileA(const char* fileName, std::uint32_t access, std::uint32_t share,
                                 std::uint32_t disposition) override {
        openedNames.emplace_back(fileName);
        openAccess.push_back(access);
        forcedError_.reset();
        if (failOpen.count(fileName) != 0)
            return platform::kInvalidHandleValue;
        if (const auto it = failOpenWith.find(fileName); it != failOpenWith.end()) {
            forcedError_ = it->second;
            return platform::kInvalidHandleValue;
        }
        return inner_.CreateFileA(fileName, access, share, disposition);
    }
    bool DeviceIoControl(platform::Handle device, std::uint32_t code, void* in,
                         std::uint32_t inSize, void* out, std::uint32_t outSize,
                         std::uint32_t* returned) override {
        if (code == nt::IOCTL_SCSI_PASS_THROUGH_DIRECT && in != nullptr &&
            inSize >= sizeof(nt::PassThroughRequest)) {
            nt::PassThroughRequest copy;
            std::memcpy(&copy, in, sizeof copy);
            passThroughRequests.push_back(copy);
            passThroughSizes.push_back(inSize);
            const auto* data = static_cast<const std::uint8_t*>(copy.sptd.DataBuffer);
            passThroughData.emplace_back(
                data, data == nullptr ? data : data + copy.sptd.DataTransferLength);
        }
        ++controlCounts[code];
        forcedError_.reset();
        if (failControls.count(code) != 0) {
            if (returned != nullptr)
                *returned = 0;
            return false;
        }
        return inner_.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    }
    bool CloseHandle(platform::Handle object) override { return inner_.CloseHandle(object); }
    std::uint32_t GetLastError() override {
        return forcedError_ ? *forcedError_ : inner_.GetLastError();
    }
    platform::Module LoadLibraryA(const char* fileName) override {
        loadedLibraries.emplace_back(fileName);
        return inner_.LoadLibraryA(fileName);
    }
    platform::AnyProc GetProcAddress(platform::Module module, const char* name) override {
        platform::AnyProc proc = inner_.GetProcAddress(module, name);
        if (proc != nullptr && slot_ < kSlots && std::strcmp(name, aspi::kSendCommandName) == 0) {
            innerSend_ = reinterpret_cast<aspi::SendASPI32CommandProc>(proc);
            return reinterpret_cast<platform::AnyProc>(kRecordingSends[slot_]);
        }
        return proc;
    }
    bool FreeLibrary(platform::Module module) override {
        ++freeLibraryCalls;
        return inner_.FreeLibrary(module);
    }
    platform::Handle CreateEventA(bool manualReset, bool initialState) override {
        return inner_.CreateEventA(manualReset, initialState);
    }
    bool ResetEvent(platform::Handle event) override { return inner_.ResetEvent(event); }
    std::uint32_t WaitForSingleObject(platform::Handle object, std::uint32_t ms) override {
        ++waits;
        return inner_.WaitForSingleObject(object, ms);
    }

    std::int32_t RegOpenKeyExA(platform::RegKey key, const char* subKey, std::uint32_t sam,
                               platform::RegKey* result) override {
        return inner_.RegOpenKeyExA(key, subKey, sam, result);
    }
    std::int32_t RegQueryValueExA(platform::RegKey key, const char* name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) override {
        return inner_.RegQueryValueExA(key, name, type, data, size);
    }
    std::int32_t RegEnumKeyExA(platform::RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override {
        return inner_.RegEnumKeyExA(key, index, name, nameSize);
    }
    std::int32_t RegCloseKey(platform::RegKey key) override { return inner_.RegCloseKey(key); }
    std::uint32_t GetFileVersionInfoSizeA(const char* fileName) override {
        return inner_.GetFileVersionInfoSizeA(fileName);
    }
    bool GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) override {
        return inner_.GetFileVersionInfoA(fileName, size, data);
    }
    bool VerQueryValueA(const void* block, const char* subBlock, const void** value,
                        std::uint32_t* length) override {
        return inner_.VerQueryValueA(block, subBlock, value, length);
    }
    int MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) override {
        return inner_.MultiByteToWideChar(text, length, out, outCount);
    }

    int CountOpened(const std::string& name) const {
        int n = 0;
        for (const auto& opened : openedNames)
            n += opened == name ? 1 : 0;
        return n;
    }

  private:
    // A function pointer carries no object: each recorder has a slot with its own entry.
    static constexpr int kSlots = 4;
    template <int N>
    static std::uint32_t RecordingSend(void* srb) {
        RecordingPlatform* self = slots_[N];
        if (static_cast<aspi::SRB_Header*>(srb)->SRB_Cmd == aspi::SC_EXEC_SCSI_CMD) {
            aspi::SRB_ExecSCSICmd copy;
            std::memcpy(&copy, srb, sizeof copy);
            self->execSrbs.push_back(copy);
        }
        return self->innerSend_(srb);
    }

    platform::Platform& inner_;
    std::optional<std::uint32_t> forcedError_;  // the error of a failOpenWith open
    aspi::SendASPI32CommandProc innerSend_ = nullptr;
    int slot_ = 0;
    static inline RecordingPlatform* slots_[kSlots] = {};
    static constexpr aspi::SendASPI32CommandProc kRecordingSends[kSlots] = {
        &RecordingSend<0>, &RecordingSend<1>, &RecordingSend<2>, &RecordingSend<3>};
};

}  // namespace tessaly::testing
