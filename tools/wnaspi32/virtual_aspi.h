// The state behind the virtual wnaspi32.dll: the emulated drives of one scenario and
// the emulated ASPI manager serving them, with a Host that reaches the real Win32
// event of a request and appends every command to a log file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vpc/aspi_manager.h"
#include "vpc/emulated_drive.h"
#include "vpc/scenario.h"

namespace tessaly::wnaspi32 {

// The status byte the support call reports when there is no usable scenario (SS_ERR).
inline constexpr std::uint8_t kNoScenarioStatus = 0x04;

class VirtualAspi final : private vpc::AspiManager::Host {
  public:
    // Builds the state from the files the environment names (see wnaspi32.cpp). Never
    // throws; when the scenario cannot be used the state has no manager, and the reason
    // has been written to standard error.
    static std::unique_ptr<VirtualAspi> FromEnvironment();

    ~VirtualAspi();
    VirtualAspi(const VirtualAspi&) = delete;
    VirtualAspi& operator=(const VirtualAspi&) = delete;

    // (status << 8) | adapter count; 0x0400 without a manager.
    std::uint32_t SupportInfo() const;
    // Hands the request block to the manager; without one, stores SS_INVALID_HA in the
    // block's status and returns it (SS_INVALID_CMD for a null block).
    std::uint32_t Send(void* srb);
    // Appends "FreeLibrary" to the command log: the program has released this DLL.
    void RecordRelease();

  private:
    struct AttachedDrive {
        std::uint8_t adapter = 0;
        std::uint8_t target = 0;
        std::unique_ptr<vpc::EmulatedDrive> drive;
    };

    VirtualAspi() = default;
    void Build(const vpc::Scenario& scenario);
    void OpenCommandLog(const std::string& path);

    // AspiManager::Host
    vpc::EmulatedDrive* FindDrive(std::uint8_t adapter, std::uint8_t target) override;
    void SignalEvent(void* postProc) override;
    void RecordCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                       std::size_t cdbLength) override;

    std::vector<AttachedDrive> drives_;
    std::mutex logMutex_;
    std::FILE* log_ = nullptr;
    // Last, so that it ends (and joins its worker) before everything it reaches.
    std::unique_ptr<vpc::AspiManager> manager_;
};

}  // namespace tessaly::wnaspi32
