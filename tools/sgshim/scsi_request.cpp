#include "scsi_request.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "transport/mmc.h"

namespace tessaly::sgshim {
namespace {

constexpr std::uint8_t kStatusCheckCondition = 0x02;
constexpr std::size_t kTocHeaderLength = 4;
constexpr std::size_t kTocDescriptorLength = 8;
constexpr std::uint16_t kTocAllocation = 804;  // header and 100 descriptors
constexpr std::int32_t kPregapFrames = 150;

// READ TOC format 0 with MSF addresses from the first track; the answer, or empty
// when the drive fails it (its sense is taken so that it does not linger).
std::vector<std::uint8_t> ReadToc(vpc::EmulatedDrive& drive) {
    const std::uint8_t cdb[10] = {opcode::kReadTocPmaAtip,
                                  0x02,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  static_cast<std::uint8_t>(kTocAllocation >> 8),
                                  static_cast<std::uint8_t>(kTocAllocation & 0xFF),
                                  0};
    std::vector<std::uint8_t> answer(kTocAllocation);
    const vpc::CommandResult result =
        drive.Execute(cdb, sizeof cdb, answer.data(), static_cast<std::uint32_t>(answer.size()));
    if (result.status != 0) {
        drive.TakeSense();
        return {};
    }
    // The TOC data length counts the bytes after itself.
    const ByteView view(answer.data(), result.transferred);
    const std::size_t length = std::min<std::size_t>(view.Be16(0) + 2u, result.transferred);
    answer.resize(length < kTocHeaderLength ? 0 : length);
    return answer;
}

}  // namespace

ScsiOutcome RunRequest(vpc::EmulatedDrive& drive, const ScsiRequest& request) {
    ScsiOutcome outcome;
    if (request.cdb == nullptr || request.cdbLength == 0 || request.cdbLength > kMaxCdbLength) {
        outcome.error = RequestError::kBadCdb;
        return outcome;
    }
    const std::uint32_t dataLength =
        request.direction == TransferDirection::kNone ? 0 : request.dataLength;
    if (dataLength > 0 && request.data == nullptr) {
        outcome.error = RequestError::kBadBuffer;
        return outcome;
    }
    const vpc::CommandResult result =
        drive.Execute(request.cdb, request.cdbLength, request.data, dataLength);
    outcome.status = result.status;
    outcome.residual = dataLength - std::min(result.transferred, dataLength);
    if (result.status == kStatusCheckCondition) {
        const vpc::SenseBlock sense = drive.TakeSense();
        const std::size_t count =
            request.sense == nullptr ? 0 : std::min(request.senseCapacity, sense.size());
        if (count > 0)
            std::memcpy(request.sense, sense.data(), count);
        outcome.senseWritten = static_cast<std::uint8_t>(count);
    }
    return outcome;
}

std::optional<TocHeader> ReadTocHeader(vpc::EmulatedDrive& drive) {
    const std::vector<std::uint8_t> toc = ReadToc(drive);
    if (toc.empty())
        return std::nullopt;
    return TocHeader{toc[2], toc[3]};
}

std::optional<TocEntry> ReadTocEntry(vpc::EmulatedDrive& drive, std::uint8_t track) {
    const std::vector<std::uint8_t> toc = ReadToc(drive);
    const ByteView view(toc.data(), toc.size());
    for (std::size_t at = kTocHeaderLength; view.Has(at, kTocDescriptorLength);
         at += kTocDescriptorLength) {
        if (view.U8(at + 2) != track)
            continue;
        TocEntry entry;
        entry.track = track;
        entry.adr = static_cast<std::uint8_t>(view.U8(at + 1) >> 4);
        entry.control = static_cast<std::uint8_t>(view.U8(at + 1) & 0x0F);
        entry.minute = view.U8(at + 5);
        entry.second = view.U8(at + 6);
        entry.frame = view.U8(at + 7);
        entry.lba =
            (std::int32_t{entry.minute} * 60 + entry.second) * 75 + entry.frame - kPregapFrames;
        return entry;
    }
    return std::nullopt;
}

}  // namespace tessaly::sgshim
