// The drop-down label of a listed drive: the maker's external models by the
// mechanism inside them, the DVD recorder by name, anything else by its product text.
#pragma once

#include <string>

namespace tessaly::app {

enum class LabelCondition { kUsb, kUsbOr1394, kNone };

struct DriveLabelRule {
    const char* productKey;  // searched in the 16-character INQUIRY product identification
    LabelCondition condition;
    const char* format;  // one "%d" for the target id
};

inline constexpr int kDriveLabelRuleCount = 9;
extern const DriveLabelRule kDriveLabelRules[kDriveLabelRuleCount];

// The label of the first of the first `rows` rules that match, else "ID:%d  <product>".
std::string ChooseDriveLabel(const char* product, bool usb, bool ieee1394, int target, int rows);

}  // namespace tessaly::app
