// The two ways the transport sends a command, behind one interface that start-up picks:
// the ASPI manager and the operating system's SCSI pass-through. Private to the transport.
#pragma once

#include <array>
#include <cstdint>

#include "platform/platform.h"
#include "transport/address_tables.h"
#include "transport/aligned_buffer.h"
#include "transport/aspi_srb.h"
#include "transport/scsi_transport.h"
#include "transport/system_owners.h"

namespace tessaly {

class TransportBackend {
  public:
    virtual ~TransportBackend() = default;
    // One CDB to the address; 1 is success, any other value a failure whose sense bytes
    // are stored in the tables.
    virtual std::int32_t Execute(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                                 std::uint8_t* buffer, std::uint32_t length) = 0;
    // The adapter's identifier and initiator id (info cleared by the caller).
    virtual std::int32_t AdapterInfo(std::uint8_t adapter, tessaly::AdapterInfo& info) = 0;
};

// The ASPI manager: the library stays bound from Load to Release; each command waits on
// an event of its own.
class AspiBackend final : public TransportBackend {
  public:
    AspiBackend(platform::Platform& platform, AddressTables& tables)
        : platform_(platform), tables_(tables) {}

    // Loads the library and finds both entry points; false, with nothing held, otherwise.
    bool Load(const char* path);
    // FreeLibrary; later commands find no manager.
    void Release();
    std::uint32_t SupportInfo() const { return getSupportInfo_(); }

    std::int32_t Execute(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                         std::uint8_t* buffer, std::uint32_t length) override;
    std::int32_t AdapterInfo(std::uint8_t adapter, tessaly::AdapterInfo& info) override;

  private:
    platform::Platform& platform_;
    AddressTables& tables_;
    ModuleOwner library_;
    aspi::GetASPI32SupportInfoProc getSupportInfo_ = nullptr;
    aspi::SendASPI32CommandProc sendCommand_ = nullptr;
};

// The SCSI ports opened at start-up, and what their port driver tells of each.
using PortHandles = std::array<HandleOwner, kMaxAdapters>;

// IOCTL_SCSI_GET_INQUIRY_DATA of a port into buffer (cleared first); false without a
// handle or an answer.
bool QueryPortInquiryData(platform::Platform& platform, platform::Handle port, std::uint8_t* buffer,
                          std::uint32_t size);
// CreateFileA of "\\.\X:", the device of a drive letter index, with the desired access.
platform::Handle CreateDriveDevice(platform::Platform& platform, int letterIndex,
                                   std::uint32_t access);
// The same, owned; empty when the device did not open.
HandleOwner OpenDriveDevice(platform::Platform& platform, int letterIndex, std::uint32_t access);

// Pass-through: each command opens the address's drive letter device, sends one
// IOCTL_SCSI_PASS_THROUGH_DIRECT and closes the device again. The time-out, the data
// buffer's alignment and what a device that does not open gives follow the system's
// rules (OsVersion).
class PassThroughBackend final : public TransportBackend {
  public:
    PassThroughBackend(ScsiTransport& transport, platform::Platform& platform,
                       AddressTables& tables, const PortHandles& ports, std::uint32_t access)
        : transport_(transport),
          platform_(platform),
          tables_(tables),
          ports_(ports),
          access_(access) {}

    std::int32_t Execute(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                         std::uint8_t* buffer, std::uint32_t length) override;
    std::int32_t AdapterInfo(std::uint8_t adapter, tessaly::AdapterInfo& info) override;

    // The system error of the last command when it went to this address and its drive
    // device did not open (NT 6 and later, Linux); 0 otherwise.
    std::uint32_t OpenFailure(std::uint8_t adapter, std::uint8_t target) const {
        return lastOpen_.adapter == adapter && lastOpen_.target == target ? lastOpen_.error : 0;
    }

  private:
    struct OpenOutcome {
        std::uint8_t adapter = 0;
        std::uint8_t target = 0;
        std::uint32_t error = 0;
    };

    ScsiTransport& transport_;  // the port driver names of the registry
    platform::Platform& platform_;
    AddressTables& tables_;
    const PortHandles& ports_;
    std::uint32_t access_;
    AlignedBuffer aligned_;  // the data of each command, on NT 6 and later
    OpenOutcome lastOpen_;
};

}  // namespace tessaly
