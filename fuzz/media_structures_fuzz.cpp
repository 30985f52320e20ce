// GET CONFIGURATION headers and READ DISC STRUCTURE answers of any length and content:
// the first byte picks the structure, the rest is the answer. Nothing is read past the
// answer, and a decoded media ID is printable ASCII that fits its fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "disc/media_id.h"
#include "disc/media_id_makers.h"
#include "disc/media_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // A heap copy of exactly the answer's size, so any over-read reaches the sanitizer.
    std::vector<std::uint8_t> answer(data + 1, data + size);
    const tessaly::ByteView view(answer.data(), answer.size());
    const std::uint16_t profile = tessaly::CurrentProfileOf(view);
    if (profile != 0 && answer.size() < tessaly::kFeatureHeaderLength)
        std::abort();
    tessaly::FindDvdOrBdProfile(profile);

    const auto source = static_cast<tessaly::MediumIdSource>(data[0] % 4);
    const auto id = tessaly::DecodeMediumId(source, view);
    if (!id)
        return 0;
    // At most 12 characters of ID, a blank, 3 of type and "-nnn".
    if (id->text.empty() || id->text.size() > 20 || id->manufacturer.empty() ||
        id->manufacturer.size() > 12) {
        std::abort();
    }
    for (char c : id->text) {
        if (c < 0x20 || c > 0x7E)
            std::abort();
    }
    tessaly::MediaMakerName(id->manufacturer);
    return 0;
}
