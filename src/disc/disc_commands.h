// The disc read commands and what a failed one means. Each returns the transport's
// result (1 = success); after a failure the address's sense bytes tell why.
#pragma once

#include <cstdint>

#include "transport/mmc.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Sense codes the disc panel tells apart: sense byte 2, ASC, ASCQ packed.
constexpr std::uint32_t PackedSense(std::uint8_t senseByte2, std::uint8_t code,
                                    std::uint8_t qualifier) {
    return (std::uint32_t{senseByte2} << 16) + (std::uint32_t{code} << 8) + qualifier;
}
inline constexpr std::uint32_t kSenseBecomingReady =
    PackedSense(sense_key::kNotReady, asc::kNotReady, asc::kBecomingReadyQualifier);
inline constexpr std::uint32_t kSenseNoMedium =
    PackedSense(sense_key::kNotReady, asc::kMediumNotPresent, 0);
inline constexpr std::uint32_t kSenseNoMediumTrayClosed =
    PackedSense(sense_key::kNotReady, asc::kMediumNotPresent, asc::kTrayClosedQualifier);
inline constexpr std::uint32_t kSenseNoMediumTrayOpen =
    PackedSense(sense_key::kNotReady, asc::kMediumNotPresent, asc::kTrayOpenQualifier);

// Disc information (READ DISC INFORMATION): bytes 21-23 hold the lead-out start M S F of
// a high-capacity CD-R.
inline constexpr std::size_t kDiscInfoHighCapacityLeadOut = 21;
// The length of the disc information the program reads in full.
inline constexpr std::uint16_t kDiscInformationLength = 40;

// (sense byte 2 << 16) + (ASC << 8) + ASCQ of the last failed command at the address.
std::uint32_t LastSenseCode(const ScsiTransport& transport, const DriveAddress& drive);
// Why a drive device did not open, for the status field: "Access to the drive denied"
// (5), "Drive not found" (2, 3), "Drive in use" (32), else "Error reading CD information".
const char* OpenFailureText(std::uint32_t error);
// "Reading of TOC in progress", "No CD inserted" or "Error reading CD information"; on
// NT 6 and later, when the last command's drive device did not open, why it did not.
const char* SenseStatusText(const ScsiTransport& transport, const DriveAddress& drive);

std::int32_t ReadCapacity(ScsiTransport& transport, const DriveAddress& drive,
                          std::uint8_t (&answer)[8]);
std::int32_t ReadDiscInformation(ScsiTransport& transport, const DriveAddress& drive,
                                 std::uint16_t length, std::uint8_t* answer);
// READ TOC/PMA/ATIP with the format in CDB byte 2 (writers and two readers) or in the
// control byte; a full TOC (format 2) comes back in BCD, and the ATIP (format 4) of a
// high-capacity CD-R carries the lead-out that the disc information reports.
std::int32_t ReadTocPmaAtip(ScsiTransport& transport, const DriveAddress& drive,
                            std::uint8_t format, std::uint16_t length, std::uint8_t* answer);
// The same with the format always in byte 2 and a track/session number; no BCD step.
std::int32_t ReadTocPmaAtipEx(ScsiTransport& transport, const DriveAddress& drive,
                              std::uint8_t format, std::uint8_t number, std::uint16_t length,
                              std::uint8_t* answer);
std::int32_t ReleaseUnit(ScsiTransport& transport, const DriveAddress& drive,
                         std::uint8_t thirdParty, std::uint8_t deviceId);
// Reads 18 sense bytes into answer, which holds at least that many.
std::int32_t RequestSense(ScsiTransport& transport, const DriveAddress& drive,
                          std::uint8_t* answer);

// Brings the descriptors of a full TOC answer (length bytes) to BCD in place:
// POINT when it is 99 or less, PMIN, PSEC and PFRAME always.
void FullTocToBcd(std::uint8_t* answer, std::uint16_t length);

}  // namespace tessaly
