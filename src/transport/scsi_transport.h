// ScsiTransport: the one path from the program to its drives. It picks the ASPI
// manager or the operating system's SCSI pass-through at start-up, keeps the
// per-address facts (sense of the last failed command, drive letter, handle slot,
// attachment flags) and hands single commands, addressed by adapter and target, to the
// back end it picked.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/os_version.h"
#include "platform/platform.h"
#include "transport/address_tables.h"
#include "transport/aspi_srb.h"
#include "transport/inquiry_data.h"
#include "transport/system_owners.h"
#include "transport/transport_types.h"

namespace tessaly {

class TransportBackend;
class AspiBackend;
class PassThroughBackend;

class ScsiTransport {
  public:
    explicit ScsiTransport(platform::Platform& platform);
    ~ScsiTransport();
    ScsiTransport(const ScsiTransport&) = delete;
    ScsiTransport& operator=(const ScsiTransport&) = delete;

    // Chooses the backend and counts host adapters; the low byte of the result is the count.
    std::int32_t Initialize();
    // Frees the manager and closes every handle still open; safe to call again.
    std::int32_t Shutdown();

    // Sends one CDB (6, 10 or 12 bytes by its operation code). 1 is success; any other
    // value is a failure whose reason the address's sense bytes give.
    std::int32_t ExecuteCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                                std::uint8_t* buffer, std::uint32_t length);

    // The 14 sense bytes of the last failed command at the address (zeros outside the table).
    SenseBytes GetLastSense(std::uint8_t adapter, std::uint8_t target) const;
    // NT 6 and later, Linux: the system error that kept the last command from its drive, when
    // that command went to this address and the drive's device did not open; else 0.
    std::uint32_t GetOpenFailure(std::uint8_t adapter, std::uint8_t target) const;

    const char* GetAspiPath() const { return aspiPath_; }
    bool IsAspiBypassed() const { return aspiBypassed_; }
    int GetAdapterKind(std::uint8_t adapter) const;
    std::int32_t GetAdapterInfo(std::uint8_t adapter, AdapterInfo& info);

    // Identity of the device at an address: peripheral byte x 256 + 1, or 0 on failure.
    std::int32_t Inquiry(std::uint8_t adapter, std::uint8_t target, InquiryIdentity& identity);

    // External USB and IEEE 1394 drives and the attachment flags.
    bool HasExternalDevices() const { return hasExternalDevices_; }
    int FirstExternalAdapter() const;
    ExternalDeviceRecord GetExternalDevice(int slot) const;
    bool IsUsbSlot(std::uint8_t adapter) const;
    bool Is1394Slot(std::uint8_t adapter) const;
    std::uint8_t IsUsbAttached(std::uint8_t adapter, std::uint8_t target) const;
    std::uint8_t Is1394Attached(std::uint8_t adapter, std::uint8_t target) const;
    bool AnyUsbAttached() const { return anyUsb_; }
    // NT 6 and later: CD-ROM letters exist and the system refused every one of their
    // devices with access denied, as it does for a user without the rights to them.
    bool DriveAccessDenied() const {
        return cdromLetterCount_ > 0 && deniedLetterCount_ == cdromLetterCount_;
    }

    // Drive letter index (0 = A:) of the drive at an address; kNoDriveLetter when none is
    // known.
    std::int32_t GetDriveLetter(std::uint8_t adapter, std::uint8_t target);
    // How an adapter attaches its drives, from the registry and the port driver.
    int DetectInterfaceKind(std::uint8_t adapter);
    // The AlignmentMask of an adapter's descriptor, read by its classification on NT 5
    // and later; 0 (any address) when it was not read.
    std::uint32_t AlignmentMask(std::uint8_t adapter) const {
        return adapter < kMaxAdapters ? alignmentMask_[adapter] : 0;
    }
    // The "Driver" value of a SCSI port's device-map key, "Unknown" when missing.
    void PortDriverName(int port, char* buffer, std::size_t size);

    int Win9xDeviceCount() const { return win9xDeviceCount_; }
    Win9xDeviceEntry Win9xDevice(int index) const;

