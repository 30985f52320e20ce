// Disc time, BCD, and reading full TOC and ATIP answers, hostile ones included.
#include <gtest/gtest.h>

#include <vector>

#include "disc/atip.h"
#include "disc/disc_commands.h"
#include "disc/disc_time.h"
#include "disc/full_toc.h"

namespace tessaly {
namespace {

TEST(DiscTime, FrameCountsBothWays) {
    struct Row {
        DiscTime time;
        std::uint32_t frames;
    };
    const Row rows[] = {{{97, 27, 0}, 438525},
                        {{79, 59, 74}, 359999},
                        {{0, 0, 0}, 0},
                        {{97, 26, 66}, 438516},
                        {{0, 2, 0}, 150}};
    for (const Row& row : rows) {
        EXPECT_EQ(FrameCount(row.time), row.frames);
        const DiscTime back = DiscTimeOf(row.frames);
        EXPECT_EQ(back.minute, row.time.minute);
        EXPECT_EQ(back.second, row.time.second);
        EXPECT_EQ(back.frame, row.time.frame);
    }
}

TEST(Bcd, BothWays) {
    EXPECT_EQ(BinaryToBcd(59), 0x59);
    EXPECT_EQ(BcdToBinary(0x59), 59);
    EXPECT_EQ(BinaryToBcd(0), 0x00);
    EXPECT_EQ(BinaryToBcd(99), 0x99);
    EXPECT_EQ(BcdToBinary(0x97), 97);
    for (int v = 0; v < 100; ++v)
        EXPECT_EQ(BcdToBinary(BinaryToBcd(static_cast<std::uint8_t>(v))), v);
}

// A full TOC answer with the given descriptors (POINT, PMIN, PSEC, PFRAME).
std::vector<std::uint8_t> Toc(std::initializer_list<std::array<std::uint8_t, 4>> descriptors,
                              std::uint8_t first = 1, std::uint8_t last = 2) {
    std::vector<std::uint8_t> toc = {0, 0, first, last};
    for (const auto& d : descriptors) {
        const std::uint8_t entry[11] = {1, 0x14, 0, d[0], 0, 0, 0, 0, d[1], d[2], d[3]};
        toc.insert(toc.end(), entry, entry + 11);
    }
    const std::size_t length = toc.size() - 2;
    toc[0] = static_cast<std::uint8_t>(length >> 8);
    toc[1] = static_cast<std::uint8_t>(length);
    return toc;
}

TEST(FullToc, BcdConversionKeepsHexPoints) {
    auto toc = Toc({{0xA0, 1, 0, 0}, {99, 10, 59, 74}, {0xC0, 97, 24, 10}, {1, 0, 2, 0}});
    FullTocToBcd(toc.data(), static_cast<std::uint16_t>(toc.size()));
    EXPECT_EQ(toc[4 + 3], 0xA0) << "POINT A0h stays";
    EXPECT_EQ(toc[4 + 8], 0x01);
    EXPECT_EQ(toc[15 + 3], 0x99) << "POINT 99 becomes 99h";
    EXPECT_EQ(toc[15 + 8], 0x10);
    EXPECT_EQ(toc[15 + 9], 0x59);
    EXPECT_EQ(toc[15 + 10], 0x74);
    EXPECT_EQ(toc[26 + 3], 0xC0);
    EXPECT_EQ(toc[26 + 8], 0x97);
    EXPECT_EQ(toc[2], 1) << "header untouched";
    DiscTime leadIn;
    ASSERT_TRUE(FullTocLeadIn(ByteView(toc.data(), toc.size()), leadIn));
    EXPECT_EQ(leadIn.minute, 97);
    EXPECT_EQ(leadIn.second, 24);
    EXPECT_EQ(leadIn.frame, 10);
}

TEST(FullToc, LastC0DescriptorWins) {
    const auto toc = Toc({{0xC0, 0x97, 0x22, 0x64}, {0xC0, 0x97, 0x24, 0x01}});
    DiscTime leadIn;
    ASSERT_TRUE(FullTocLeadIn(ByteView(toc.data(), toc.size()), leadIn));
    EXPECT_EQ(leadIn.second, 24);
    EXPECT_EQ(leadIn.frame, 1);
}

TEST(FullToc, LengthFieldsThatLie) {
    struct Row {
        const char* what;
        std::vector<std::uint8_t> toc;
        std::size_t count;
    };
    auto big = Toc({{0xC0, 0x97, 0x24, 0x01}});
    big[0] = 0xFF;  // claims 65000 bytes; one descriptor was transferred
    big[1] = 0xE8;
    const Row rows[] = {
        {"no descriptors", {0, 2, 1, 1}, 0},
        {"length 0", {0, 0, 1, 1}, 0},
        {"length 1", {0, 1, 1, 1}, 0},
        {"header cut short", {0, 24}, 0},
        {"empty answer", {}, 0},
        {"more claimed than transferred", big, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FullTocDescriptorCount(ByteView(row.toc.data(), row.toc.size())), row.count)
            << row.what;
        DiscTime leadIn;
        FullTocLeadIn(ByteView(row.toc.data(), row.toc.size()), leadIn);  // never reads past
    }
    // The BCD step stays inside the allocation length whatever the length field says.
    std::vector<std::uint8_t> cut = Toc({{1, 1, 2, 3}, {2, 4, 5, 6}});
    cut[1] = 0xF0;
    FullTocToBcd(cut.data(), 15);  // room for the first descriptor only
    EXPECT_EQ(cut[4 + 8], 0x01);
    EXPECT_EQ(cut[15 + 8], 4) << "beyond the allocation: untouched";
}

TEST(Atip, DecodesFieldsAndShortAnswersReadAsZero) {
    std::vector<std::uint8_t> atip(28, 0);
    atip[6] = 0x40 | (1 << 3) | 0x04;
    atip[8] = 97;
    atip[9] = 26;
    atip[10] = 65;
    atip[12] = 74;
    atip[16] = 0x12;
    atip[18] = 0x01;
    atip[20] = 0x08;
    const AtipInfo info = DecodeAtip(ByteView(atip.data(), atip.size()));
    EXPECT_TRUE(info.isRewritable);
    EXPECT_EQ(info.subType, 1);
    EXPECT_TRUE(info.a1Valid);
    EXPECT_EQ(info.leadInStart.second, 26);
    EXPECT_EQ(info.leadOutStart.minute, 74);
    EXPECT_EQ(info.lowSpeedIndex, 1);
    EXPECT_EQ(info.highSpeedIndex, 2);
    EXPECT_EQ(info.highCapacityMark, 1);
    EXPECT_EQ(info.ultraSpeedCode, 8);
    // An ATIP of 16 bytes: A1 and A2 lie beyond it and read as zero.
    const AtipInfo cut = DecodeAtip(ByteView(atip.data(), 16));
    EXPECT_EQ(cut.leadOutStart.minute, 74);
    EXPECT_EQ(cut.highSpeedIndex, 0);
    EXPECT_EQ(cut.highCapacityMark, 0);
    EXPECT_EQ(cut.ultraSpeedCode, 0);
}

TEST(Atip, SpeedTablesAndTheIndexesBeyondThem) {
    const int lowest[] = {1, 2, 4, 0, 0};
    const int highest[] = {0, 2, 4, 0, 10};
    for (std::uint8_t i = 0; i < 16; ++i) {
        EXPECT_EQ(LowestSpeed(i), i < 5 ? lowest[i] : 0) << int(i);
        EXPECT_EQ(HighestSpeed(i), i < 5 ? highest[i] : 0) << int(i);
    }
    const std::pair<std::uint8_t, int> ultra[] = {{3, 8},   {6, 16}, {8, 24}, {9, 32}, {10, 40},
                                                  {11, 48}, {0, 0},  {4, 0},  {12, 0}, {15, 0}};
    for (const auto& [code, speed] : ultra)
        EXPECT_EQ(UltraSpeed(code), speed) << int(code);
}

}  // namespace
}  // namespace tessaly
