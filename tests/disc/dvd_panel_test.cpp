// The disc fields of DVD and BD media in the drives that read them, and the commands a
// refresh sends: none of the new ones to a drive that reads only CD, or before the CD
// reading has found no CD.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "disc/disc_panel.h"
#include "support/field_map.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

struct Refreshed {
    FieldMap fields;
    std::vector<std::string> commands;
};

Refreshed Refresh(const std::string& model, const std::string& disc,
                  const std::string& tray = "closed") {
    Pc pc(Win98Drive("atapi", R"({"model": ")" + model + R"(", "tray": ")" + tray +
                                  R"(", "disc": )" + disc + "}"));
    pc.transport->Initialize();
    pc.machine->ClearCommandLog();
    Refreshed r;
    RefreshDiscPanel(*pc.transport, {0, 1}, r.fields);
    r.commands = pc.machine->CommandLog();
    return r;
}

bool Sent(const Refreshed& r, const std::string& opcode) {
    return std::any_of(r.commands.begin(), r.commands.end(), [&](const std::string& c) {
        return c.compare(c.find(' ') + 1, opcode.size(), opcode) == 0;
    });
}

constexpr char kDvdRecorder[] = "DVDR   VD0708A";
constexpr char kDvdReader[] = "DVD-ROM VD16A";
constexpr char kCdRecorder[] = "CD-R   VW2410A";

TEST(DvdPanel, MediaInTheDvdModels) {
    struct Row {
        const char* model;
        const char* disc;
        const char* status;
        const char* maker;
        const char* leadOutLba;
        const char* leadOutTime;
    } rows[] = {
        {kDvdRecorder, R"({"kind": "dvd-r", "manufacturer_id": "MCC 004"})", "DVD-R inserted",
         "Mitsubishi Kagaku Media (MCC 004)", "2295103", "-"},
        {kDvdRecorder,
         R"({"kind": "dvd+rw", "manufacturer_id": "RICOHJPN", "media_type_id": "R02",
             "capacity_lba": 409599})",
         "DVD+RW inserted", "Ricoh (RICOHJPN R02)", "409599", "91:01:24"},
        {kDvdRecorder, R"({"kind": "dvd+r", "manufacturer_id": "NOBODY", "media_type_id": "X01"})",
         "DVD+R inserted", "NOBODY X01", "2295103", "-"},
        {kDvdRecorder, R"({"kind": "bd-r", "manufacturer_id": "VERBAT", "media_type_id": "IM0"})",
         "BD-R inserted", "Mitsubishi Kagaku Media (VERBAT-IM0-000)", "12219391", "-"},
        {kDvdRecorder, R"({"kind": "dvd-ram", "capacity_lba": 2236703})", "DVD-RAM inserted", "-",
         "2236703", "-"},
        {kDvdReader, R"({"kind": "dvd-rom", "capacity_lba": 449999})", "DVD-ROM inserted", "-",
         "449999", "99:59:74"},
        {kDvdReader, R"({"kind": "dvd-r"})", "DVD-R inserted", "-", "2295103", "-"},
    };
    for (const Row& row : rows) {
        const Refreshed r = Refresh(row.model, row.disc);
        EXPECT_EQ(r.fields.Get(kFieldStatus), row.status) << row.disc;
        EXPECT_EQ(r.fields.Get(kFieldManufacturer), row.maker) << row.disc;
        EXPECT_EQ(r.fields.Get(kFieldLeadOutLba), row.leadOutLba) << row.disc;
        EXPECT_EQ(r.fields.Get(kFieldLeadOutTime), row.leadOutTime) << row.disc;
        EXPECT_EQ(r.fields.Get(kFieldLeadInTime), "-") << row.disc;
        EXPECT_EQ(r.fields.Get(kFieldLeadInLba), "-") << row.disc;
    }
}

TEST(DvdPanel, NewCommandsOnlyAfterTheCdReadingFoundNoCd) {
    // A CD in a DVD recorder, an empty DVD recorder, a DVD in a CD recorder.
    const Refreshed cd = Refresh(kDvdRecorder, R"({"kind": "cd-r", "lead_in": "97:24:01"})");
    EXPECT_EQ(cd.fields.Get(kFieldStatus), "CD-R inserted");
    EXPECT_FALSE(Sent(cd, "46"));
    const Refreshed empty = Refresh(kDvdRecorder, R"({"kind": "dvd-r"})", "open");
    EXPECT_EQ(empty.fields.Get(kFieldStatus), "No CD inserted");
    EXPECT_FALSE(Sent(empty, "46"));
    const Refreshed cdOnly = Refresh(kCdRecorder, R"({"kind": "dvd-r"})");
    EXPECT_EQ(cdOnly.fields.Get(kFieldStatus), "Error reading CD information");
    EXPECT_FALSE(Sent(cdOnly, "46"));
    EXPECT_FALSE(Sent(cdOnly, "ad"));
    const Refreshed dvd = Refresh(kDvdRecorder, R"({"kind": "dvd-r"})");
    EXPECT_TRUE(Sent(dvd, "46"));
    EXPECT_TRUE(Sent(dvd, "ad 00 00 00 00 00 00 0e 00 2c"));
}

TEST(DvdPanel, CdProfileKeepsTheCdOutcome) {
    // A pressed CD in the DVD-ROM drive: single session, so the CD reading finds no
    // multisession disc; the drive then names a CD profile and the text stands.
    const Refreshed r = Refresh(kDvdReader, R"({"kind": "cd-rom"})");
    EXPECT_EQ(r.fields.Get(kFieldStatus), "Not a multisession CD-R(W)");
    EXPECT_TRUE(Sent(r, "46"));
    EXPECT_FALSE(Sent(r, "ad"));
}

}  // namespace
}  // namespace tessaly::testing
