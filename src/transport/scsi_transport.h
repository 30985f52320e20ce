// ScsiTransport: the one path from the program to its drives. It picks the ASPI
// manager or the operating system's SCSI pass-through at start-up, keeps the
// per-address facts (sense of the last failed command, drive letter, handle slot,
// attachment flags) and executes single commands addressed by adapter and target.
#pragma once

#include <array>
#include <cstdint>

#include "platform/os_version.h"
#include "platform/platform.h"
#include "transport/aspi_srb.h"
#include "transport/inquiry_data.h"

namespace tessaly {

enum class TransportMode { Aspi, PassThrough };

// How a host adapter attaches its drives.
enum InterfaceKind : int {
    kInterfaceUnclassified = 1,
    kInterfaceScsi = 2,
    kInterfaceAtapi = 3,
    kInterface1394 = 8,
};

inline constexpr int kMaxAdapters = 26;  // port and drive handles, adapter kinds
inline constexpr int kTargetsPerAdapter = 16;
inline constexpr int kSenseTableAdapters = 8;    // 128-entry tables: sense, USB, IEEE 1394
inline constexpr int kLetterTableAdapters = 16;  // 256-entry tables: drive letter, handle slot
inline constexpr std::size_t kStoredSenseLength = 14;

using SenseBytes = std::array<std::uint8_t, kStoredSenseLength>;

// Drive letters by index, 0 = A:. CD-ROM drives are looked for from C: to Z:; C: also
// stands for "no letter known", as no CD-ROM drive is C:.
inline constexpr int kFirstDriveLetter = 2;  // C:
inline constexpr int kLastDriveLetter = 25;  // Z:
inline constexpr std::int32_t kNoDriveLetter = kFirstDriveLetter;

inline constexpr int kExternalSlots = 26;
inline constexpr int kWin9xDeviceSlots = 26;
inline constexpr int kNoExternalAdapter = 100;

// A drive attached through USB or IEEE 1394 that Windows 2000/XP reach only by its
// drive letter; it is addressed as (slot number, target 0).
struct ExternalDeviceRecord {
    char enumerator[200] = {};
    char deviceId[200] = {};
    char instanceId[200] = {};
    std::uint8_t present = 0;
    std::uint8_t viaUsb = 0;  // clear: IEEE 1394
    std::int32_t driveIndex = 0;
};

// A device that the Windows 9x registry names, with the letter Windows gave it.
struct Win9xDeviceEntry {
    char name[25] = {};
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::int32_t letter = 0;
};

struct AdapterInfo {
    char managerId[17] = {};
    char identifier[17] = {};
    std::uint8_t unique[16] = {};
    std::uint8_t scsiId = 0;
};

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
    // Index into the 128-entry tables, or -1 when the address lies outside them.
    static int SenseIndex(std::uint8_t adapter, std::uint8_t target);
    // Index into the 256-entry tables, or -1 when the address lies outside them.
    static int LetterIndex(std::uint8_t adapter, std::uint8_t target);
    void StoreSense(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* sense);

    // ASPI manager binding.
    bool LoadAspiManager();
    std::int32_t ExecuteAspi(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                             std::uint8_t* buffer, std::uint32_t length);
    std::int32_t AspiAdapterInquiry(std::uint8_t adapter, AdapterInfo& info);

    // Pass-through.
    std::uint32_t DeviceAccessForVersion() const;
    std::int32_t StartPassThrough();
    void ScanDriveLetters();
    // The SCSI address a CD-ROM drive letter reports: false when the letter is no
    // CD-ROM drive, its device does not open, or it does not answer.
    bool CdromLetterAddress(int letter, std::uint8_t& port, std::uint8_t& target);
    int ScanPorts();
    bool QueryPortInquiryData(int port, std::uint8_t* buffer, std::uint32_t size);
    std::int32_t ExecutePassThrough(std::uint8_t adapter, std::uint8_t target,
                                    const std::uint8_t* cdb, std::uint8_t* buffer,
                                    std::uint32_t length);
    std::int32_t PassThroughAdapterInfo(std::uint8_t adapter, AdapterInfo& info);

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

    TransportMode mode_ = TransportMode::Aspi;
    platform::OsVersion os_;
    bool aspiBypassed_ = false;
    std::uint32_t deviceAccess_ = platform::kGenericRead;
    const char* aspiPath_ = aspi::kManagerFileName;

    platform::Module aspiLibrary_ = 0;
    aspi::GetASPI32SupportInfoProc getSupportInfo_ = nullptr;
    aspi::SendASPI32CommandProc sendCommand_ = nullptr;
    std::uint32_t supportInfo_ = 0;

    std::array<platform::Handle, kMaxAdapters> portHandles_{};
    std::array<platform::Handle, kMaxAdapters> driveHandles_{};
    std::int32_t handleSlotCount_ = 0;
    int cdromLetterCount_ = 0;   // CD-ROM letters seen by the last letter scan
    int deniedLetterCount_ = 0;  // of them, refused with access denied (NT 6 and later only)
    std::array<std::int32_t, kLetterTableAdapters * kTargetsPerAdapter> driveLetter_{};
    std::array<std::int32_t, kLetterTableAdapters * kTargetsPerAdapter> handleSlot_{};
    std::array<std::array<std::uint8_t, 16>, kSenseTableAdapters * kTargetsPerAdapter> lastSense_{};
    std::array<std::uint8_t, kSenseTableAdapters * kTargetsPerAdapter> usbAttached_{};
    std::array<std::uint8_t, kSenseTableAdapters * kTargetsPerAdapter> ieee1394Attached_{};
    std::array<std::uint8_t, kMaxAdapters> usbSlot_{};
    std::array<std::uint8_t, kMaxAdapters> ieee1394Slot_{};
    std::array<int, kMaxAdapters> adapterKind_{};
    bool anyUsb_ = false;
    bool hasExternalDevices_ = false;
    std::array<ExternalDeviceRecord, kExternalSlots> external_{};
    std::array<Win9xDeviceEntry, kWin9xDeviceSlots> win9xDevices_{};
    int win9xDeviceCount_ = 0;
    bool ntLetterMapBuilt_ = false;
};

}  // namespace tessaly
