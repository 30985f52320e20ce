// The full SCSI address of one device: host adapter (the ASPI manager's adapter, or the
// SCSI port), bus (path id), target and logical unit. Windows' own AHCI driver gives each
// SATA port a bus of its own with target 0, so adapter and target alone do not tell two
// drives apart. Bus 0 and LUN 0 are what an address of adapter and target means.
#pragma once

#include <compare>
#include <cstdint>

namespace tessaly {

struct DriveAddress {
    std::uint32_t adapter = 0;
    std::uint8_t bus = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;

    constexpr DriveAddress() = default;
    constexpr DriveAddress(std::uint32_t adapterNumber, std::uint8_t targetId)
        : adapter(adapterNumber), target(targetId) {}
    constexpr DriveAddress(std::uint32_t adapterNumber, std::uint8_t pathId, std::uint8_t targetId,
                           std::uint8_t logicalUnit)
        : adapter(adapterNumber), bus(pathId), target(targetId), lun(logicalUnit) {}

    friend constexpr auto operator<=>(const DriveAddress&, const DriveAddress&) = default;
};

}  // namespace tessaly
