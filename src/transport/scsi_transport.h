// ScsiTransport: the one path from the program to its drives. It picks the ASPI
// manager or the operating system's SCSI pass-through at start-up, keeps the
// per-address facts (sense of the last failed command, drive letter, handle slot,
// attachment flags) and hands single commands, addressed by adapter, bus, target and LUN,
// to the back end it picked.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/os_version.h"
#include "platform/platform.h"
#include "transport/address_tables.h"
#include "transport/aspi_srb.h"
#include "transport/drive_address.h"
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
    std::int32_t ExecuteCommand(const DriveAddress& address, const std::uint8_t* cdb,
                                std::uint8_t* buffer, std::uint32_t length);
    std::int32_t ExecuteCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                                std::uint8_t* buffer, std::uint32_t length) {
        return ExecuteCommand(DriveAddress(adapter, target), cdb, buffer, length);
    }

    // The 14 sense bytes of the last failed command at the address (zeros outside the table).
    SenseBytes GetLastSense(const DriveAddress& address) const { return tables_.Sense(address); }
    SenseBytes GetLastSense(std::uint8_t adapter, std::uint8_t target) const {
        return GetLastSense(DriveAddress(adapter, target));
    }
    // Forgets the sense of every address, as a transport just started knows none.
    void ForgetSense() { tables_.ForgetSense(); }
    // NT 6 and later, Linux: the system error that kept the last command from its drive, when
    // that command went to this address and the drive's device did not open; else 0.
    std::uint32_t GetOpenFailure(const DriveAddress& address) const;
    std::uint32_t GetOpenFailure(std::uint8_t adapter, std::uint8_t target) const {
        return GetOpenFailure(DriveAddress(adapter, target));
    }

    const char* GetAspiPath() const { return aspiPath_; }
    bool IsAspiBypassed() const { return aspiBypassed_; }
    int GetAdapterKind(std::uint32_t adapter) const;
    std::int32_t GetAdapterInfo(std::uint32_t adapter, AdapterInfo& info);

    // Identity of the device at an address: peripheral byte x 256 + 1, or 0 on failure.
    std::int32_t Inquiry(const DriveAddress& address, InquiryIdentity& identity);
    std::int32_t Inquiry(std::uint8_t adapter, std::uint8_t target, InquiryIdentity& identity) {
        return Inquiry(DriveAddress(adapter, target), identity);
    }

    // The addresses discovery asks for their identity, in list order. With the fixed
    // tables: targets 0 to 15 of every adapter below adapterCount. With full addresses:
    // every device of every bus in the inquiry data of the ports that the start-up found.
    std::vector<DriveAddress> DiscoveryAddresses(int adapterCount) const;
    // Whether drives are known by their full address (NT 6 and later).
    bool UsesFullAddresses() const { return tables_.UsesFullAddresses(); }

    // External USB and IEEE 1394 drives and the attachment flags.
    bool HasExternalDevices() const { return hasExternalDevices_; }
    int FirstExternalAdapter() const;
    // The number of external-device slots: 26, or more where full addresses put the
    // external drives after more ports than that.
    int ExternalSlotCount() const { return static_cast<int>(external_.size()); }
    ExternalDeviceRecord GetExternalDevice(int slot) const;
    bool IsUsbSlot(std::uint32_t adapter) const;
    bool Is1394Slot(std::uint32_t adapter) const;
    std::uint8_t IsUsbAttached(const DriveAddress& address) const {
        return tables_.UsbAttached(address);
    }
    std::uint8_t Is1394Attached(const DriveAddress& address) const {
        return tables_.Ieee1394Attached(address);
    }
    std::uint8_t IsUsbAttached(std::uint8_t adapter, std::uint8_t target) const {
        return IsUsbAttached(DriveAddress(adapter, target));
    }
    std::uint8_t Is1394Attached(std::uint8_t adapter, std::uint8_t target) const {
        return Is1394Attached(DriveAddress(adapter, target));
    }
    bool AnyUsbAttached() const { return anyUsb_; }
    // NT 6 and later: CD-ROM letters exist and the system refused every one of their
    // devices with access denied, as it does for a user without the rights to them.
    bool DriveAccessDenied() const {
        return cdromLetterCount_ > 0 && deniedLetterCount_ == cdromLetterCount_;
    }

    // Drive letter index (0 = A:) of the drive at an address; kNoDriveLetter when none is
    // known.
    std::int32_t GetDriveLetter(const DriveAddress& address);
    std::int32_t GetDriveLetter(std::uint8_t adapter, std::uint8_t target) {
        return GetDriveLetter(DriveAddress(adapter, target));
    }
    // How an adapter attaches its drives, from the registry and the port driver.
    int DetectInterfaceKind(std::uint32_t adapter);
    // The AlignmentMask of an adapter's descriptor, read by its classification on NT 5
    // and later; 0 (any address) when it was not read.
    std::uint32_t AlignmentMask(std::uint32_t adapter) const {
        return adapter < alignmentMask_.size() ? alignmentMask_[adapter] : 0;
    }
    // The "Driver" value of a SCSI port's device-map key, "Unknown" when missing.
    void PortDriverName(std::uint32_t port, char* buffer, std::size_t size);

    int Win9xDeviceCount() const { return win9xDeviceCount_; }
    Win9xDeviceEntry Win9xDevice(int index) const;

    TransportMode Mode() const { return mode_; }
    platform::Platform& GetPlatform() const { return platform_; }
    std::uint32_t SupportInfo() const { return supportInfo_; }
    bool IsNt() const { return os_.IsNt(); }
    // The system, classified at start-up.
    const platform::OsVersion& Os() const { return os_; }

    // Per-address tables, for discovery and for callers that need the raw entries.
    std::int32_t DriveLetterEntry(const DriveAddress& address) const {
        return tables_.DriveLetter(address);
    }
    std::int32_t HandleSlotEntry(const DriveAddress& address) const {
        return tables_.HandleSlot(address);
    }
    std::int32_t DriveLetterEntry(std::uint8_t adapter, std::uint8_t target) const {
        return DriveLetterEntry(DriveAddress(adapter, target));
    }
    std::int32_t HandleSlotEntry(std::uint8_t adapter, std::uint8_t target) const {
        return HandleSlotEntry(DriveAddress(adapter, target));
    }
    std::int32_t HandleSlotCount() const { return handleSlotCount_; }
    // The port handle kept open since start-up (fixed tables); 0 where none is kept, as
    // with full addresses, whose port scan closes every port again.
    platform::Handle PortHandle(std::uint32_t port) const;
    // The port's inquiry data: from the handle kept open (fixed tables, one 4096-byte
    // buffer), or from the port opened for the query alone (full addresses, a buffer that
    // grows until the answer fits). All zero when the port gave nothing.
    std::vector<std::uint8_t> PortInquiryData(std::uint32_t port);
    // The port numbers the start-up found answering, in order (full addresses).
    const std::vector<std::uint32_t>& ScannedPorts() const { return scannedPorts_; }

  private:
    // Pass-through start-up.
    std::uint32_t DeviceAccessForVersion() const;
    std::int32_t StartPassThrough();
    void ScanDriveLetters();
    // The SCSI address a CD-ROM drive letter reports: false when the letter is no
    // CD-ROM drive, its device does not open, or it does not answer.
    bool CdromLetterAddress(int letter, DriveAddress& address);
    int ScanPorts();
    // Every port number with no access rights, whatever gaps or empty ports lie between;
    // each port is closed again. Returns the number of ports that answered.
    int ScanAllPorts();
    // The first adapter number after every port that the start-up saw.
    int FirstAdapterAfterPorts(int portCount) const;

    // External devices (pass-through start-up).
    bool DiscoverExternalDevices(int firstSlot);
    int ScanMountedDevices(int firstSlot);
    bool ReadCompatibleIdsBus(const ExternalDeviceRecord& record, bool& viaUsb);
    void RegisterExternalSlot(int slot, int& count);
    void ResizeAdapterTables(std::size_t count);

    // Windows 9x device scan and its USB bridge test.
    void ScanWin9xDevices();
    void ScanWin9xDevice(const char* hardwareKey, std::array<bool, 128>& claimed);
    void TestUsbBridge(const char* instanceKey, std::uint8_t adapter, std::uint8_t target);

    // Drive letters and interface kinds.
    void BuildNtLetterMap();
    int DetectWin9xInterfaceKind(const AdapterInfo& info, std::int32_t status);
    int DetectNt5InterfaceKind(std::uint32_t adapter, const char* identifier, std::int32_t status);

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
    std::vector<std::uint32_t> scannedPorts_;  // full addresses: the ports that answered
    std::vector<DriveAddress> portDevices_;    // full addresses: their devices, every bus
    std::uint32_t highestLetterPort_ = 0;      // full addresses: 1 + highest letter port
    std::int32_t handleSlotCount_ = 0;
    int cdromLetterCount_ = 0;   // CD-ROM letters seen by the last letter scan
    int deniedLetterCount_ = 0;  // of them, refused with access denied (NT 6 and later only)
    // Indexed by adapter number: 26 entries, more where full addresses need them.
    std::vector<std::uint8_t> usbSlot_ = std::vector<std::uint8_t>(kMaxAdapters);
    std::vector<std::uint8_t> ieee1394Slot_ = std::vector<std::uint8_t>(kMaxAdapters);
    std::vector<int> adapterKind_ = std::vector<int>(kMaxAdapters, kInterfaceScsi);
    std::vector<std::uint32_t> alignmentMask_ = std::vector<std::uint32_t>(kMaxAdapters);
    bool anyUsb_ = false;
    bool hasExternalDevices_ = false;
    std::vector<ExternalDeviceRecord> external_ = std::vector<ExternalDeviceRecord>(kExternalSlots);
    std::array<Win9xDeviceEntry, kWin9xDeviceSlots> win9xDevices_{};
    int win9xDeviceCount_ = 0;
    bool ntLetterMapBuilt_ = false;
};

}  // namespace tessaly
