// The preloaded library's drive map: which scenario drives get a backing file, and the
// Linux SCSI address that Wine turns into the scenario's Windows address.
#include "drive_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly::sgshim {
namespace {

vpc::Scenario Parse(const std::string& body) {
    std::string error;
    const auto scenario = vpc::ParseScenario(
        R"({"os": {"platform": 2, "major": 5, "minor": 1, "build": 2600}, )" + body + "}", error);
    EXPECT_TRUE(scenario.has_value()) << error;
    return scenario.value_or(vpc::Scenario{});
}

struct Placed {
    char letter;
    unsigned adapter;
    unsigned bus;
    unsigned target;

    friend bool operator==(const Placed&, const Placed&) = default;
};

std::vector<Placed> PlacesOf(const std::vector<MappedDrive>& drives) {
    std::vector<Placed> places;
    for (const MappedDrive& drive : drives)
        places.push_back(Placed{drive.letter, drive.adapter, drive.bus, drive.target});
    return places;
}

TEST(SgShimDriveMap, LetteredAdapterDevicesInOrder) {
    struct Row {
        const char* label;
        std::string body;
        std::vector<Placed> expected;
    };
    const Row rows[] = {
        {"one drive",
         R"("adapters": [{"devices": [{"target": 1, "letter": "E"}]}])",
         {{'E', 0, 0, 1}}},
        {"no letter, no file",
         R"("adapters": [{"devices": [{"target": 0}, {"target": 3, "letter": "f"}]}])",
         {{'F', 0, 0, 3}}},
        {"second adapter and bus",
         R"("adapters": [{"devices": []},
                         {"devices": [{"target": 2, "bus": 1, "letter": "G"},
                                      {"target": 4, "letter": "D"}]}])",
         {{'G', 1, 1, 2}, {'D', 1, 0, 4}}},
        {"drives by letter only have no SCSI address",
         R"("external": [{"letter": "H", "bus": "usb"}])",
         {}},
        {"nothing", R"("adapters": [])", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PlacesOf(MapLetterDrives(Parse(row.body))), row.expected) << row.label;
}

TEST(SgShimDriveMap, TheDriveKeepsItsSpec) {
    const auto drives = MapLetterDrives(Parse(
        R"("adapters": [{"devices": [{"target": 1, "letter": "E",
                                      "drive": {"model": "CD-R   VW1210A", "tray": "open"}}]}])"));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].drive.model.value_or(""), "CD-R   VW1210A");
    EXPECT_EQ(drives[0].drive.tray, vpc::TrayState::kOpen);
}

// Wine 8 reports channel c of host h as port c + 2, path h: adapter 0 needs channel 254.
TEST(SgShimDriveMap, LinuxAddressComesOutAsTheWindowsAddressUnderWine) {
    struct Row {
        unsigned adapter, bus, target;
        unsigned host, channel, id;
        std::uint32_t word;
    };
    const Row rows[] = {
        {0, 0, 1, 0, 254, 1, 0x00FE0001u},
        // A SATA port's own bus: host 1, which Wine gives as path id 1.
        {0, 1, 0, 1, 254, 0, 0x01FE0000u},
        {1, 0, 0, 0, 255, 0, 0x00FF0000u},
        {2, 0, 15, 0, 0, 15, 0x0000000Fu},
        {5, 7, 3, 7, 3, 3, 0x07030003u},
    };
    for (const Row& row : rows) {
        MappedDrive drive;
        drive.adapter = static_cast<std::uint8_t>(row.adapter);
        drive.bus = static_cast<std::uint8_t>(row.bus);
        drive.target = static_cast<std::uint8_t>(row.target);
        const LinuxScsiAddress address = LinuxAddressOf(drive);
        EXPECT_EQ(address.host, row.host) << "adapter " << row.adapter;
        EXPECT_EQ(address.channel, row.channel) << "adapter " << row.adapter;
        EXPECT_EQ(address.id, row.id) << "adapter " << row.adapter;
        EXPECT_EQ(address.lun, 0u);
        EXPECT_EQ(IdLunWord(address), row.word) << "adapter " << row.adapter;
        // What Wine makes of it, one byte wide.
        EXPECT_EQ(static_cast<std::uint8_t>(address.channel + 2), row.adapter);
        EXPECT_EQ(address.host, row.bus);
    }
}

TEST(SgShimDriveMap, BackingFilesAreNamedByTheLetterInLowerCase) {
    EXPECT_EQ(BackingFileName('E'), "e");
    EXPECT_EQ(BackingFileName('Z'), "z");
    EXPECT_EQ(BackingFileName('a'), "a");
}

}  // namespace
}  // namespace tessaly::sgshim
