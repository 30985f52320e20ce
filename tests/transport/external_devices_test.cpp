// USB and IEEE 1394 drives that Windows XP reaches only by drive letter.
#include <gtest/gtest.h>

#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

const char kTwoPorts[] = R"("adapters": [
    {"bus": "atapi", "identifier": "atapi", "devices": [
        {"target": 0, "letter": "D", "drive": {"model": "CD-ROM VN52A"}}]},
    {"bus": "atapi", "identifier": "atapi", "devices": [
        {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}])";

TEST(ExternalDevices, UsbDriveAfterTwoPortsIsAdapterTwo) {
    Pc pc(Json(
        {kXp, kTwoPorts,
         R"("external": [{"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}}])"}));
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_TRUE(pc.transport->HasExternalDevices());
    EXPECT_EQ(pc.transport->FirstExternalAdapter(), 2);
    EXPECT_TRUE(pc.transport->IsUsbSlot(2));
    EXPECT_FALSE(pc.transport->Is1394Slot(2));
    EXPECT_EQ(pc.transport->IsUsbAttached(2, 0), 1);
    EXPECT_EQ(pc.transport->IsUsbAttached(1, 1), 0);
    EXPECT_TRUE(pc.transport->AnyUsbAttached());
    EXPECT_EQ(pc.transport->GetDriveLetter(2, 0), 5);

    const ExternalDeviceRecord record = pc.transport->GetExternalDevice(2);
    EXPECT_EQ(record.present, 1);
    EXPECT_EQ(record.viaUsb, 1);
    EXPECT_EQ(record.driveIndex, 5);
    EXPECT_STREQ(record.enumerator, "USBSTOR");
    EXPECT_EQ(std::string(record.deviceId).rfind("CdRom&Ven_VARNOTH", 0), 0u) << record.deviceId;
    EXPECT_NE(std::string(record.instanceId), "");
    // The internal drives' letters were dropped by the bus test: slots 0, 1 hold nothing.
    EXPECT_EQ(pc.transport->GetExternalDevice(0).present, 0);

    // The identity goes straight to the drive through its letter.
    pc.machine->ClearCommandLog();
    InquiryIdentity id;
    EXPECT_EQ(pc.transport->Inquiry(2, 0, id), 0x0501);
    EXPECT_EQ(std::string(id.product), "CD-R   VW2410A  ");
    ASSERT_EQ(pc.machine->CommandLog().size(), 1u);
    EXPECT_EQ(pc.machine->CommandLog()[0], "2:0 12 00 00 00 38 00");
    EXPECT_EQ(pc.recorder->openedNames.back(), "\\\\.\\F:");
}

TEST(ExternalDevices, Ieee1394DriveIsMarkedAsSuch) {
    Pc pc(Json(
        {kXp, kTwoPorts,
         R"("external": [{"letter": "G", "bus": "1394", "drive": {"model": "DVDR   VD0708A"}}])"}));
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_TRUE(pc.transport->Is1394Slot(2));
    EXPECT_FALSE(pc.transport->IsUsbSlot(2));
    EXPECT_EQ(pc.transport->Is1394Attached(2, 0), 1);
    EXPECT_FALSE(pc.transport->AnyUsbAttached());
    EXPECT_STREQ(pc.transport->GetExternalDevice(2).enumerator, "SBP2");
}

TEST(ExternalDevices, NoneFoundGivesAdapterHundred) {
    Pc pc(Json({kXp, kTwoPorts}));
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_FALSE(pc.transport->HasExternalDevices());
    EXPECT_EQ(pc.transport->FirstExternalAdapter(), 100);
    EXPECT_FALSE(pc.transport->AnyUsbAttached());
}

TEST(ExternalDevices, OnlyAUsbDriveStillCounts) {
    // No port answered: the start-up result is 0, yet the USB drive is registered.
    Pc pc(Json(
        {kXp,
         R"("external": [{"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}}])"}));
    EXPECT_EQ(pc.transport->Initialize(), 0);
    EXPECT_TRUE(pc.transport->AnyUsbAttached());
    EXPECT_EQ(pc.transport->FirstExternalAdapter(), 0);
    InquiryIdentity id;
    EXPECT_EQ(pc.transport->Inquiry(0, 0, id), 0x0501);
}

