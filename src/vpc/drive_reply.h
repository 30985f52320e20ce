// What a command handler of the emulated drive produces: an answer, which the drive
// clips to the allocation length and the data buffer, or a failure that ends the
// command in CHECK CONDITION with the given sense.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "vpc/sense.h"

namespace tessaly::vpc {

struct DriveReply {
    std::optional<SenseCode> failure;
    std::vector<std::uint8_t> answer;

    static DriveReply Fail(SenseCode code) {
        DriveReply reply;
        reply.failure = code;
        return reply;
    }
};

}  // namespace tessaly::vpc
