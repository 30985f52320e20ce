// The disc read commands of the emulated drives with a ready disc: disc information,
// ATIP, full table of contents (binary or BCD by model), capacity and RELEASE(6).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/emulated_drive_io.h"
#include "vpc/emulated_drive.h"

namespace tessaly::vpc::testing {
namespace {

// A drive of the given model (empty: a plain drive) holding the given disc.
DriveSpec WithDisc(const std::string& model, const std::string& disc) {
    const std::string identity = model.empty() ? "" : R"("model": ")" + model + "\", ";
    return Drive("{" + identity + R"("disc": )" + disc + "}");
}

Bytes Hex(const std::string& text) {
    Bytes out;
    unsigned value = 0;
    int consumed = 0;
    for (const char* p = text.c_str(); std::sscanf(p, "%2x%n", &value, &consumed) == 1;
         p += consumed) {
        out.push_back(static_cast<std::uint8_t>(value));
    }
    return out;
}

const Bytes kDiscInformation = {0x51, 0, 0, 0, 0, 0, 0, 0x10, 0x00, 0};
const Bytes kAtip = {0x43, 0, 0x04, 0, 0, 0, 0, 0x10, 0x00, 0};
const Bytes kFullToc = {0x43, 0, 0x02, 0, 0, 0, 0, 0x10, 0x00, 0};
const Bytes kFullTocInByte9 = {0x43, 0, 0x00, 0, 0, 0, 0, 0x10, 0x00, 0x80};
const Bytes kCapacity = {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0};

Bytes FullTocFrom(std::uint8_t session) {
    return {0x43, 0, 0x02, 0, 0, 0, session, 0x10, 0x00, 0};
}

TEST(VpcDiscInformation, StatusErasableBitAndLeadOutByKind) {
    struct Row {
        const char* disc;
        std::uint8_t status;    // byte 2
        std::uint8_t sessions;  // bytes 4, 5 and 6
        Bytes leadIn;           // bytes 16-19
        Bytes leadOut;          // bytes 20-23
    };
    const Bytes complete = {0x00, 0xFF, 0xFF, 0xFF};
    const Row rows[] = {
        {R"({"kind": "cd-r"})", 0x0E, 1, complete, {0, 79, 59, 74}},
        {R"({"kind": "cd-rw", "lead_out": "74:00:00"})", 0x1E, 1, complete, {0, 74, 0, 0}},
        {R"({"kind": "hc-cd-r"})", 0x0E, 1, complete, {0, 89, 59, 74}},
        {R"({"kind": "hc-cd-r", "lead_out": "79:00:00", "hc_lead_out": "90:00:12"})",
         0x0E,
         1,
         complete,
         {0, 90, 0, 12}},
        {R"({"kind": "cd-r", "hc_lead_out": "90:00:12"})", 0x0E, 1, complete, {0, 79, 59, 74}},
        {R"({"kind": "cd-rom", "lead_out": "60:01:02"})", 0x0E, 1, complete, {0, 60, 1, 2}},
        {R"({"kind": "cd-r", "sessions": 3})", 0x0E, 3, complete, {0, 79, 59, 74}},
        {R"({"kind": "cd-r", "sessions": 0})", 0x00, 1, {0, 97, 24, 1}, {0, 79, 59, 74}},
        {R"({"kind": "cd-rw", "sessions": 0, "lead_in": "97:26:65"})",
         0x10,
         1,
         {0, 97, 26, 65},
         {0, 79, 59, 74}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.disc);
        EmulatedDrive drive(WithDisc("CD-R   VW2410A", row.disc));
        const Outcome out = SendDisc(drive, kDiscInformation);
        ASSERT_EQ(out.status, kScsiStatusGood);
        ASSERT_EQ(out.data.size(), 34u);
        EXPECT_EQ(out.data[0], 0x00);
        EXPECT_EQ(out.data[1], 0x20);
        EXPECT_EQ(out.data[2], row.status);
        EXPECT_EQ(out.data[3], 1) << "first track";
        EXPECT_EQ(Bytes(out.data.begin() + 4, out.data.begin() + 7), Bytes(3, row.sessions));
        EXPECT_EQ(Bytes(out.data.begin() + 16, out.data.begin() + 20), row.leadIn);
        EXPECT_EQ(Bytes(out.data.begin() + 20, out.data.begin() + 24), row.leadOut);
        EXPECT_EQ(Bytes(out.data.begin() + 24, out.data.end()), Bytes(10, 0));
    }
}

TEST(VpcDiscAtip, BytesByKind) {
    struct Row {
        const char* disc;
        Bytes expected;
    };
    const Row rows[] = {
        {R"({"kind": "cd-r"})", Hex("00 1a 00 00 d0 00 80 00 61 18 01 00 4f 3b 4a 00 00 00 00 00 "
                                    "00 00 00 00 00 00 00 00")},
        // Rewritable, sub-type 1, A1 valid with 12h.
        {R"({"kind": "cd-rw", "lead_in": "97:26:65", "lead_out": "74:00:00", "subtype": 1,
             "a1": "0x12"})",
         Hex("00 1a 00 00 d0 00 cc 00 61 1a 41 00 4a 00 00 00 12 00 00 00 00 00 00 00 00 00 00 "
             "00")},
        // Sub-type 7 fills bits 5-3; A1 and A2 valid.
        {R"({"kind": "cd-rw", "subtype": 7, "a1": "0x35", "a2": "0x20"})",
         Hex("00 1a 00 00 d0 00 fe 00 61 18 01 00 4f 3b 4a 00 35 00 00 00 20 00 00 00 00 00 00 "
             "00")},
        // Sub-type 2 without A1: A1 not valid.
        {R"({"kind": "cd-r", "subtype": 2, "lead_in": "97:34:23", "lead_out": "79:59:71"})",
         Hex("00 1a 00 00 d0 00 90 00 61 22 17 00 4f 3b 47 00 00 00 00 00 00 00 00 00 00 00 00 "
             "00")},
        // High capacity: A1 always valid, low nibble of byte 18; the ATIP keeps the
        // ordinary lead-out, disc information has the high-capacity one.
        {R"({"kind": "hc-cd-r", "hc_lead_out": "90:00:00"})",
         Hex("00 1a 00 00 d0 00 84 00 61 18 01 00 4f 3b 4a 00 00 00 01 00 00 00 00 00 00 00 00 "
             "00")},
        {R"({"kind": "hc-cd-r", "a1": "0x40", "subtype": 3})",
         Hex("00 1a 00 00 d0 00 9c 00 61 18 01 00 4f 3b 4a 00 40 00 01 00 00 00 00 00 00 00 00 "
             "00")},
        // A blank disc has its ATIP as well.
        {R"({"kind": "cd-r", "sessions": 0})", Hex("00 1a 00 00 d0 00 80 00 61 18 01 00 4f 3b 4a "
                                                   "00 00 00 00 00 00 00 00 00 00 00 00 00")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.disc);
        EmulatedDrive drive(WithDisc("CD-R   VW2410A", row.disc));
        const Outcome out = SendDisc(drive, kAtip);
        EXPECT_EQ(out.status, kScsiStatusGood);
        EXPECT_EQ(out.data, row.expected);
    }
}

