// Windows' SCSI pass-through requests on a Linux SCSI device: a
// SCSI_PASS_THROUGH_DIRECT becomes one SG_IO request, and the SCSI address comes from
// SCSI_IOCTL_GET_IDLUN. Requests are checked as Windows checks them before the device
// sees anything; the answer is written back where Windows puts it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/linux/system_calls.h"

namespace tessaly::platform::linux_os {

// What a device control returns: success, else the Windows error code; the byte count.
struct ControlResult {
    bool ok = false;
    std::uint32_t error = 0;
    std::uint32_t returned = 0;
};

// IOCTL_SCSI_PASS_THROUGH_DIRECT: the request block is read from in and written to out
// (ScsiStatus, SenseInfoLength, DataTransferLength and the sense bytes at
// SenseInfoOffset). The time-out is capped at a minute. A command the host answers with
// a transient status (bus busy, reset, requeue...) is sent again, up to three times with
// a short pause. A CHECK CONDITION succeeds with its status and sense, asked for with
// REQUEST SENSE when none came with it; a host or driver error keeps the drive's status
// and sense when they came with it, else fails, as a failed call does, with a Windows
// error code.
ControlResult PassThroughDirect(SystemCalls& calls, int fd, const void* in, std::uint32_t inSize,
                                void* out, std::uint32_t outSize);

struct IdLun {
    std::uint8_t host = 0;
    std::uint8_t channel = 0;
    std::uint8_t id = 0;
    std::uint8_t lun = 0;
};

// SCSI_IOCTL_GET_IDLUN: false with a Windows error code when the device has none.
bool ReadIdLun(SystemCalls& calls, int fd, IdLun& address, std::uint32_t& error);

// A standard INQUIRY (36 bytes) through SG_IO; false when the device does not answer it.
bool AskInquiry(SystemCalls& calls, int fd, std::vector<std::uint8_t>& answer);

// IOCTL_SCSI_GET_ADDRESS's SCSI_ADDRESS (8 bytes): Length, PortNumber = host,
// PathId = channel, TargetId = id, Lun.
ControlResult WriteScsiAddress(const IdLun& address, void* out, std::uint32_t outSize);

}  // namespace tessaly::platform::linux_os
