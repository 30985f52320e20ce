// The emulated drive's DVD commands: the current profile of each medium, and which disc
// structure a medium has.
#include "vpc/drive_dvd_commands.h"

#include <gtest/gtest.h>

namespace tessaly::vpc {
namespace {

DiscSpec Medium(DiscKind kind, std::uint16_t profile = 0) {
    DiscSpec disc;
    disc.kind = kind;
    disc.profile = profile;
    disc.manufacturerId = "MCC 004";
    return disc;
}

TEST(DriveDvdCommands, CurrentProfile) {
    const DiscSpec cdR = Medium(DiscKind::kCdR);
    const DiscSpec cdRw = Medium(DiscKind::kCdRw);
    const DiscSpec pressed = Medium(DiscKind::kCdRom);
    const DiscSpec dvd = Medium(DiscKind::kDvdOrBd, 0x1B);
    EXPECT_EQ(CurrentProfileOf(nullptr), 0);
    EXPECT_EQ(CurrentProfileOf(&cdR), 0x09);
    EXPECT_EQ(CurrentProfileOf(&cdRw), 0x0A);
    EXPECT_EQ(CurrentProfileOf(&pressed), 0x08);
    EXPECT_EQ(CurrentProfileOf(&dvd), 0x1B);
    const DriveReply reply = GetConfiguration(&dvd);
    const ByteView answer(reply.answer.data(), reply.answer.size());
    EXPECT_EQ(answer.Be16(6), 0x1B);
    EXPECT_EQ(answer.Be32(0) + 4, reply.answer.size());
}

TEST(DriveDvdCommands, StructuresOfEachMedium) {
    constexpr SenseCode kIncompatible{sense_key::kIllegalRequest, 0x30, 0x02};
    struct Row {
        DiscKind kind;
        std::uint16_t profile;
        std::uint8_t mediaType;
        std::uint8_t format;
        std::optional<SenseCode> failure;
        std::size_t length;  // of the answer, when it succeeds
    } rows[] = {
        {DiscKind::kDvdOrBd, 0x11, 0, 0x0E, std::nullopt, 44},
        {DiscKind::kDvdOrBd, 0x14, 0, 0x0E, std::nullopt, 44},
        {DiscKind::kDvdOrBd, 0x1A, 0, 0x11, std::nullopt, 260},
        {DiscKind::kDvdOrBd, 0x41, 1, 0x00, std::nullopt, 116},
        {DiscKind::kDvdOrBd, 0x11, 0, 0x11, sense::kInvalidFieldInCdb, 0},
        {DiscKind::kDvdOrBd, 0x1B, 0, 0x0E, sense::kInvalidFieldInCdb, 0},
        {DiscKind::kDvdOrBd, 0x10, 0, 0x0E, sense::kInvalidFieldInCdb, 0},
        {DiscKind::kDvdOrBd, 0x41, 0, 0x00, kIncompatible, 0},
        {DiscKind::kDvdOrBd, 0x1B, 1, 0x00, kIncompatible, 0},
        {DiscKind::kCdR, 0, 0, 0x11, kIncompatible, 0},
    };
    for (const Row& row : rows) {
        const std::uint8_t cdb[12] = {0xAD, row.mediaType, 0, 0, 0, 0, 0, row.format};
        const DriveReply reply =
            ReadDiscStructure(Medium(row.kind, row.profile), ByteView(cdb, sizeof cdb));
        EXPECT_EQ(reply.failure, row.failure) << row.profile << " " << int{row.format};
        EXPECT_EQ(reply.answer.size(), row.length) << row.profile << " " << int{row.format};
    }
}

}  // namespace
}  // namespace tessaly::vpc
