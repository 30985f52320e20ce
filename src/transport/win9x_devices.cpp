// The Windows 9x device scan: the Config Manager's list of devices present names
// every SCSI device's registry key, which holds the drive letter Windows gave it
// and its target id. Each device is matched to an adapter by its INQUIRY identity,
// and a device behind a USB (or parallel-port) bridge marks its address USB-attached.
#include <cstring>
#include <string>

#include "common/hex.h"
#include "transport/registry_key.h"
#include "transport/scsi_transport.h"
#include "transport/text_match.h"

namespace tessaly {

using namespace platform;

namespace {

constexpr std::size_t kEnumNameLength = 200;
constexpr int kScanAdapters = 8;

// "E" -> 4; anything but a letter gives 0 (no usable letter).
int LetterIndexOf(const char* text) {
    char c = text[0];
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    return c >= 'A' && c <= 'Z' ? c - 'A' : 0;
}

}  // namespace

void ScsiTransport::ScanWin9xDevices() {
    win9xDeviceCount_ = 0;
    RegistryKey enumKey(platform_);
    if (!enumKey.Open(kHkeyDynData, {"Config Manager", "Enum"}, kKeyQueryValue))
        return;
    std::array<bool, 128> claimed{};
    char subkey[kEnumNameLength + 1];
    for (std::uint32_t index = 0; enumKey.EnumSubkey(index, subkey, sizeof subkey); ++index) {
        RegistryKey device(platform_);
        if (!device.OpenChild(enumKey, subkey, kKeyQueryValue))
            continue;
        char hardwareKey[256];
        if (!device.ReadText("HardWareKey", hardwareKey, sizeof hardwareKey))
            continue;
        if (!ContainsText(hardwareKey, "SCSI"))
            continue;
        ScanWin9xDevice(hardwareKey, claimed);
    }
}

void ScsiTransport::ScanWin9xDevice(const char* hardwareKey, std::array<bool, 128>& claimed) {
    // "SCSI\<device key>\<instance key>"
    const std::string text(hardwareKey);
    const std::size_t first = text.find('\\');
    if (first == std::string::npos)
        return;
    const std::size_t second = text.find('\\', first + 1);
    if (second == std::string::npos)
        return;
    const std::string deviceKey = text.substr(first + 1, second - first - 1);
    const std::string instanceKey = text.substr(second + 1);

    RegistryKey instance(platform_);
    if (!instance.Open(kHkeyLocalMachine, {"Enum", "SCSI", deviceKey.c_str(), instanceKey.c_str()},
                       kKeyQueryValue)) {
        return;
    }
    char letterText[8] = {};
    const int letter =
        instance.ReadText("CurrentDriveLetterAssignment", letterText, sizeof letterText)
            ? LetterIndexOf(letterText)
            : 0;
    char targetText[8] = {};
    // Without a target id (or with one that is not a hexadecimal digit) the device
    // cannot be matched to an address, and its letter would land on a guess: skip it.
    const int target = instance.ReadText("SCSITargetID", targetText, sizeof targetText)
                           ? HexDigitValue(targetText[0])
                           : -1;
    if (letter <= 1 || target < 0)
        return;
    if (win9xDeviceCount_ >= kWin9xDeviceSlots)
        return;  // the table is full: refused

    Win9xDeviceEntry& entry = win9xDevices_[win9xDeviceCount_];
    entry = Win9xDeviceEntry{};
    CopyText(deviceKey.c_str(), entry.name, sizeof entry.name);
    entry.letter = letter;

    std::uint8_t matched = 0;
    for (int adapter = 0; adapter < kScanAdapters; ++adapter) {
        InquiryIdentity identity;
        const auto a = static_cast<std::uint8_t>(adapter);
        if ((Inquiry(a, static_cast<std::uint8_t>(target), identity) & 1) == 0)
            continue;
        char joined[64];
        JoinDeviceName(identity, joined, sizeof joined);
        const std::size_t address = static_cast<std::size_t>(adapter * 16 + target);
        if (deviceKey == joined && !claimed[address]) {
            matched = a;
            claimed[address] = true;
            break;
        }
    }
    TestUsbBridge(instanceKey.c_str(), matched, static_cast<std::uint8_t>(target));
    entry.adapter = matched;
    entry.target = static_cast<std::uint8_t>(target);
    ++win9xDeviceCount_;
}

void ScsiTransport::TestUsbBridge(const char* instanceKey, std::uint8_t adapter,
                                  std::uint8_t target) {
    // "<enumerator>&<device ...REV_xxxx>&<instance>&<n>": the bridge that created the device.
    const std::string key(instanceKey);
    const std::size_t amp = key.find('&');
    if (amp == std::string::npos)
        return;
    const std::size_t rev = key.find("REV", amp + 1);
    if (rev == std::string::npos)
        return;
    const std::string parentEnumerator = key.substr(0, amp);
    const std::size_t deviceEnd = rev + 8 < key.size() ? rev + 8 : key.size();
    const std::string parentDevice = key.substr(amp + 1, deviceEnd - amp - 1);
    const std::size_t instanceStart = rev + 9;
    const std::string parentInstance =
        instanceStart + 2 <= key.size() ? key.substr(instanceStart, key.size() - instanceStart - 2)
                                        : std::string();

    RegistryKey parent(platform_);
    if (!parent.Open(
            kHkeyLocalMachine,
            {"Enum", parentEnumerator.c_str(), parentDevice.c_str(), parentInstance.c_str()},
            kKeyQueryValue)) {
        return;
    }
    char text[256];
    bool usb = parent.ReadText("DeviceDesc", text, sizeof text) && ContainsText(text, "USB");
    if (!usb && parent.ReadText("CompatibleIDs", text, sizeof text)) {
        usb = ContainsText(text, "USB") || ContainsText(text, "TPPIOSTB");
    }
    if (!usb)
        return;
    tables_.MarkAttached(DriveAddress(adapter, target), true);
    anyUsb_ = true;
}

}  // namespace tessaly
