// Disc answers of any length and content: ATIP, full table of contents, disc
// information, capacity and sense data, read by one refresh of the disc fields on a
// recorder and on a reader. Every field text stays a text and no buffer is read past.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "answer_pieces.h"
#include "disc/disc_fields.h"
#include "disc/disc_panel.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

const char* const kKeys[] = {"43/4", "43/2", "51", "25", "03"};

class Fields : public tessaly::DiscFields {
  public:
    void SetField(tessaly::DiscField field, std::string_view text) override {
        if (text.size() > 200)
            __builtin_trap();
        texts[field] = std::string(text);
    }
    std::string GetField(tessaly::DiscField field) override { return texts[field]; }
    std::map<tessaly::DiscField, std::string> texts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    tessaly::vpc::DeviceSpec device;
    device.target = 1;
    device.drive.model = (data[0] & 1) != 0 ? "CD-R   VW2410A" : "CD-ROM VN40S";
    tessaly::fuzz::SetAnswerPieces(data + 1, size - 1, kKeys, sizeof kKeys / sizeof kKeys[0],
                                   device.drive);
    tessaly::vpc::Scenario scenario =
        tessaly::fuzz::OneDrivePc(tessaly::vpc::AdapterSpec{}.bus, device);

    tessaly::vpc::VirtualPc pc(std::move(scenario));
    tessaly::ScsiTransport transport(pc);
    transport.Initialize();
    Fields fields;
    tessaly::RefreshDiscPanel(transport, {0, 1}, fields);
    return 0;
}
