#include "vpc/injection_key.h"

#include <cstdio>

#include "common/bytes.h"
#include "transport/mmc.h"

namespace tessaly::vpc {

std::string InjectionKey(std::uint8_t opcode, int sub) {
    char text[16];
    if (sub < 0) {
        std::snprintf(text, sizeof text, "%02x", opcode);
    } else {
        std::snprintf(text, sizeof text, "%02x/%x", opcode, static_cast<unsigned>(sub & 0xFF));
    }
    return text;
}

std::string InjectionKeyOf(const std::uint8_t* cdb, std::size_t cdbLength) {
    const ByteView view(cdb, cdbLength);
    const std::uint8_t op = view.U8(0);
    switch (op) {
        case opcode::kModeSense6:
        case opcode::kModeSense10:
            return InjectionKey(op, view.U8(2) & 0x3F);
        case opcode::kReadTocPmaAtip: {
            int format = view.U8(2) & 0x0F;
            if (format == 0)
                format = view.U8(9) >> 6;
            return InjectionKey(op, format);
        }
        default:
            return InjectionKey(op);
    }
}

}  // namespace tessaly::vpc
