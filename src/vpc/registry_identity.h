// What the registry builders need to know of a drive and to spell its names: the
// identity a port driver keeps from its INQUIRY, the device key Windows derives from
// it, and small text helpers. Everything is kept in std::string; names made from a
// drive's identity never hold a key separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vpc/scenario.h"

namespace tessaly::vpc::registry {

// The identity fields as the drive reports them (8, 16 and 4 characters, blanks
// kept), each cut at a NUL byte as a C string would read it.
struct DriveIdentity {
    std::string vendor;
    std::string product;
    std::string revision;
};

// The identity the drive answers INQUIRY with (an injected answer included).
DriveIdentity IdentityOf(const DriveSpec& drive);

// Vendor and product joined, blanks as '_' and letters upper-cased: the name of the
// device's key under Enum\SCSI on Windows 9x ("VARNOTH_CD-R___VW2410S__").
std::string DeviceKeyOf(const DriveIdentity& identity);

// Without its trailing blanks.
std::string TrimTrailing(std::string_view text);
// Blanks turned into '_'; a backslash or '#' too, so that the text stays one
// component of a key path and of a device path.
std::string Underscored(std::string_view text);
// value in upper-case hexadecimal, at least width digits.
std::string Hex(std::uint32_t value, std::size_t width);
// Each character widened to UTF-16LE, no terminator.
std::vector<std::uint8_t> Utf16Le(std::string_view text);

RegistryValue Sz(std::string text);
RegistryValue MultiSz(std::vector<std::string> strings);
RegistryValue Binary(std::vector<std::uint8_t> bytes);
RegistryValue Dword(std::uint32_t value);

}  // namespace tessaly::vpc::registry