TEST(VpcDiscAtip, PressedDiscHasNone) {
    for (const char* model : {"CD-R   VW2410A", "CD-ROM VN40S", ""}) {
        EmulatedDrive drive(WithDisc(model, R"({"kind": "cd-rom"})"));
        const Outcome out = SendDisc(drive, kAtip);
        EXPECT_EQ(out.status, kScsiStatusCheckCondition) << model;
        EXPECT_EQ(out.sense, sense::kInvalidFieldInCdb) << model;
        EXPECT_TRUE(out.data.empty());
    }
}

struct Entry {
    std::uint8_t session;
    std::uint8_t adrControl;
    std::uint8_t point;
};

std::vector<Entry> EntriesOf(const Bytes& toc) {
    std::vector<Entry> entries;
    for (std::size_t at = 4; at + 11 <= toc.size(); at += 11)
        entries.push_back({toc[at], toc[at + 1], toc[at + 3]});
    return entries;
}

TEST(VpcDiscFullToc, DescriptorsPerSession) {
    struct Row {
        const char* disc;
        std::vector<Entry> expected;
    };
    const Row rows[] = {
        {R"({"kind": "cd-r"})",
         {{1, 0x14, 0xA0}, {1, 0x14, 0xA1}, {1, 0x14, 0xA2}, {1, 0x14, 0x01}}},
        {R"({"kind": "cd-rom"})",
         {{1, 0x14, 0xA0}, {1, 0x14, 0xA1}, {1, 0x14, 0xA2}, {1, 0x14, 0x01}}},
        {R"({"kind": "cd-rw", "sessions": 2})",
         {{1, 0x14, 0xA0},
          {1, 0x14, 0xA1},
          {1, 0x14, 0xA2},
          {1, 0x14, 0x01},
          {1, 0x54, 0xB0},
          {1, 0x54, 0xC0},
          {2, 0x14, 0xA0},
          {2, 0x14, 0xA1},
          {2, 0x14, 0xA2},
          {2, 0x14, 0x02}}},
        {R"({"kind": "hc-cd-r", "sessions": 3})",
         {{1, 0x14, 0xA0},
          {1, 0x14, 0xA1},
          {1, 0x14, 0xA2},
          {1, 0x14, 0x01},
          {1, 0x54, 0xB0},
          {1, 0x54, 0xC0},
          {2, 0x14, 0xA0},
          {2, 0x14, 0xA1},
          {2, 0x14, 0xA2},
          {2, 0x14, 0x02},
          {3, 0x14, 0xA0},
          {3, 0x14, 0xA1},
          {3, 0x14, 0xA2},
          {3, 0x14, 0x03}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.disc);
        EmulatedDrive drive(WithDisc("CD-R   VW2410A", row.disc));
        const Outcome out = SendDisc(drive, kFullToc);
        ASSERT_EQ(out.status, kScsiStatusGood);
        ASSERT_EQ(out.data.size(), 4 + 11 * row.expected.size());
        EXPECT_EQ(static_cast<std::size_t>((out.data[0] << 8) | out.data[1]),
                  2 + 11 * row.expected.size());
        EXPECT_EQ(out.data[2], 1) << "first complete session";
        EXPECT_EQ(out.data[3], row.expected.back().session) << "last complete session";
        const std::vector<Entry> entries = EntriesOf(out.data);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].session, row.expected[i].session) << "descriptor " << i;
            EXPECT_EQ(entries[i].adrControl, row.expected[i].adrControl) << "descriptor " << i;
            EXPECT_EQ(entries[i].point, row.expected[i].point) << "descriptor " << i;
        }
    }
}

