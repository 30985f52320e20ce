#include "drives/vendor_data.h"

#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "common/hex.h"
#include "drives/drive_commands.h"
#include "drives/drive_model_table.h"
#include "drives/model_identification.h"
#include "transport/text_match.h"

namespace tessaly {

bool HasBufferUnderrunProof(ScsiTransport& transport, const DriveAddress& drive) {
    DriveModelRow row{};
    IdentifyDriveModel(transport, drive, row);
    // The vendor command set is asked of the drive itself (identifying it once more).
    if (HasVendorCommandSet(transport, drive))
        return row.underrunProtection != 0;
    std::uint8_t answer[34];
    if (row.Has(kUnderrunInPage30h)) {
        if (ModeSensePage(transport, drive, mode_page::kVendorUnderrun, sizeof answer, answer) !=
            1) {
            return false;
        }
        return (answer[kModePageOffset + 2] & 0x01) != 0;  // page 30h byte 2 bit 0
    }
    if (ModeSensePage(transport, drive, mode_page::kCapabilities, sizeof answer, answer) != 1)
        return false;
    return (answer[kModePageOffset + 4] & 0x80) != 0;  // page 2Ah byte 4 bit 7
}

bool SerialNumberText(ScsiTransport& transport, const DriveAddress& drive, char* out,
                      std::size_t size) {
    std::uint8_t block[kVendorBlockLength] = {};
    if (VendorReadMemory(transport, drive, 0, sizeof block, block) != 1)
        return false;
    long value = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        const int digit = HexDigitValue(static_cast<char>(block[kVendorSerialOffset + i]));
        // A character that is no hexadecimal digit makes no serial number.
        if (digit < 0)
            return false;
        value = value * 16 + digit;
    }
    if (size == 0)
        return false;
    std::snprintf(out, size, "%06ld", value);
    return true;
}

std::optional<std::uint8_t> JumperSettingsValue(ScsiTransport& transport,
                                                const DriveAddress& drive) {
    std::uint8_t answer[2] = {0, 0};
    if (VendorReadTwoBytes(transport, drive, answer) != 1)
        return std::nullopt;
    std::uint8_t j = answer[0];
    if (HasModelTrait(transport, drive, kOldJumperOrder)) {
        // Bits 6, 3, 4, 5 of this model move to 3, 4, 5, 6; bits 0-2 and 7 stay.
        const auto bit = [j](int n) { return (j >> n) & 1; };
        j = static_cast<std::uint8_t>((j & 0x87) | (bit(6) << 3) | (bit(3) << 4) | (bit(4) << 5) |
                                      (bit(5) << 6));
    }
    return j;
}

}  // namespace tessaly
