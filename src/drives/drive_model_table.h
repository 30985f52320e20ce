// The maker's drive models: a static, read-only table of 42 rows in search order,
// and the model lists beside it that key model-specific behaviour by substring.
#pragma once

#include <cstdint>

namespace tessaly {

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
};

inline constexpr int kDriveModelRowCount = 42;

// Where one product key is a prefix of another, the longer key stands first.
extern const DriveModelRow DriveModelTable[kDriveModelRowCount];

// A drive mechanism also sold in an external enclosure: the INQUIRY product
// identification containing `substring` on an external bus is the model of `rowKey`.
struct EnclosureModelEntry {
    const char* substring;
    const char* rowKey;
};
extern const EnclosureModelEntry kUsbModelList[8];
extern const EnclosureModelEntry kIeee1394ModelEntry;

// Substrings of a model's product key, each list tested in its order.
extern const char* const kSecondaryModelList[5];      // models without the vendor command set
extern const char* const kPage30hModelList[2];        // under-run state in vendor page 30h
extern const char* const kTocFormatInByte2Models[2];  // readers taking the format in CDB byte 2
extern const char* const kFullTocBcdExemptModels[2];  // recorders whose full TOC stays binary
extern const char* const kOldestRecorderKeys[2];      // normal and programming-mode rows
extern const char kScsiRecorderCode[];                // the recorder's SCSI variant

// The reader with two rows: this exact product identification with a revision whose
// third character is not '0' is given the second row's key.
extern const char kTwoRowReaderProduct[17];
extern const char kTwoRowReaderSecondKey[];

}  // namespace tessaly
