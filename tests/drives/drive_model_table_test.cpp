// The table's own rules: search order, and the flag patterns its rows carry.
#include "drives/drive_model_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "support/model_flags.h"

namespace tessaly {
namespace {

using testing::Flags;

TEST(DriveModelTable, NoKeyIsAPrefixOfALaterKey) {
    for (std::size_t i = 0; i < DriveModelTable.size(); ++i) {
        const char* key = DriveModelTable[i].productKey;
        for (std::size_t j = i + 1; j < DriveModelTable.size(); ++j) {
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

// The keys of the rows for which pick holds, in table order, joined by "|".
template <typename Pick>
std::string KeysWhere(Pick pick) {
    std::string keys;
    for (const DriveModelRow& row : DriveModelTable) {
        if (pick(row))
            keys += (keys.empty() ? "" : "|") + std::string(row.productKey);
    }
    return keys;
}

// The model lists that the rows now carry, as the maker's model data gives them.
TEST(DriveModelTable, RowsCarryTheModelLists) {
    struct Row {
        const char* list;
        std::string keys;
        std::string expected;
    };
    const Row rows[] = {
        {"secondary list (no vendor command set)",
         KeysWhere([](const DriveModelRow& r) { return r.vendorCommandSet == 0; }),
         "CD-ROM VN52A|DVD-ROM VD16A|CD-R   VW5232AU|CD-R   VW5232A|DVDR   VD0708AF|"
         "DVDR   VD0708A"},
        {"USB list",
         KeysWhere([](const DriveModelRow& r) { return r.enclosure != Enclosure::kNone; }),
         "CD-R   VW1610AU|CD-R   VW2410AU|CD-R   VW4012AU|CD-R   VW4812AU|CD-R   VW4824AU|"
         "CD-R   VW5224AU|CD-R   VW5232AU|DVDR   VD0708AF"},
        {"IEEE 1394 entry",
         KeysWhere([](const DriveModelRow& r) { return r.enclosure == Enclosure::kUsbOr1394; }),
         "DVDR   VD0708AF"},
        {"page-30h list",
         KeysWhere([](const DriveModelRow& r) { return r.Has(kUnderrunInPage30h); }),
         "CD-R   VW5232AU|CD-R   VW5232A|DVDR   VD0708AF|DVDR   VD0708A"},
        {"BCD exemption",
         KeysWhere([](const DriveModelRow& r) { return r.Has(kNamedInBcdExemption); }),
         "CD-R   VW5232AU|CD-R   VW5232A|DVDR   VD0708AF|DVDR   VD0708A"},
        {"format in byte 2",
         KeysWhere([](const DriveModelRow& r) { return r.Has(kTocFormatInByte2); }),
         "CD-ROM VN52A|DVD-ROM VD16A"},
        {"oldest recorder",
         KeysWhere([](const DriveModelRow& r) { return r.Has(kOldJumperOrder); }),
         "CD-R   VW0202|VW0202 LOADER"},
        {"listed by name", KeysWhere([](const DriveModelRow& r) { return r.Has(kListedByName); }),
         "DVDR   VD0708A"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.keys, row.expected) << row.list;
}

TEST(DriveModelTable, EnclosureMechanismsAreModelsOfTheTable) {
    auto hasRowEndingIn = [](const char* code) {
        for (const DriveModelRow& row : DriveModelTable) {
            if (row.enclosure == Enclosure::kNone &&
                std::strcmp(row.productKey + kProductKindLength, code) == 0) {
                return true;
            }
        }
        return false;
    };
    for (const DriveModelRow& row : DriveModelTable) {
        EXPECT_EQ(row.mechanism != nullptr, row.enclosure != Enclosure::kNone) << row.productKey;
        if (row.mechanism != nullptr) {
            EXPECT_TRUE(hasRowEndingIn(row.mechanism)) << row.productKey;
        }
    }
    EXPECT_EQ(KeysWhere([](const DriveModelRow& r) {
                  return std::strcmp(r.productKey, kTwoRowReaderSecondKey) == 0;
              }),
              kTwoRowReaderSecondKey);
}

}  // namespace
}  // namespace tessaly
