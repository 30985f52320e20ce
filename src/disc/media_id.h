// The identification a recordable DVD or BD carries, decoded from the disc structure
// that holds it (READ DISC STRUCTURE answers, their 4-byte header included).
#pragma once

#include <optional>
#include <string>

#include "common/bytes.h"
#include "disc/media_profile.h"

namespace tessaly {

struct MediumId {
    // The media ID as the disc carries it: "MCC 004" (DVD-R), "RICOHJPN R02" (DVD+R),
    // "VERBAT-IM0-000" (BD: manufacturer, media type, product revision).
    std::string text;
    // The manufacturer part that names the maker: the ADIP and BD manufacturer ID
    // fields; on DVD-R, which keeps maker and medium in one text, the text up to its
    // first blank.
    std::string manufacturer;
};

// Bytes of a structure answer that the answer itself vouches for: its header's data
// length plus the two length bytes, no more than the buffer holds.
ByteView StructureData(ByteView answer);

// Decodes the structure of the source; nothing when the answer is too short for the
// fields, lacks their markers, or carries an empty manufacturer ID. Bytes outside
// printable ASCII show as '?'.
std::optional<MediumId> DecodeMediumId(MediumIdSource source, ByteView answer);

}  // namespace tessaly
