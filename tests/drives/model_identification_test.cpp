// Identifying drives against the model table, as the program does for every lookup.
#include "drives/model_identification.h"

#include <gtest/gtest.h>

#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

std::string OneDrive(const std::string& os, const std::string& bus, const std::string& drive,
                     const std::string& letter = "E") {
    return Json({os, kManager,
                 R"("adapters": [{"bus": ")" + bus + R"(", "identifier": "atapi", "devices": [
                     {"target": 1)" +
                     (letter.empty() ? "" : R"(, "letter": ")" + letter + "\"") + R"(, "drive": )" +
                     drive + "}]}]"});
}

TEST(ModelIdentification, ProductKeysAndTheirVariants) {
    struct Row {
        const char* what;
        std::string json;
        std::uint8_t adapter;
        std::uint8_t target;
        const char* key;
    };
    const Row rows[] = {
        {"exact key", OneDrive(kWin98, "atapi", R"({"model": "CD-R   VW2410A"})"), 0, 1,
         "CD-R   VW2410A"},
        {"firmware suffix",
         OneDrive(kWin98, "atapi", R"({"model": "CD-R   VW2410A", "product": "CD-R   VW2410A-B"})"),
         0, 1, "CD-R   VW2410A"},
        {"USB enclosure on a 9x USB adapter",
         OneDrive(kWin98, "usb", R"({"model": "CD-R   VW2410A"})", "F"), 0, 1, "CD-R   VW2410AU"},
        {"USB enclosure by letter on XP",
         Json(
             {kXp,
              R"("external": [{"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW5232A"}}])"}),
         0, 0, "CD-R   VW5232AU"},
        {"IEEE 1394 enclosure by letter on XP",
         Json(
             {kXp,
              R"("external": [{"letter": "G", "bus": "1394", "drive": {"model": "DVDR   VD0708A"}}])"}),
         0, 0, "DVDR   VD0708AF"},
        {"two-row reader, revision x.0x",
         OneDrive(kWin98, "scsi", R"({"model": "CD-ROM VN32S", "revision": "1.05"})"), 0, 1,
         "CD-ROM VN32S"},
        {"two-row reader, later firmware",
         OneDrive(kWin98, "scsi", R"({"model": "CD-ROM VN32S", "revision": "1.15"})"), 0, 1,
         "CD-ROM VN32S/2"},
        {"another vendor is not normalised",
         OneDrive(kWin98, "usb",
                  R"({"vendor": "OTHERCO ", "product": "CD-R   VW2410A  ", "peripheral": 5})", "F"),
         0, 1, "CD-R   VW2410A"},
        {"unknown drive",
         OneDrive(kWin98, "atapi", R"({"vendor": "OTHERCO ", "product": "DRIVE"})"), 0, 1, "n/a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Pc pc(row.json);
        pc.transport->Initialize();
        EXPECT_STREQ(ModelProductText(*pc.transport, {row.adapter, row.target}), row.key);
        EXPECT_EQ(IsSupportedDrive(*pc.transport, {row.adapter, row.target}),
                  std::string(row.key) != "n/a");
    }
}

TEST(ModelIdentification, RowFieldsOfKnownAndUnknownDrives) {
    Pc pc(OneDrive(kWin98, "atapi", R"({"model": "CD-R   VW1210A"})"));
    pc.transport->Initialize();
    EXPECT_TRUE(IsRecorderModel(*pc.transport, {0, 1}));
    EXPECT_TRUE(IsTenByteModeModel(*pc.transport, {0, 1}));
    EXPECT_TRUE(HasVendorCommandSet(*pc.transport, {0, 1}));
    EXPECT_FALSE(IsSecondaryListModel(*pc.transport, {0, 1}));
    EXPECT_STREQ(ModelSpeedText(*pc.transport, {0, 1}, 2), "10-24X CAV");
    EXPECT_STREQ(ModelSpeedText(*pc.transport, {0, 1}, 6), "");
    EXPECT_STREQ(ModelSpeedText(*pc.transport, {0, 1}, 7), "");
    DriveModelRow row{};
    ASSERT_TRUE(IdentifyDriveModel(*pc.transport, {0, 1}, row));
    EXPECT_STREQ(row.productKey, "CD-R   VW1210A");

    // Nobody at target 5: every lookup answers no, n/a or empty, and the row is untouched.
    DriveModelRow untouched{};
    std::strcpy(untouched.productKey, "marker");
    EXPECT_FALSE(IdentifyDriveModel(*pc.transport, {0, 5}, untouched));
    EXPECT_STREQ(untouched.productKey, "marker");
    EXPECT_FALSE(IsSupportedDrive(*pc.transport, {0, 5}));
    EXPECT_FALSE(IsRecorderModel(*pc.transport, {0, 5}));
    EXPECT_FALSE(IsTenByteModeModel(*pc.transport, {0, 5}));
    EXPECT_FALSE(HasVendorCommandSet(*pc.transport, {0, 5}));
    EXPECT_FALSE(IsSecondaryListModel(*pc.transport, {0, 5}));
    EXPECT_STREQ(ModelSpeedText(*pc.transport, {0, 5}, 0), "");
}

TEST(ModelIdentification, SecondaryListModels) {
    for (const char* model :
         {"CD-ROM VN52A", "DVD-ROM VD16A", "CD-R   VW5232A", "DVDR   VD0708A"}) {
        Pc pc(OneDrive(kWin98, "atapi", std::string(R"({"model": ")") + model + "\"}"));
        pc.transport->Initialize();
        EXPECT_TRUE(IsSecondaryListModel(*pc.transport, {0, 1})) << model;
        EXPECT_FALSE(HasVendorCommandSet(*pc.transport, {0, 1})) << model;
    }
}

TEST(ModelIdentification, EachLookupSendsItsOwnInquiry) {
    Pc pc(OneDrive(kWin98, "atapi", R"({"model": "CD-R   VW2410A"})"));
    pc.transport->Initialize();
    pc.machine->ClearCommandLog();
    IsSupportedDrive(*pc.transport, {0, 1});
    IsRecorderModel(*pc.transport, {0, 1});
    ModelProductText(*pc.transport, {0, 1});
    ASSERT_EQ(pc.machine->CommandLog().size(), 3u);
    for (const auto& command : pc.machine->CommandLog())
        EXPECT_EQ(command, "0:1 12 00 00 00 38 00");
}

TEST(ModelIdentification, InterfaceLabelSearchOnlyForCdDevicesWithALetter) {
    // NT 4 asks an unknown CD device with a letter once more for its identity, to
    // choose the interface label; without a usable letter, or when it is no CD
    // device, the search ends after the first INQUIRY.
    struct Row {
        const char* what;
        std::string drive;
        std::string letter;
        std::size_t commands;
    };
    const Row rows[] = {
        {"CD device with a letter",
         R"({"vendor": "OTHERCO ", "product": "WRITER", "peripheral": 5})", "E", 2},
        {"no letter", R"({"vendor": "OTHERCO ", "product": "WRITER", "peripheral": 5})", "", 1},
        {"not a CD device", R"({"vendor": "OTHERCO ", "product": "DISK", "peripheral": 0})", "E",
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Pc pc(OneDrive(kNt4, "atapi", row.drive, row.letter));
        pc.transport->Initialize();
        pc.transport->GetDriveLetter(0, 1);  // the letter map is built once, before counting
        pc.machine->ClearCommandLog();
        EXPECT_FALSE(IsSupportedDrive(*pc.transport, {0, 1}));
        EXPECT_EQ(pc.machine->CommandLog().size(), row.commands);
    }
}

}  // namespace
}  // namespace tessaly::testing
