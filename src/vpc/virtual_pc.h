// The virtual PC: the Windows services of platform::Platform modelled for one
// scenario, with emulated drives behind its adapters and drive letters.
//
// Handles (drive-letter devices, SCSI ports, events) are small non-zero multiples
// of 4, never reused within a run. Only Windows NT opens devices: "\\.\X:" for a
// CD-ROM letter or C:, "\\.\SCSIn:" for adapter n. DeviceIoControl checks handle
// kinds and buffer sizes as Windows does and fails with its error codes; on NT 5 and
// later it also checks the access the control code demands (bits 14-15) against the
// access the handle was opened with. The
// library "wnaspi32.dll" exists when the scenario has "aspi"; its entry points
// forward to this PC's AspiManager (see aspi_exports.h).
//
// Counters (opened names, open handles, bad closes, library loads) and the command
// log let tests find leaks and check what reached the drives. Calls come from the
// program's thread; only the ASPI worker's event signal crosses threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "transport/scsi_passthrough.h"
#include "vpc/aspi_manager.h"
#include "vpc/command_log.h"
#include "vpc/emulated_drive.h"
#include "vpc/event_object.h"
#include "vpc/scenario.h"
#include "vpc/virtual_printer.h"
#include "vpc/virtual_registry.h"

namespace tessaly::vpc {

inline constexpr platform::Module kAspiModule = 0x10000000;

class VirtualPc final : public platform::Platform, private AspiManager::Host {
  public:
    explicit VirtualPc(Scenario scenario);
    ~VirtualPc() override;
    VirtualPc(const VirtualPc&) = delete;
    VirtualPc& operator=(const VirtualPc&) = delete;

    bool GetVersionExA(platform::OsVersionInfo& info) override;
    std::uint32_t GetDriveTypeA(const char* rootPath) override;
    platform::Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                                 std::uint32_t shareMode,
                                 std::uint32_t creationDisposition) override;
    bool DeviceIoControl(platform::Handle device, std::uint32_t controlCode, void* inBuffer,
                         std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                         std::uint32_t* bytesReturned) override;
    bool CloseHandle(platform::Handle object) override;
    std::uint32_t GetLastError() override;
    platform::Module LoadLibraryA(const char* fileName) override;
    platform::AnyProc GetProcAddress(platform::Module module, const char* procName) override;
    bool FreeLibrary(platform::Module module) override;
    platform::Handle CreateEventA(bool manualReset, bool initialState) override;
    bool ResetEvent(platform::Handle event) override;
    std::uint32_t WaitForSingleObject(platform::Handle object, std::uint32_t milliseconds) override;
    std::int32_t RegOpenKeyExA(platform::RegKey key, const char* subKey, std::uint32_t samDesired,
                               platform::RegKey* result) override;
    std::int32_t RegQueryValueExA(platform::RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegEnumKeyExA(platform::RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override;
    std::int32_t RegCloseKey(platform::RegKey key) override;
    std::uint32_t GetFileVersionInfoSizeA(const char* fileName) override;
    bool GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) override;
    bool VerQueryValueA(const void* block, const char* subBlock, const void** value,
                        std::uint32_t* length) override;
    int MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) override;

    const Scenario& GetScenario() const { return scenario_; }
    const std::vector<std::string>& CommandLog() const { return log_.Entries(); }
    void ClearCommandLog() { log_.Clear(); }
    // The drive at adapter:target, or nullptr.
    EmulatedDrive* DriveAt(std::size_t adapter, std::uint8_t target);
    // The drive of scenario.external[index], or nullptr.
    EmulatedDrive* ExternalDrive(std::size_t index);
    // Gives the device at adapter:target one more drive letter (a volume mounted twice);
    // false when there is no such device or the letter is taken.
    bool AddLetterAlias(char letter, std::size_t adapter, std::uint8_t target);
    // The manager behind "wnaspi32.dll"; nullptr when the scenario has no "aspi".
    AspiManager* Aspi() { return aspi_.get(); }
    VirtualRegistry& Registry() { return registry_; }
    VirtualPrinter& Printer() { return printer_; }

