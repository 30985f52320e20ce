// The decoders of the DVD and BD structures against hand-made answers, whole, cut short
// by the buffer or by their own length, and with lengths that claim more than they hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disc/media_id.h"
#include "disc/media_id_makers.h"
#include "disc/media_profile.h"

namespace tessaly::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        b[at + i] = static_cast<std::uint8_t>(text[i]);
}

// A structure answer of dataLength bytes after its header, the header's length saying
// claimed + 2 (the data length and the two reserved bytes).
Bytes Structure(std::size_t dataLength, std::size_t claimed) {
    Bytes b(4 + dataLength, 0);
    b[0] = static_cast<std::uint8_t>((claimed + 2) >> 8);
    b[1] = static_cast<std::uint8_t>(claimed + 2);
    return b;
}

Bytes PrePits(const std::string& first, const std::string& second, std::size_t claimed = 40) {
    Bytes b = Structure(40, claimed);
    for (int field = 1; field <= 5; ++field)
        b[4 + 8 * (field - 1)] = static_cast<std::uint8_t>(field);
    Put(b, 4 + 17, first);
    Put(b, 4 + 25, second);
    return b;
}

Bytes Adip(const std::string& maker, const std::string& type, std::size_t claimed = 256) {
    Bytes b = Structure(256, claimed);
    Put(b, 4 + 19, maker);
    Put(b, 4 + 27, type);
    b[4 + 30] = 3;
    return b;
}

Bytes BdInfo(const std::string& maker, const std::string& type, int revision,
             std::size_t claimed = 112) {
    Bytes b = Structure(112, claimed);
    Put(b, 4, "DI");
    Put(b, 4 + 100, maker);
    Put(b, 4 + 106, type);
    b[4 + 111] = static_cast<std::uint8_t>(revision);
    return b;
}

std::string Decode(MediumIdSource source, const Bytes& b, std::size_t size) {
    const auto id = DecodeMediumId(source, ByteView(b.data(), size));
    return id ? id->text + "|" + id->manufacturer : "none";
}

TEST(MediaStructures, CurrentProfileFromTheFeatureHeader) {
    struct Row {
        Bytes header;
        std::size_t size;
        std::uint16_t profile;
    } rows[] = {
        {{0, 0, 0, 12, 0, 0, 0x00, 0x1B}, 8, 0x1B},
        {{0, 0, 0, 4, 0, 0, 0x00, 0x41}, 8, 0x41},              // header alone
        {{0, 0, 0, 3, 0, 0, 0x00, 0x41}, 8, 0},                 // length stops short of the profile
        {{0, 0, 0, 12, 0, 0, 0x00, 0x1B}, 7, 0},                // answer cut inside the profile
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x00, 0x11}, 8, 0x11},  // length beyond the answer
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CurrentProfileOf(ByteView(row.header.data(), row.size)), row.profile) << row.size;
    }
}

TEST(MediaStructures, ProfilesOfDvdAndBdMedia) {
    struct Row {
        std::uint16_t profile;
        const char* name;  // nullptr: not a DVD or BD medium
        MediumIdSource source;
    } rows[] = {
        {0x08, nullptr, MediumIdSource::kNone},      {0x0A, nullptr, MediumIdSource::kNone},
        {0x10, "DVD-ROM", MediumIdSource::kNone},    {0x11, "DVD-R", MediumIdSource::kPrePits},
        {0x12, "DVD-RAM", MediumIdSource::kNone},    {0x14, "DVD-RW", MediumIdSource::kPrePits},
        {0x1A, "DVD+RW", MediumIdSource::kAdip},     {0x2B, "DVD+R DL", MediumIdSource::kAdip},
        {0x2A, nullptr, MediumIdSource::kNone},      {0x40, "BD-ROM", MediumIdSource::kNone},
        {0x42, "BD-R", MediumIdSource::kBdDiscInfo}, {0x43, "BD-RE", MediumIdSource::kBdDiscInfo},
        {0x50, nullptr, MediumIdSource::kNone},
    };
    for (const Row& row : rows) {
        const MediumProfile* p = FindDvdOrBdProfile(row.profile);
        ASSERT_EQ(p != nullptr, row.name != nullptr) << row.profile;
        if (p != nullptr) {
            EXPECT_EQ(p->name, row.name);
            EXPECT_EQ(p->idSource, row.source) << row.profile;
        }
    }
}

