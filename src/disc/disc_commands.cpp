#include "disc/disc_commands.h"

#include "common/bytes.h"
#include "disc/atip.h"
#include "disc/disc_time.h"
#include "drives/drive_model_table.h"
#include "drives/model_identification.h"
#include "drives/speed_texts.h"
#include "transport/scsi_command.h"
#include "transport/text_match.h"

namespace tessaly {

namespace {

constexpr std::size_t kTocHeaderLength = 4;
constexpr std::size_t kTocDescriptorLength = 11;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorSharingViolation = 32;

void ReplaceHighCapacityLeadOut(ScsiTransport& transport, const DriveAddress& drive,
                                std::uint8_t* atip, std::uint16_t length) {
    if (!IsHighCapacityCdR(DecodeAtip(ByteView(atip, length))))
        return;
    std::uint8_t info[kDiscInformationLength] = {};
    if (ReadDiscInformation(transport, drive, sizeof info, info) != 1)
        return;
    ByteWriter out(atip, length);
    out.U8(12, info[kDiscInfoHighCapacityLeadOut]);
    out.U8(13, info[kDiscInfoHighCapacityLeadOut + 1]);
    out.U8(14, info[kDiscInfoHighCapacityLeadOut + 2]);
}

}  // namespace

std::uint32_t LastSenseCode(const ScsiTransport& transport, const DriveAddress& drive) {
    const SenseBytes sense = transport.GetLastSense(drive);
    return PackedSense(sense[2], sense[12], sense[13]);
}

const char* OpenFailureText(std::uint32_t error) {
    switch (error) {
        case platform::kErrorAccessDenied:
            return "Access to the drive denied";
        case platform::kErrorFileNotFound:
        case kErrorPathNotFound:
            return "Drive not found";
        case kErrorSharingViolation:
            return "Drive in use";
        default:
            return "Error reading CD information";
    }
}

const char* SenseStatusText(const ScsiTransport& transport, const DriveAddress& drive) {
    // A drive whose device did not open was not asked: its sense says nothing.
    if (const std::uint32_t error = transport.GetOpenFailure(drive); error != 0)
        return OpenFailureText(error);
    switch (LastSenseCode(transport, drive)) {
        case kSenseBecomingReady:
            return "Reading of TOC in progress";
        case kSenseNoMedium:
        case kSenseNoMediumTrayClosed:
        case kSenseNoMediumTrayOpen:
            return "No CD inserted";
        default:
            return "Error reading CD information";
    }
}

std::int32_t ReadCapacity(ScsiTransport& transport, const DriveAddress& drive,
                          std::uint8_t (&answer)[8]) {
    const std::uint8_t cdb[10] = {opcode::kReadCapacity};
    return transport.ExecuteCommand(drive, cdb, answer, sizeof answer);
}

std::int32_t ReadDiscInformation(ScsiTransport& transport, const DriveAddress& drive,
                                 std::uint16_t length, std::uint8_t* answer) {
    std::uint8_t cdb[10] = {opcode::kReadDiscInformation};
    ByteWriter(cdb, sizeof cdb).Be16(7, length);
    return transport.ExecuteCommand(drive, cdb, answer, length);
}

void FullTocToBcd(std::uint8_t* answer, std::uint16_t length) {
    ByteView toc(answer, length);
    const std::size_t count = toc.Be16(0) / kTocDescriptorLength;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kTocHeaderLength + i * kTocDescriptorLength;
        if (at + kTocDescriptorLength > length)
            break;  // beyond what was asked for
        std::uint8_t* d = answer + at;
        if (d[3] <= 0x99)
            d[3] = BinaryToBcd(d[3]);
        for (int k = 8; k <= 10; ++k)
            d[k] = BinaryToBcd(d[k]);
    }
}

std::int32_t ReadTocPmaAtip(ScsiTransport& transport, const DriveAddress& drive,
                            std::uint8_t format, std::uint16_t length, std::uint8_t* answer) {
    std::uint8_t cdb[10] = {opcode::kReadTocPmaAtip};
    ByteWriter(cdb, sizeof cdb).Be16(7, length);
    const bool formatInByte2 =
        CanWriteDiscs(transport, drive) || HasModelTrait(transport, drive, kTocFormatInByte2);
    if (formatInByte2) {
        cdb[2] = format;
    } else {
        cdb[9] = static_cast<std::uint8_t>(format << 6);
    }
    const std::int32_t result = transport.ExecuteCommand(drive, cdb, answer, length);
    if (result != 1)
        return result;

    if (format == toc_format::kFullToc) {
        // The SCSI readers answer in BCD already; everyone else is brought to it.
        const bool alreadyBcd = (HasVendorCommandSet(transport, drive) ||
                                 HasModelTrait(transport, drive, kNamedInBcdExemption)) &&
                                !CanWriteDiscs(transport, drive);
        if (!alreadyBcd)
            FullTocToBcd(answer, length);
    } else if (format == toc_format::kAtip) {
        ReplaceHighCapacityLeadOut(transport, drive, answer, length);
    }
    return result;
}

std::int32_t ReadTocPmaAtipEx(ScsiTransport& transport, const DriveAddress& drive,
                              std::uint8_t format, std::uint8_t number, std::uint16_t length,
                              std::uint8_t* answer) {
    std::uint8_t cdb[10] = {opcode::kReadTocPmaAtip, 0, format, 0, 0, 0, number};
    ByteWriter(cdb, sizeof cdb).Be16(7, length);
    const std::int32_t result = transport.ExecuteCommand(drive, cdb, answer, length);
    if (result == 1 && format == toc_format::kAtip) {
        ReplaceHighCapacityLeadOut(transport, drive, answer, length);
    }
    return result;
}

std::int32_t ReleaseUnit(ScsiTransport& transport, const DriveAddress& drive,
                         std::uint8_t thirdParty, std::uint8_t deviceId) {
    const std::uint8_t cdb[6] = {
        opcode::kRelease6,
        static_cast<std::uint8_t>(((thirdParty & 1) << 4) | (deviceId << 1)),
        0,
        0,
        0x08,
        0};
    return transport.ExecuteCommand(drive, cdb, nullptr, 0);
}

std::int32_t RequestSense(ScsiTransport& transport, const DriveAddress& drive,
                          std::uint8_t* answer) {
    const std::uint8_t cdb[6] = {opcode::kRequestSense, 0, 0, 0, 18, 0};
    return transport.ExecuteCommand(drive, cdb, answer, 18);
}

}  // namespace tessaly
