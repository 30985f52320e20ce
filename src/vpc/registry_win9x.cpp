// Windows 9x keeps a SCSI device under HKLM\Enum\SCSI\<device key>\<instance key>,
// and lists the devices present in HKDD\Config Manager\Enum by that key. A device
// behind a USB bridge has an instance key that names the bridge: "USB&<bridge device
// id>&<bridge instance>&0", the bridge's device id ending in "REV_xxxx".
#include <string>
#include <vector>

#include "vpc/registry_families.h"
#include "vpc/registry_identity.h"

namespace tessaly::vpc::registry {

namespace {

constexpr char kEnumScsi[] = "HKLM\\Enum\\SCSI\\";
constexpr char kEnumUsb[] = "HKLM\\Enum\\USB\\";
constexpr char kConfigManagerEnum[] = "HKDD\\Config Manager\\Enum\\";
constexpr char kClassRoot[] = "HKLM\\System\\CurrentControlSet\\Services\\Class\\";
constexpr std::uint32_t kFirstDevNode = 0xC1000000;
constexpr std::uint32_t kUsbProductBase = 0x2400;

// Devices that every machine has, listed before the SCSI ones.
constexpr const char* kSystemDevices[] = {
    "Root\\*PNP0C01\\0000",
    "PCI\\VEN_8086&DEV_7111&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_01",
};

// The full-width katakana of "primary" and "secondary" in Shift-JIS.
constexpr char16_t kPrimaryKatakana[] = {0x30D7, 0x30E9, 0x30A4, 0x30DE, 0x30EA};
constexpr char16_t kSecondaryKatakana[] = {0x30BB, 0x30AB, 0x30F3, 0x30C0, 0x30EA};

struct UsbBridge {
    std::string deviceId;  // "VID_0A0B&PID_xxxx&REV_0100"
    std::string instance;  // "SERaatt"
};

UsbBridge BridgeOf(std::uint32_t adapter, std::uint32_t target) {
    return UsbBridge{
        "VID_0A0B&PID_" + Hex(kUsbProductBase + adapter * 16 + target, 4) + "&REV_0100",
        "SER" + Hex(adapter, 2) + Hex(target, 2)};
}

std::string InstanceKeyOf(const AdapterSpec& adapter, std::uint32_t a, std::uint32_t t) {
    if (adapter.bus == BusKind::kUsb) {
        const UsbBridge bridge = BridgeOf(a, t);
        return "USB&" + bridge.deviceId + "&" + bridge.instance + "&0";
    }
    return "ADAPTER" + std::to_string(a) + "&TARGET" + std::to_string(t) + "&LUN0";
}

std::string ShiftJisKatakana(const char16_t (&word)[5]) {
    std::string out;
    for (char16_t c : word) {
        unsigned trail = 0x40 + (c - 0x30A1u);
        if (trail >= 0x7F)
            ++trail;  // 7Fh is not a trail byte
        out += static_cast<char>(0x83);
        out += static_cast<char>(trail);
    }
    return out;
}

std::string IdeChannelDescription(std::size_t ordinal, std::uint32_t codePage) {
    if (ordinal < 2 && codePage == 932)
        return ShiftJisKatakana(ordinal == 0 ? kPrimaryKatakana : kSecondaryKatakana) + " IDE";
    if (ordinal == 0)
        return "Primary IDE controller (dual fifo)";
    if (ordinal == 1)
        return "Secondary IDE controller (dual fifo)";
    return "IDE controller";
}

// Numbers the subkeys of one device class "0000", "0001", ...
class ClassKeys {
  public:
    ClassKeys(VirtualRegistry& registry, std::string name)
        : registry_(registry), path_(kClassRoot + std::move(name) + "\\") {}

    std::string Next() {
        const std::string key = path_ + Decimal4(count_++);
        registry_.CreateKey(key);
        return key;
    }

  private:
    static std::string Decimal4(std::size_t n) {
        std::string text = std::to_string(n);
        return text.size() < 4 ? std::string(4 - text.size(), '0') + text : text;
    }

