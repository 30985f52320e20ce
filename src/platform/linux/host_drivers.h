// The classification of Linux SCSI hosts: the Windows storage bus type each stands for
// (what the adapter property query answers, from which the core tells SCSI from ATAPI
// adapters) and whether its drives are attached by USB or IEEE 1394. Where the host sits
// in the device tree decides; the one table of host drivers (by proc_name) refines it,
// and alone decides when the host's place is unknown.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessaly::platform::linux_os {

enum class Attachment : std::uint8_t { kInternal, kUsb, kIeee1394 };

// STORAGE_BUS_TYPE values.
inline constexpr std::uint8_t kBusTypeScsi = 0x01;
inline constexpr std::uint8_t kBusTypeAtapi = 0x02;
inline constexpr std::uint8_t kBusTypeAta = 0x03;
inline constexpr std::uint8_t kBusType1394 = 0x04;
inline constexpr std::uint8_t kBusTypeUsb = 0x07;
inline constexpr std::uint8_t kBusTypeSas = 0x0A;
inline constexpr std::uint8_t kBusTypeSata = 0x0B;

struct HostDriverClass {
    std::uint8_t busType = kBusTypeScsi;
    Attachment attachment = Attachment::kInternal;
};

// Where a host sits, read from its device path: below a USB bus ("usb1"), a FireWire
// device or unit ("fw1", "fw1.0", "fw-host0", "firewire", "ieee1394"), or an ATA port
// ("ata3", an IDE channel "ide0"); USB before IEEE 1394 before ATA when a path names
// several. kUnknown when the path names none of them (or is empty).
enum class HostPlace : std::uint8_t { kUnknown, kUsb, kIeee1394, kAta };
HostPlace PlaceOfHost(std::string_view devicePath);

// By proc_name; a name the table does not know is a SCSI adapter.
HostDriverClass ClassifyHostDriver(std::string_view driver);

// By place, refined by the driver: a USB or IEEE 1394 place is that bus whatever the
// driver; an ATA place takes the driver's SATA or ATAPI type, else ATA; an unknown place
// is what the driver table says.
HostDriverClass ClassifyHost(std::string_view devicePath, std::string_view driver);

}  // namespace tessaly::platform::linux_os
