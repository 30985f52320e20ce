#include "scsi_request.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "disc/disc_time.h"
#include "transport/mmc.h"
#include "vpc/drive_traits.h"

namespace tessaly::sgshim {
namespace {

constexpr std::uint8_t kStatusCheckCondition = 0x02;
constexpr std::size_t kTocHeaderLength = 4;
constexpr std::size_t kFullTocDescriptorLength = 11;
constexpr std::uint16_t kTocAllocation = 804;
constexpr std::int32_t kPregapFrames = 150;
constexpr std::uint8_t kPointFirstTrack = 0xA0;
constexpr std::uint8_t kPointLastTrack = 0xA1;
constexpr std::uint8_t kPointLeadOut = 0xA2;
constexpr std::uint8_t kLeadOutTrack = 0xAA;  // the CD-ROM driver's number of the lead-out

// The table of contents as the CD-ROM driver keeps it, built from the full table of
// contents (format 2, from the first session), which the emulated drives answer as the
// maker's drives do; empty when the drive fails it (its sense is taken so that it does
// not linger).
struct Toc {
    std::optional<TocHeader> header;
    std::vector<TocEntry> entries;  // tracks, then the lead-out of the last session
};

Toc ReadToc(vpc::EmulatedDrive& drive) {
    const std::uint8_t cdb[10] = {opcode::kReadTocPmaAtip,
                                  0,
                                  toc_format::kFullToc,
                                  0,
                                  0,
                                  0,
                                  1,
                                  static_cast<std::uint8_t>(kTocAllocation >> 8),
                                  static_cast<std::uint8_t>(kTocAllocation & 0xFF),
                                  0};
    std::vector<std::uint8_t> answer(kTocAllocation);
    const vpc::CommandResult result =
        drive.Execute(cdb, sizeof cdb, answer.data(), static_cast<std::uint32_t>(answer.size()));
    Toc toc;
    if (result.status != 0) {
        drive.TakeSense();
        return toc;
    }
    const bool bcd = vpc::TraitsOf(drive.Spec()).bcdFullToc;
    const auto number = [bcd](std::uint8_t value) { return bcd ? BcdToBinary(value) : value; };
    // The TOC data length counts the bytes after itself.
    const ByteView view(answer.data(), std::min<std::size_t>(
                                           ByteView(answer.data(), result.transferred).Be16(0) + 2u,
                                           result.transferred));
    std::optional<std::uint8_t> first;
    std::optional<std::uint8_t> last;
    std::optional<TocEntry> leadOut;
    for (std::size_t at = kTocHeaderLength; view.Has(at, kFullTocDescriptorLength);
         at += kFullTocDescriptorLength) {
        const std::uint8_t point = view.U8(at + 3);
        TocEntry entry;
        entry.adr = static_cast<std::uint8_t>(view.U8(at + 1) >> 4);
        entry.control = static_cast<std::uint8_t>(view.U8(at + 1) & 0x0F);
        entry.minute = number(view.U8(at + 8));
        entry.second = number(view.U8(at + 9));
        entry.frame = number(view.U8(at + 10));
        entry.lba = static_cast<std::int32_t>(
                        FrameCount(DiscTime{entry.minute, entry.second, entry.frame})) -
                    kPregapFrames;
        if (point == kPointFirstTrack && !first) {
            first = entry.minute;
        } else if (point == kPointLastTrack) {
            last = entry.minute;
        } else if (point == kPointLeadOut) {
            entry.track = kLeadOutTrack;
            leadOut = entry;
        } else {
            const std::uint8_t track = number(point);
            if (track >= 1 && track <= 99) {
                entry.track = track;
                toc.entries.push_back(entry);
            }
        }
    }
    if (first && last)
        toc.header = TocHeader{*first, *last};
    if (leadOut)
        toc.entries.push_back(*leadOut);
    return toc;
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
    return ReadToc(drive).header;
}

std::optional<TocEntry> ReadTocEntry(vpc::EmulatedDrive& drive, std::uint8_t track) {
    for (const TocEntry& entry : ReadToc(drive).entries) {
        if (entry.track == track)
            return entry;
    }
    return std::nullopt;
}

}  // namespace tessaly::sgshim
