// tessaly-sim: runs the program's start-up on the virtual PC of a scenario and prints,
// as JSON, what the transport found: the start-up result, and for every address that
// answers INQUIRY its identity, drive letter, interface kind and attachment, and
// every SCSI command that was sent.
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cp1252.h"
#include "disc/disc_fields.h"
#include "disc/disc_panel.h"
#include "drives/model_identification.h"
#include "transport/inquiry_data.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using tessaly::ScsiTransport;
using tessaly::sim::Cp1252ToUtf8;

int Fail(const std::string& message) {
    std::fprintf(stderr, "tessaly-sim: %s\n", message.c_str());
    return 2;
}

// The disc fields of one refresh, by control id.
class FieldTexts : public tessaly::DiscFields {
  public:
    void SetText(int controlId, std::string_view text) override {
        texts[std::to_string(controlId)] = Cp1252ToUtf8(text);
    }
    nlohmann::ordered_json texts = nlohmann::ordered_json::object();
};

const char* KindName(int kind) {
    switch (kind) {
        case tessaly::kInterfaceUnclassified:
            return "unclassified";
        case tessaly::kInterfaceScsi:
            return "scsi";
        case tessaly::kInterfaceAtapi:
            return "atapi";
        case tessaly::kInterface1394:
            return "1394";
    }
    return "unknown";
}

nlohmann::ordered_json Describe(ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target) {
    tessaly::InquiryIdentity identity;
    if (transport.Inquiry(adapter, target, identity) == 0)
        return nullptr;
    const std::int32_t letter = transport.GetDriveLetter(adapter, target);
    const char* attachment = transport.IsUsbAttached(adapter, target) == 1    ? "usb"
                             : transport.Is1394Attached(adapter, target) == 1 ? "1394"
                                                                              : "internal";
    return {{"adapter", adapter},
            {"target", target},
            {"peripheral", identity.peripheral},
            {"vendor", Cp1252ToUtf8(identity.vendor)},
            {"product", Cp1252ToUtf8(identity.product)},
            {"revision", Cp1252ToUtf8(identity.revision)},
            {"letter", letter > 2
                           ? nlohmann::ordered_json(std::string(1, static_cast<char>('A' + letter)))
                           : nlohmann::ordered_json(nullptr)},
            {"interface", KindName(transport.GetAdapterKind(adapter))},
            {"attachment", attachment},
            {"supported", tessaly::IsSupportedDrive(transport, adapter, target)},
            {"model", tessaly::ModelProductText(transport, adapter, target)}};
}

// Every address the program's start-up scan visits: each target of each adapter
// counted, then the external drives at target 0.
nlohmann::ordered_json ScanAddresses(ScsiTransport& transport, int adapterCount) {
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    auto add = [&](int adapter, int target) {
        nlohmann::ordered_json device = Describe(transport, static_cast<std::uint8_t>(adapter),
                                                 static_cast<std::uint8_t>(target));
        if (device.is_null())
            return;
        // The maker's drives get one refresh of the disc fields, as the window would show.
        if (device["supported"].get<bool>()) {
            FieldTexts fields;
            tessaly::RefreshDiscPanel(transport, static_cast<std::uint8_t>(adapter),
                                      static_cast<std::uint8_t>(target), fields);
            device["fields"] = fields.texts;
        }
        devices.push_back(std::move(device));
    };
    for (int adapter = 0; adapter < adapterCount; ++adapter) {
        for (int target = 0; target < tessaly::kTargetsPerAdapter; ++target)
            add(adapter, target);
    }
    if (transport.HasExternalDevices()) {
        for (int slot = transport.FirstExternalAdapter(); slot < tessaly::kExternalSlots; ++slot) {
            if (transport.GetExternalDevice(slot).present == 0)
                break;
            add(slot, 0);
        }
    }
    return devices;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: tessaly-sim SCENARIO.json [EVENT ...]");
    // The runner plays no user events yet: every event is unknown to it.
    if (argc > 2)
        return Fail(std::string("unknown event \"") + argv[2] + "\"");
    std::string error;
    auto scenario = tessaly::vpc::LoadScenarioFile(argv[1], error);
    if (!scenario)
        return Fail(error);

    tessaly::vpc::VirtualPc pc(std::move(*scenario));
    ScsiTransport transport(pc);
    const std::int32_t result = transport.Initialize();
    const int adapters = result & 0xFF;

    nlohmann::ordered_json out;
    out["startup"] = {
        {"result", result},
        {"adapters", adapters},
        {"mode", transport.Mode() == tessaly::TransportMode::Aspi ? "aspi" : "pass-through"},
        {"aspi_bypassed", transport.IsAspiBypassed()},
        {"any_usb", transport.AnyUsbAttached()},
        {"first_external_adapter", transport.FirstExternalAdapter()}};
    out["devices"] = ScanAddresses(transport, adapters);
    transport.Shutdown();
    out["commands"] = pc.CommandLog();
    std::printf("%s\n", out.dump(2).c_str());
    return 0;
}
