#include "drive_map.h"

namespace tessaly::sgshim {

std::vector<MappedDrive> MapLetterDrives(const vpc::Scenario& scenario) {
    std::vector<MappedDrive> drives;
    for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
        for (const vpc::DeviceSpec& device : scenario.adapters[a].devices) {
            if (device.letter < 'A' || device.letter > 'Z')
                continue;
            drives.push_back(MappedDrive{device.letter, static_cast<std::uint8_t>(a), device.bus,
                                         device.target, device.drive});
        }
    }
    return drives;
}

LinuxScsiAddress LinuxAddressOf(const MappedDrive& drive) {
    constexpr unsigned kWineFirstScsiPort = 2;
    return LinuxScsiAddress{
        drive.bus, static_cast<std::uint8_t>(drive.adapter - kWineFirstScsiPort), drive.target, 0};
}

std::uint32_t IdLunWord(const LinuxScsiAddress& address) {
    return (std::uint32_t{address.host} << 24) | (std::uint32_t{address.channel} << 16) |
           (std::uint32_t{address.lun} << 8) | std::uint32_t{address.id};
}

std::string BackingFileName(char letter) {
    const char lower =
        (letter >= 'A' && letter <= 'Z') ? static_cast<char>(letter - 'A' + 'a') : letter;
    return std::string(1, lower);
}

}  // namespace tessaly::sgshim
