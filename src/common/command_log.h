// The SCSI commands that reached the drives, in order, each as
// "adapter:target" and the CDB bytes in lower-case hex: "0:1 12 00 00 00 38 00". A device
// on a bus other than 0 is written "adapter:bus:target": "0:1:0 12 00 00 00 38 00".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

std::string FormatCommand(unsigned adapter, unsigned target, const std::uint8_t* cdb,
                          std::size_t cdbLength);
std::string FormatCommand(unsigned adapter, unsigned bus, unsigned target, const std::uint8_t* cdb,
                          std::size_t cdbLength);

class CommandLog {
  public:
    void Record(unsigned adapter, unsigned target, const std::uint8_t* cdb, std::size_t cdbLength) {
        entries_.push_back(FormatCommand(adapter, target, cdb, cdbLength));
    }
    void Record(unsigned adapter, unsigned bus, unsigned target, const std::uint8_t* cdb,
                std::size_t cdbLength) {
        entries_.push_back(FormatCommand(adapter, bus, target, cdb, cdbLength));
    }
    const std::vector<std::string>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

  private:
    std::vector<std::string> entries_;
};

}  // namespace tessaly
