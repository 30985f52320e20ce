// The program's own cost per SCSI command. Each backend is measured twice: the
// whole ExecuteCommand, and the virtual PC alone answering the same request built
// once by hand. The difference is what the transport itself spends per command.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "transport/aspi_srb.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using namespace tessaly;

const char kAspiPc[] = R"({
  "os": {"platform": 1, "major": 4, "minor": 10, "build": 2222},
  "aspi": {"completion": "direct"},
  "adapters": [{"bus": "scsi", "identifier": "aic78xx", "devices": [
    {"target": 4, "letter": "E", "drive": {"model": "CD-R   VW2410S"}}]}]})";

const char kPassThroughPc[] = R"({
  "os": {"platform": 2, "major": 5, "minor": 1, "build": 2600},
  "adapters": [{"bus": "atapi", "identifier": "atapi", "devices": [
    {"target": 4, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}]})";

const std::uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x38, 0};

vpc::Scenario Load(const char* json) {
    std::string error;
    auto scenario = vpc::ParseScenario(json, error);
    if (!scenario)
        std::abort();
    return *scenario;
}

// One INQUIRY through the transport, on the ASPI or the pass-through PC.
void BM_ExecuteCommand(benchmark::State& state, const char* json) {
    vpc::VirtualPc pc(Load(json));
    ScsiTransport transport(pc);
    transport.Initialize();
    std::uint8_t buffer[56];
    for (auto _ : state) {
        benchmark::DoNotOptimize(transport.ExecuteCommand(0, 4, kInquiry, buffer, sizeof buffer));
        pc.ClearCommandLog();
    }
}
BENCHMARK_CAPTURE(BM_ExecuteCommand, Aspi, kAspiPc);
BENCHMARK_CAPTURE(BM_ExecuteCommand, PassThrough, kPassThroughPc);

void BM_AspiManagerOnly(benchmark::State& state) {
    vpc::VirtualPc pc(Load(kAspiPc));
    const platform::Module module = pc.LoadLibraryA("wnaspi32.dll");
    auto send = reinterpret_cast<aspi::SendASPI32CommandProc>(
        pc.GetProcAddress(module, aspi::kSendCommandName));
    std::uint8_t buffer[56];
    for (auto _ : state) {
        aspi::SRB_ExecSCSICmd srb;
        std::memset(&srb, 0, sizeof srb);
        srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
        srb.SRB_Target = 4;
        srb.SRB_BufLen = sizeof buffer;
        srb.SRB_BufPointer = buffer;
        srb.SRB_SenseLen = 14;
        srb.SRB_CDBLen = 6;
        std::memcpy(srb.CDBByte, kInquiry, 6);
        benchmark::DoNotOptimize(send(&srb));
        pc.ClearCommandLog();
    }
    pc.FreeLibrary(module);
}
BENCHMARK(BM_AspiManagerOnly);

void BM_PassThroughDriverOnly(benchmark::State& state) {
    vpc::VirtualPc pc(Load(kPassThroughPc));
    std::uint8_t buffer[56];
    for (auto _ : state) {
        const platform::Handle device = pc.CreateFileA(
            "\\\\.\\E:", platform::kGenericRead | platform::kGenericWrite,
            platform::kFileShareRead | platform::kFileShareWrite, platform::kOpenExisting);
        nt::PassThroughRequest request;
        std::memset(&request, 0, sizeof request);
        request.sptd.Length = sizeof request.sptd;
        request.sptd.TargetId = 4;
        request.sptd.CdbLength = 6;
        request.sptd.SenseInfoLength = 32;
        request.sptd.DataIn = nt::SCSI_IOCTL_DATA_IN;
        request.sptd.DataTransferLength = sizeof buffer;
        request.sptd.DataBuffer = buffer;
        request.sptd.SenseInfoOffset = offsetof(nt::PassThroughRequest, sense);
        std::memcpy(request.sptd.Cdb, kInquiry, 6);
        std::uint32_t returned = 0;
        benchmark::DoNotOptimize(pc.DeviceIoControl(device, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT,
                                                    &request, sizeof request, &request,
                                                    sizeof request, &returned));
        pc.CloseHandle(device);
        pc.ClearCommandLog();
    }
}
BENCHMARK(BM_PassThroughDriverOnly);

}  // namespace

BENCHMARK_MAIN();
