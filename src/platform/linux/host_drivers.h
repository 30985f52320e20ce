// The one table of Linux SCSI host drivers: the Windows storage bus type each stands
// for (what the adapter property query answers, from which the core tells SCSI from
// ATAPI adapters) and whether its drives are attached by USB or IEEE 1394.
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

// By proc_name; a name the table does not know is a SCSI adapter.
HostDriverClass ClassifyHostDriver(std::string_view driver);

}  // namespace tessaly::platform::linux_os
