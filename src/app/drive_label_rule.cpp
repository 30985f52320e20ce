#include "app/drive_label_rule.h"

#include <cstdio>
#include <cstring>

#include "drives/drive_model_table.h"

namespace tessaly::app {

namespace {

// The text searched for in the 16-character INQUIRY product identification, or nullptr
// when the row gives no label. Enclosure models are found by their mechanism on the buses
// of their enclosure; models listed by name by their own code, on an adapter only.
const char* LabelKey(const DriveModelRow& row, bool usb, bool ieee1394, DriveOrigin origin) {
    switch (row.enclosure) {
        case Enclosure::kUsb:
            return usb ? row.mechanism : nullptr;
        case Enclosure::kUsbOr1394:
            return usb || ieee1394 ? row.mechanism : nullptr;
        case Enclosure::kNone:
            break;
    }
    if (row.Has(kListedByName) && origin == DriveOrigin::kAdapter)
        return row.productKey + kProductKindLength;
    return nullptr;
}

}  // namespace

std::string ChooseDriveLabel(const char* product, bool usb, bool ieee1394, int target,
                             DriveOrigin origin) {
    char label[128];
    for (const DriveModelRow& row : DriveModelTable) {
        const char* key = LabelKey(row, usb, ieee1394, origin);
        if (key == nullptr || std::strstr(product, key) == nullptr)
            continue;
        std::snprintf(label, sizeof label, "ID:%d  %.*s%s", target,
                      static_cast<int>(kProductKindLength), row.productKey, row.displayName);
        return label;
    }
    std::snprintf(label, sizeof label, "ID:%d  %s", target, product);
    return label;
}

std::string OtherDriveLabel(const char* vendor, const char* product, int target) {
    std::string name(vendor);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    if (!name.empty())
        name += ' ';
    return "ID:" + std::to_string(target) + "  " + name + product;
}

}  // namespace tessaly::app
