// One SCSI request as the Linux generic SCSI driver takes it (SG_IO), run on an emulated
// drive: the CDB, the data buffer and its direction, and room for auto-sense. Everything
// about the request comes from the caller and is checked before the drive sees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "vpc/emulated_drive.h"

namespace tessaly::sgshim {

inline constexpr std::size_t kMaxCdbLength = 16;

enum class TransferDirection { kNone, kToDevice, kFromDevice, kBoth };

struct ScsiRequest {
    const std::uint8_t* cdb = nullptr;
    std::size_t cdbLength = 0;
    TransferDirection direction = TransferDirection::kNone;
    std::uint8_t* data = nullptr;
    std::uint32_t dataLength = 0;
    std::uint8_t* sense = nullptr;
    std::size_t senseCapacity = 0;
};

enum class RequestError {
    kNone,
    kBadCdb,     // no CDB, or a length of 0 or above kMaxCdbLength: EINVAL
    kBadBuffer,  // a data length without a buffer: EFAULT
};

struct ScsiOutcome {
    RequestError error = RequestError::kNone;
    std::uint8_t status = 0;        // SCSI status byte
    std::uint8_t senseWritten = 0;  // auto-sense bytes copied to the sense buffer
    std::uint32_t residual = 0;     // data length minus the bytes moved
};

// Checks the request, runs it, and on CHECK CONDITION hands the drive's sense out as
// auto-sense, cut to the sense buffer.
ScsiOutcome RunRequest(vpc::EmulatedDrive& drive, const ScsiRequest& request);

// The table of contents as the CD-ROM driver's header and entry controls report it,
// read from the drive's full table of contents (READ TOC format 2; BCD numbers of the
// models that answer so are decoded). nullopt when the drive fails the command (no
// disc, tray open) or the answer lacks the track.
struct TocHeader {
    std::uint8_t firstTrack = 0;
    std::uint8_t lastTrack = 0;
};
struct TocEntry {
    std::uint8_t track = 0;
    std::uint8_t adr = 0;
    std::uint8_t control = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t frame = 0;
    std::int32_t lba = 0;  // from the MSF address, 150 frames of pre-gap taken off
};
std::optional<TocHeader> ReadTocHeader(vpc::EmulatedDrive& drive);
// track: 1..99, or 0xAA for the lead-out.
std::optional<TocEntry> ReadTocEntry(vpc::EmulatedDrive& drive, std::uint8_t track);

}  // namespace tessaly::sgshim
