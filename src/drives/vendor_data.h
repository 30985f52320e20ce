// What the report says about a drive from its mode pages and the maker's vendor data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "transport/scsi_transport.h"

namespace tessaly {

inline constexpr std::uint16_t kVendorBlockLength = 128;
inline constexpr std::size_t kVendorSerialOffset = 26;
inline constexpr std::size_t kVendorUsageOffset = 122;

bool HasBufferUnderrunProof(ScsiTransport& transport, const DriveAddress& drive);

// The serial number, five hexadecimal digits in the vendor data block, as a decimal
// text of at least six digits ("0001f" -> "000031"). False when the block cannot be
// read or holds a character that is no hexadecimal digit.
bool SerialNumberText(ScsiTransport& transport, const DriveAddress& drive, char* out,
                      std::size_t size);

// The jumper byte, one bit per jumper; the oldest recorder's bits moved to the common order.
// None when the drive did not answer the read: a failed read is no jumper setting.
std::optional<std::uint8_t> JumperSettingsValue(ScsiTransport& transport,
                                                const DriveAddress& drive);

}  // namespace tessaly
