#include "virtual_aspi.h"

#include <windows.h>

#include <cstddef>
#include <exception>
#include <optional>
#include <utility>

#include "transport/aspi_srb.h"
#include "vpc/command_log.h"

namespace tessaly::wnaspi32 {
namespace {

constexpr char kScenarioVariable[] = "TESSALY_SCENARIO";
constexpr char kCommandLogVariable[] = "TESSALY_COMMAND_LOG";

// The variable from the process environment block itself, so that it does not matter
// which C runtime copy of the environment the program changed; nullopt when unset or
// empty.
std::optional<std::string> EnvironmentValue(const char* name) {
    std::string value(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0)
            return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // too small: length counts the terminator
    }
}

void ReportError(const std::string& text) {
    std::fprintf(stderr, "wnaspi32: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace

std::unique_ptr<VirtualAspi> VirtualAspi::FromEnvironment() {
    std::unique_ptr<VirtualAspi> state;
    try {
        state.reset(new VirtualAspi());
        if (const auto logPath = EnvironmentValue(kCommandLogVariable))
            state->OpenCommandLog(*logPath);
        const auto path = EnvironmentValue(kScenarioVariable);
        if (!path) {
            ReportError(std::string(kScenarioVariable) + " names no scenario file");
            return state;
        }
        std::string error;
        const std::optional<vpc::Scenario> scenario = vpc::LoadScenarioFile(*path, error);
        if (!scenario) {
            ReportError(error);
            return state;
        }
        state->Build(*scenario);
    } catch (const std::exception& e) {
        ReportError(std::string("cannot build the emulated drives: ") + e.what());
        if (state)
            state->manager_.reset();
    }
    return state;
}

VirtualAspi::~VirtualAspi() {
    manager_.reset();
    if (log_ != nullptr)
        std::fclose(log_);
}

void VirtualAspi::Build(const vpc::Scenario& scenario) {
    vpc::AspiManager::Config config;
    // A scenario without "aspi" still gets a working manager with the default settings:
    // the file exists, since this DLL was loaded.
    const vpc::AspiSpec aspi = scenario.aspi.value_or(vpc::AspiSpec{});
    config.status = aspi.status;
    config.completion = aspi.completion;
    for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
        const vpc::AdapterSpec& adapter = scenario.adapters[a];
        config.adapters.push_back(vpc::AspiAdapter{adapter.scsiId, adapter.identifier});
        for (const vpc::DeviceSpec& device : adapter.devices) {
            drives_.push_back(AttachedDrive{static_cast<std::uint8_t>(a), device.target,
                                            std::make_unique<vpc::EmulatedDrive>(device.drive)});
        }
    }
    manager_ = std::make_unique<vpc::AspiManager>(std::move(config),
                                                  static_cast<vpc::AspiManager::Host&>(*this));
}

void VirtualAspi::OpenCommandLog(const std::string& path) {
    log_ = std::fopen(path.c_str(), "a");
    if (log_ == nullptr)
        ReportError(path + ": cannot open the command log");
}

std::uint32_t VirtualAspi::SupportInfo() const {
    if (!manager_)
        return std::uint32_t{kNoScenarioStatus} << 8;
    return manager_->GetASPI32SupportInfo();
}

std::uint32_t VirtualAspi::Send(void* srb) {
    if (manager_)
        return manager_->SendASPI32Command(srb);
    if (srb == nullptr)
        return aspi::SS_INVALID_CMD;
    static_cast<aspi::SRB_Header*>(srb)->SRB_Status = aspi::SS_INVALID_HA;
    return aspi::SS_INVALID_HA;
}

vpc::EmulatedDrive* VirtualAspi::FindDrive(std::uint8_t adapter, std::uint8_t target) {
    for (AttachedDrive& attached : drives_) {
        if (attached.adapter == adapter && attached.target == target)
            return attached.drive.get();
    }
    return nullptr;
}

void VirtualAspi::SignalEvent(void* postProc) {
    ::SetEvent(static_cast<HANDLE>(postProc));
}

void VirtualAspi::RecordRelease() {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (log_ == nullptr)
        return;
    std::fputs("FreeLibrary\n", log_);
    std::fflush(log_);
}

void VirtualAspi::RecordCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                                std::size_t cdbLength) {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (log_ == nullptr)
        return;
    const std::string line = vpc::FormatCommand(adapter, target, cdb, cdbLength) + "\n";
    std::fputs(line.c_str(), log_);
    std::fflush(log_);
}

}  // namespace tessaly::wnaspi32
