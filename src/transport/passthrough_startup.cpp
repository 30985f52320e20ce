// Pass-through start-up: the device access of the system, the CD-ROM drive letters and
// the SCSI addresses they report, the SCSI port devices, and the choice of the
// pass-through back end.
#include <cstdio>
#include <cstring>

#include "transport/backends.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"

namespace tessaly {

using namespace platform;

std::uint32_t ScsiTransport::DeviceAccessForVersion() const {
    return os_.Rules() == TransportRules::kNt5 ? (kGenericRead | kGenericWrite) : kGenericRead;
}

std::int32_t ScsiTransport::StartPassThrough() {
    deviceAccess_ = DeviceAccessForVersion();
    tables_.driveLetter.fill(-1);
    tables_.handleSlot.fill(-1);

    const std::int32_t slotsBefore = handleSlotCount_;
    ScanDriveLetters();
    const bool anySlot = handleSlotCount_ > slotsBefore;
    const int portCount = anySlot ? ScanPorts() : 0;

    mode_ = TransportMode::PassThrough;
    passThrough_ = std::make_unique<PassThroughBackend>(*this, platform_, tables_, portHandles_,
                                                        deviceAccess_);
    backend_ = passThrough_.get();

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
    ++cdromLetterCount_;
    const HandleOwner device = OpenDriveDevice(platform_, letter, deviceAccess_);
    if (!device) {
        // Only later systems refuse a user; earlier ones are not asked why.
        if (os_.IsNt6OrLater() && platform_.GetLastError() == kErrorAccessDenied)
            ++deniedLetterCount_;
        return false;
    }
    nt::SCSI_ADDRESS address{};
    std::uint32_t returned = 0;
    const bool answered = platform_.DeviceIoControl(
        device.Get(), nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned);
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
        tables_.handleSlot[index] = handleSlotCount_;
        tables_.driveLetter[index] = letter;
        ++handleSlotCount_;
    }
}

int ScsiTransport::ScanPorts() {
    std::uint8_t inquiryData[nt::kInquiryDataBufferSize];
    int portCount = 0;
    for (int port = 0; port < kMaxAdapters; ++port) {
        char name[16];
        std::snprintf(name, sizeof name, "\\\\.\\SCSI%d:", port);
        HandleOwner handle(
            platform_, platform_.CreateFileA(name, deviceAccess_, kFileShareRead | kFileShareWrite,
                                             kOpenExisting));
        std::memset(inquiryData, 0, sizeof inquiryData);
        if (handle) {
            std::uint32_t returned = 0;
            platform_.DeviceIoControl(handle.Get(), nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                                      inquiryData, sizeof inquiryData, &returned);
        }
        if (inquiryData[nt::kAdapterBusInfoNumberOfBuses] == 0)
            break;  // the handle is closed as its owner goes
        portHandles_[port] = std::move(handle);
        ++portCount;
    }
    return portCount;
}

bool ScsiTransport::QueryPortInquiryData(int port, std::uint8_t* buffer, std::uint32_t size) {
    return tessaly::QueryPortInquiryData(platform_, PortHandle(port), buffer, size);
}

}  // namespace tessaly
