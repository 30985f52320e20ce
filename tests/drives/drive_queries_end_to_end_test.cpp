// The drive queries against the emulated models as they answer by themselves,
// without injected answers: what the report will print for each kind of drive.
#include <gtest/gtest.h>

#include "drives/drive_commands.h"
#include "drives/speed_texts.h"
#include "drives/vendor_data.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

TEST(DriveQueries, AtapiRecorder) {
    Pc pc(Win98Drive("atapi",
                     R"({"model": "CD-R   VW1210A", "read_speed_kbs": 5632, "serial": "0001f",
                             "jumper": 5, "underrun": {"supported": true, "enabled": true}})"));
    pc.transport->Initialize();
    char text[32];
    ReportReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
    EXPECT_STREQ(text, "14-32 X CAV");
    ASSERT_TRUE(SerialNumberText(*pc.transport, {0, 1}, text, sizeof text));
    EXPECT_STREQ(text, "000031");
    EXPECT_EQ(JumperSettingsValue(*pc.transport, {0, 1}), 5);
    EXPECT_TRUE(HasBufferUnderrunProof(*pc.transport, {0, 1}));
    EXPECT_TRUE(CanWriteDiscs(*pc.transport, {0, 1}));
    std::uint8_t page05[64];
    ASSERT_EQ(ModeSensePage(*pc.transport, {0, 1}, 0x05, sizeof page05, page05), 1);
    EXPECT_EQ(page05[12], 0x05);
    EXPECT_NE(page05[14] & 0x40, 0);
}

TEST(DriveQueries, Page30hModelReportsUnderrunThroughPage30h) {
    for (const bool enabled : {true, false}) {
        Pc pc(Win98Drive(
            "atapi",
            std::string(
                R"({"model": "CD-R   VW5232A", "underrun": {"supported": true, "enabled": )") +
                (enabled ? "true" : "false") + "}}"));
        pc.transport->Initialize();
        EXPECT_TRUE(HasBufferUnderrunProof(*pc.transport, {0, 1}));
        std::uint8_t page05[64];
        ASSERT_EQ(ModeSensePage(*pc.transport, {0, 1}, 0x05, sizeof page05, page05), 1);
        EXPECT_EQ((page05[14] & 0x40) != 0, enabled);
        std::uint8_t page2a[34];
        ASSERT_EQ(ModeSensePage(*pc.transport, {0, 1}, 0x2A, sizeof page2a, page2a), 1);
        EXPECT_NE(page2a[16] & 0x80, 0);
    }
}

TEST(DriveQueries, OlderScsiReaderBySpeedIndex) {
    Pc pc(Win98Drive("scsi", R"({"model": "CD-ROM VN40S", "speed_index": 5})"));
    pc.transport->Initialize();
    char text[32];
    ReportReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
    EXPECT_STREQ(text, "17-40 X CAV");
    EXPECT_FALSE(CanWriteDiscs(*pc.transport, {0, 1}));
    ASSERT_TRUE(SerialNumberText(*pc.transport, {0, 1}, text, sizeof text));
    EXPECT_STREQ(text, "000001") << "the readers have the vendor set too";

    Pc secondary(Win98Drive("atapi", R"({"model": "CD-ROM VN52A"})"));
    secondary.transport->Initialize();
    EXPECT_FALSE(SerialNumberText(*secondary.transport, {0, 1}, text, sizeof text));
}

TEST(DriveQueries, TrayMovesWithEjectAndLoad) {
    Pc pc(Win98Drive("atapi", R"({"model": "CD-R   VW2410A", "tray": "closed"})"));
    pc.transport->Initialize();
    EXPECT_EQ(TestUnitReady(*pc.transport, {0, 1}), 4) << "closed and empty";
    EXPECT_EQ(pc.transport->GetLastSense(0, 1)[13], 0x01);
    EXPECT_EQ(EjectMedium(*pc.transport, {0, 1}), 1);
    EXPECT_EQ(TestUnitReady(*pc.transport, {0, 1}), 4);
    EXPECT_EQ(pc.transport->GetLastSense(0, 1)[13], 0x02) << "tray open";
    EXPECT_EQ(LoadMedium(*pc.transport, {0, 1}), 1);
    EXPECT_EQ(TestUnitReady(*pc.transport, {0, 1}), 4);
    EXPECT_EQ(pc.transport->GetLastSense(0, 1)[13], 0x01);
}

}  // namespace
}  // namespace tessaly::testing
