// INQUIRY answers of any length and content: the identity is always three
// terminated texts of their fixed widths, and nothing is read past the answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "transport/inquiry_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A heap copy of exactly the answer's size, so any over-read reaches the sanitizer.
    std::vector<std::uint8_t> answer(data, data + size);
    const auto identity =
        tessaly::ParseInquiryData(tessaly::ByteView(answer.data(), answer.size()));
    if (identity.vendor[8] != '\0' || identity.product[16] != '\0' ||
        identity.revision[4] != '\0') {
        std::abort();
    }
    if (size > 0 && identity.peripheral != data[0])
        std::abort();
    if (size >= 36 && std::memcmp(identity.product, data + 16, 16) != 0)
        std::abort();
    return 0;
}
