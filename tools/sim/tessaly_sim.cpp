// tessaly-sim: runs the program's start-up on the virtual PC of a scenario and prints,
// as JSON, what the transport found: the start-up result, the identity of every
// address that answers INQUIRY, and every SCSI command that was sent.
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cp1252.h"
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

nlohmann::json ScanAddresses(ScsiTransport& transport, int adapterCount) {
    nlohmann::json devices = nlohmann::json::array();
    for (int adapter = 0; adapter < adapterCount; ++adapter) {
        for (int target = 0; target < tessaly::kTargetsPerAdapter; ++target) {
            std::uint8_t cdb[6];
            tessaly::BuildInquiryCdb(cdb);
            std::uint8_t answer[tessaly::kInquiryAllocationLength] = {};
            if (transport.ExecuteCommand(static_cast<std::uint8_t>(adapter),
                                         static_cast<std::uint8_t>(target), cdb, answer,
                                         sizeof answer) != 1) {
                continue;
            }
            const auto identity =
                tessaly::ParseInquiryData(tessaly::ByteView(answer, sizeof answer));
            devices.push_back({{"adapter", adapter},
                               {"target", target},
                               {"peripheral", identity.peripheral},
                               {"vendor", Cp1252ToUtf8(identity.vendor)},
                               {"product", Cp1252ToUtf8(identity.product)},
                               {"revision", Cp1252ToUtf8(identity.revision)}});
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

    nlohmann::json out;
    out["startup"] = {
        {"result", result},
        {"adapters", adapters},
        {"mode", transport.Mode() == tessaly::TransportMode::Aspi ? "aspi" : "pass-through"},
        {"aspi_bypassed", transport.IsAspiBypassed()}};
    out["devices"] = ScanAddresses(transport, adapters);
    transport.Shutdown();
    out["commands"] = pc.CommandLog();
    std::printf("%s\n", out.dump(2).c_str());
    return 0;
}
