#include "app/drive_label_rule.h"

#include <cstdio>
#include <cstring>

namespace tessaly::app {

const DriveLabelRule kDriveLabelRules[kDriveLabelRuleCount] = {
    {"VW1610A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 16/40 USB"},
    {"VW2410A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 24/40 USB"},
    {"VW4012A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 40/40 USB"},
    {"VW4812A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 48/48 USB"},
    {"VW4824A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 48/24 USB"},
    {"VW5224A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 52/24 USB"},
    {"VW5232A", LabelCondition::kUsb, "ID:%d  CD-R   Varnoth Traveller 52/32 USB"},
    {"VD0708A", LabelCondition::kUsbOr1394, "ID:%d  DVDR   Varnoth DiscWriter 708 External"},
    {"VD0708A", LabelCondition::kNone, "ID:%d  DVDR   Varnoth DiscWriter 708"},
};

std::string ChooseDriveLabel(const char* product, bool usb, bool ieee1394, int target, int rows) {
    char label[128];
    for (int i = 0; i < rows && i < kDriveLabelRuleCount; ++i) {
        const DriveLabelRule& rule = kDriveLabelRules[i];
        if (std::strstr(product, rule.productKey) == nullptr)
            continue;
        const bool holds = rule.condition == LabelCondition::kNone ||
                           (rule.condition == LabelCondition::kUsb && usb) ||
                           (rule.condition == LabelCondition::kUsbOr1394 && (usb || ieee1394));
        if (!holds)
            continue;
        std::snprintf(label, sizeof label, rule.format, target);
        return label;
    }
    std::snprintf(label, sizeof label, "ID:%d  %s", target, product);
    return label;
}

}  // namespace tessaly::app
