// Drive-control and vendor commands: readiness, tray, mode pages in the form the
// model takes, and the maker's memory and two-byte reads. Each returns the
// transport's result (1 = success).
#pragma once

#include <cstdint>

#include "transport/mmc.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Where ModeSensePage's answer holds the page: after the 4-byte six-byte-form header and
// one 8-byte block descriptor.
inline constexpr std::size_t kModePageOffset = 12;

std::int32_t TestUnitReady(ScsiTransport& transport, const DriveAddress& drive);
// Opens the tray (START STOP UNIT with LoEj set, Start clear).
std::int32_t EjectMedium(ScsiTransport& transport, const DriveAddress& drive);
// Closes the tray (LoEj and Start set).
std::int32_t LoadMedium(ScsiTransport& transport, const DriveAddress& drive);

// Reads a mode page into answer (allocationLength bytes, zero-filled first), always in
// the six-byte header layout: the page begins at answer offset 12. Models that take the
// ten-byte form, and drives on USB or IEEE 1394, are asked with MODE SENSE(10) and the
// answer converted; the page-30h models get their under-run bits from page 30h.
std::int32_t ModeSensePage(ScsiTransport& transport, const DriveAddress& drive,
                           std::uint8_t pageCode, std::uint8_t allocationLength,
                           std::uint8_t* answer);

// The maker's memory read (F1h): transferLength bytes from address into answer. Neither
// vendor command is sent to a drive that is no model of the table; both then fail (0).
std::int32_t VendorReadMemory(ScsiTransport& transport, const DriveAddress& drive,
                              std::uint32_t address, std::uint16_t transferLength,
                              std::uint8_t* answer);
// The maker's two-byte read (DEh): the jumper byte and one more.
std::int32_t VendorReadTwoBytes(ScsiTransport& transport, const DriveAddress& drive,
                                std::uint8_t (&answer)[2]);

}  // namespace tessaly
