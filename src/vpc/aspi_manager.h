// An emulated ASPI for Win32 manager (wnaspi32.dll): the support-information call
// and SendASPI32Command with host adapter inquiry and SCSI command execution. It
// knows nothing of the virtual PC: it reaches the drives, the program's events and
// the command log through its Host, so it can serve inside a real DLL as well.
//
// Completion: in pending mode (the default, as real managers work) an executed
// command returns SS_PENDING and a worker thread completes it shortly after: it
// runs the command, writes the result fields, stores the final SRB_Status through
// std::atomic_ref (release order, so a program polling that byte sees the other
// fields), then sets the event in SRB_PostProc when SRB_Flags has SRB_EVENT_NOTIFY.
// In direct mode that all happens inside the call, which returns the final status.
// One request is in flight at a time: a new request first waits for the previous
// worker. Host adapter inquiries and refused requests always complete at once.
//
// Posting (SRB_POSTING, a callback in SRB_PostProc) is not offered.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "vpc/emulated_drive.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

struct AspiAdapter {
    std::uint8_t scsiId = 7;
    std::string identifier;  // HA_Identifier, NUL-padded to 16
};

class AspiManager {
  public:
    class Host {
      public:
        // The drive at adapter:target (LUN 0), or nullptr.
        virtual EmulatedDrive* FindDrive(std::uint8_t adapter, std::uint8_t target) = 0;
        // Sets the event whose handle the program put in SRB_PostProc. May be called
        // from the worker thread.
        virtual void SignalEvent(void* postProc) = 0;
        // A command is about to reach the drive at adapter:target.
        virtual void RecordCommand(std::uint8_t adapter, std::uint8_t target,
                                   const std::uint8_t* cdb, std::size_t cdbLength) = 0;

      protected:
        ~Host() = default;
    };

    struct Config {
        std::uint8_t status = 1;  // SS_COMP: the manager is initialised
        std::vector<AspiAdapter> adapters;
        AspiCompletion completion = AspiCompletion::kPending;
        std::chrono::milliseconds completionDelay{1};
    };

    AspiManager(Config config, Host& host);
    ~AspiManager();
    AspiManager(const AspiManager&) = delete;
    AspiManager& operator=(const AspiManager&) = delete;

    // (status << 8) | adapter count (at most 255).
    std::uint32_t GetASPI32SupportInfo() const;
    // srb points at a request block starting with SRB_Header; returns SRB_Status.
    std::uint32_t SendASPI32Command(void* srb);
    // Waits until no request is in flight.
    void WaitIdle();

  private:
    struct Request {
        std::uint8_t cdb[16] = {};
        std::uint8_t cdbLength = 0;
        std::uint8_t* buffer = nullptr;
        std::uint32_t bufferLength = 0;
        std::uint8_t senseLength = 0;
        bool notify = false;
        void* postProc = nullptr;
    };

    std::uint8_t HaInquiry(std::uint8_t* srb);
    std::uint8_t ExecScsiCmd(std::uint8_t* srb);
    void Complete(std::uint8_t* srb, EmulatedDrive& drive, const Request& request);

    const Config config_;
    Host& host_;
    std::thread worker_;
};

}  // namespace tessaly::vpc
