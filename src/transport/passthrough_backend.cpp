// The pass-through back end: one command through IOCTL_SCSI_PASS_THROUGH_DIRECT on the
// drive's letter device, and what the port driver tells of an adapter.
#include <chrono>
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

Handle CreateDriveDevice(Platform& platform, int letterIndex, std::uint32_t access) {
    char name[7];
    std::memcpy(name, "\\\\.\\C:", sizeof name);
    name[4] = static_cast<char>('A' + letterIndex);
    return platform.CreateFileA(name, access, kFileShareRead | kFileShareWrite, kOpenExisting);
}

HandleOwner OpenDriveDevice(Platform& platform, int letterIndex, std::uint32_t access) {
    return HandleOwner(platform, CreateDriveDevice(platform, letterIndex, access));
}

std::int32_t PassThroughBackend::Execute(std::uint8_t adapter, std::uint8_t target,
                                         const std::uint8_t* cdb, std::uint8_t* buffer,
                                         std::uint32_t length) {
    const int index = AddressTables::LetterIndex(adapter, target);
    if (index < 0 || tables_.handleSlot[index] == -1)
        return -1;

    nt::PassThroughRequest request;
    std::memset(&request, 0, sizeof request);
    const std::uint8_t cdbLength = CdbLength(cdb[0]);
    request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
    request.sptd.PathId = adapter;
    request.sptd.TargetId = target;
    request.sptd.Lun = 0;
    request.sptd.CdbLength = cdbLength;
    request.sptd.SenseInfoLength = sizeof request.sense;
    request.sptd.DataIn = IsDataOut(cdb[0]) ? nt::SCSI_IOCTL_DATA_OUT : nt::SCSI_IOCTL_DATA_IN;
    request.sptd.DataTransferLength = length;
    const OsVersion& os = transport_.Os();
    request.sptd.TimeOutValue = TimeOutValue(os.PassThroughTimeout());
    request.sptd.DataBuffer = buffer;
    request.sptd.SenseInfoOffset = offsetof(nt::PassThroughRequest, sense);
    std::memcpy(request.sptd.Cdb, cdb, cdbLength);

    const std::int32_t letter = tables_.driveLetter[index];
    if (letter < kFirstDriveLetter || letter > kLastDriveLetter)
        return 0;

    // Later systems get the data through a buffer at the address the adapter demands.
    const bool staged = os.UsesAlignedTransfers() && buffer != nullptr && length > 0;
    if (staged) {
        request.sptd.DataBuffer = aligned_.Stage(transport_.AlignmentMask(adapter), buffer, length);
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
    lastOpen_ = OpenOutcome{adapter, target, skipped ? openError : 0};
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
        tables_.StoreSense(adapter, target, request.sense);
    return result == 0 ? 1 : result;
}

std::int32_t PassThroughBackend::AdapterInfo(std::uint8_t adapter, tessaly::AdapterInfo& info) {
    std::memcpy(info.managerId, "N/A", 4);
    transport_.PortDriverName(adapter, info.identifier, sizeof info.identifier);
    std::uint8_t inquiryData[nt::kInquiryDataBufferSize];
    QueryPortInquiryData(platform_, adapter < kMaxAdapters ? ports_[adapter].Get() : 0, inquiryData,
                         sizeof inquiryData);
    info.scsiId = ByteView(inquiryData, sizeof inquiryData)
                      .U8(nt::kAdapterBusInfoBusData + nt::kBusDataInitiatorBusId);
    return 1;
}

}  // namespace tessaly
