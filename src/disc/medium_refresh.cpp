#include "disc/medium_refresh.h"

#include <cstdio>
#include <string>

#include "common/bytes.h"
#include "disc/disc_commands.h"
#include "disc/disc_time.h"
#include "disc/media_id.h"
#include "disc/media_id_makers.h"
#include "disc/media_profile.h"
#include "drives/drive_commands.h"
#include "drives/drive_scope.h"
#include "drives/model_identification.h"

namespace tessaly {

namespace {

constexpr std::uint8_t kGetConfiguration = 0x46;
constexpr std::uint8_t kReadDiscStructure = 0xAD;
constexpr std::uint8_t kMediaTypeDvd = 0;
constexpr std::uint8_t kMediaTypeBd = 1;
constexpr std::uint8_t kFormatPrePits = 0x0E;
constexpr std::uint8_t kFormatAdip = 0x11;
constexpr std::uint8_t kFormatBdDiscInfo = 0x00;

// Each structure's header and the bytes its fields lie in: the pre-pit fields end at
// byte 40 of the data, the ADIP information is 256 bytes, a BD disc information unit 112.
constexpr std::uint16_t kPrePitsLength = 4 + 40;
constexpr std::uint16_t kAdipLength = 4 + 256;
constexpr std::uint16_t kBdDiscInfoLength = 4 + 112;
constexpr std::uint16_t kLongestStructure = kAdipLength;

constexpr std::uint8_t kCapabilitiesLength = 34;
constexpr std::uint8_t kReadsDvdBits = 0x38;  // page 2Ah byte 2: DVD-ROM, DVD-R, DVD-RAM
// The CD field shows two-digit minutes.
constexpr std::uint32_t kLastMinuteShown = 99;

struct StructureRequest {
    std::uint8_t mediaType;
    std::uint8_t format;
    std::uint16_t length;
};

StructureRequest RequestFor(MediumIdSource source) {
    switch (source) {
        case MediumIdSource::kPrePits:
            return {kMediaTypeDvd, kFormatPrePits, kPrePitsLength};
        case MediumIdSource::kAdip:
            return {kMediaTypeDvd, kFormatAdip, kAdipLength};
        case MediumIdSource::kBdDiscInfo:
        case MediumIdSource::kNone:
            break;
    }
    return {kMediaTypeBd, kFormatBdDiscInfo, kBdDiscInfoLength};
}

// "Mitsubishi Kagaku Media (MCC 004)", or the media ID alone; "-" when the medium
// carries none or the read failed.
std::string ManufacturerText(ScsiTransport& transport, const DriveAddress& drive,
                             MediumIdSource source) {
    if (source == MediumIdSource::kNone)
        return "-";
    const StructureRequest request = RequestFor(source);
    std::uint8_t answer[kLongestStructure] = {};
    if (ReadDiscStructure(transport, drive, request.mediaType, request.format, request.length,
                          answer) != 1) {
        return "-";
    }
    const auto id = DecodeMediumId(source, ByteView(answer, request.length));
    if (!id)
        return "-";
    const std::string_view maker = MediaMakerName(id->manufacturer);
    return maker.empty() ? id->text : std::string(maker) + " (" + id->text + ")";
}

// The time of a sector count as the CD lead-out field shows it, "-" past 99 minutes.
std::string LeadOutTimeText(std::uint32_t sectors) {
    if (sectors / kFramesPerMinute > kLastMinuteShown)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%2u:%02u:%02u", sectors / kFramesPerMinute,
                  sectors % kFramesPerMinute / kFramesPerSecond, sectors % kFramesPerSecond);
    return text;
}

}  // namespace

bool CdReadRefusedMedium(const ScsiTransport& transport, const DriveAddress& drive) {
    if (transport.GetOpenFailure(drive) != 0)
        return false;
    switch (LastSenseCode(transport, drive)) {
        case kSenseBecomingReady:
        case kSenseNoMedium:
        case kSenseNoMediumTrayClosed:
        case kSenseNoMediumTrayOpen:
            return false;
        default:
            return true;
    }
}

bool ReadsDvdMedia(ScsiTransport& transport, const DriveAddress& drive,
                   const InquiryIdentity& identity) {
    switch (MediumClassOfIdentity(identity)) {
        case ModelMediumClass::kDvd:
            return true;
        case ModelMediumClass::kCd:
            return false;
        case ModelMediumClass::kNotInTable:
            break;
    }
    if (!AnyMakerDrives())
        return false;
    std::uint8_t answer[kCapabilitiesLength];
    if (ModeSensePage(transport, drive, mode_page::kCapabilities, sizeof answer, answer) != 1)
        return false;
    const ByteView page(answer + kModePageOffset, sizeof answer - kModePageOffset);
    return (page.U8(0) & 0x3F) == mode_page::kCapabilities && (page.U8(2) & kReadsDvdBits) != 0;
}

bool RefreshFromDvdOrBd(ScsiTransport& transport, const DriveAddress& drive, DiscFields& fields) {
    std::uint8_t header[kFeatureHeaderLength] = {};
    if (GetConfigurationHeader(transport, drive, header) != 1)
        return false;
    const MediumProfile* medium =
        FindDvdOrBdProfile(CurrentProfileOf(ByteView(header, sizeof header)));
    if (medium == nullptr)
        return false;
    fields.SetField(kFieldStatus, std::string(medium->name) + " inserted");
    fields.SetField(kFieldManufacturer, ManufacturerText(transport, drive, medium->idSource));
    fields.SetField(kFieldLeadInLba, "-");
    fields.SetField(kFieldLeadInTime, "-");
    std::uint8_t capacity[8] = {};
    if (ReadCapacity(transport, drive, capacity) == 1) {
        const std::uint32_t last = ByteView(capacity, sizeof capacity).Be32(0);
        fields.SetField(kFieldLeadOutLba, std::to_string(last));
        fields.SetField(kFieldLeadOutTime, LeadOutTimeText(last));
    } else {
        fields.SetField(kFieldLeadOutLba, "-");
        fields.SetField(kFieldLeadOutTime, "-");
    }
    return true;
}

std::int32_t GetConfigurationHeader(ScsiTransport& transport, const DriveAddress& drive,
                                    std::uint8_t (&answer)[8]) {
    std::uint8_t cdb[10] = {kGetConfiguration};
    ByteWriter(cdb, sizeof cdb).Be16(7, sizeof answer);
    return transport.ExecuteCommand(drive, cdb, answer, sizeof answer);
}

std::int32_t ReadDiscStructure(ScsiTransport& transport, const DriveAddress& drive,
                               std::uint8_t mediaType, std::uint8_t format, std::uint16_t length,
                               std::uint8_t* answer) {
    std::uint8_t cdb[12] = {kReadDiscStructure, mediaType};
    cdb[7] = format;
    ByteWriter(cdb, sizeof cdb).Be16(8, length);
    return transport.ExecuteCommand(drive, cdb, answer, length);
}

}  // namespace tessaly
