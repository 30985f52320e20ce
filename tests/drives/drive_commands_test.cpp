// Mode pages in the form each model takes, and the maker's vendor data.
#include "drives/drive_commands.h"

#include <gtest/gtest.h>

#include "drives/vendor_data.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

// Hex text of n bytes: the given ones, then zeros.
std::string Bytes(std::initializer_list<int> given, std::size_t n) {
    std::string out;
    std::size_t i = 0;
    char hex[4];
    for (int b : given) {
        std::snprintf(hex, sizeof hex, "%02x ", b);
        out += hex;
        ++i;
    }
    for (; i < n; ++i)
        out += "00 ";
    return out;
}

TEST(ModeSensePage, FormFollowsModelAndAttachment) {
    struct Row {
        const char* what;
        std::string json;
        const char* cdb;
    };
    const Row rows[] = {
        {"SCSI model: six bytes", Win98Drive("scsi", R"({"model": "CD-R   VW2410S"})"),
         "0:1 1a 00 2a 00 22 00"},
        {"ATAPI model: ten bytes", Win98Drive("atapi", R"({"model": "CD-R   VW2410A"})"),
         "0:1 5a 00 2a 00 00 00 00 00 22 00"},
        {"SCSI model behind USB: ten bytes", Win98Drive("usb", R"({"model": "CD-R   VW2410S"})"),
         "0:1 5a 00 2a 00 00 00 00 00 22 00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Pc pc(row.json);
        pc.transport->Initialize();
        pc.machine->ClearCommandLog();
        std::uint8_t answer[34];
        ModeSensePage(*pc.transport, {0, 1}, 0x2A, sizeof answer, answer);
        // One MODE SENSE, in the expected form; the rest are the model lookups' INQUIRYs.
        std::vector<std::string> modeSense;
        for (const auto& command : pc.machine->CommandLog()) {
            if (command.rfind("0:1 12 ", 0) != 0)
                modeSense.push_back(command);
        }
        EXPECT_EQ(modeSense, std::vector<std::string>{row.cdb});
    }
}

TEST(ModeSensePage, EveryTenByteReadAsksTheModelAfterwards) {
    const char* inquiry = "0:1 12 00 00 00 38 00";
    struct Row {
        const char* what;
        std::string json;
        std::uint8_t page;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"six bytes: no question",
         Win98Drive("scsi", R"({"model": "CD-R   VW2410S"})"),
         0x2A,
         {inquiry, "0:1 1a 00 2a 00 22 00"}},
        {"ten bytes, a page without correction",
         Win98Drive("atapi", R"({"model": "CD-R   VW2410A"})"),
         0x31,
         {inquiry, "0:1 5a 00 31 00 00 00 00 00 22 00", inquiry}},
        {"page-30h model: the nested read asks too",
         Win98Drive("atapi", R"({"model": "DVDR   VD0708A"})"),
         0x2A,
         {inquiry, "0:1 5a 00 2a 00 00 00 00 00 22 00", inquiry, inquiry,
          "0:1 5a 00 30 00 00 00 00 00 20 00", inquiry}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Pc pc(row.json);
        pc.transport->Initialize();
        pc.machine->ClearCommandLog();
        std::uint8_t answer[34];
        ModeSensePage(*pc.transport, {0, 1}, row.page, sizeof answer, answer);
        EXPECT_EQ(pc.machine->CommandLog(), row.log);
    }
}

TEST(ModeSensePage, TenByteAnswerIsConvertedToTheSixByteLayout) {
    // Ten-byte header: data length 0026h, medium type 70h, device-specific 10h, no block
    // descriptor; then page 2Ah.
    const std::string raw =
        Bytes({0x00, 0x26, 0x70, 0x10, 0,    0,    0,    0,    0x2A, 0x14, 0x3F, 0x37,
               0xF1, 0x77, 0x29, 0x23, 0x1B, 0x90, 0x01, 0x00, 0x02, 0x00, 0x16, 0x00},
              40);
    Pc pc(Win98Drive("atapi",
                     R"({"model": "CD-R   VW2410A", "answers": {"5a/2a": ")" + raw + "\"}}"));
    pc.transport->Initialize();
    std::uint8_t answer[34];
    EXPECT_EQ(ModeSensePage(*pc.transport, {0, 1}, 0x2A, sizeof answer, answer), 1);
    EXPECT_EQ(answer[0], 0x26 + 4);
    EXPECT_EQ(answer[1], 0);
    EXPECT_EQ(answer[2], 0x70) << "byte 2 of the ten-byte answer";
    EXPECT_EQ(answer[3], 8);
    for (int i = 4; i < 12; ++i)
        EXPECT_EQ(answer[i], 0) << i;
    EXPECT_EQ(answer[12], 0x2A);
    EXPECT_EQ(answer[13], 0x14);
    EXPECT_EQ(answer[16], 0xF1);
    EXPECT_EQ(answer[26], 0x16);
    EXPECT_EQ(answer[27], 0x00);
    EXPECT_EQ(answer[33], 0) << "(allocation - 8) bytes copied, nothing beyond";
}