    TransportMode Mode() const { return mode_; }
    platform::Platform& GetPlatform() const { return platform_; }
    std::uint32_t SupportInfo() const { return supportInfo_; }
    bool IsNt() const { return os_.IsNt(); }
    // The system, classified at start-up.
    const platform::OsVersion& Os() const { return os_; }

    // Per-address tables, for discovery and for callers that need the raw entries.
    std::int32_t DriveLetterEntry(std::uint8_t adapter, std::uint8_t target) const;
    std::int32_t HandleSlotEntry(std::uint8_t adapter, std::uint8_t target) const;
    std::int32_t HandleSlotCount() const { return handleSlotCount_; }
    platform::Handle PortHandle(int port) const;

  private:
    static int SenseIndex(std::uint8_t adapter, std::uint8_t target) {
        return AddressTables::SenseIndex(adapter, target);
    }
    static int LetterIndex(std::uint8_t adapter, std::uint8_t target) {
        return AddressTables::LetterIndex(adapter, target);
    }

    // Pass-through start-up.
    std::uint32_t DeviceAccessForVersion() const;
    std::int32_t StartPassThrough();
    void ScanDriveLetters();
    // The SCSI address a CD-ROM drive letter reports: false when the letter is no
    // CD-ROM drive, its device does not open, or it does not answer.
    bool CdromLetterAddress(int letter, std::uint8_t& port, std::uint8_t& target);
    int ScanPorts();
    bool QueryPortInquiryData(int port, std::uint8_t* buffer, std::uint32_t size);

    // External devices (pass-through start-up).
    bool DiscoverExternalDevices(int portCount);
    int ScanMountedDevices(int firstSlot);
    bool ReadCompatibleIdsBus(const ExternalDeviceRecord& record, bool& viaUsb);
    void RegisterExternalSlot(int slot, int& count);

    // Windows 9x device scan and its USB bridge test.
    void ScanWin9xDevices();
    void ScanWin9xDevice(const char* hardwareKey, std::array<bool, 128>& claimed);
    void TestUsbBridge(const char* instanceKey, std::uint8_t adapter, std::uint8_t target);

    // Drive letters and interface kinds.
    void BuildNtLetterMap();
    int DetectWin9xInterfaceKind(const AdapterInfo& info, std::int32_t status);
    int DetectNt5InterfaceKind(std::uint8_t adapter, const char* identifier, std::int32_t status);

    platform::Platform& platform_;

    // The back end start-up chose, and both that may exist: the manager stays bound until
    // Shutdown also after start-up fell back to pass-through, and external drives are
    // reached by pass-through alone.
    TransportBackend* backend_ = nullptr;
    std::unique_ptr<AspiBackend> aspi_;
    std::unique_ptr<PassThroughBackend> passThrough_;
    TransportMode mode_ = TransportMode::Aspi;
    platform::OsVersion os_;
    bool aspiBypassed_ = false;
    std::uint32_t deviceAccess_ = platform::kGenericRead;
    const char* aspiPath_ = aspi::kManagerFileName;

    std::uint32_t supportInfo_ = 0;

    AddressTables tables_;
    std::array<HandleOwner, kMaxAdapters> portHandles_;
    std::int32_t handleSlotCount_ = 0;
    int cdromLetterCount_ = 0;   // CD-ROM letters seen by the last letter scan
    int deniedLetterCount_ = 0;  // of them, refused with access denied (NT 6 and later only)
    std::array<std::uint8_t, kSenseTableAdapters * kTargetsPerAdapter> usbAttached_{};
    std::array<std::uint8_t, kSenseTableAdapters * kTargetsPerAdapter> ieee1394Attached_{};
    std::array<std::uint8_t, kMaxAdapters> usbSlot_{};
    std::array<std::uint8_t, kMaxAdapters> ieee1394Slot_{};
    std::array<int, kMaxAdapters> adapterKind_{};
    std::array<std::uint32_t, kMaxAdapters> alignmentMask_{};
    bool anyUsb_ = false;
    bool hasExternalDevices_ = false;
    std::array<ExternalDeviceRecord, kExternalSlots> external_{};
    std::array<Win9xDeviceEntry, kWin9xDeviceSlots> win9xDevices_{};
    int win9xDeviceCount_ = 0;
    bool ntLetterMapBuilt_ = false;
};

}  // namespace tessaly
