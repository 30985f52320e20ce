// Builds a virtual PC from an inline scenario or an example scenario file, and a
// transport on top of it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "support/recording_platform.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace tessaly::testing {

inline vpc::Scenario ScenarioFrom(const std::string& json) {
    std::string error;
    auto scenario = vpc::ParseScenario(json, error);
    EXPECT_TRUE(scenario.has_value()) << error;
    return scenario ? *scenario : vpc::Scenario{};
}

// A scenario file of the source tree's scenarios folder; nullopt, with the error as a
// failure, when it does not load.
inline std::optional<vpc::Scenario> LoadExample(const std::string& file) {
    std::string error;
    auto scenario =
        vpc::LoadScenarioFile(std::string(TESSALY_SOURCE_DIR) + "/scenarios/" + file, error);
    EXPECT_TRUE(scenario.has_value()) << error;
    return scenario;
}

// One PC: the virtual machine, the recorder in front of it and the program's transport.
struct Pc {
    explicit Pc(const std::string& json)
        : machine(std::make_unique<vpc::VirtualPc>(ScenarioFrom(json))),
          recorder(std::make_unique<RecordingPlatform>(*machine)),
          transport(std::make_unique<ScsiTransport>(*recorder)) {}

    std::unique_ptr<vpc::VirtualPc> machine;
    std::unique_ptr<RecordingPlatform> recorder;
    std::unique_ptr<ScsiTransport> transport;
};

// Operating system blocks of the scenarios.
inline const char kWin98[] =
    R"("os": {"platform": 1, "major": 4, "minor": 10, "build": 2222, "service": " A "})";
inline const char kNt4[] =
    R"("os": {"platform": 2, "major": 4, "minor": 0, "build": 1381, "service": "Service Pack 6"})";
inline const char kXp[] =
    R"("os": {"platform": 2, "major": 5, "minor": 1, "build": 2600, "service": "Service Pack 2"})";
inline const char kManager[] =
    R"("aspi": {"file_version": "4, 60, 0, 1021", "company": "Example Software Inc."})";

inline std::string Json(std::initializer_list<std::string> parts) {
    std::string out = "{";
    bool first = true;
    for (const auto& part : parts) {
        if (!first)
            out += ",";
        out += part;
        first = false;
    }
    return out + "}";
}

// Windows 98 with the ASPI manager and one adapter of the given bus whose one device,
// target 1 as drive E:, is the given drive.
inline std::string Win98Drive(const std::string& bus, const std::string& drive) {
    return Json({kWin98, kManager,
                 R"("adapters": [{"bus": ")" + bus +
                     R"(", "identifier": "ha", "devices": [
                     {"target": 1, "letter": "E", "drive": )" +
                     drive + "}]}]"});
}

}  // namespace tessaly::testing