// A two-session CD-R, lead-in 97:24:01, C0h 97:24:10, lead-out 79:59:74: track 1 at
// 00:02:00 up to 38:30:74, track 2 at 41:02:74 up to 79:29:73.
const char kTwoSessions[] = R"({"kind": "cd-r", "sessions": 2, "c0": "97:24:10"})";

TEST(VpcDiscFullToc, TwoSessionsInBinary) {
    EmulatedDrive drive(WithDisc("CD-R   VW2410S", kTwoSessions));
    const Outcome out = SendDisc(drive, kFullToc);
    const Bytes expected =
        Hex("00 70 01 02"
            "01 14 00 a0 00 00 00 00 01 00 00"    // first track 1, CD-ROM disc
            "01 14 00 a1 00 00 00 00 01 00 00"    // last track 1
            "01 14 00 a2 00 00 00 00 26 1e 4a"    // lead-out 38:30:74
            "01 14 00 01 00 00 00 00 00 02 00"    // track 1 at 00:02:00
            "01 54 00 b0 29 02 4a 02 4f 3b 4a"    // next area 41:02:74, last lead-out 79:59:74
            "01 54 00 c0 d0 00 80 00 61 18 0a"    // ATIP bits, lead-in 97:24:10
            "02 14 00 a0 00 00 00 00 02 00 00"    // first track 2
            "02 14 00 a1 00 00 00 00 02 00 00"    // last track 2
            "02 14 00 a2 00 00 00 00 4f 1d 49"    // lead-out 79:29:73
            "02 14 00 02 00 00 00 00 29 02 4a");  // track 2 at 41:02:74
    EXPECT_EQ(out.data, expected);
}

