// SG_IO requests and the CD-ROM driver's table-of-contents controls on an emulated drive:
// what reaches the drive, what comes back, and every request that must be refused.
#include "scsi_request.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "drive_map.h"
#include "vpc/scenario.h"

namespace tessaly::sgshim {
namespace {

std::unique_ptr<vpc::EmulatedDrive> DriveOf(const std::string& drive) {
    std::string error;
    const auto scenario = vpc::ParseScenario(
        R"({"os": {"platform": 2, "major": 5, "minor": 1, "build": 2600},
            "adapters": [{"devices": [{"target": 1, "letter": "E", "drive": )" +
            drive + "}]}]}",
        error);
    EXPECT_TRUE(scenario.has_value()) << error;
    const auto drives = MapLetterDrives(scenario.value_or(vpc::Scenario{}));
    return std::make_unique<vpc::EmulatedDrive>(drives.empty() ? vpc::DriveSpec{}
                                                               : drives[0].drive);
}

constexpr char kRecordedCdR[] =
    R"({"model": "CD-R   VW1210A", "disc": {"kind": "cd-r", "lead_in": "97:24:01",
                                             "lead_out": "79:59:74"}})";
constexpr char kEmpty[] = R"({"model": "CD-R   VW1210A"})";

const std::uint8_t kInquiry[6] = {0x12, 0, 0, 0, 36, 0};
const std::uint8_t kUnknown[6] = {0xFF, 0, 0, 0, 0, 0};
const std::uint8_t kRequestSense[6] = {0x03, 0, 0, 0, 18, 0};

// A request that reads from the drive into data.
template <std::size_t N, std::size_t M>
ScsiRequest ReadRequest(const std::uint8_t (&cdb)[N], std::array<std::uint8_t, M>& data) {
    return ScsiRequest{.cdb = cdb,
                       .cdbLength = N,
                       .direction = TransferDirection::kFromDevice,
                       .data = data.data(),
                       .dataLength = static_cast<std::uint32_t>(M)};
}

TEST(SgShimRequest, RefusesWhatTheDriverWouldRefuse) {
    std::array<std::uint8_t, 64> data{};
    const std::uint8_t longCdb[17] = {0x12};
    struct Row {
        const char* label;
        const std::uint8_t* cdb;
        std::size_t cdbLength;
        TransferDirection direction;
        std::uint8_t* data;
        std::uint32_t dataLength;
        RequestError error;
    };
    const Row rows[] = {
        {"no CDB", nullptr, 6, TransferDirection::kFromDevice, data.data(), 36,
         RequestError::kBadCdb},
        {"CDB length 0", kInquiry, 0, TransferDirection::kFromDevice, data.data(), 36,
         RequestError::kBadCdb},
        {"CDB length 17", longCdb, 17, TransferDirection::kFromDevice, data.data(), 36,
         RequestError::kBadCdb},
        {"length without buffer", kInquiry, 6, TransferDirection::kFromDevice, nullptr, 36,
         RequestError::kBadBuffer},
        {"no transfer: the length is not used", kInquiry, 6, TransferDirection::kNone, nullptr, 36,
         RequestError::kNone},
        {"a good one", kInquiry, 6, TransferDirection::kFromDevice, data.data(), 36,
         RequestError::kNone},
    };
    for (const Row& row : rows) {
        auto drive = DriveOf(kRecordedCdR);
        const ScsiRequest request{.cdb = row.cdb,
                                  .cdbLength = row.cdbLength,
                                  .direction = row.direction,
                                  .data = row.data,
                                  .dataLength = row.dataLength};
        EXPECT_EQ(RunRequest(*drive, request).error, row.error) << row.label;
    }
}

TEST(SgShimRequest, DataComesInAndTheResidualCountsTheRest) {
    auto drive = DriveOf(kRecordedCdR);
    std::array<std::uint8_t, 96> data{};
    const ScsiOutcome outcome = RunRequest(*drive, ReadRequest(kInquiry, data));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.senseWritten, 0);
    EXPECT_EQ(outcome.residual, data.size() - 36);  // the allocation length is 36
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data()) + 8, 8), "VARNOTH ");
    EXPECT_EQ(data[36], 0) << "nothing past the allocation length";
}

