// Scenario text of any content: the parser either builds a scenario or reports one
// non-empty error line, and never throws. A scenario it accepts must build a virtual
// PC whose drives answer a few commands and whose ports report their inquiry data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "transport/scsi_passthrough.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

void Exercise(tessaly::vpc::VirtualPc& pc, const tessaly::vpc::Scenario& scenario) {
    const std::uint8_t commands[][12] = {
        {0x12, 0, 0, 0, 0xFF, 0},                       // INQUIRY
        {0x00, 0, 0, 0, 0, 0},                          // TEST UNIT READY
        {0x03, 0, 0, 0, 0xFF, 0},                       // REQUEST SENSE
        {0x43, 0x02, 0x04, 0, 0, 0, 0, 0xFF, 0xFF, 0},  // READ TOC/PMA/ATIP, ATIP
        {0x5A, 0, 0x2A, 0, 0, 0, 0, 0xFF, 0xFF, 0},     // MODE SENSE(10), page 2Ah
        {0xF1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},        // vendor
    };
    std::vector<std::uint8_t> buffer(512);
    for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
        for (const auto& device : scenario.adapters[a].devices) {
            tessaly::vpc::EmulatedDrive* drive = pc.DriveAt(a, device.target);
            if (drive == nullptr)
                std::abort();
            for (const auto& cdb : commands) {
                drive->Execute(cdb, sizeof cdb, buffer.data(),
                               static_cast<std::uint32_t>(buffer.size()));
            }
        }
    }
    std::vector<std::uint8_t> out(tessaly::nt::kInquiryDataBufferSize);
    for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
        const std::string name = "\\\\.\\SCSI" + std::to_string(a) + ":";
        const auto port = pc.CreateFileA(name.c_str(), 0, 0, tessaly::platform::kOpenExisting);
        if (port == tessaly::platform::kInvalidHandleValue)
            continue;
        std::uint32_t returned = 0;
        pc.DeviceIoControl(port, tessaly::nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, out.data(),
                           static_cast<std::uint32_t>(out.size()), &returned);
        if (returned > out.size())
            std::abort();
        pc.CloseHandle(port);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto scenario = tessaly::vpc::ParseScenario(text, error, "fuzz.json");
    if (!scenario) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    tessaly::vpc::VirtualPc pc(*scenario);
    Exercise(pc, *scenario);
    return 0;
}