TEST(VpcDiscFullToc, TwoSessionsInBcdOnTheScsiReaders) {
    EmulatedDrive drive(WithDisc("CD-ROM VN40S", kTwoSessions));
    const Outcome out = SendDisc(drive, kFullTocInByte9);
    const Bytes expected =
        Hex("00 70 01 02"
            "01 14 00 a0 00 00 00 00 01 00 00"
            "01 14 00 a1 00 00 00 00 01 00 00"
            "01 14 00 a2 00 00 00 00 38 30 74"
            "01 14 00 01 00 00 00 00 00 02 00"
            "01 54 00 b0 41 02 74 02 79 59 74"
            "01 54 00 c0 d0 00 80 00 97 24 10"
            "02 14 00 a0 00 00 00 00 02 00 00"
            "02 14 00 a1 00 00 00 00 02 00 00"
            "02 14 00 a2 00 00 00 00 79 29 73"
            "02 14 00 02 00 00 00 00 41 02 74");
    EXPECT_EQ(out.data, expected);
}

TEST(VpcDiscFullToc, BcdOnlyOnTheScsiReaders) {
    struct Row {
        const char* model;
        bool bcd;
    };
    const Row rows[] = {
        {"CD-ROM VN04S", true},
        {"CD-ROM VN12S", true},
        {"CD-ROM VN20S", true},
        {"CD-ROM VN32S/2", true},
        {"CD-ROM VN56S", true},
        {"CD-ROM VN52A", false},
        {"DVD-ROM VD16A", false},
        {"CD-R   VW0202", false},
        {"VW0202 LOADER", false},
        {"CD-R   VW2410S", false},
        {"CD-R   VW5232A", false},
        {"DVDR   VD0708A", false},
        {"", false},
    };
    // Session 1's lead-out (descriptor 2) and the C0h lead-in (descriptor 5), bytes 8-10.
    const Bytes bcdLeadOut = {0x38, 0x30, 0x74}, binaryLeadOut = {38, 30, 74};
    const Bytes bcdLeadIn = {0x97, 0x24, 0x10}, binaryLeadIn = {97, 24, 10};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        EmulatedDrive drive(WithDisc(row.model, kTwoSessions));
        const Outcome out = SendDisc(drive, kFullToc);
        ASSERT_EQ(out.data.size(), 114u);
        const auto field = [&out](std::size_t descriptor) {
            const std::size_t at = 4 + descriptor * 11 + 8;
            return Bytes(out.data.begin() + at, out.data.begin() + at + 3);
        };
        EXPECT_EQ(field(2), row.bcd ? bcdLeadOut : binaryLeadOut);
        EXPECT_EQ(field(5), row.bcd ? bcdLeadIn : binaryLeadIn);
    }
}

TEST(VpcDiscFullToc, TrackNumbersAboveNineAreBcdOnTheReaders) {
    struct Row {
        const char* model;
        std::uint8_t point;  // POINT and A0h PMIN of session 12
    };
    const Row rows[] = {{"CD-ROM VN40S", 0x12}, {"CD-R   VW2410A", 12}};
    for (const Row& row : rows) {
        EmulatedDrive drive(WithDisc(row.model, R"({"kind": "cd-r", "sessions": 12})"));
        const Outcome out = SendDisc(drive, FullTocFrom(12));
        ASSERT_EQ(out.data.size(), 4u + 4 * 11) << row.model;
        EXPECT_EQ(out.data[3], 12) << row.model << ": last complete session, binary";
        EXPECT_EQ(out.data[4], 12) << row.model << ": session number, binary";
        EXPECT_EQ(out.data[4 + 8], row.point) << row.model << ": A0h PMIN";
        EXPECT_EQ(out.data[4 + 3 * 11 + 3], row.point) << row.model << ": track POINT";
    }
}