    VirtualRegistry& registry_;
    std::string path_;
    std::size_t count_ = 0;
};

void AddAdapterClass(const AdapterSpec& adapter, std::size_t& ideOrdinal, std::uint32_t codePage,
                     ClassKeys& scsi, ClassKeys& hdc, ClassKeys& storage,
                     VirtualRegistry& registry) {
    std::string key;
    switch (adapter.bus) {
        case BusKind::kScsi:
            key = scsi.Next();
            registry.SetValue(key, "PortDriver", Sz(adapter.identifier + ".mpd"));
            registry.SetValue(key, "DriverDesc",
                              Sz("SCSI Host Adapter (" + adapter.identifier + ")"));
            break;
        case BusKind::kAtapi:
            key = hdc.Next();
            registry.SetValue(key, "PortDriver", Sz(adapter.identifier + ".pdr"));
            registry.SetValue(key, "DriverDesc", Sz(IdeChannelDescription(ideOrdinal++, codePage)));
            registry.SetValue(key, "MatchingDeviceId", Sz("*PNP0600"));
            break;
        case BusKind::k1394:
            key = storage.Next();
            registry.SetValue(key, "PortDriver", Sz(adapter.identifier + ".mpd"));
            registry.SetValue(key, "DriverDesc", Sz("IEEE 1394 SBP2 Storage"));
            break;
        case BusKind::kUsb:
            key = storage.Next();
            registry.SetValue(key, "PortDriver", Sz(adapter.identifier + ".mpd"));
            registry.SetValue(key, "DriverDesc", Sz("USB Mass Storage Adapter"));
            break;
    }
}

}  // namespace

void BuildWin9x(const Scenario& scenario, VirtualRegistry& registry) {
    std::uint32_t devNode = kFirstDevNode;
    auto listPresent = [&](const std::string& hardwareKey) {
        const std::string key = kConfigManagerEnum + Hex(devNode++, 8);
        registry.SetValue(key, "HardWareKey", Sz(hardwareKey));
        registry.SetValue(key, "Problem", Dword(0));
    };
    registry.CreateKey(kConfigManagerEnum);
    for (const char* hardwareKey : kSystemDevices)
        listPresent(hardwareKey);

    ClassKeys scsiClass(registry, "SCSIAdapter");
    ClassKeys hdcClass(registry, "hdc");
    ClassKeys storageClass(registry, "Storage");
    std::size_t ideOrdinal = 0;

    for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
        const AdapterSpec& adapter = scenario.adapters[a];
        AddAdapterClass(adapter, ideOrdinal, scenario.os.codePage, scsiClass, hdcClass,
                        storageClass, registry);
        for (const DeviceSpec& device : adapter.devices) {
            const auto adapterIndex = static_cast<std::uint32_t>(a);
            const DriveIdentity identity = IdentityOf(device.drive);
            const std::string deviceKey = DeviceKeyOf(identity);
            const std::string instanceKey = InstanceKeyOf(adapter, adapterIndex, device.target);
            const std::string key = kEnumScsi + deviceKey + "\\" + instanceKey;
            registry.CreateKey(key);
            if (device.letter != 0)
                registry.SetValue(key, "CurrentDriveLetterAssignment",
                                  Sz(std::string(1, device.letter)));
            registry.SetValue(key, "SCSITargetID", Sz(Hex(device.target, 1)));
            registry.SetValue(key, "DeviceDesc", Sz(identity.vendor + identity.product));
            registry.SetValue(key, "Class", Sz("CDROM"));
            registry.SetValue(key, "HardWareID", Sz("SCSI\\" + deviceKey));
            listPresent("SCSI\\" + deviceKey + "\\" + instanceKey);

            if (adapter.bus == BusKind::kUsb) {
                const UsbBridge bridge = BridgeOf(adapterIndex, device.target);
                const std::string bridgeKey = kEnumUsb + bridge.deviceId + "\\" + bridge.instance;
                registry.SetValue(bridgeKey, "DeviceDesc", Sz("USB Storage Bridge"));
                registry.SetValue(bridgeKey, "CompatibleIDs",
                                  Sz("USB\\CLASS_08&SUBCLASS_06&PROT_50,USB\\CLASS_08"));
            }
        }
    }
}

}  // namespace tessaly::vpc::registry
