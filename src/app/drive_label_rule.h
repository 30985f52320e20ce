// The drop-down label of a listed drive: the maker's external models by the mechanism
// inside them, the models listed by name by that name, anything else by its product text.
// The rules come from the model table's rows, in table order.
#pragma once

#include <string>

namespace tessaly::app {

// Where discovery found the drive: on a host adapter, or as an external device reached
// through its drive letter (which a model listed by name does not name).
enum class DriveOrigin { kAdapter, kExternal };

// "ID:<target>  <kind>   <model name>" by the first rule that matches, else
// "ID:<target>  <product>".
std::string ChooseDriveLabel(const char* product, bool usb, bool ieee1394, int target,
                             DriveOrigin origin);

// The label of a drive listed on request though it is no model of the table (another
// maker's drive): "ID:<target>  <vendor> <product>", its own INQUIRY vendor (without
// trailing blanks) and product identification.
std::string OtherDriveLabel(const char* vendor, const char* product, int target);

}  // namespace tessaly::app