// Each session's track starts after the one before ended, and every lead-out starts
// no later than the disc's (or 00:02:00 on a disc too short to hold a track).
TEST(VpcDiscFullToc, SessionsLieInsideTheLeadOut) {
    struct Row {
        const char* leadOut;
        std::uint32_t sessions;
    };
    const Row rows[] = {{"79:59:74", 1}, {"74:00:00", 3},  {"89:59:74", 99},
                        {"00:10:00", 2}, {"00:02:05", 30}, {"00:01:00", 2}};
    const auto frames = [](const std::uint8_t* msf) {
        return (msf[0] * 60 + msf[1]) * 75 + msf[2];
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.leadOut) + " x " + std::to_string(row.sessions));
        const std::string disc = std::string(R"({"kind": "cd-r", "lead_out": ")") + row.leadOut +
                                 R"(", "sessions": )" + std::to_string(row.sessions) + "}";
        EmulatedDrive drive(WithDisc("CD-R   VW2410A", disc));
        const Outcome out = SendDisc(drive, {0x43, 0, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0}, 65535);
        ASSERT_EQ(out.status, kScsiStatusGood);
        int minute = 0, second = 0, frame = 0;
        ASSERT_EQ(std::sscanf(row.leadOut, "%d:%d:%d", &minute, &second, &frame), 3);
        const int discEnd = std::max(150, (minute * 60 + second) * 75 + frame);
        // Per session (its number as index): the track's start and the lead-out's.
        std::vector<int> trackStart(row.sessions + 1, -1), leadOut(row.sessions + 1, -1);
        std::uint32_t tracks = 0;
        for (std::size_t at = 4; at + 11 <= out.data.size(); at += 11) {
            const std::uint8_t session = out.data[at];
            const std::uint8_t point = out.data[at + 3];
            ASSERT_GE(session, 1);
            ASSERT_LE(session, row.sessions);
            if (point == 0xA2) {
                leadOut[session] = frames(&out.data[at + 8]);
            } else if (point >= 1 && point <= 99) {
                ++tracks;
                EXPECT_EQ(point, session) << "track number = session";
                trackStart[session] = frames(&out.data[at + 8]);
            }
        }
        int previousEnd = 150;
        for (std::uint32_t s = 1; s <= row.sessions; ++s) {
            EXPECT_GE(trackStart[s], previousEnd) << "session " << s;
            EXPECT_GE(leadOut[s], trackStart[s]) << "session " << s;
            EXPECT_LE(leadOut[s], discEnd) << "session " << s;
            previousEnd = leadOut[s];
        }
        EXPECT_EQ(tracks, row.sessions);
    }
}

TEST(VpcDiscFullToc, SessionNumberAndBlankDisc) {
    struct Row {
        const char* disc;
        std::uint8_t session;  // CDB byte 6
        SenseCode sense;
        std::size_t descriptors;
        std::uint8_t firstSession;  // of the first descriptor
    };
    const Row rows[] = {
        {R"({"kind": "cd-r", "sessions": 3})", 0, sense::kNoSense, 14, 1},
        {R"({"kind": "cd-r", "sessions": 3})", 1, sense::kNoSense, 14, 1},
        {R"({"kind": "cd-r", "sessions": 3})", 2, sense::kNoSense, 8, 2},
        {R"({"kind": "cd-r", "sessions": 3})", 3, sense::kNoSense, 4, 3},
        {R"({"kind": "cd-r", "sessions": 3})", 4, sense::kInvalidFieldInCdb, 0, 0},
        {R"({"kind": "cd-r", "sessions": 0})", 0, sense::kInvalidFieldInCdb, 0, 0},
        {R"({"kind": "cd-rw", "sessions": 0})", 1, sense::kInvalidFieldInCdb, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.disc) + " from session " + std::to_string(row.session));
        EmulatedDrive drive(WithDisc("CD-R   VW2410A", row.disc));
        const Outcome out = SendDisc(drive, FullTocFrom(row.session));
        EXPECT_EQ(out.sense, row.sense);
        if (row.sense != sense::kNoSense) {
            EXPECT_EQ(out.status, kScsiStatusCheckCondition);
            EXPECT_TRUE(out.data.empty());
            continue;
        }
        ASSERT_EQ(out.data.size(), 4 + 11 * row.descriptors);
        EXPECT_EQ(out.data[2], 1);
        EXPECT_EQ(out.data[3], 3);
        EXPECT_EQ(out.data[4], row.firstSession);
    }
}

