// The fields that show the selected drive's disc: written by the disc refresh, read back
// by the information report. Writing a field replaces its text; a field nobody writes
// keeps what it shows.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

enum DiscField : int {
    kFieldLeadOutTime,
    kFieldLeadOutLba,
    kFieldManufacturer,
    kFieldLeadInTime,
    kFieldStatus,
    kFieldLeadInLba,
    kFieldExtra,
};

class DiscFields {
  public:
    virtual ~DiscFields() = default;
    virtual void SetField(DiscField field, std::string_view text) = 0;
    virtual std::string GetField(DiscField field) = 0;
};

}  // namespace tessaly
