// One input of the drive answers target: the first byte picks the drive's model (bit 7:
// on a USB adapter instead of a SCSI one), the rest answers, cut at FFh bytes, the
// commands of kKeys in order. The model lookups, mode pages, speed texts and vendor data
// then read the drive; every text they give must stay terminated inside its buffer.
// The transport's start-up, done once per kept PC, saw the drive's own INQUIRY data; the
// input answers everything after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "answer_pieces.h"
#include "drives/drive_commands.h"
#include "drives/model_identification.h"
#include "drives/speed_texts.h"
#include "drives/vendor_data.h"
#include "kept_pc.h"

namespace tessaly::fuzz {

class DriveAnswersRun {
  public:
    // Runs one input; with `outcome`, also records what it left there.
    void Run(const std::uint8_t* data, std::size_t size, Outcome* outcome = nullptr) {
        if (size < 2)
            return;
        const std::size_t model = data[0] % (sizeof kModels / sizeof kModels[0]);
        const bool usb = (data[0] & 0x80) != 0;
        KeptPc& kept = pcs_.Get(std::pair(model, usb), [&] {
            vpc::DeviceSpec device;
            device.target = 1;
            device.letter = 'E';
            device.drive.model = kModels[model];
            return OneDrivePc(usb ? vpc::BusKind::kUsb : vpc::BusKind::kScsi, device);
        });
        ScsiTransport& transport = kept.Reset(
            0, 1, AnswerPieces(data + 1, size - 1, kKeys, sizeof kKeys / sizeof kKeys[0]));
        const DriveAddress drive(0, 1);
        auto note = [&](std::string text) {
            if (outcome != nullptr)
                outcome->texts.push_back(std::move(text));
        };

        char text[64];
        note(IsSupportedDrive(transport, drive) ? "supported" : "not supported");
        const char* product = ModelProductText(transport, drive);
        CheckText(product, 26);
        note(product);
        ReportReadSpeedText(transport, drive, text, sizeof text);
        CheckText(text, sizeof text);
        note(text);
        note(CanWriteDiscs(transport, drive) ? "writes" : "reads");
        note(HasBufferUnderrunProof(transport, drive) ? "underrun proof" : "no underrun proof");
        if (SerialNumberText(transport, drive, text, sizeof text)) {
            CheckText(text, sizeof text);
            note(text);
        }
        const auto jumpers = JumperSettingsValue(transport, drive);
        note(jumpers ? std::to_string(*jumpers) : "no jumpers");
        for (std::uint8_t page : {0x05, 0x2A, 0x30, 0x31}) {
            for (std::uint8_t length : {0, 4, 12, 16, 34, 64, 255}) {
                std::vector<std::uint8_t> answer(length);
                const auto status = ModeSensePage(transport, drive, page, length, answer.data());
                note(std::to_string(status) + ":" + std::string(answer.begin(), answer.end()));
            }
        }
        if (outcome != nullptr)
            outcome->commands = kept.Pc().CommandLog();
    }

  private:
    static constexpr const char* kModels[] = {"CD-R   VW2410A", "CD-R   VW2410S", "CD-R   VW5232A",
                                              "CD-ROM VN40S",   "CD-R   VW0202",  "DVDR   VD0708A"};
    static constexpr const char* kKeys[] = {"12",   "5a/2a", "1a/2a", "5a/30", "1a/30", "5a/5",
                                            "1a/5", "5a/31", "1a/31", "f1",    "de"};

    static void CheckText(const char* text, std::size_t size) {
        if (std::memchr(text, 0, size) == nullptr)
            __builtin_trap();
    }

    KeptPcs<std::pair<std::size_t, bool>> pcs_;
};

}  // namespace tessaly::fuzz
