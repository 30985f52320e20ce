// A model row's flags as one text of digits, in the table's column order, so that tests
// compare and print them whole.
#pragma once

#include <cstdint>
#include <string>

#include "drives/drive_model_table.h"

namespace tessaly::testing {

inline std::string Flags(const DriveModelRow& row) {
    std::string flags;
    for (std::uint8_t f : {row.recorder, row.flag2, row.flag3, row.underrunProtection,
                           row.c2Pointers, row.tenByteForms, row.vendorCommandSet}) {
        flags += static_cast<char>('0' + f);
    }
    return flags;
}

}  // namespace tessaly::testing
