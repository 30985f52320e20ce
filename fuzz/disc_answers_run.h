// One input of the disc answers target: bit 0 of the first byte picks a recorder or a
// reader, the rest answers, cut at FFh bytes, ATIP, full table of contents, disc
// information, capacity and sense data in that order. One refresh of the disc fields
// then reads them; no field text may grow beyond what the panel shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "answer_pieces.h"
#include "disc/disc_fields.h"
#include "disc/disc_panel.h"
#include "kept_pc.h"

namespace tessaly::fuzz {

class DiscAnswersRun {
  public:
    // Runs one input; with `outcome`, also records what it left there.
    void Run(const std::uint8_t* data, std::size_t size, Outcome* outcome = nullptr) {
        if (size < 1)
            return;
        const bool recorder = (data[0] & 1) != 0;
        KeptPc& kept = pcs_.Get(recorder, [&] {
            vpc::DeviceSpec device;
            device.target = 1;
            device.drive.model = recorder ? "CD-R   VW2410A" : "CD-ROM VN40S";
            return OneDrivePc(vpc::AdapterSpec{}.bus, device);
        });
        ScsiTransport& transport = kept.Reset(
            0, 1, AnswerPieces(data + 1, size - 1, kKeys, sizeof kKeys / sizeof kKeys[0]));
        Fields fields;
        RefreshDiscPanel(transport, {0, 1}, fields);
        if (outcome != nullptr) {
            outcome->commands = kept.Pc().CommandLog();
            for (const auto& [field, text] : fields.texts)
                outcome->texts.push_back(std::to_string(field) + "=" + text);
        }
    }

  private:
    static constexpr const char* kKeys[] = {"43/4", "43/2", "51", "25", "03"};

    class Fields : public DiscFields {
      public:
        void SetField(DiscField field, std::string_view text) override {
            if (text.size() > 200)
                __builtin_trap();
            texts[field] = std::string(text);
        }
        std::string GetField(DiscField field) override { return texts[field]; }
        std::map<DiscField, std::string> texts;
    };

    KeptPcs<bool> pcs_;
};

}  // namespace tessaly::fuzz