    const std::vector<std::string>& OpenedNames() const { return openedNames_; }
    std::size_t OpenHandleCount() const;
    std::size_t BadCloseCount() const { return badCloses_; }
    std::size_t LoadLibraryCalls() const { return loadLibraryCalls_; }
    bool AspiLoaded() const { return aspiLoads_ > 0; }

  private:
    struct ScsiAddress {
        std::uint8_t port = 0;
        std::uint8_t path = 0;
        std::uint8_t target = 0;
    };
    // A drive letter's device: a CD-ROM (with its SCSI address when it sits on an
    // adapter) or the system disk C: (no drive).
    struct Volume {
        char letter = 0;
        EmulatedDrive* drive = nullptr;
        std::optional<ScsiAddress> address;
        std::optional<std::uint32_t> passthroughError;
        bool accessDenied = false;
    };
    enum class ObjectKind { kVolume, kPort, kEvent };
    struct Object {
        ObjectKind kind = ObjectKind::kVolume;
        const Volume* volume = nullptr;
        std::size_t port = 0;
        std::shared_ptr<EventObject> event;
        std::uint32_t grantedAccess = 0;  // kFileReadAccess | kFileWriteAccess
    };
    struct AttachedDrive {
        std::size_t adapter = 0;
        std::uint8_t bus = 0;
        std::uint8_t target = 0;
        std::optional<std::uint32_t> passthroughError;
        bool accessDenied = false;
        std::unique_ptr<EmulatedDrive> drive;
    };

    // AspiManager::Host
    EmulatedDrive* FindDrive(std::uint8_t adapter, std::uint8_t target) override;
    void SignalEvent(void* postProc) override;
    void RecordCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                       std::size_t cdbLength) override;

    bool IsNt() const { return scenario_.os.platform == platform::kVerPlatformWin32Nt; }
    const Volume* FindVolume(char letter) const;
    platform::Handle OpenDevice(const char* fileName, std::uint32_t desiredAccess,
                                std::uint32_t creationDisposition);
    // NT 5 and later grant a device control only to a handle with the access it demands.
    bool ChecksControlAccess() const;
    platform::Handle AddObject(Object object);
    std::optional<Object> FindObject(platform::Handle handle) const;
    bool Fail(std::uint32_t error);

    // Device controls (virtual_pc_ioctl.cpp).
    bool GetScsiAddress(const Object& object, void* out, std::uint32_t outSize,
                        std::uint32_t& returned);
    bool GetInquiryData(const Object& object, void* out, std::uint32_t outSize,
                        std::uint32_t& returned);
    bool PassThroughDirect(const Object& object, void* in, std::uint32_t inSize, void* out,
                           std::uint32_t outSize, std::uint32_t& returned);
    bool DataBufferAligned(const Volume& volume, const nt::SCSI_PASS_THROUGH_DIRECT& request) const;
    bool QueryProperty(const Object& object, void* in, std::uint32_t inSize, void* out,
                       std::uint32_t outSize, std::uint32_t& returned);

    const Scenario scenario_;
    std::vector<AttachedDrive> attached_;
    std::vector<std::unique_ptr<EmulatedDrive>> external_;
    std::deque<Volume> volumes_;  // a deque, so that handles may point at its entries
    vpc::CommandLog log_;
    VirtualRegistry registry_;
    VirtualPrinter printer_{scenario_.printer, scenario_.date};

    mutable std::mutex objectsMutex_;
    std::map<platform::Handle, Object> objects_;
    platform::Handle nextHandle_ = 4;

    std::uint32_t lastError_ = 0;
    std::vector<std::string> openedNames_;
    std::size_t badCloses_ = 0;
    std::size_t loadLibraryCalls_ = 0;
    std::size_t aspiLoads_ = 0;

    // Last, so that it ends (and joins its worker) before everything it reaches.
    std::unique_ptr<AspiManager> aspi_;
};

}  // namespace tessaly::vpc
