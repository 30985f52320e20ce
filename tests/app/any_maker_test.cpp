// Other makers' drives, listed only on request and then read as unknown models: their
// own vendor and product in the list, the capabilities page for the recorder form and
// for DVD reading, never a vendor command.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "disc/disc_panel.h"
#include "drives/drive_commands.h"
#include "drives/drive_scope.h"
#include "drives/speed_texts.h"
#include "support/field_map.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

// A PC with another maker's DVD recorder (E:, target 1) and, when asked, a maker's model
// at target 2.
std::string OtherMakersPc(const std::string& disc, bool withModel = false) {
    const std::string other =
        R"({"target": 1, "letter": "E", "drive": {"vendor": "OTHERCO", "product": "DVD-RW XR716A",
            "recorder": true, "reads_dvd": true, "disc": )" +
        disc + "}}";
    const std::string model =
        R"(, {"target": 2, "letter": "F", "drive": {"model": "CD-R   VW2410A"}})";
    return Json({kWin98, kManager,
                 R"("adapters": [{"bus": "atapi", "identifier": "ha", "devices": [)" + other +
                     (withModel ? model : "") + "]}]"});
}

// The switch for one test; the process's setting is off again after it.
struct AnyMakerSwitch {
    explicit AnyMakerSwitch(bool on) { SetAnyMakerDrives(on); }
    ~AnyMakerSwitch() { SetAnyMakerDrives(false); }
};

struct Started {
    Started(const std::string& json, bool anyMaker)
        : anyMaker(anyMaker), pc(json), dialog(*pc.transport, *pc.machine, view) {
        view.Attach(&dialog);
        dialog.OnInitDialog();
    }
    AnyMakerSwitch anyMaker;
    Pc pc;
    app::HeadlessView view;
    app::MainDialog dialog;
};

const char kCdR[] = R"({"kind": "cd-r", "lead_in": "97:24:01"})";

TEST(AnyMaker, ListedOnlyOnRequest) {
    const Started without(OtherMakersPc(kCdR), false);
    EXPECT_TRUE(without.view.Items().empty());
    ASSERT_EQ(without.view.Messages().size(), 1u);
    EXPECT_EQ(without.view.Messages()[0].text, "No Varnoth drives detected!");

    const Started with(OtherMakersPc(kCdR, true), true);
    EXPECT_TRUE(with.view.Messages().empty());
    const std::vector<std::string> want = {"ID:1  OTHERCO DVD-RW XR716A   ",
                                           "ID:2  CD-R   VW2410A  "};
    EXPECT_EQ(with.view.Items(), want);
}

TEST(AnyMaker, ReadAsAnUnknownModelWithoutVendorCommands) {
    Started s(OtherMakersPc(
                  R"({"kind": "dvd+r", "manufacturer_id": "YUDEN000", "media_type_id": "T02"})"),
              true);
    ScsiTransport& transport = *s.pc.transport;
    const DriveAddress drive{0, 1};
    s.pc.machine->ClearCommandLog();
    std::uint8_t memory[16] = {};
    std::uint8_t jumper[2] = {};
    EXPECT_EQ(VendorReadMemory(transport, drive, 0, sizeof memory, memory), 0);
    EXPECT_EQ(VendorReadTwoBytes(transport, drive, jumper), 0);
    EXPECT_TRUE(CanWriteDiscs(transport, drive));  // from its capabilities page
    FieldMap fields;
    RefreshDiscPanel(transport, drive, fields);
    EXPECT_EQ(fields.Get(kFieldStatus), "DVD+R inserted");
    EXPECT_EQ(fields.Get(kFieldManufacturer), "Taiyo Yuden (YUDEN000 T02)");
    for (const std::string& command : s.pc.machine->CommandLog()) {
        const std::string op = command.substr(command.find(' ') + 1, 2);
        EXPECT_TRUE(op != "f1" && op != "de") << command;
    }
}

TEST(AnyMaker, RecorderByItsCapabilitiesReadsTheAtip) {
    Started s(OtherMakersPc(R"({"kind": "cd-r", "lead_in": "97:24:01", "lead_out": "79:59:74"})"),
              true);
    FieldMap fields;
    RefreshDiscPanel(*s.pc.transport, {0, 1}, fields);
    EXPECT_EQ(fields.Get(kFieldStatus), "CD-R inserted");
    EXPECT_EQ(fields.Get(kFieldLeadInTime), "97m24s01f");
    EXPECT_EQ(fields.Get(kFieldLeadOutLba), "359999");
}

TEST(AnyMaker, ProductPrefixRuleStandsWithoutTheSwitch) {
    // Without the switch an unknown drive is a writer only by its product's "CD-R ".
    Pc pc(OtherMakersPc(kCdR));
    pc.transport->Initialize();
    EXPECT_FALSE(CanWriteDiscs(*pc.transport, {0, 1}));
    const AnyMakerSwitch on(true);
    EXPECT_TRUE(CanWriteDiscs(*pc.transport, {0, 1}));
}

}  // namespace
}  // namespace tessaly::testing
