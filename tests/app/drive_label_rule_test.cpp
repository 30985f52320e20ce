// The drop-down labels that the model table's rows give, against the maker's nine label
// rules.
#include "app/drive_label_rule.h"

#include <gtest/gtest.h>

namespace tessaly::app {
namespace {

TEST(DriveLabel, TheNineRulesOfTheModelData) {
    struct Row {
        const char* product;
        bool usb;
        bool ieee1394;
        DriveOrigin origin;
        const char* label;
    };
    using enum DriveOrigin;
    const Row rows[] = {
        {"CD-R   VW1610A  ", true, false, kAdapter, "ID:3  CD-R   Varnoth Traveller 16/40 USB"},
        {"CD-R   VW2410A  ", true, false, kExternal, "ID:3  CD-R   Varnoth Traveller 24/40 USB"},
        {"CD-R   VW4012A  ", true, false, kAdapter, "ID:3  CD-R   Varnoth Traveller 40/40 USB"},
        {"CD-R   VW4812A  ", true, false, kAdapter, "ID:3  CD-R   Varnoth Traveller 48/48 USB"},
        {"CD-R   VW4824A  ", true, false, kAdapter, "ID:3  CD-R   Varnoth Traveller 48/24 USB"},
        {"CD-R   VW5224A  ", true, true, kAdapter, "ID:3  CD-R   Varnoth Traveller 52/24 USB"},
        {"CD-R   VW5232A  ", true, false, kExternal, "ID:3  CD-R   Varnoth Traveller 52/32 USB"},
        {"DVDR   VD0708A  ", false, true, kExternal,
         "ID:3  DVDR   Varnoth DiscWriter 708 External"},
        {"DVDR   VD0708A  ", true, false, kAdapter, "ID:3  DVDR   Varnoth DiscWriter 708 External"},
        {"DVDR   VD0708A  ", false, false, kAdapter, "ID:3  DVDR   Varnoth DiscWriter 708"},
        // No rule holds: the product text.
        {"DVDR   VD0708A  ", false, false, kExternal, "ID:3  DVDR   VD0708A  "},
        {"CD-R   VW2410A  ", false, true, kAdapter, "ID:3  CD-R   VW2410A  "},
        {"CD-R   VW2410S  ", true, false, kAdapter, "ID:3  CD-R   VW2410S  "},
        {"CD-ROM VN40S    ", true, true, kAdapter, "ID:3  CD-ROM VN40S    "},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ChooseDriveLabel(row.product, row.usb, row.ieee1394, 3, row.origin), row.label)
            << row.product << " usb " << row.usb << " 1394 " << row.ieee1394;
    }
}

}  // namespace
}  // namespace tessaly::app
