#include "log_line.h"

#include "vpc/command_log.h"

namespace tessaly::sgshim {

std::string FormatLogLine(std::uint64_t milliseconds, unsigned adapter, unsigned bus,
                          unsigned target, const std::uint8_t* cdb, std::size_t cdbLength) {
    return std::to_string(milliseconds) + " " +
           vpc::FormatCommand(adapter, bus, target, cdb, cdbLength) + "\n";
}

}  // namespace tessaly::sgshim
