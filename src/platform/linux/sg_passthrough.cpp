#include "platform/linux/sg_passthrough.h"

#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <limits>

#include "common/bytes.h"
#include "platform/linux/error_codes.h"
#include "platform/platform.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::platform::linux_os {

namespace {

using nt::SCSI_PASS_THROUGH_DIRECT;
constexpr std::uint32_t kRequestSize = sizeof(SCSI_PASS_THROUGH_DIRECT);
constexpr std::size_t kScsiAddressSize = 8;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

// The driver byte's error part; 0x08 (sense available) alone is no error.
constexpr unsigned kDriverErrorMask = 0x07;
constexpr unsigned kDriverTimeout = 0x06;
constexpr unsigned kHostTimeout = 0x03;  // DID_TIME_OUT
constexpr std::uint8_t kCheckCondition = 0x02;
constexpr std::uint8_t kRequestSense = 0x03;

// The host statuses that mean "send it again": DID_BUS_BUSY, DID_RESET, DID_SOFT_ERROR,
// DID_IMM_RETRY, DID_REQUEUE and DID_TRANSPORT_DISRUPTED. Such a command is sent again
// up to kTransientRetries times, kRetryPauseMs apart.
constexpr unsigned kTransientHostStatuses[] = {0x02, 0x08, 0x0B, 0x0C, 0x0D, 0x0E};
constexpr int kTransientRetries = 3;
constexpr std::uint32_t kRetryPauseMs = 200;

// The longest a command may take. The Windows time-out the core asks for is 30 hours,
// and a drive that stops answering would hold the process in the kernel for as long;
// every command this program sends is done in seconds.
constexpr std::uint32_t kMaxTimeoutSeconds = 60;

ControlResult Failed(std::uint32_t error) {
    return ControlResult{false, error, 0};
}

int Direction(std::uint8_t dataIn, std::uint32_t length) {
    if (length == 0)
        return SG_DXFER_NONE;
    switch (dataIn) {
        case nt::SCSI_IOCTL_DATA_IN:
            return SG_DXFER_FROM_DEV;
        case nt::SCSI_IOCTL_DATA_OUT:
            return SG_DXFER_TO_DEV;
        default:
            return SG_DXFER_NONE;
    }
}

// Windows refuses a block whose length field is not the structure's, a CDB over 16
// bytes, an unknown direction, a data length without a buffer, and a sense area that
// overlaps the structure or runs past the output.
bool RequestValid(const SCSI_PASS_THROUGH_DIRECT& request, std::uint32_t outSize) {
    if (request.Length != kRequestSize || request.CdbLength == 0 ||
        request.CdbLength > sizeof request.Cdb ||
        request.DataIn > nt::SCSI_IOCTL_DATA_UNSPECIFIED) {
        return false;
    }
    if (request.DataBuffer == nullptr && request.DataTransferLength != 0)
        return false;
    if (request.SenseInfoLength == 0)
        return true;
    return request.SenseInfoOffset >= kRequestSize &&
           std::uint64_t{request.SenseInfoOffset} + request.SenseInfoLength <= outSize;
}

// Seconds asked to milliseconds, capped; 0 (the kernel's own default, which anyone may
// have set) is the cap too.
std::uint32_t TimeoutMilliseconds(std::uint32_t seconds) {
    const std::uint32_t capped =
        seconds == 0 ? kMaxTimeoutSeconds : std::min(seconds, kMaxTimeoutSeconds);
    return capped * kMillisecondsPerSecond;
}

bool Transient(unsigned hostStatus) {
    return std::find(std::begin(kTransientHostStatuses), std::end(kTransientHostStatuses),
                     hostStatus) != std::end(kTransientHostStatuses);
}

// SG_IO, sent again while the host answers a transient status. The answer fields are
// cleared before each try so that none is left from the one before.
int SendWithRetries(SystemCalls& calls, int fd, sg_io_hdr_t& header) {
    for (int attempt = 0;; ++attempt) {
        header.status = 0;
        header.host_status = 0;
        header.driver_status = 0;
        header.sb_len_wr = 0;
        header.resid = 0;
        const int rc = calls.Ioctl(fd, SG_IO, &header);
        if (rc < 0 || !Transient(header.host_status) || attempt == kTransientRetries)
            return rc;
        calls.Pause(kRetryPauseMs);
    }
}

// One six-byte data-in command of the program's own (REQUEST SENSE, INQUIRY) into data:
// the bytes it moved, or -1 when it failed. With retry, transient host statuses send it again.
int SendOwnRead(SystemCalls& calls, int fd, std::uint8_t (&cdb)[6], std::uint8_t* data,
                std::uint8_t length, std::uint32_t timeout, bool retry) {
    std::array<std::uint8_t, 32> ownSense{};
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.dxfer_direction = SG_DXFER_FROM_DEV;
    header.cmd_len = sizeof cdb;
    header.mx_sb_len = ownSense.size();
    header.dxfer_len = length;
    header.dxferp = data;
    header.cmdp = cdb;
    header.sbp = ownSense.data();
    header.timeout = timeout;
    const int rc = retry ? SendWithRetries(calls, fd, header) : calls.Ioctl(fd, SG_IO, &header);
    if (rc < 0 || header.status != 0 || header.host_status != 0 ||
        (header.driver_status & kDriverErrorMask) != 0) {
        return -1;
    }
    return length - std::clamp(header.resid, 0, int{length});
}

// REQUEST SENSE for a CHECK CONDITION that came without sense bytes: the bytes the drive
// returned (cut to its additional sense length), 0 when it gave none.
std::uint8_t AskSense(SystemCalls& calls, int fd, std::uint32_t timeout, std::uint8_t* sense,
                      std::uint8_t room) {
    std::uint8_t cdb[6] = {kRequestSense, 0, 0, 0, room, 0};
    const int moved = SendOwnRead(calls, fd, cdb, sense, room, timeout, true);
    constexpr int kFixedSenseHeader = 8;  // the additional length is byte 7
    if (moved < kFixedSenseHeader)
        return static_cast<std::uint8_t>(std::max(moved, 0));
    return static_cast<std::uint8_t>(std::min(moved, kFixedSenseHeader + sense[7]));
}

}  // namespace

