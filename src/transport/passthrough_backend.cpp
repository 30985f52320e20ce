// The pass-through back end: one command through IOCTL_SCSI_PASS_THROUGH_DIRECT on the
// drive's letter device, and what the port driver tells of an adapter.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "transport/backends.h"
#include "transport/scsi_command.h"
#include "transport/scsi_passthrough.h"

namespace tessaly {

using namespace platform;

namespace {

// TimeOutValue in seconds, within what the port driver accepts (1 s to 30 hours).
std::uint32_t TimeOutValue(std::chrono::seconds timeout) {
    const auto count = timeout.count();
    if (count < 1)
        return 1;
    return count > nt::kLongestTimeOutValue ? nt::kLongestTimeOutValue
                                            : static_cast<std::uint32_t>(count);
}

// A failed call must never read as GOOD (0) or as success (1).
std::int32_t FailureResult(std::uint32_t error) {
    return error > 1 ? static_cast<std::int32_t>(error) : static_cast<std::int32_t>(kErrorIoDevice);
}
constexpr std::size_t kFirstInquiryDataSize = 4096;
constexpr std::size_t kMaxInquiryDataSize = 1u << 20;

}  // namespace

bool QueryPortInquiryData(Platform& platform, Handle port, std::uint8_t* buffer,
                          std::uint32_t size) {
    std::memset(buffer, 0, size);
    if (port == 0)
        return false;
    std::uint32_t returned = 0;
    return platform.DeviceIoControl(port, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buffer, size,
                                    &returned);
}

std::vector<std::uint8_t> QueryPortInquiryDataGrowing(Platform& platform, Handle port) {
    std::vector<std::uint8_t> buffer(kFirstInquiryDataSize);
    while (port != 0) {
        std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
        std::uint32_t returned = 0;
        if (platform.DeviceIoControl(port, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                                     buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                     &returned)) {
            return buffer;
        }
        const std::uint32_t error = platform.GetLastError();
        const bool tooSmall = error == kErrorInsufficientBuffer || error == kErrorMoreData;
        if (!tooSmall || buffer.size() >= kMaxInquiryDataSize)
            break;
        buffer.resize(buffer.size() * 2);
    }
    // Nothing usable: a part answer is not trusted, the buffer reads as empty.
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    return buffer;
}

HandleOwner OpenPortDevice(Platform& platform, std::uint32_t port) {
    char name[24];
    std::snprintf(name, sizeof name, "\\\\.\\SCSI%u:", static_cast<unsigned>(port));
    return HandleOwner(
        platform, platform.CreateFileA(name, 0, kFileShareRead | kFileShareWrite, kOpenExisting));
}

Handle CreateDriveDevice(Platform& platform, int letterIndex, std::uint32_t access) {
    char name[7];
    std::memcpy(name, "\\\\.\\C:", sizeof name);
    name[4] = static_cast<char>('A' + letterIndex);
    return platform.CreateFileA(name, access, kFileShareRead | kFileShareWrite, kOpenExisting);
}

HandleOwner OpenDriveDevice(Platform& platform, int letterIndex, std::uint32_t access) {
    return HandleOwner(platform, CreateDriveDevice(platform, letterIndex, access));
}

std::int32_t PassThroughBackend::Execute(const DriveAddress& address, const std::uint8_t* cdb,
                                         std::uint8_t* buffer, std::uint32_t length) {
    if (tables_.HandleSlot(address) == -1)
        return -1;

    nt::PassThroughRequest request;
    std::memset(&request, 0, sizeof request);
    const std::uint8_t cdbLength = CdbLength(cdb[0]);
    request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
    // The drive-letter device's port driver puts in the address of its own device; the
    // request still names it: with full addresses its bus, target and LUN, with the fixed
    // tables (and for an external drive, known by its slot alone) the adapter as path id,
    // target and LUN 0.
    const bool full = tables_.UsesFullAddresses() && !transport_.IsUsbSlot(address.adapter) &&
                      !transport_.Is1394Slot(address.adapter);
    request.sptd.PathId = full ? address.bus : static_cast<std::uint8_t>(address.adapter);
    request.sptd.TargetId = address.target;
    request.sptd.Lun = full ? address.lun : 0;
    request.sptd.CdbLength = cdbLength;
    request.sptd.SenseInfoLength = sizeof request.sense;
    request.sptd.DataIn = IsDataOut(cdb[0]) ? nt::SCSI_IOCTL_DATA_OUT : nt::SCSI_IOCTL_DATA_IN;
    request.sptd.DataTransferLength = length;
    const OsVersion& os = transport_.Os();
    request.sptd.TimeOutValue = TimeOutValue(os.PassThroughTimeout());
    request.sptd.DataBuffer = buffer;
    request.sptd.SenseInfoOffset = offsetof(nt::PassThroughRequest, sense);
    std::memcpy(request.sptd.Cdb, cdb, cdbLength);

    const std::int32_t letter = tables_.DriveLetter(address);
    if (letter < kFirstDriveLetter || letter > kLastDriveLetter)
        return 0;

    // Later systems get the data through a buffer at the address the adapter demands.
    const bool staged = os.UsesAlignedTransfers() && buffer != nullptr && length > 0;
    if (staged) {
        request.sptd.DataBuffer =
            aligned_.Stage(transport_.AlignmentMask(address.adapter), buffer, length);
    }

    const Handle device = CreateDriveDevice(platform_, letter, access_);
    HandleOwner owner(platform_, device);
    const std::uint32_t openError = owner ? 0 : platform_.GetLastError();
    std::uint32_t returned = 0;
    std::int32_t result;
    // Later systems do not ask a drive whose device did not open: why it did not open
    // (denied, gone, in use) is the result. Earlier ones still send the request to the
    // handle that did not open, so that the call's error is the result.
    const bool skipped = !owner && os.SkipsUnopenedDevices();
    lastOpen_ = OpenOutcome{address, skipped ? openError : 0};
    if (skipped) {
        result = FailureResult(openError);
    } else if (platform_.DeviceIoControl(device, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                         sizeof request, &request, sizeof request, &returned)) {
        result = request.sptd.ScsiStatus;
        if (staged && request.sptd.DataIn == nt::SCSI_IOCTL_DATA_IN)
            aligned_.CopyOut(buffer, request.sptd.DataTransferLength);
    } else {
        result = FailureResult(platform_.GetLastError());
    }
    owner.Reset();

    if (result != 0)
        tables_.StoreSense(address, request.sense);
    return result == 0 ? 1 : result;
}

std::int32_t PassThroughBackend::AdapterInfo(std::uint32_t adapter, tessaly::AdapterInfo& info) {
    std::memcpy(info.managerId, "N/A", 4);
    transport_.PortDriverName(adapter, info.identifier, sizeof info.identifier);
    const std::vector<std::uint8_t> inquiryData = transport_.PortInquiryData(adapter);
    info.scsiId = ByteView(inquiryData.data(), inquiryData.size())
                      .U8(nt::kAdapterBusInfoBusData + nt::kBusDataInitiatorBusId);
    return 1;
}

}  // namespace tessaly
