// The program's own cost of the model lookups the window and the report run: one
// IsSupportedDrive per address at start-up, ReadSpeedText per printed report.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "drives/model_identification.h"
#include "drives/speed_texts.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using namespace tessaly;

const char kPc[] = R"({
  "os": {"platform": 1, "major": 4, "minor": 10, "build": 2222},
  "aspi": {"completion": "direct"},
  "adapters": [{"bus": "atapi", "identifier": "ESDI_506", "devices": [
    {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW1210A", "read_speed_kbs": 5632}}]}]})";

vpc::Scenario Load() {
    std::string error;
    auto scenario = vpc::ParseScenario(kPc, error);
    if (!scenario)
        std::abort();
    return *scenario;
}

void BM_IsSupportedDrive(benchmark::State& state) {
    vpc::VirtualPc pc(Load());
    ScsiTransport transport(pc);
    transport.Initialize();
    for (auto _ : state) {
        benchmark::DoNotOptimize(IsSupportedDrive(transport, {0, 1}));
        pc.ClearCommandLog();
    }
}
BENCHMARK(BM_IsSupportedDrive);

void BM_ReadSpeedText(benchmark::State& state) {
    vpc::VirtualPc pc(Load());
    ScsiTransport transport(pc);
    transport.Initialize();
    char text[32];
    for (auto _ : state) {
        ReadSpeedText(transport, {0, 1}, text, sizeof text);
        benchmark::DoNotOptimize(text);
        pc.ClearCommandLog();
    }
}
BENCHMARK(BM_ReadSpeedText);

}  // namespace