TEST(ModeSensePage, FailureLeavesAZeroFilledAnswer) {
    Pc pc(Win98Drive("scsi", R"({"model": "CD-R   VW2410S", "fail": {"1a/2a": "05/24/00"}})"));
    pc.transport->Initialize();
    std::uint8_t answer[34];
    std::memset(answer, 0xAA, sizeof answer);
    EXPECT_NE(ModeSensePage(*pc.transport, {0, 1}, 0x2A, sizeof answer, answer), 1);
    for (std::uint8_t b : answer)
        EXPECT_EQ(b, 0);
}

TEST(ModeSensePage, Page30hModelsTakeTheirUnderrunBitsFromPage30h) {
    struct Row {
        std::uint8_t page;
        int page30Byte2;
        int page30Byte3;
        int pageByte;  // the byte of the asked page the drive reports
        std::size_t checked;
        std::uint8_t mask;
        bool expected;
    };
    const Row rows[] = {
        {0x05, 0, 1, 0x00, 14, 0x40, true},   // enabled from page 30h byte 3
        {0x05, 1, 0, 0x40, 14, 0x40, false},  // the drive's own page 05h bit is overruled
        {0x2A, 1, 0, 0x00, 16, 0x80, true},   // supported from page 30h byte 2
        {0x2A, 0, 1, 0x80, 16, 0x80, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "page " << int(row.page) << " byte " << row.checked);
        char key[8];
        std::snprintf(key, sizeof key, "5a/%x", row.page);
        const std::string page30 =
            Bytes({0, 0x16, 0, 0, 0, 0, 0, 0, 0x30, 0x0E, row.page30Byte2, row.page30Byte3}, 24);
        std::string asked = Bytes({0, 0x20, 0, 0, 0, 0, 0, 0, row.page, 0x14}, 40);
        // Put the drive's own bit at the asked page's byte (ten-byte offset = answer offset - 4).
        char own[4];
        std::snprintf(own, sizeof own, "%02x", row.pageByte);
        asked.replace((row.checked - 4) * 3, 2, own);
        Pc pc(Win98Drive("atapi", std::string(R"({"model": "CD-R   VW5232A", "answers": {")") +
                                      key + R"(": ")" + asked + R"(", "5a/30": ")" + page30 +
                                      "\"}}"));
        pc.transport->Initialize();
        std::uint8_t answer[64];
        const std::uint8_t length = row.page == 0x05 ? 64 : 34;
        EXPECT_EQ(ModeSensePage(*pc.transport, {0, 1}, row.page, length, answer), 1);
        EXPECT_EQ((answer[row.checked] & row.mask) != 0, row.expected);
    }
}

TEST(ModeSensePage, FailedPage30hLeavesTheAnswerUncorrected) {
    const std::string asked = Bytes({0, 0x20, 0, 0, 0, 0, 0, 0, 0x2A, 0x14, 0, 0, 0x80}, 40);
    Pc pc(Win98Drive("atapi", R"({"model": "CD-R   VW5232A", "answers": {"5a/2a": ")" + asked +
                                  R"("}, "fail": {"5a/30": "05/24/00"}})"));
    pc.transport->Initialize();
    std::uint8_t answer[34];
    EXPECT_EQ(ModeSensePage(*pc.transport, {0, 1}, 0x2A, sizeof answer, answer), 1);
    EXPECT_EQ(answer[16], 0x80);
}

// Found by fuzzing: an allocation length of 0 with no buffer cleared a null pointer.
TEST(ModeSensePage, EmptyAllocationTouchesNoBuffer) {
    for (const char* bus : {"scsi", "atapi"}) {
        Pc pc(Win98Drive(bus, R"({"model": "CD-R   VW5232A"})"));
        pc.transport->Initialize();
        ModeSensePage(*pc.transport, {0, 1}, 0x2A, 0, nullptr);
        std::uint8_t four[4] = {1, 2, 3, 4};
        ModeSensePage(*pc.transport, {0, 1}, 0x05, sizeof four, four);
        EXPECT_EQ(four[3], 8) << bus << ": the header is all that fits";
    }
}

