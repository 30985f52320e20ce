#include "disc/full_toc.h"

namespace tessaly {

namespace {
constexpr std::size_t kHeaderLength = 4;
constexpr std::size_t kDescriptorLength = 11;
}  // namespace

std::size_t FullTocDescriptorCount(ByteView toc) {
    const std::size_t dataLength = toc.Be16(0);
    const std::size_t announced = dataLength < 2 ? 0 : (dataLength - 2) / kDescriptorLength;
    const std::size_t room =
        toc.size() < kHeaderLength ? 0 : (toc.size() - kHeaderLength) / kDescriptorLength;
    return announced < room ? announced : room;
}

bool FullTocLeadIn(ByteView toc, DiscTime& leadIn) {
    bool found = false;
    const std::size_t count = FullTocDescriptorCount(toc);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderLength + i * kDescriptorLength;
        if (toc.U8(at + 3) != kTocPointLeadInStart)
            continue;
        leadIn = DiscTime{BcdToBinary(toc.U8(at + 8)), BcdToBinary(toc.U8(at + 9)),
                          BcdToBinary(toc.U8(at + 10))};
        found = true;
    }
    return found;
}

}  // namespace tessaly
