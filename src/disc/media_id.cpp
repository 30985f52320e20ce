#include "disc/media_id.h"

#include <cstdio>

namespace tessaly {

namespace {

constexpr std::size_t kHeader = 4;  // data length (2), reserved (2)

// Pre-recorded information (format 0Eh): the pre-pit fields of ECMA-279 (DVD-R) and
// ECMA-338 (DVD-RW), 8 bytes each; field ID 3 holds the first six characters of the
// manufacturer ID, field ID 4 the other six.
constexpr std::size_t kField3 = kHeader + 16;
constexpr std::size_t kField4 = kHeader + 24;
constexpr std::uint8_t kField3Id = 3;
constexpr std::uint8_t kField4Id = 4;
constexpr std::size_t kPrePitIdLength = 6;

// ADIP information (format 11h), ECMA-337 (DVD+RW) and ECMA-349 (DVD+R) physical
// format information in ADIP: bytes 19-26 disc manufacturer ID, 27-29 media type ID,
// 30 product revision number.
constexpr std::size_t kAdipManufacturer = kHeader + 19;
constexpr std::size_t kAdipManufacturerLength = 8;
constexpr std::size_t kAdipMediaType = kHeader + 27;
constexpr std::size_t kAdipMediaTypeLength = 3;
constexpr std::size_t kAdipRevision = kHeader + 30;

// BD disc information (format 00h, media type BD), the first disc information unit
// as MMC-6 returns it: "DI" at 0-1, disc manufacturer ID 100-105, media type ID
// 106-108, time stamp 109-110, product revision number 111.
constexpr std::size_t kBdUnit = kHeader;
constexpr std::size_t kBdManufacturer = kHeader + 100;
constexpr std::size_t kBdManufacturerLength = 6;
constexpr std::size_t kBdMediaType = kHeader + 106;
constexpr std::size_t kBdMediaTypeLength = 3;
constexpr std::size_t kBdRevision = kHeader + 111;

// A fixed-width text field up to its first NUL, every byte outside printable ASCII
// as '?'.
std::string RawField(ByteView data, std::size_t at, std::size_t width) {
    std::string text;
    for (std::size_t i = 0; i < width; ++i) {
        const std::uint8_t c = data.U8(at + i);
        if (c == 0)
            break;
        text += (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string FieldText(ByteView data, std::size_t at, std::size_t width) {
    return WithoutTrailingBlanks(RawField(data, at, width));
}

std::optional<MediumId> PrePitId(ByteView data) {
    if (!data.Has(kField4, 1 + kPrePitIdLength) || data.U8(kField3) != kField3Id ||
        data.U8(kField4) != kField4Id) {
        return std::nullopt;
    }
    // The first part keeps its inner blanks ("MCC 00" + "4").
    MediumId id;
    id.text = WithoutTrailingBlanks(RawField(data, kField3 + 1, kPrePitIdLength) +
                                    RawField(data, kField4 + 1, kPrePitIdLength));
    id.manufacturer = id.text.substr(0, id.text.find(' '));
    if (id.manufacturer.empty())
        return std::nullopt;
    return id;
}

std::optional<MediumId> AdipId(ByteView data) {
    if (!data.Has(kAdipRevision, 1))
        return std::nullopt;
    MediumId id;
    id.manufacturer = FieldText(data, kAdipManufacturer, kAdipManufacturerLength);
    if (id.manufacturer.empty())
        return std::nullopt;
    const std::string type = FieldText(data, kAdipMediaType, kAdipMediaTypeLength);
    id.text = type.empty() ? id.manufacturer : id.manufacturer + " " + type;
    return id;
}

std::optional<MediumId> BdId(ByteView data) {
    if (!data.Has(kBdRevision, 1) || data.U8(kBdUnit) != 'D' || data.U8(kBdUnit + 1) != 'I')
        return std::nullopt;
    MediumId id;
    id.manufacturer = FieldText(data, kBdManufacturer, kBdManufacturerLength);
    if (id.manufacturer.empty())
        return std::nullopt;
    char revision[8];
    std::snprintf(revision, sizeof revision, "%03u", static_cast<unsigned>(data.U8(kBdRevision)));
    id.text =
        id.manufacturer + "-" + FieldText(data, kBdMediaType, kBdMediaTypeLength) + "-" + revision;
    return id;
}

}  // namespace

ByteView StructureData(ByteView answer) {
    if (answer.size() < 2)
        return ByteView();
    const std::size_t vouched = std::size_t{answer.Be16(0)} + 2;
    return ByteView(answer.data(), vouched < answer.size() ? vouched : answer.size());
}

std::optional<MediumId> DecodeMediumId(MediumIdSource source, ByteView answer) {
    const ByteView data = StructureData(answer);
    switch (source) {
        case MediumIdSource::kPrePits:
            return PrePitId(data);
        case MediumIdSource::kAdip:
            return AdipId(data);
        case MediumIdSource::kBdDiscInfo:
            return BdId(data);
        case MediumIdSource::kNone:
            break;
    }
    return std::nullopt;
}

}  // namespace tessaly
