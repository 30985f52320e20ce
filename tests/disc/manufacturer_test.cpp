// Naming the disc's maker from its lead-in start.
#include <gtest/gtest.h>

#include <cstring>

#include "disc/manufacturer_lookup.h"
#include "disc/manufacturer_tables.h"
#include "support/field_map.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

TEST(ManufacturerTable, KeysComeFirstInEachGroupAndNamesFit) {
    for (const ManufacturerRow& row : ManufacturerTable) {
        EXPECT_LT(std::strlen(row.name), sizeof row.name);
        auto checkPairs = [&](const LeadInKey(&keys)[3]) {
            bool ended = false;
            for (const LeadInKey& key : keys) {
                if (key.second == -1) {
                    EXPECT_EQ(key.frame, -1) << row.name;
                    ended = true;
                } else {
                    EXPECT_FALSE(ended) << row.name << ": a key after an empty entry";
                }
            }
        };
        checkPairs(row.primaryKeys);
        checkPairs(row.secondaryKeys);
    }
    EXPECT_STREQ(ManufacturerTable[7].name,
                 "CDA Datentr\xE4"
                 "er Albrechts GmbH")
        << "the code-page-1252 a-umlaut kept as its byte";
    EXPECT_STREQ(ManufacturerTable[61].name, "Taiyo Yuden");
    EXPECT_STREQ(ManufacturerTocTable.names[23], "Taiyo Yuden");
}

TEST(LookupTocManufacturer, LastMatchingRowStaysAndNoMatchWritesNothing) {
    struct Row {
        int second;
        int frame;
        const char* text;
    };
    const Row rows[] = {
        {24, 3, "Taiyo Yuden (type 3)"},
        {33, 0, "unknown"},
        {46, 10, "Sony (type 0)"},  // only Sony's second key
        {46, 30, "Customer Pressing Oosterhout (type 0)"},
        {26, 10, "Postech (type 0)"},
        {-1, -1, "unknown"},
    };
    for (const Row& row : rows) {
        FieldMap fields;
        fields.SetField(kFieldManufacturer, "unknown");
        LookupTocManufacturer(row.second, row.frame, fields);
        EXPECT_EQ(fields.Get(kFieldManufacturer), row.text) << row.second << "/" << row.frame;
    }
}

// A recorder whose short ATIP read answers with the given lead-in and lead-out.
std::string Recorder(bool erasable, int second, int frame, int leadOutMinute, int leadOutSecond,
                     int leadOutFrame, int minute = 97) {
    char atip[160];
    std::snprintf(atip, sizeof atip,
                  "00 1a 00 00 80 00 %02x 00 %02x %02x %02x 00 %02x %02x %02x 00 00 00 00 00 00 00 "
                  "00 00 00 00 00 00",
                  erasable ? 0x40 : 0x00, minute, second, frame, leadOutMinute, leadOutSecond,
                  leadOutFrame);
    const std::string info = erasable ? "00 20 10 01" : "00 20 00 01";
    return Win98Drive("atapi", R"({"model": "CD-R   VW2410A", "answers": {"43/4": ")" +
                                   std::string(atip) + R"(", "51": ")" + info + "\"}}");
}

TEST(LookupDiscManufacturer, PrecedenceAndKeyGroups) {
    struct Row {
        const char* what;
        std::string json;
        const char* text;
    };
    const Row rows[] = {
        {"Taiyo Yuden, primary", Recorder(false, 24, 1, 79, 59, 74), "Taiyo Yuden (type 1) "},
        {"Acer before Daxon", Recorder(false, 22, 64, 79, 59, 74),
         "Acer Media Technology (type 4) "},
        {"secondary key", Recorder(false, 46, 5, 79, 59, 74), "Taiyo Yuden (type 5) "},
        {"CMC by lead-out", Recorder(true, 26, 65, 75, 0, 0),
         "CMC Magnetics Corporation (type 5) "},
        {"MEMOREX by lead-out", Recorder(true, 26, 65, 74, 12, 0), "MEMOREX (type 5) "},
        {"rewritable matching a primary key only", Recorder(true, 24, 1, 79, 59, 74), "-"},
        {"write-once matching no key", Recorder(false, 33, 5, 79, 59, 74), "-"},
        {"rewritable: lead-out decides between rows", Recorder(true, 27, 5, 79, 59, 74),
         "Sentinel (type 5) "},
        {"rewritable: no lead-out key fits", Recorder(true, 27, 5, 70, 0, 0), "-"},
        {"lead-in minute other than 97", Recorder(false, 24, 1, 79, 59, 74, 96), "-"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Pc pc(row.json);
        pc.transport->Initialize();
        char text[128];
        LookupDiscManufacturer(*pc.transport, {0, 1}, text, sizeof text);
        EXPECT_STREQ(text, row.text);
    }
}

TEST(LookupDiscManufacturer, HighCapacityDiscIsNotLookedUp) {
    // Byte 6: CD-R with A1 valid; byte 18 low nibble set. The lead-in 97:24:01 would
    // name Taiyo Yuden.
    const std::string atip =
        "00 1a 00 00 80 00 04 00 61 18 01 00 4f 3b 4a 00 00 00 01 00 00 00 00 00 00 00 00 00";
    Pc pc(Win98Drive(
        "atapi",
        R"({"model": "CD-R   VW2410A", "answers": {"43/4": ")" + atip +
            R"(", "51": "00 20 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 59 3b 4a"}})"));
    pc.transport->Initialize();
    char text[128];
    LookupDiscManufacturer(*pc.transport, {0, 1}, text, sizeof text);
    EXPECT_STREQ(text, "Unknown brand");
}

}  // namespace
}  // namespace tessaly::testing