ControlResult PassThroughDirect(SystemCalls& calls, int fd, const void* in, std::uint32_t inSize,
                                void* out, std::uint32_t outSize) {
    if (in == nullptr || out == nullptr)
        return Failed(kErrorInvalidParameter);
    if (inSize < kRequestSize || outSize < kRequestSize)
        return Failed(kErrorInsufficientBuffer);
    SCSI_PASS_THROUGH_DIRECT request;
    std::memcpy(&request, in, kRequestSize);
    if (!RequestValid(request, outSize))
        return Failed(kErrorInvalidParameter);

    const int direction = Direction(request.DataIn, request.DataTransferLength);
    const std::uint32_t length = direction == SG_DXFER_NONE ? 0 : request.DataTransferLength;
    std::array<std::uint8_t, 255> sense{};
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.dxfer_direction = direction;
    header.cmd_len = request.CdbLength;
    header.mx_sb_len =
        static_cast<unsigned char>(std::min<std::size_t>(request.SenseInfoLength, sense.size()));
    header.dxfer_len = length;
    header.dxferp = length != 0 ? request.DataBuffer : nullptr;
    header.cmdp = request.Cdb;
    header.sbp = sense.data();
    header.timeout = TimeoutMilliseconds(request.TimeOutValue);

    const int rc = SendWithRetries(calls, fd, header);
    if (rc < 0)
        return Failed(WindowsErrorOf(-rc));
    std::uint8_t senseCount =
        static_cast<std::uint8_t>(std::min<unsigned>(header.sb_len_wr, header.mx_sb_len));
    // A host or driver error fails the call unless the drive's own status or sense came
    // with it: those are the drive's answer and go to the caller.
    const unsigned driverError = header.driver_status & kDriverErrorMask;
    const bool driveAnswered = header.status != 0 || senseCount > 0;
    if (header.host_status != 0 && !driveAnswered)
        return Failed(header.host_status == kHostTimeout ? kErrorSemTimeout : kErrorIoDevice);
    if (driverError != 0 && !driveAnswered)
        return Failed(driverError == kDriverTimeout ? kErrorSemTimeout : kErrorIoDevice);
    if (header.status == kCheckCondition && senseCount == 0 && header.mx_sb_len > 0)
        senseCount = AskSense(calls, fd, header.timeout, sense.data(), header.mx_sb_len);

    const int resid = std::clamp(
        header.resid, 0,
        static_cast<int>(std::min<std::uint32_t>(length, std::numeric_limits<int>::max())));
    request.ScsiStatus = header.status;
    request.DataTransferLength = length - static_cast<std::uint32_t>(resid);
    request.SenseInfoLength = senseCount;
    auto* block = static_cast<std::uint8_t*>(out);
    std::memcpy(block, &request, kRequestSize);
    if (senseCount > 0)
        std::memcpy(block + request.SenseInfoOffset, sense.data(), senseCount);
    return ControlResult{true, 0,
                         senseCount > 0 ? request.SenseInfoOffset + senseCount : kRequestSize};
}

bool AskInquiry(SystemCalls& calls, int fd, std::vector<std::uint8_t>& answer) {
    constexpr std::uint8_t kInquiryLength = 36;
    std::uint8_t cdb[6] = {0x12, 0, 0, 0, kInquiryLength, 0};
    std::array<std::uint8_t, kInquiryLength> data{};
    const int moved = SendOwnRead(calls, fd, cdb, data.data(), kInquiryLength,
                                  10 * kMillisecondsPerSecond, false);
    if (moved < 8)
        return false;  // not even the peripheral type and the lengths
    answer.assign(data.begin(), data.begin() + moved);
    return true;
}

bool ReadIdLun(SystemCalls& calls, int fd, IdLun& address, std::uint32_t& error) {
    // struct scsi_idlun: four_in_one = id | lun << 8 | channel << 16 | host << 24, and
    // the host's unique id.
    std::uint32_t idlun[2] = {0, 0};
    const int rc = calls.Ioctl(fd, SCSI_IOCTL_GET_IDLUN, idlun);
    if (rc < 0) {
        error = WindowsErrorOf(-rc);
        return false;
    }
    address.id = static_cast<std::uint8_t>(idlun[0]);
    address.lun = static_cast<std::uint8_t>(idlun[0] >> 8);
    address.channel = static_cast<std::uint8_t>(idlun[0] >> 16);
    address.host = static_cast<std::uint8_t>(idlun[0] >> 24);
    return true;
}

ControlResult WriteScsiAddress(const IdLun& address, void* out, std::uint32_t outSize) {
    if (outSize < kScsiAddressSize)
        return Failed(kErrorInsufficientBuffer);
    if (out == nullptr)
        return Failed(kErrorInvalidParameter);
    ByteWriter writer(static_cast<std::uint8_t*>(out), kScsiAddressSize);
    writer.Le32(0, kScsiAddressSize);
    writer.U8(4, address.host);
    writer.U8(5, address.channel);
    writer.U8(6, address.id);
    writer.U8(7, address.lun);
    return ControlResult{true, 0, kScsiAddressSize};
}

}  // namespace tessaly::platform::linux_os