TEST(MediaStructures, DvdMinusPrePits) {
    const Bytes mcc = PrePits("MCC 00", "4");
    const Bytes rounded = PrePits("MCC 03", "RG20  ");
    Bytes noMarker = PrePits("MCC 00", "4");
    noMarker[4 + 24] = 0;
    Bytes control = PrePits(
        "AB\x1b"
        "CD",
        "E");
    struct Row {
        const Bytes* answer;
        std::size_t size;
        const char* want;
    } rows[] = {
        {&mcc, mcc.size(), "MCC 004|MCC"},
        {&rounded, rounded.size(), "MCC 03RG20|MCC"},
        {&mcc, 4 + 31, "MCC 004|MCC"},  // ends with the second part
        {&mcc, 4 + 30, "none"},         // second part cut by the buffer
        {&noMarker, noMarker.size(), "none"},
        {&control, control.size(), "AB?CDE|AB?CDE"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Decode(MediumIdSource::kPrePits, *row.answer, row.size), row.want) << row.size;
    // The answer's own length decides, not the buffer: 20 bytes of data claim no field 4.
    EXPECT_EQ(Decode(MediumIdSource::kPrePits, PrePits("MCC 00", "4", 20), 44), "none");
    EXPECT_EQ(Decode(MediumIdSource::kPrePits, PrePits("", "", 40), 44), "none");
}

TEST(MediaStructures, DvdPlusAdip) {
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("RICOHJPN", "R02"), 260), "RICOHJPN R02|RICOHJPN");
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("CMC MAG", "M01"), 260), "CMC MAG M01|CMC MAG");
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("YUDEN000", ""), 260), "YUDEN000|YUDEN000");
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("RICOHJPN", "R02"), 4 + 30), "none");
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("RICOHJPN", "R02", 26), 260), "none");
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("RICOHJPN", "R02", 0xFFFD), 260),
              "RICOHJPN R02|RICOHJPN");
    EXPECT_EQ(Decode(MediumIdSource::kAdip, Adip("", "R02"), 260), "none");
}

TEST(MediaStructures, BdDiscInformation) {
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, BdInfo("VERBAT", "IM0", 0), 116),
              "VERBAT-IM0-000|VERBAT");
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, BdInfo("SONY", "NQ1", 1), 116),
              "SONY-NQ1-001|SONY");
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, BdInfo("MEI", "RA1", 255), 116),
              "MEI-RA1-255|MEI");
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, BdInfo("VERBAT", "IM0", 0), 115), "none");
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, BdInfo("VERBAT", "IM0", 0, 100), 116), "none");
    Bytes notDi = BdInfo("VERBAT", "IM0", 0);
    notDi[5] = 'X';
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, notDi, 116), "none");
    EXPECT_EQ(Decode(MediumIdSource::kBdDiscInfo, Bytes{0, 1}, 2), "none");
    EXPECT_EQ(Decode(MediumIdSource::kNone, BdInfo("VERBAT", "IM0", 0), 116), "none");
}

TEST(MediaStructures, MakersOfWellKnownIds) {
    struct Row {
        const char* id;
        const char* maker;
    } rows[] = {
        {"MCC", "Mitsubishi Kagaku Media"},
        {"MCC2", ""},  // a whole-ID row
        {"VERBAT", "Mitsubishi Kagaku Media"},
        {"RICOHJPN", "Ricoh"},
        {"RICOHJP", ""},
        {"TYG", "Taiyo Yuden"},
        {"TYG02", "Taiyo Yuden"},
        {"TY", "Taiyo Yuden"},
        {"TYX", ""},
        {"CMC MAG", "CMC Magnetics"},
        {"PHILIPS", "Philips"},
        {"PHILIP", "Moser Baer India"},
        {"", ""},
        {"ZZZ", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MediaMakerName(row.id), row.maker) << row.id;
}

}  // namespace
}  // namespace tessaly::testing
