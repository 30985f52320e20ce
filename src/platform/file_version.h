// Texts of a file's version resource, read the way the program reads the ASPI
// manager's: the first translation entry names the string table.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace tessaly::platform {

// Reads the strings named (e.g. "FileVersion") from the version resource of fileName
// into the outputs, each cut to its size and terminated. Outputs of strings that
// cannot be read are left as they are. False when the file has no readable resource
// or no translation entry (then nothing is written).
struct VersionString {
    const char* name;
    char* out;
    std::size_t size;
};
bool ReadVersionStrings(Platform& platform, const char* fileName, VersionString* strings,
                        std::size_t count);

}  // namespace tessaly::platform
