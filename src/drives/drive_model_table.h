// The maker's drive models: a static, read-only table of 42 rows in search order. Each row
// carries the table's columns and the model's facts beside them: the ways in which it
// differs from the others, the enclosure an external model is built in, and how the drive
// list names it.
#pragma once

#include <cstdint>
#include <span>

namespace tessaly {

// Ways of a model that the table's flags do not carry; combined with |.
enum ModelTrait : std::uint8_t {
    // Reports its under-run protection in vendor page 30h instead of pages 05h and 2Ah.
    kUnderrunInPage30h = 1 << 0,
    // A recorder named beside the vendor-command models in the full-TOC BCD rule.
    kNamedInBcdExemption = 1 << 1,
    // A reader that takes the READ TOC/PMA/ATIP format in CDB byte 2.
    kTocFormatInByte2 = 1 << 2,
    // The oldest recorder: its jumper bits come in another order.
    kOldJumperOrder = 1 << 3,
    // A drive on a host adapter is listed by the model's name, not its product text.
    kListedByName = 1 << 4,
};

// The enclosure of an external model: on which buses a drive whose INQUIRY product
// identification contains the mechanism's code is this model.
enum class Enclosure : std::uint8_t { kNone, kUsb, kUsbOr1394 };

struct DriveModelRow {
    char productKey[26];
    char displayName[33];
    char speedTexts[7][17];  // slowest first; an empty entry may stand between filled ones
    std::uint8_t recorder;
    std::uint8_t flag2;
    std::uint8_t flag3;
    std::uint8_t underrunProtection;
    std::uint8_t c2Pointers;
    std::uint8_t tenByteForms;
    std::uint8_t vendorCommandSet;
    char codeText[17];
    std::int32_t valueA;
    std::int32_t valueB;
    std::int32_t valueC;
    char firmwareIdentity[33];
    std::uint8_t traits = 0;  // ModelTrait flags
    Enclosure enclosure = Enclosure::kNone;
    const char* mechanism = nullptr;  // external models: the code of the drive inside

    bool Has(ModelTrait trait) const { return (traits & trait) != 0; }
};

// The medium kind and blanks that begin every product key ("CD-R   ", "DVDR   ").
inline constexpr std::size_t kProductKindLength = 7;

// Where one product key is a prefix of another, the longer key stands first.
extern const std::span<const DriveModelRow> DriveModelTable;

// The five-character code of the recorder's SCSI variant, which gets no jumper text in
// the report.
extern const char kScsiRecorderCode[];

// The reader with two rows: this exact product identification with a revision whose
// third character is not '0' is given the second row's key.
extern const char kTwoRowReaderProduct[17];
extern const char kTwoRowReaderSecondKey[];

}  // namespace tessaly
