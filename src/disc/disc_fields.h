// The value fields of the main window that the disc panel writes, by control id.
// Writing a field replaces its text; a field nobody writes keeps what it shows.
#pragma once

#include <string_view>

namespace tessaly {

enum DiscFieldId : int {
    kFieldLeadOutTime = 1003,
    kFieldLeadOutLba = 1004,
    kFieldManufacturer = 1005,
    kFieldLeadInTime = 1006,
    kFieldStatus = 1007,
    kFieldLeadInLba = 1008,
    kFieldExtra = 1012,
};

class DiscFields {
  public:
    virtual ~DiscFields() = default;
    virtual void SetText(int controlId, std::string_view text) = 0;
};

}  // namespace tessaly
