// Read speed texts and write capability.
#include "drives/speed_texts.h"

#include <gtest/gtest.h>

#include "drives/vendor_data.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

// A capabilities page answer with the current read speed at page bytes 14-15, in the
// ten-byte (key 5a) or six-byte (key 1a) layout.
std::string CapabilitiesAnswer(bool tenByte, unsigned kbs) {
    const int header = tenByte ? 8 : 12;
    std::string hex;
    char byte[8];
    for (int i = 0; i < 40; ++i) {
        int value = 0;
        if (i == header)
            value = 0x2A;
        if (i == header + 1)
            value = 0x14;
        if (i == header + 14)
            value = static_cast<int>(kbs >> 8);
        if (i == header + 15)
            value = static_cast<int>(kbs & 0xFF);
        std::snprintf(byte, sizeof byte, "%02x ", value);
        hex += byte;
    }
    return hex;
}

TEST(SeparateSpeedUnit, BlankBeforeTheFirstCapitalX) {
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {{"14-32X CAV", "14-32 X CAV"}, {"12X", "12 X"}, {"32 X", "32  X"},
                        {"maximum", "maximum"},        {"", ""},        {"10-24x", "10-24x"},
                        {"4X CLV", "4 X CLV"}};
    for (const Row& row : rows) {
        char text[32];
        std::strcpy(text, row.in);
        SeparateSpeedUnit(text, sizeof text);
        EXPECT_STREQ(text, row.out) << row.in;
    }
    char full[4] = "12X";  // no room for the blank: left whole
    SeparateSpeedUnit(full, sizeof full);
    EXPECT_STREQ(full, "12X");
}

TEST(ReadSpeedText, FromTheCapabilitiesPageAndTheModelsSpeedTexts) {
    struct Row {
        const char* what;
        const char* model;
        const char* bus;
        unsigned kbs;
        const char* text;
        const char* report;
    };
    const Row rows[] = {
        {"32X inside a CAV range", "CD-R   VW1210A", "atapi", 32 * 176, "14-32X CAV",
         "14-32 X CAV"},
        {"top of the same factor", "CD-R   VW1210A", "atapi", 33 * 176 - 1, "14-32X CAV",
         "14-32 X CAV"},
        {"no text holds 10X", "CD-R   VW0820A", "atapi", 10 * 176, "10X", "10 X"},
        {"2X found inside 14-32X", "CD-R   VW1210A", "atapi", 2 * 176, "14-32X CAV", "14-32 X CAV"},
        {"zero", "CD-R   VW1210A", "atapi", 0, "maximum", "maximum"},
        {"below one unit", "CD-R   VW1210A", "atapi", 175, "maximum", "maximum"},
        {"six-byte recorder", "CD-R   VW1210S", "scsi", 32 * 176, "14-32X CAV", "14-32 X CAV"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const bool tenByte = std::string(row.bus) != "scsi";
        Pc pc(Win98Drive(row.bus, std::string(R"({"model": ")") + row.model +
                                      R"(", "answers": {")" + (tenByte ? "5a/2a" : "1a/2a") +
                                      R"(": ")" + CapabilitiesAnswer(tenByte, row.kbs) + "\"}}"));
        pc.transport->Initialize();
        char text[32];
        ReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
        EXPECT_STREQ(text, row.text);
        ReportReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
        EXPECT_STREQ(text, row.report);
    }
}

TEST(ReadSpeedText, OlderReadersNameTheSpeedByIndex) {
    struct Row {
        int index;
        const char* text;
    };
    // CD-ROM VN40S: 1X; 2X; 4X; 8X; 12-20X P-CAV; 17-40X CAV; (empty)
    const Row rows[] = {{0, "1X"}, {5, "17-40X CAV"}, {6, ""}, {9, ""}, {255, ""}};
    for (const Row& row : rows) {
        char page[64];
        std::snprintf(page, sizeof page, "00 00 00 08 00 00 00 00 00 00 08 00 31 06 %02x 00",
                      row.index);
        Pc pc(Win98Drive(
            "scsi",
            std::string(R"({"model": "CD-ROM VN40S", "answers": {"1a/31": ")") + page + "\"}}"));
        pc.transport->Initialize();
        char text[32];
        ReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
        EXPECT_STREQ(text, row.text) << "index " << row.index;
    }
}

TEST(ReadSpeedText, DriveNotInTheTable) {
    const char* plain =
        R"({"vendor": "OTHERCO ", "product": "CD-ROM DRIVE", "answers": {"1a/2a": ")";
    Pc pc(Win98Drive("scsi", plain + CapabilitiesAnswer(false, 32 * 176) + "\"}}"));
    pc.transport->Initialize();
    char text[32];
    ReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
    EXPECT_STREQ(text, "32 X");
    ReportReadSpeedText(*pc.transport, {0, 1}, text, sizeof text);
    EXPECT_STREQ(text, "32  X");

    Pc failing(Win98Drive("scsi", R"({"vendor": "OTHERCO ", "product": "CD-ROM DRIVE",
                                 "fail": {"1a/2a": "05/24/00"}})"));
    failing.transport->Initialize();
    ReadSpeedText(*failing.transport, {0, 1}, text, sizeof text);
    EXPECT_STREQ(text, "maximum");
}

TEST(CanWriteDiscs, ByModelOrByProductText) {
    struct Row {
        std::string drive;
        bool writes;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A"})", true},
        {R"({"model": "DVDR   VD0708A"})", true},
        {R"({"model": "CD-ROM VN52A"})", false},
        {R"({"model": "CD-ROM VN40S"})", false},
        {R"({"vendor": "OTHERCO ", "product": "CD-R 4X WRITER"})", true},
        {R"({"vendor": "OTHERCO ", "product": "CD-RW 4X WRITER"})", false},
        {R"({"vendor": "OTHERCO ", "product": "CD-ROM DRIVE"})", false},
    };
    for (const Row& row : rows) {
        Pc pc(Win98Drive("scsi", row.drive));
        pc.transport->Initialize();
        EXPECT_EQ(CanWriteDiscs(*pc.transport, {0, 1}), row.writes) << row.drive;
    }
    Pc nobody(Win98Drive("scsi", R"({"model": "CD-R   VW2410S"})"));
    nobody.transport->Initialize();
    EXPECT_FALSE(CanWriteDiscs(*nobody.transport, {0, 7}));
}

TEST(HasBufferUnderrunProof, FromTheTableOrTheModePages) {
    struct Row {
        std::string drive;
        bool proof;
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A"})", true},   // vendor set, flag 4 set
        {R"({"model": "CD-R   VW0820A"})", false},  // vendor set, flag 4 clear
        {R"({"model": "CD-R   VW5232A", "answers": {"5a/30": "00 16 00 00 00 00 00 00 30 0e 01 00"}})",
         true},
        {R"({"model": "CD-R   VW5232A", "answers": {"5a/30": "00 16 00 00 00 00 00 00 30 0e 00 01"}})",
         false},
        {R"({"model": "CD-R   VW5232A", "fail": {"5a/30": "05/24/00"}})", false},
        {R"({"model": "CD-ROM VN52A", "answers": {"5a/2a": "00 1a 00 00 00 00 00 00 2a 14 00 00 80"}})",
         true},
    };
    for (const Row& row : rows) {
        Pc pc(Win98Drive("atapi", row.drive));
        pc.transport->Initialize();
        EXPECT_EQ(HasBufferUnderrunProof(*pc.transport, {0, 1}), row.proof) << row.drive;
    }
}

}  // namespace
}  // namespace tessaly::testing
