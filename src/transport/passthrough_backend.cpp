// The pass-through backend: mapping CD-ROM drive letters to SCSI addresses,
// opening the SCSI port devices, and executing one command through
// IOCTL_SCSI_PASS_THROUGH_DIRECT on the drive's letter device.
#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "transport/scsi_command.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"

namespace tessaly {

using namespace platform;

namespace {

constexpr std::uint32_t kPassThroughTimeoutSeconds = 108000;

void DriveDeviceName(int letterIndex, char (&name)[7]) {
    std::memcpy(name, "\\\\.\\C:", sizeof name);
    name[4] = static_cast<char>('A' + letterIndex);
}

}  // namespace

std::uint32_t ScsiTransport::DeviceAccessForVersion() const {
    return os_.Rules() == TransportRules::kNt5 ? (kGenericRead | kGenericWrite) : kGenericRead;
}

std::int32_t ScsiTransport::StartPassThrough() {
    deviceAccess_ = DeviceAccessForVersion();
    driveLetter_.fill(-1);
    handleSlot_.fill(-1);

    const std::int32_t slotsBefore = handleSlotCount_;
    ScanDriveLetters();
    const bool anySlot = handleSlotCount_ > slotsBefore;
    const int portCount = anySlot ? ScanPorts() : 0;

    mode_ = TransportMode::PassThrough;

    const bool external = DiscoverExternalDevices(portCount);
    if (!external && !anySlot)
        return 0;

    for (int port = 0; port < portCount; ++port) {
        adapterKind_[port] = DetectInterfaceKind(static_cast<std::uint8_t>(port));
    }
    return portCount;
}

bool ScsiTransport::CdromLetterAddress(int letter, std::uint8_t& port, std::uint8_t& target) {
    const char root[4] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
    if (platform_.GetDriveTypeA(root) != kDriveCdrom)
        return false;
    char name[7];
    DriveDeviceName(letter, name);
    ++cdromLetterCount_;
    const Handle device =
        platform_.CreateFileA(name, deviceAccess_, kFileShareRead | kFileShareWrite, kOpenExisting);
    if (device == kInvalidHandleValue || device == 0) {
        // Only later systems refuse a user; earlier ones are not asked why.
        if (os_.IsNt6OrLater() && platform_.GetLastError() == kErrorAccessDenied)
            ++deniedLetterCount_;
        return false;
    }
    nt::SCSI_ADDRESS address{};
    std::uint32_t returned = 0;
    const bool answered = platform_.DeviceIoControl(device, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0,
                                                    &address, sizeof address, &returned);
    platform_.CloseHandle(device);
    port = address.PortNumber;
    target = address.TargetId;
    return answered;
}

void ScsiTransport::ScanDriveLetters() {
    cdromLetterCount_ = 0;
    deniedLetterCount_ = 0;
    for (int letter = kFirstDriveLetter; letter <= kLastDriveLetter; ++letter) {
        std::uint8_t port = 0;
        std::uint8_t target = 0;
        if (!CdromLetterAddress(letter, port, target))
            continue;
        const int index = LetterIndex(port, target);
        if (index < 0)
            continue;  // an address outside the tables is never entered
        handleSlot_[index] = handleSlotCount_;
        driveLetter_[index] = letter;
        ++handleSlotCount_;
    }
}

int ScsiTransport::ScanPorts() {
    std::uint8_t inquiryData[nt::kInquiryDataBufferSize];
    int portCount = 0;
    for (int port = 0; port < kMaxAdapters; ++port) {
        char name[16];
        std::snprintf(name, sizeof name, "\\\\.\\SCSI%d:", port);
        const Handle handle = platform_.CreateFileA(
            name, deviceAccess_, kFileShareRead | kFileShareWrite, kOpenExisting);
        const bool opened = handle != kInvalidHandleValue && handle != 0;
        std::memset(inquiryData, 0, sizeof inquiryData);
        if (opened) {
            std::uint32_t returned = 0;
            platform_.DeviceIoControl(handle, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                                      inquiryData, sizeof inquiryData, &returned);
        }
        if (inquiryData[nt::kAdapterBusInfoNumberOfBuses] == 0) {
            if (opened)
                platform_.CloseHandle(handle);
            break;
        }
        if (portHandles_[port] != 0)
            platform_.CloseHandle(portHandles_[port]);
        portHandles_[port] = handle;
        ++portCount;
    }
    return portCount;
}

bool ScsiTransport::QueryPortInquiryData(int port, std::uint8_t* buffer, std::uint32_t size) {
    std::memset(buffer, 0, size);
    const Handle handle = PortHandle(port);
    if (handle == 0)
        return false;
    std::uint32_t returned = 0;
    return platform_.DeviceIoControl(handle, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buffer,
                                     size, &returned);
}

std::int32_t ScsiTransport::ExecutePassThrough(std::uint8_t adapter, std::uint8_t target,
                                               const std::uint8_t* cdb, std::uint8_t* buffer,
                                               std::uint32_t length) {
    const int index = LetterIndex(adapter, target);
    if (index < 0 || handleSlot_[index] == -1)
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
    request.sptd.TimeOutValue = kPassThroughTimeoutSeconds;
    request.sptd.DataBuffer = buffer;
    request.sptd.SenseInfoOffset = offsetof(nt::PassThroughRequest, sense);
    std::memcpy(request.sptd.Cdb, cdb, cdbLength);

    const std::int32_t letter = driveLetter_[index];
    if (letter < kFirstDriveLetter || letter > kLastDriveLetter)
        return 0;

    char name[7];
    DriveDeviceName(letter, name);
    const Handle device =
        platform_.CreateFileA(name, deviceAccess_, kFileShareRead | kFileShareWrite, kOpenExisting);
    std::uint32_t returned = 0;
    std::int32_t result;
    if (platform_.DeviceIoControl(device, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                  sizeof request, &request, sizeof request, &returned)) {
        result = request.sptd.ScsiStatus;
    } else {
        // A failed call must never read as GOOD (0) or as success (1).
        const std::uint32_t error = platform_.GetLastError();
        result = error > 1 ? static_cast<std::int32_t>(error)
                           : static_cast<std::int32_t>(kErrorIoDevice);
    }
    if (device != kInvalidHandleValue && device != 0)
        platform_.CloseHandle(device);

    if (result != 0)
        StoreSense(adapter, target, request.sense);
    return result == 0 ? 1 : result;
}

std::int32_t ScsiTransport::PassThroughAdapterInfo(std::uint8_t adapter, AdapterInfo& info) {
    std::memcpy(info.managerId, "N/A", 4);
    PortDriverName(adapter, info.identifier, sizeof info.identifier);
    std::uint8_t inquiryData[nt::kInquiryDataBufferSize];
    QueryPortInquiryData(adapter, inquiryData, sizeof inquiryData);
    info.scsiId = ByteView(inquiryData, sizeof inquiryData)
                      .U8(nt::kAdapterBusInfoBusData + nt::kBusDataInitiatorBusId);
    return 1;
}

}  // namespace tessaly
