// The program's own cost of the main window's start-up scan over 8 adapters x 16
// targets, and of one poll timer tick on the selected drive.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using namespace tessaly;

// Eight SCSI adapters, a reader at every other target and a recorder at target 1 of each.
std::string EightAdapters() {
    std::string json = R"({"os": {"platform": 1, "major": 4, "minor": 10, "build": 2222},
        "aspi": {"completion": "direct"}, "adapters": [)";
    for (int a = 0; a < 8; ++a) {
        json +=
            std::string(a ? "," : "") + R"({"bus": "scsi", "identifier": "aic78xx", "devices": [)";
        json += R"({"target": 1, "drive": {"model": "CD-R   VW2410S", "disc": {"kind": "cd-r"}}})";
        for (int t = 2; t < 16; t += 2) {
            json +=
                R"(, {"target": )" + std::to_string(t) + R"(, "drive": {"model": "CD-ROM VN40S"}})";
        }
        json += "]}";
    }
    return json + "]}";
}

vpc::Scenario Load() {
    std::string error;
    auto scenario = vpc::ParseScenario(EightAdapters(), error);
    if (!scenario)
        std::abort();
    return *scenario;
}

void BM_StartupScan(benchmark::State& state) {
    const vpc::Scenario scenario = Load();
    for (auto _ : state) {
        vpc::VirtualPc pc(scenario);
        ScsiTransport transport(pc);
        app::HeadlessView view;
        app::MainDialog dialog(transport, pc, view);
        view.Attach(&dialog);
        benchmark::DoNotOptimize(dialog.OnInitDialog());
    }
}
BENCHMARK(BM_StartupScan)->Unit(benchmark::kMillisecond);

void BM_TimerTick(benchmark::State& state) {
    vpc::VirtualPc pc(Load());
    ScsiTransport transport(pc);
    app::HeadlessView view;
    app::MainDialog dialog(transport, pc, view);
    view.Attach(&dialog);
    dialog.OnInitDialog();
    for (auto _ : state) {
        dialog.Panel().OnTimer(app::kPollTimerId);
        pc.ClearCommandLog();
    }
}
BENCHMARK(BM_TimerTick);

}  // namespace
