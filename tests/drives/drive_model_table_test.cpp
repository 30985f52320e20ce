// The table's own rules: search order, and the flag patterns its rows carry.
#include "drives/drive_model_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace tessaly {
namespace {

std::string Flags(const DriveModelRow& row) {
    std::string flags;
    for (std::uint8_t f : {row.recorder, row.flag2, row.flag3, row.underrunProtection,
                           row.c2Pointers, row.tenByteForms, row.vendorCommandSet}) {
        flags += static_cast<char>('0' + f);
    }
    return flags;
}

TEST(DriveModelTable, NoKeyIsAPrefixOfALaterKey) {
    for (int i = 0; i < kDriveModelRowCount; ++i) {
        const char* key = DriveModelTable[i].productKey;
        for (int j = i + 1; j < kDriveModelRowCount; ++j) {
            EXPECT_NE(std::strncmp(key, DriveModelTable[j].productKey, std::strlen(key)), 0)
                << "row " << i + 1 << " \"" << key << "\" hides row " << j + 1;
        }
    }
}

TEST(DriveModelTable, FlagPatternsByClass) {
    // Count of rows per (class prefix, flags 1-7).
    std::map<std::string, int> counts;
    for (const DriveModelRow& row : DriveModelTable) {
        const std::string key = row.productKey;
        std::string prefix = key.rfind("DVD-ROM ", 0) == 0 ? "DVD-ROM "
                             : key.size() >= 7             ? key.substr(0, 7)
                                                           : key;
        if (key == "VW0202 LOADER")
            prefix = "CD-R   ";  // the programming-mode row
        ++counts[prefix + Flags(row)];
    }
    const std::map<std::string, int> expected = {
        {"CD-ROM 0000001", 4},  {"CD-ROM 0000101", 9}, {"CD-ROM 0000110", 1},
        {"DVD-ROM 0000110", 1}, {"CD-R   1000001", 3}, {"CD-R   1110001", 3},
        {"CD-R   1110011", 1},  {"CD-R   1111101", 2}, {"CD-R   1111011", 1},
        {"CD-R   1111111", 13}, {"CD-R   1111110", 2}, {"DVDR   1111110", 2},
    };
    EXPECT_EQ(counts, expected);
}

TEST(DriveModelTable, TextsAreTerminatedWithinTheirFields) {
    for (const DriveModelRow& row : DriveModelTable) {
        EXPECT_LT(std::strlen(row.productKey), sizeof row.productKey);
        for (const auto& speed : row.speedTexts)
            EXPECT_LT(std::strlen(speed), sizeof speed);
    }
}

TEST(DriveModelTable, SecondaryListNamesExactlyTheModelsWithoutVendorCommands) {
    for (const DriveModelRow& row : DriveModelTable) {
        bool listed = false;
        for (const char* entry : kSecondaryModelList) {
            listed = listed || std::strstr(row.productKey, entry) != nullptr;
        }
        EXPECT_EQ(listed, row.vendorCommandSet == 0) << row.productKey;
    }
}

TEST(DriveModelTable, ListsPointAtRowsOfTheTable) {
    auto hasRow = [](const char* key) {
        for (const DriveModelRow& row : DriveModelTable) {
            if (std::strcmp(row.productKey, key) == 0)
                return true;
        }
        return false;
    };
    for (const EnclosureModelEntry& entry : kUsbModelList)
        EXPECT_TRUE(hasRow(entry.rowKey));
    EXPECT_TRUE(hasRow(kIeee1394ModelEntry.rowKey));
    EXPECT_TRUE(hasRow(kTwoRowReaderSecondKey));
    for (const char* key : kOldestRecorderKeys)
        EXPECT_TRUE(hasRow(key));
}

}  // namespace
}  // namespace tessaly
