// Windows NT names each SCSI port's devices in HARDWARE\DEVICEMAP\Scsi, and maps
// each drive letter to the device path of its volume in System\MountedDevices:
// "\??\<enumerator>#<device id>#<instance id>#{class guid}" in UTF-16LE. The three
// middle parts name the device's key under CurrentControlSet\Enum.
//
// Vista to 11 keep these keys. Their port drivers differ: an adapter's "Driver" value
// (the scenario's identifier) is "atapi" for the IDE driver, "msahci" for Vista's and 7's
// AHCI driver under the ATA port, "storahci" for 8's and later AHCI driver under Storport.
// A Storport adapter enumerates its CD-ROM under SCSI, the ATA port under IDE; the IDE
// channels under PCIIDE exist only for the IDE driver.
#include <string>
#include <vector>

#include "vpc/registry_families.h"
#include "vpc/registry_identity.h"

namespace tessaly::vpc::registry {

namespace {

constexpr char kDeviceMap[] = "HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port ";
constexpr char kMountedDevices[] = "HKLM\\System\\MountedDevices";
constexpr char kEnumRoot[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
constexpr char kIdeChannels[] = "HKLM\\System\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel\\";
constexpr char kCdromClassGuid[] = "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

// The system disk's entry: its disk signature and the partition's byte offset.
const std::vector<std::uint8_t> kSystemDisk = {0x1D, 0x2C, 0x3B, 0x7A, 0x00, 0x7E,
                                               0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// One CD-ROM device in the device tree, and the compatible ids its enumerator gave.
struct DeviceNode {
    std::string enumerator;
    std::string deviceId;
    std::string instanceId;
    std::vector<std::string> compatibleIds;

    std::string Path() const {
        return "\\??\\" + enumerator + "#" + deviceId + "#" + instanceId + "#" + kCdromClassGuid;
    }
};

// "VARNOTH_&CD-R___VW2410A" parts: trailing blanks dropped, inner ones as '_'.
std::string VendorOf(const DriveIdentity& identity) {
    return Underscored(TrimTrailing(identity.vendor));
}
std::string ProductOf(const DriveIdentity& identity) {
    return Underscored(TrimTrailing(identity.product));
}

bool IsStorportAhci(const AdapterSpec& adapter) {
    return adapter.identifier == "storahci";
}

// NT 5 has IDE channels for every ATAPI adapter; later versions for the IDE driver's only.
bool HasIdeChannel(const OsSpec& os, const AdapterSpec& adapter) {
    if (adapter.bus != BusKind::kAtapi)
        return false;
    return os.major == 5 || (os.major >= 6 && adapter.identifier == "atapi");
}

DeviceNode AdapterDeviceNode(BusKind bus, std::uint32_t adapter, std::uint32_t target,
                             const DriveIdentity& identity) {
    if (bus == BusKind::kAtapi) {
        return DeviceNode{"IDE",
                          "CdRom" + DeviceKeyOf(identity) + "_" + Underscored(identity.revision),
                          "5&1a2b3c" + Hex(adapter, 2) + "&0&0." + std::to_string(target) + ".0",
                          {"GenCdRom"}};
    }
    return DeviceNode{"SCSI",
                      "CdRom&Ven_" + VendorOf(identity) + "&Prod_" + ProductOf(identity),
                      "4&2b3c4d" + Hex(adapter, 2) + "&0&00" + Hex(target, 1) + "00",
                      {"SCSI\\CdRom", "SCSI\\RAW"}};
}

DeviceNode ExternalDeviceNode(BusKind bus, std::uint32_t index, const DriveIdentity& identity) {
    if (bus == BusKind::k1394) {
        const std::string model = VendorOf(identity) + "_&" + ProductOf(identity);
        return DeviceNode{"SBP2",
                          model + "&LUN0",
                          "1&2a3b4c" + Hex(index, 2) + "&0&0",
                          {"SBP2\\" + model, "SBP2\\GenCdRom"}};
    }
    return DeviceNode{"USBSTOR",
                      "CdRom&Ven_" + VendorOf(identity) + "&Prod_" + ProductOf(identity) + "&Rev_" +
                          Underscored(identity.revision),
                      "0000000000" + Hex(index, 2) + "&0",
                      {"USBSTOR\\CdRom", "USBSTOR\\RAW"}};
}

void AddDeviceNode(const DeviceNode& node, char letter, VirtualRegistry& registry) {
    const std::string key =
        kEnumRoot + node.enumerator + "\\" + node.deviceId + "\\" + node.instanceId;
    registry.SetValue(key, "CompatibleIDs", MultiSz(node.compatibleIds));
    registry.SetValue(key, "Class", Sz("CDROM"));
    registry.SetValue(key, "Service", Sz("cdrom"));
    if (letter != 0) {
        const std::string name = std::string("\\DosDevices\\") + letter + ":";
        registry.SetValue(kMountedDevices, name, Binary(Utf16Le(node.Path())));
    }
}

void AddDeviceMap(std::size_t a, const AdapterSpec& adapter, VirtualRegistry& registry) {
    const std::string port = kDeviceMap + std::to_string(a);
    registry.SetValue(port, "Driver", Sz(adapter.identifier));
    registry.CreateKey(port + "\\Scsi Bus 0\\Initiator Id " + std::to_string(adapter.scsiId));
    for (const DeviceSpec& device : adapter.devices) {
        const DriveIdentity identity = IdentityOf(device.drive);
        const std::string unit = port + "\\Scsi Bus " + std::to_string(device.bus) +
                                 "\\Target Id " + std::to_string(device.target) +
                                 "\\Logical Unit Id 0";
        registry.SetValue(unit, "Identifier",
                          Sz(identity.vendor + identity.product + identity.revision));
        registry.SetValue(unit, "Type", Sz("CdRomPeripheral"));
    }
}

std::string IdeChannelDescription(std::size_t ordinal) {
    if (ordinal == 0)
        return "Primary IDE Channel";
    if (ordinal == 1)
        return "Secondary IDE Channel";
    return "IDE Channel";
}

}  // namespace

void BuildNt(const Scenario& scenario, VirtualRegistry& registry) {
    registry.SetValue(kMountedDevices, "\\DosDevices\\C:", Binary(kSystemDisk));
    std::size_t ideOrdinal = 0;
    for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
        const AdapterSpec& adapter = scenario.adapters[a];
        AddDeviceMap(a, adapter, registry);
        if (HasIdeChannel(scenario.os, adapter)) {
            const std::string channel =
                kIdeChannels + std::string("4&1f7e4a3b&0&") + std::to_string(ideOrdinal);
            registry.SetValue(channel, "Service", Sz("atapi"));
            registry.SetValue(channel, "DeviceDesc", Sz(IdeChannelDescription(ideOrdinal)));
            ++ideOrdinal;
        }
        for (const DeviceSpec& device : adapter.devices) {
            const BusKind enumerated = IsStorportAhci(adapter) ? BusKind::kScsi : adapter.bus;
            const DeviceNode node = AdapterDeviceNode(enumerated, static_cast<std::uint32_t>(a),
                                                      device.target, IdentityOf(device.drive));
            AddDeviceNode(node, device.letter, registry);
        }
    }
    for (std::size_t i = 0; i < scenario.external.size(); ++i) {
        const ExternalSpec& external = scenario.external[i];
        const DeviceNode node = ExternalDeviceNode(external.bus, static_cast<std::uint32_t>(i),
                                                   IdentityOf(external.drive));
        AddDeviceNode(node, external.letter, registry);
    }
}

}  // namespace tessaly::vpc::registry
