// A line of the shim's command log: the time on the system's monotonic clock in
// milliseconds, a blank, then the command as the virtual PC's command log writes it
// ("adapter:target", or "adapter:bus:target" on a bus other than 0, and the CDB in hex),
// and a newline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly::sgshim {

std::string FormatLogLine(std::uint64_t milliseconds, unsigned adapter, unsigned bus,
                          unsigned target, const std::uint8_t* cdb, std::size_t cdbLength);

}  // namespace tessaly::sgshim
