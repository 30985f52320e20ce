#include "common/command_log.h"

#include <cstdio>

namespace tessaly {

std::string FormatCommand(unsigned adapter, unsigned target, const std::uint8_t* cdb,
                          std::size_t cdbLength) {
    return FormatCommand(adapter, 0, target, cdb, cdbLength);
}

std::string FormatCommand(unsigned adapter, unsigned bus, unsigned target, const std::uint8_t* cdb,
                          std::size_t cdbLength) {
    std::string out = std::to_string(adapter) + ":";
    if (bus != 0)
        out += std::to_string(bus) + ":";
    out += std::to_string(target);
    for (std::size_t i = 0; i < cdbLength && cdb != nullptr; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02x", cdb[i]);
        out += byte;
    }
    return out;
}

}  // namespace tessaly
