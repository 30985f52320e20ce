// The identity of a device by each of the three INQUIRY paths.
#include <gtest/gtest.h>

#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

const char kDrive[] = R"({"model": "CD-R   VW2410A", "revision": "1.04"})";

TEST(Identity, EveryPathGivesPeripheralTimes256PlusOneAndFullWidths) {
    struct Row {
        const char* what;
        std::string json;
        std::uint8_t adapter;
        std::size_t commandsSent;
    };
    const Row rows[] = {
        {"ASPI",
         Json({kWin98, kManager,
               std::string(R"("adapters": [{"bus": "atapi",
             "identifier": "ESDI_506", "devices": [{"target": 1, "letter": "E", "drive": )") +
                   kDrive + "}]}]"}),
         0, 1},
        {"port inquiry data",
         Json({kXp, std::string(R"("adapters": [{"bus": "atapi",
             "identifier": "atapi", "devices": [{"target": 1, "letter": "E", "drive": )") +
                        kDrive + "}]}]"}),
         0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Pc pc(row.json);
        ASSERT_EQ(pc.transport->Initialize() & 0xFF, 1);
        pc.machine->ClearCommandLog();
        InquiryIdentity id;
        EXPECT_EQ(pc.transport->Inquiry(row.adapter, 1, id), 0x0501);
        EXPECT_EQ(std::string(id.vendor), "VARNOTH ");
        EXPECT_EQ(std::string(id.product), "CD-R   VW2410A  ");
        EXPECT_EQ(id.product[16], '\0');
        EXPECT_EQ(std::string(id.revision), "1.04");
        EXPECT_EQ(pc.machine->CommandLog().size(), row.commandsSent);
        EXPECT_EQ(pc.transport->Inquiry(row.adapter, 2, id), 0) << "no device at target 2";
    }
}

TEST(Identity, PortDataTakesTheFirstBusOnly) {
    // The device on bus 1 is listed first and has the same target: it is never read.
    Pc pc(Json({kXp, R"("adapters": [{"bus": "scsi", "identifier": "aic78xx", "devices": [
        {"target": 0, "bus": 1, "drive": {"model": "CD-ROM VN40S"}},
        {"target": 0, "letter": "E", "drive": {"model": "CD-R   VW2410S"}}]}])"}));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    InquiryIdentity id;
    EXPECT_EQ(pc.transport->Inquiry(0, 0, id), 0x0501);
    EXPECT_EQ(std::string(id.product), "CD-R   VW2410S  ");
}

TEST(Identity, PeripheralByteIsUsedWhole) {
    Pc pc(Json({kWin98, kManager, R"("adapters": [{"bus": "scsi", "identifier": "aic78xx",
        "devices": [{"target": 2, "drive": {"model": "CD-ROM VN40S", "peripheral": "0x25"}}]}])"}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 1);
    InquiryIdentity id;
    EXPECT_EQ(pc.transport->Inquiry(0, 2, id), 0x2501);
}

}  // namespace
}  // namespace tessaly::testing