TEST(SerialNumberText, HexadecimalDigitsAsSixDecimalDigits) {
    struct Row {
        const char* serial;  // five characters at offset 26, as hex bytes
        bool ok;
        const char* text;
    };
    const Row rows[] = {
        {"30 30 30 31 66", true, "000031"},   // "0001f"
        {"31 32 33 34 35", true, "074565"},   // "12345"
        {"46 46 46 46 46", true, "1048575"},  // "FFFFF": more than six digits
        {"30 30 30 31 67", false, ""},        // "0001g"
        {"30 30 20 31 32", false, ""},        // a blank
        {"00 00 00 00 00", false, ""},        // zero-filled
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.serial);
        std::string hex;
        for (int i = 0; i < 26; ++i)
            hex += "00 ";
        hex += row.serial;
        Pc pc(Win98Drive("atapi",
                         R"({"model": "CD-R   VW2410A", "answers": {"f1": ")" + hex + "\"}}"));
        pc.transport->Initialize();
        char text[16] = "unchanged";
        EXPECT_EQ(SerialNumberText(*pc.transport, {0, 1}, text, sizeof text), row.ok);
        if (row.ok) {
            EXPECT_STREQ(text, row.text);
        }
    }
    Pc failing(Win98Drive("atapi", R"({"model": "CD-R   VW2410A", "fail": {"f1": "05/20/00"}})"));
    failing.transport->Initialize();
    char text[16];
    EXPECT_FALSE(SerialNumberText(*failing.transport, {0, 1}, text, sizeof text));
}

TEST(JumperSettingsValue, OldestRecorderBitsAreMoved) {
    struct Row {
        const char* model;
        const char* answer;
        int expected;
    };
    const Row rows[] = {
        {"CD-R   VW0202", "40 00", 0x08},  // bit 6 -> bit 3
        {"CD-R   VW0202", "08 00", 0x10},  // bit 3 -> bit 4
        {"CD-R   VW0202", "10 00", 0x20},  // bit 4 -> bit 5
        {"CD-R   VW0202", "20 00", 0x40},  // bit 5 -> bit 6
        {"CD-R   VW0202", "87 00", 0x87},  // bits 0-2 and 7 stay
        {"VW0202 LOADER", "40 00", 0x08},
        {"CD-R   VW2410S", "40 00", 0x40},  // other models keep the byte
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.model) + " " + row.answer);
        Pc pc(Win98Drive("scsi", std::string(R"({"model": ")") + row.model +
                                     R"(", "answers": {"de": ")" + row.answer + "\"}}"));
        pc.transport->Initialize();
        EXPECT_EQ(JumperSettingsValue(*pc.transport, {0, 1}), row.expected);
    }
    Pc failing(Win98Drive("scsi", R"({"model": "CD-R   VW2410S", "fail": {"de": "05/20/00"}})"));
    failing.transport->Initialize();
    EXPECT_EQ(JumperSettingsValue(*failing.transport, {0, 1}), std::nullopt);
}

TEST(DriveCommands, CdbsAsSent) {
    Pc pc(Win98Drive("atapi", R"({"model": "CD-R   VW2410A"})"));
    pc.transport->Initialize();
    pc.machine->ClearCommandLog();
    TestUnitReady(*pc.transport, {0, 1});
    EjectMedium(*pc.transport, {0, 1});
    LoadMedium(*pc.transport, {0, 1});
    std::uint8_t block[128];
    VendorReadMemory(*pc.transport, {0, 1}, 0, sizeof block, block);
    std::uint8_t two[2];
    VendorReadTwoBytes(*pc.transport, {0, 1}, two);
    const std::vector<std::string> expected = {
        "0:1 00 00 00 00 00 00",
        "0:1 1b 00 00 00 02 00",
        "0:1 1b 00 00 00 03 00",
        "0:1 f1 00 00 00 00 00 00 00 00 80 00 00",
        "0:1 de 00 00 00 00 00 00 00 00 00 00 00",
    };
    EXPECT_EQ(pc.machine->CommandLog(), expected);
}

}  // namespace
}  // namespace tessaly::testing
