// What the transport tells its callers about adapters and devices: the back end in use,
// adapter kinds, drive letter bounds, and the records of external and Windows 9x devices.
#pragma once

#include <cstdint>

namespace tessaly {

enum class TransportMode { Aspi, PassThrough };

// How a host adapter attaches its drives.
enum InterfaceKind : int {
    kInterfaceUnclassified = 1,
    kInterfaceScsi = 2,
    kInterfaceAtapi = 3,
    kInterface1394 = 8,
};

inline constexpr int kMaxAdapters = 26;  // port handles, adapter kinds
// SCSI port numbers are bytes (SCSI_ADDRESS.PortNumber): the whole range a port scan walks.
inline constexpr std::uint32_t kPortNumbers = 256;

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

}  // namespace tessaly
