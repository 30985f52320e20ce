// The two ways the transport sends a command, behind one interface that start-up picks:
// the ASPI manager and the operating system's SCSI pass-through. Private to the transport.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

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
    virtual std::int32_t Execute(const DriveAddress& address, const std::uint8_t* cdb,
                                 std::uint8_t* buffer, std::uint32_t length) = 0;
    // The adapter's identifier and initiator id (info cleared by the caller).
    virtual std::int32_t AdapterInfo(std::uint32_t adapter, tessaly::AdapterInfo& info) = 0;
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

    std::int32_t Execute(const DriveAddress& address, const std::uint8_t* cdb, std::uint8_t* buffer,
                         std::uint32_t length) override;
    std::int32_t AdapterInfo(std::uint32_t adapter, tessaly::AdapterInfo& info) override;

  private:
    platform::Platform& platform_;
    AddressTables& tables_;
    ModuleOwner library_;
    aspi::GetASPI32SupportInfoProc getSupportInfo_ = nullptr;
    aspi::SendASPI32CommandProc sendCommand_ = nullptr;
};

// What the port driver of a SCSI port tells of it.
// IOCTL_SCSI_GET_INQUIRY_DATA of a port into buffer (cleared first); false without a
// handle or an answer.
bool QueryPortInquiryData(platform::Platform& platform, platform::Handle port, std::uint8_t* buffer,
                          std::uint32_t size);
// The same into a buffer that starts at 4096 bytes and doubles while the port answers that
// it does not fit (ERROR_INSUFFICIENT_BUFFER or ERROR_MORE_DATA), up to 1 MiB. All zero
// when the port gave nothing.
std::vector<std::uint8_t> QueryPortInquiryDataGrowing(platform::Platform& platform,
                                                      platform::Handle port);
// CreateFileA of "\\.\SCSIn:" with no access rights: its queries demand none.
HandleOwner OpenPortDevice(platform::Platform& platform, std::uint32_t port);
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
                       AddressTables& tables, std::uint32_t access)
        : transport_(transport), platform_(platform), tables_(tables), access_(access) {}

    std::int32_t Execute(const DriveAddress& address, const std::uint8_t* cdb, std::uint8_t* buffer,
                         std::uint32_t length) override;
    std::int32_t AdapterInfo(std::uint32_t adapter, tessaly::AdapterInfo& info) override;

    // The system error of the last command when it went to this address and its drive
    // device did not open (NT 6 and later, Linux); 0 otherwise.
    std::uint32_t OpenFailure(const DriveAddress& address) const {
        return lastOpen_.address == address ? lastOpen_.error : 0;
    }

  private:
    struct OpenOutcome {
        DriveAddress address;
        std::uint32_t error = 0;
    };

    ScsiTransport& transport_;  // the port driver names of the registry, the ports' inquiry data
    platform::Platform& platform_;
    AddressTables& tables_;
    std::uint32_t access_;
    AlignedBuffer aligned_;  // the data of each command, on NT 6 and later
    OpenOutcome lastOpen_;
};

}  // namespace tessaly
