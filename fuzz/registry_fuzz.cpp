// Registry values of any content, read by the transport's start-up and lookups:
// the mounted-device path of an external drive, its compatible ids, a port's driver
// name, and on Windows 9x a Config Manager hardware key with the device key it
// names, its letter and target texts, and the USB bridge key above it. Whatever
// the values hold, no table is written past and no buffer read past.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using tessaly::vpc::RegistryValue;

// Splits the input at FFh bytes into texts.
std::vector<std::string> Pieces(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF) {
            pieces.emplace_back();
        } else {
            pieces.back() += static_cast<char>(data[i]);
        }
    }
    pieces.resize(9);
    return pieces;
}

RegistryValue Text(const std::string& text) {
    RegistryValue value;
    value.text = text;
    return value;
}

RegistryValue Binary(const std::string& bytes) {
    RegistryValue value;
    value.type = RegistryValue::Type::kBinary;
    value.bytes.assign(bytes.begin(), bytes.end());
    return value;
}

tessaly::vpc::DriveSpec Drive(const char* model) {
    tessaly::vpc::DriveSpec drive;
    drive.model = model;
    return drive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool nt = (data[0] & 1) != 0;
    const std::vector<std::string> p = Pieces(data + 1, size - 1);

    tessaly::vpc::Scenario scenario;
    scenario.os.platform = nt ? 2 : 1;
    scenario.os.major = nt ? 5 : 4;
    scenario.os.minor = nt ? 1 : 10;
    scenario.aspi.emplace();
    scenario.aspi->completion = tessaly::vpc::AspiCompletion::kDirect;
    tessaly::vpc::AdapterSpec adapter;
    adapter.bus = (data[0] & 2) != 0 ? tessaly::vpc::BusKind::kUsb : tessaly::vpc::BusKind::kAtapi;
    adapter.identifier = "atapi";
    tessaly::vpc::DeviceSpec device;
    device.target = 1;
    device.letter = 'E';
    device.drive = Drive("CD-R   VW2410A");
    adapter.devices.push_back(device);
    scenario.adapters.push_back(adapter);
    tessaly::vpc::ExternalSpec external;
    external.letter = 'F';
    external.drive = Drive("CD-R   VW2410A");
    scenario.external.push_back(external);

    auto& registry = scenario.registry;
    registry["HKLM\\System\\MountedDevices"]["\\DosDevices\\F:"] = Binary(p[0]);
    registry["HKLM\\SYSTEM\\CurrentControlSet\\Enum\\" + p[1]]["CompatibleIDs"] = Binary(p[2]);
    registry["HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0"]["Driver"] = Text(p[3]);
    registry["HKDD\\Config Manager\\Enum\\FUZZ"]["HardWareKey"] = Text(p[4]);
    auto& device9x = registry["HKLM\\Enum\\" + p[4]];
    device9x["CurrentDriveLetterAssignment"] = Text(p[5]);
    device9x["SCSITargetID"] = Text(p[6]);
    registry["HKLM\\Enum\\" + p[7]]["DeviceDesc"] = Text(p[8]);
    registry["HKLM\\Enum\\" + p[7]]["CompatibleIDs"] = Text(p[8]);

    tessaly::vpc::VirtualPc pc(std::move(scenario));
    tessaly::ScsiTransport transport(pc);
    const int adapters = transport.Initialize() & 0xFF;
    for (int a = 0; a < 26; ++a) {
        for (int t = 0; t < 16; ++t) {
            tessaly::InquiryIdentity id;
            if (a < adapters || transport.IsUsbSlot(a) || transport.Is1394Slot(a)) {
                transport.Inquiry(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(t), id);
            }
            const std::int32_t letter = transport.GetDriveLetter(static_cast<std::uint8_t>(a),
                                                                 static_cast<std::uint8_t>(t));
            if (letter < 0 || letter > 25)
                __builtin_trap();
        }
        transport.GetExternalDevice(a);
    }
    transport.FirstExternalAdapter();
    transport.Shutdown();
    if (pc.Registry().OpenKeyCount() != 0)
        __builtin_trap();
    return 0;
}
