// The program's own cost of one refresh of the disc fields (every timer tick) on a
// recorder with a CD-R and on a reader with a multisession disc.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <string>

#include "disc/disc_panel.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using namespace tessaly;

const char kRecorder[] = R"({
  "os": {"platform": 1, "major": 4, "minor": 10, "build": 2222},
  "aspi": {"completion": "direct"},
  "adapters": [{"bus": "atapi", "identifier": "ESDI_506", "devices": [
    {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A",
      "disc": {"kind": "cd-r", "lead_in": "97:24:01", "lead_out": "79:59:74"}}}]}]})";

const char kReader[] = R"({
  "os": {"platform": 1, "major": 4, "minor": 10, "build": 2222},
  "aspi": {"completion": "direct"},
  "adapters": [{"bus": "scsi", "identifier": "aic78xx", "devices": [
    {"target": 1, "letter": "E", "drive": {"model": "CD-ROM VN40S",
      "disc": {"kind": "cd-r", "sessions": 2, "c0": "97:24:10"}}}]}]})";

class Fields : public DiscFields {
  public:
    void SetField(DiscField field, std::string_view text) override { texts[field] = text; }
    std::string GetField(DiscField field) override { return texts[field]; }
    std::map<DiscField, std::string> texts;
};

void Refresh(benchmark::State& state, const char* json) {
    std::string error;
    auto scenario = vpc::ParseScenario(json, error);
    if (!scenario)
        std::abort();
    vpc::VirtualPc pc(std::move(*scenario));
    ScsiTransport transport(pc);
    transport.Initialize();
    Fields fields;
    for (auto _ : state) {
        RefreshDiscPanel(transport, {0, 1}, fields);
        pc.ClearCommandLog();
    }
}

void BM_RefreshRecorder(benchmark::State& state) {
    Refresh(state, kRecorder);
}
BENCHMARK(BM_RefreshRecorder);

void BM_RefreshReader(benchmark::State& state) {
    Refresh(state, kReader);
}
BENCHMARK(BM_RefreshReader);

}  // namespace