TEST(ExternalDevices, EveryLetterFailingToOpenClearsAllMarks) {
    Pc pc(Json({kXp, kTwoPorts, R"("external": [
        {"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}},
        {"letter": "G", "bus": "1394", "drive": {"model": "DVDR   VD0708A"}}])"}));
    pc.recorder->failOpen = {"\\\\.\\F:", "\\\\.\\G:"};
    EXPECT_EQ(pc.transport->Initialize(), 2);
    EXPECT_FALSE(pc.transport->AnyUsbAttached());
    EXPECT_FALSE(pc.transport->HasExternalDevices());
    for (int adapter = 0; adapter < 8; ++adapter) {
        for (int target = 0; target < 16; ++target) {
            EXPECT_EQ(pc.transport->IsUsbAttached(adapter, target), 0);
            EXPECT_EQ(pc.transport->Is1394Attached(adapter, target), 0);
        }
    }
    for (int adapter = 0; adapter < 26; ++adapter)
        EXPECT_FALSE(pc.transport->IsUsbSlot(adapter));
}

TEST(ExternalDevices, SlotsBeyondTheFlagTablesAreRefused) {
    // Six ports, then five USB drives: slots 6 and 7 fit the attachment tables, 8 to 10 not.
    std::string adapters = R"("adapters": [)";
    const char letters[] = "DEFGHI";
    for (int i = 0; i < 6; ++i) {
        adapters +=
            std::string(i ? "," : "") +
            R"({"bus": "atapi", "identifier": "atapi", "devices": [{"target": 0, "letter": ")" +
            letters[i] + R"(", "drive": {"model": "CD-ROM VN52A"}}]})";
    }
    adapters += "]";
    std::string external = R"("external": [)";
    const char usbLetters[] = "JKLMN";
    for (int i = 0; i < 5; ++i) {
        external += std::string(i ? "," : "") + R"({"letter": ")" + usbLetters[i] +
                    R"(", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}})";
    }
    external += "]";
    Pc pc(Json({kXp, adapters, external}));
    EXPECT_EQ(pc.transport->Initialize(), 6);
    EXPECT_EQ(pc.transport->FirstExternalAdapter(), 6);
    EXPECT_EQ(pc.transport->IsUsbAttached(6, 0), 1);
    EXPECT_EQ(pc.transport->IsUsbAttached(7, 0), 1);
    for (int slot = 8; slot < 26; ++slot) {
        EXPECT_FALSE(pc.transport->IsUsbSlot(slot)) << slot;
        EXPECT_EQ(pc.transport->GetExternalDevice(slot).present, 0) << slot;
    }
    InquiryIdentity id;
    EXPECT_EQ(pc.transport->Inquiry(8, 0, id), 0);
}

TEST(ExternalDevices, MoreCdLettersThanSlotsAreRefused) {
    // Four ports and nineteen USB drives: 23 CD letters for the 22 slots after the ports.
    std::string adapters = R"("adapters": [)";
    for (int i = 0; i < 4; ++i) {
        adapters +=
            std::string(i ? "," : "") +
            R"({"bus": "atapi", "identifier": "atapi", "devices": [{"target": 0, "letter": ")" +
            static_cast<char>('D' + i) + R"(", "drive": {"model": "CD-ROM VN52A"}}]})";
    }
    adapters += "]";
    std::string external = R"("external": [)";
    for (char letter = 'H'; letter <= 'Z'; ++letter) {
        external += std::string(letter != 'H' ? "," : "") + R"({"letter": ")" + letter +
                    R"(", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}})";
    }
    external += "]";
    Pc pc(Json({kXp, adapters, external}));
    EXPECT_EQ(pc.transport->Initialize(), 4);
    EXPECT_EQ(pc.transport->FirstExternalAdapter(), 4);
    EXPECT_EQ(pc.transport->IsUsbAttached(4, 0), 1);
    EXPECT_EQ(pc.transport->IsUsbAttached(7, 0), 1);
    EXPECT_FALSE(pc.transport->IsUsbSlot(8));
}

}  // namespace
}  // namespace tessaly::testing