TEST(VpcDiscToc, FormatInByte2OrInByte9) {
    struct Row {
        const char* label;
        std::uint8_t byte1, byte2, byte9;
        SenseCode sense;
        Bytes head;  // the first bytes of the answer
    };
    const Bytes atip = {0x00, 0x1a, 0x00, 0x00};
    const Bytes toc = {0x00, 0x2e, 0x01, 0x01};
    const Row rows[] = {
        {"ATIP in byte 2", 0, 0x04, 0x00, sense::kNoSense, atip},
        {"full TOC in byte 2", 0, 0x02, 0x00, sense::kNoSense, toc},
        {"full TOC in byte 9", 0, 0x00, 0x80, sense::kNoSense, toc},
        {"byte 2 wins over byte 9", 0, 0x04, 0x80, sense::kNoSense, atip},
        {"byte 2 bits 7-4 ignored", 0, 0xF4, 0x00, sense::kNoSense, atip},
        {"byte 9 bits 5-0 ignored", 0, 0x00, 0xBF, sense::kNoSense, toc},
        {"MSF bit: still MSF", 0x02, 0x02, 0x00, sense::kNoSense, toc},
        {"format 0", 0, 0x00, 0x00, sense::kInvalidFieldInCdb, {}},
        {"format 1 in byte 9", 0, 0x00, 0x40, sense::kInvalidFieldInCdb, {}},
        {"format 3 in byte 9", 0, 0x00, 0xC0, sense::kInvalidFieldInCdb, {}},
        {"format 5", 0, 0x05, 0x00, sense::kInvalidFieldInCdb, {}},
        {"format 15", 0, 0x0F, 0x80, sense::kInvalidFieldInCdb, {}},
    };
    EmulatedDrive drive(WithDisc("CD-R   VW2410A", R"({"kind": "cd-r"})"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Outcome out =
            SendDisc(drive, {0x43, row.byte1, row.byte2, 0, 0, 0, 0, 0x03, 0x24, row.byte9});
        EXPECT_EQ(out.sense, row.sense);
        EXPECT_EQ(out.status, row.head.empty() ? kScsiStatusCheckCondition : kScsiStatusGood);
        EXPECT_EQ(
            Bytes(out.data.begin(), out.data.begin() + std::min<std::size_t>(4, out.data.size())),
            row.head);
    }
}

TEST(VpcDiscCapacity, LastBlockAndBlockLength) {
    struct Row {
        const char* disc;
        Bytes expected;
    };
    const Row rows[] = {
        {R"({"kind": "cd-r"})", Hex("00 05 7e 3e 00 00 08 00")},  // 359998
        {R"({"kind": "cd-r", "capacity_lba": 359847})", Hex("00 05 7d a7 00 00 08 00")},
        {R"({"kind": "cd-rw", "lead_out": "74:00:00"})", Hex("00 05 14 c7 00 00 08 00")},
        {R"({"kind": "hc-cd-r", "hc_lead_out": "99:59:74"})", Hex("00 05 7e 3e 00 00 08 00")},
        {R"({"kind": "cd-rom", "capacity_lba": "0x12345678"})", Hex("12 34 56 78 00 00 08 00")},
        {R"({"kind": "cd-r", "sessions": 0})", Hex("00 00 00 00 00 00 08 00")},
        {R"({"kind": "cd-r", "lead_out": "00:00:00"})", Hex("00 00 00 00 00 00 08 00")},
    };
    for (const Row& row : rows) {
        EmulatedDrive drive(WithDisc("CD-ROM VN40S", row.disc));
        const Outcome out = SendDisc(drive, kCapacity);
        EXPECT_EQ(out.status, kScsiStatusGood) << row.disc;
        EXPECT_EQ(out.data, row.expected) << row.disc;
    }
}

TEST(VpcDiscRelease, EveryModelAcceptsIt) {
    for (const char* drive :
         {R"({"model": "CD-ROM VN04S"})", R"({"model": "CD-R   VW2410S", "tray": "open"})",
          R"({"model": "DVDR   VD0708A", "disc": {"kind": "cd-r", "ready_after": 3}})",
          R"({"model": "CD-ROM VN52A"})", "{}"}) {
        EmulatedDrive emulated(Drive(drive));
        const Outcome out = SendDisc(emulated, {0x17, 0, 0, 0, 0x08, 0});
        EXPECT_EQ(out.status, kScsiStatusGood) << drive;
        EXPECT_TRUE(out.data.empty()) << drive;
    }
}

}  // namespace
}  // namespace tessaly::vpc::testing
