// Drive answers of any length and content for every command the model lookups, mode
// pages, speed texts and vendor data read: INQUIRY, both MODE SENSE forms of pages
// 05h, 2Ah, 30h and 31h, and the vendor reads F1h and DEh. Whatever a drive answers,
// every text stays terminated inside its buffer and nothing is read past an answer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "answer_pieces.h"
#include "drives/drive_commands.h"
#include "drives/model_identification.h"
#include "drives/speed_texts.h"
#include "drives/vendor_data.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

const char* const kModels[] = {"CD-R   VW2410A", "CD-R   VW2410S", "CD-R   VW5232A",
                               "CD-ROM VN40S",   "CD-R   VW0202",  "DVDR   VD0708A"};
const char* const kKeys[] = {"12",   "5a/2a", "1a/2a", "5a/30", "1a/30", "5a/5",
                             "1a/5", "5a/31", "1a/31", "f1",    "de"};

void CheckText(const char* text, std::size_t size) {
    if (std::memchr(text, 0, size) == nullptr)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    tessaly::vpc::DeviceSpec device;
    device.target = 1;
    device.letter = 'E';
    device.drive.model = kModels[data[0] % (sizeof kModels / sizeof kModels[0])];
    // The rest of the input answers the commands in kKeys order.
    tessaly::fuzz::SetAnswerPieces(data + 1, size - 1, kKeys, sizeof kKeys / sizeof kKeys[0],
                                   device.drive);
    tessaly::vpc::Scenario scenario = tessaly::fuzz::OneDrivePc(
        (data[0] & 0x80) != 0 ? tessaly::vpc::BusKind::kUsb : tessaly::vpc::BusKind::kScsi, device);

    tessaly::vpc::VirtualPc pc(std::move(scenario));
    tessaly::ScsiTransport transport(pc);
    transport.Initialize();
    char text[64];
    tessaly::IsSupportedDrive(transport, {0, 1});
    CheckText(tessaly::ModelProductText(transport, {0, 1}), 26);
    tessaly::ReportReadSpeedText(transport, {0, 1}, text, sizeof text);
    CheckText(text, sizeof text);
    tessaly::CanWriteDiscs(transport, {0, 1});
    tessaly::HasBufferUnderrunProof(transport, {0, 1});
    if (tessaly::SerialNumberText(transport, {0, 1}, text, sizeof text))
        CheckText(text, sizeof text);
    tessaly::JumperSettingsValue(transport, {0, 1});
    for (std::uint8_t page : {0x05, 0x2A, 0x30, 0x31}) {
        for (std::uint8_t length : {0, 4, 12, 16, 34, 64, 255}) {
            std::vector<std::uint8_t> answer(length);
            tessaly::ModeSensePage(transport, {0, 1}, page, length, answer.data());
        }
    }
    return 0;
}