TEST(SgShimRequest, CheckConditionHandsTheSenseOutCutToTheBuffer) {
    struct Row {
        std::size_t capacity;
        bool buffer;
        std::uint8_t written;
    };
    const Row rows[] = {{32, true, 18}, {18, true, 18}, {8, true, 8}, {0, true, 0}, {32, false, 0}};
    for (const Row& row : rows) {
        auto drive = DriveOf(kRecordedCdR);
        std::array<std::uint8_t, 40> sense{};
        sense.fill(0xEE);
        ScsiRequest request;
        request.cdb = kUnknown;
        request.cdbLength = sizeof kUnknown;
        request.sense = row.buffer ? sense.data() : nullptr;
        request.senseCapacity = row.capacity;
        const ScsiOutcome outcome = RunRequest(*drive, request);
        EXPECT_EQ(outcome.status, 2) << row.capacity;
        EXPECT_EQ(outcome.senseWritten, row.written) << row.capacity;
        if (row.written >= 14) {
            EXPECT_EQ(sense[0], 0x70);
            EXPECT_EQ(sense[2], 0x05);   // ILLEGAL REQUEST
            EXPECT_EQ(sense[12], 0x20);  // invalid command operation code
        }
        EXPECT_EQ(sense[row.written], 0xEE) << "written past " << unsigned{row.written};
        // The auto-sense took the sense: REQUEST SENSE now reports none.
        std::array<std::uint8_t, 18> after{};
        EXPECT_EQ(RunRequest(*drive, ReadRequest(kRequestSense, after)).status, 0);
        EXPECT_EQ(after[2] & 0x0F, 0) << "sense kept after the auto-sense";
    }
}

// The header and entries come from the drive's full table of contents, whether its
// model answers it in BCD or in plain numbers.
TEST(SgShimRequest, TocControlsReadTheFullToc) {
    constexpr char kDisc[] = R"("disc": {"kind": "cd-r", "lead_in": "97:24:01",
                                         "lead_out": "79:59:74")";
    struct Row {
        const char* label;
        std::string drive;
        std::uint8_t lastTrack;
    };
    const Row rows[] = {
        {"plain", std::string(R"({"model": "CD-R   VW1210A", )") + kDisc + "}}", 1},
        {"BCD", std::string(R"({"model": "CD-ROM VN20S", )") + kDisc + "}}", 1},
        {"two sessions",
         std::string(R"({"model": "CD-R   VW1210A", )") + kDisc + R"(, "sessions": 2}})", 2},
    };
    std::optional<TocEntry> plainLeadOut;
    for (const Row& row : rows) {
        auto drive = DriveOf(row.drive);
        const auto header = ReadTocHeader(*drive);
        ASSERT_TRUE(header.has_value()) << row.label;
        EXPECT_EQ(header->firstTrack, 1) << row.label;
        EXPECT_EQ(header->lastTrack, row.lastTrack) << row.label;
        const auto first = ReadTocEntry(*drive, 1);
        ASSERT_TRUE(first.has_value()) << row.label;
        EXPECT_EQ(first->adr, 1);
        EXPECT_EQ(first->control, 4) << "a data track";
        EXPECT_EQ(first->minute * 60 + first->second, 2) << "after the two-second pre-gap";
        EXPECT_EQ(first->lba, 0);
        const auto leadOut = ReadTocEntry(*drive, 0xAA);
        ASSERT_TRUE(leadOut.has_value()) << row.label;
        EXPECT_EQ(leadOut->lba,
                  (leadOut->minute * 60 + leadOut->second) * 75 + leadOut->frame - 150);
        const auto last = ReadTocEntry(*drive, row.lastTrack);
        ASSERT_TRUE(last.has_value()) << row.label;
        EXPECT_LT(last->lba, leadOut->lba) << row.label;
        EXPECT_FALSE(ReadTocEntry(*drive, static_cast<std::uint8_t>(row.lastTrack + 1)))
            << row.label;
        if (!plainLeadOut) {
            plainLeadOut = leadOut;
        } else if (row.lastTrack == 1) {
            EXPECT_EQ(leadOut->minute, plainLeadOut->minute) << row.label;
            EXPECT_EQ(leadOut->second, plainLeadOut->second) << row.label;
            EXPECT_EQ(leadOut->frame, plainLeadOut->frame) << row.label;
        } else {
            EXPECT_GT(leadOut->lba, plainLeadOut->lba) << "the last session's lead-out";
        }
        EXPECT_EQ(drive->Sense()[2] & 0x0F, 0) << row.label;
    }
}

TEST(SgShimRequest, TocControlsFailWithoutADiscAndLeaveNoSense) {
    auto drive = DriveOf(kEmpty);
    EXPECT_FALSE(ReadTocHeader(*drive).has_value());
    EXPECT_FALSE(ReadTocEntry(*drive, 1).has_value());
    EXPECT_EQ(drive->Sense()[2] & 0x0F, 0);
}

}  // namespace
}  // namespace tessaly::sgshim
