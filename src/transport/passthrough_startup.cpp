// Pass-through start-up: the device access of the system, the CD-ROM drive letters and
// the SCSI addresses they report, the SCSI port devices, and the choice of the
// pass-through back end.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "transport/backends.h"
#include "transport/inquiry_data.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"

namespace tessaly {

using namespace platform;

std::uint32_t ScsiTransport::DeviceAccessForVersion() const {
    return os_.Rules() == TransportRules::kNt5 ? (kGenericRead | kGenericWrite) : kGenericRead;
}

std::int32_t ScsiTransport::StartPassThrough() {
    deviceAccess_ = DeviceAccessForVersion();
    tables_.ResetLetters(-1);

    const std::int32_t slotsBefore = handleSlotCount_;
    ScanDriveLetters();
    const bool anySlot = handleSlotCount_ > slotsBefore;
    int portCount = 0;
    if (anySlot)
        portCount = UsesFullAddresses() ? ScanAllPorts() : ScanPorts();

    mode_ = TransportMode::PassThrough;
    passThrough_ = std::make_unique<PassThroughBackend>(*this, platform_, tables_, deviceAccess_);
    backend_ = passThrough_.get();

    const bool external = DiscoverExternalDevices(FirstAdapterAfterPorts(portCount));
    if (!external && !anySlot)
        return 0;

    if (UsesFullAddresses()) {
        for (const std::uint32_t port : scannedPorts_) {
            ResizeAdapterTables(port + 1u);
            adapterKind_[port] = DetectInterfaceKind(port);
        }
        // The count's low byte must not read as "no adapter" for 256 ports.
        return portCount > 0xFF ? 0xFF : portCount;
    }
    for (int port = 0; port < portCount; ++port) {
        adapterKind_[port] = DetectInterfaceKind(static_cast<std::uint32_t>(port));
    }
    return portCount;
}

int ScsiTransport::FirstAdapterAfterPorts(int portCount) const {
    if (!UsesFullAddresses())
        return portCount;
    // Ports may leave gaps, and a drive letter may name a port that did not answer: the
    // external drives follow every port number seen.
    std::uint32_t first = highestLetterPort_;
    if (!scannedPorts_.empty() && scannedPorts_.back() + 1u > first)
        first = scannedPorts_.back() + 1u;
    return static_cast<int>(first);
}

bool ScsiTransport::CdromLetterAddress(int letter, DriveAddress& address) {
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
    nt::SCSI_ADDRESS answer{};
    std::uint32_t returned = 0;
    const bool answered = platform_.DeviceIoControl(device.Get(), nt::IOCTL_SCSI_GET_ADDRESS,
                                                    nullptr, 0, &answer, sizeof answer, &returned);
    // The fixed tables know adapter and target alone; full addresses take all four.
    address = UsesFullAddresses()
                  ? DriveAddress(answer.PortNumber, answer.PathId, answer.TargetId, answer.Lun)
                  : DriveAddress(answer.PortNumber, answer.TargetId);
    return answered;
}

void ScsiTransport::ScanDriveLetters() {
    cdromLetterCount_ = 0;
    deniedLetterCount_ = 0;
    highestLetterPort_ = 0;
    for (int letter = kFirstDriveLetter; letter <= kLastDriveLetter; ++letter) {
        DriveAddress address;
        if (!CdromLetterAddress(letter, address))
            continue;
        // An address outside the tables is never entered.
        if (!tables_.SetLetter(address, letter, handleSlotCount_))
            continue;
        ++handleSlotCount_;
        if (address.adapter + 1u > highestLetterPort_)
            highestLetterPort_ = address.adapter + 1u;
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

int ScsiTransport::ScanAllPorts() {
    scannedPorts_.clear();
    portDevices_.clear();
    for (std::uint32_t port = 0; port < kPortNumbers; ++port) {
        const HandleOwner handle = OpenPortDevice(platform_, port);
        if (!handle)
            continue;
        const std::vector<std::uint8_t> data = QueryPortInquiryDataGrowing(platform_, handle.Get());
        const ByteView view(data.data(), data.size());
        if (view.U8(nt::kAdapterBusInfoNumberOfBuses) == 0)
            continue;  // an empty port; later numbers are still asked
        scannedPorts_.push_back(port);
        for (const PortInquiryEntry& entry : ListPortInquiryEntries(view)) {
            const DriveAddress address(port, entry.pathId, entry.targetId, entry.lun);
            if (std::find(portDevices_.begin(), portDevices_.end(), address) == portDevices_.end())
                portDevices_.push_back(address);
        }
    }
    std::sort(portDevices_.begin(), portDevices_.end());
    return static_cast<int>(scannedPorts_.size());
}

std::vector<std::uint8_t> ScsiTransport::PortInquiryData(std::uint32_t port) {
    if (UsesFullAddresses()) {
        const HandleOwner handle = OpenPortDevice(platform_, port);
        return QueryPortInquiryDataGrowing(platform_, handle.Get());
    }
    std::vector<std::uint8_t> data(nt::kInquiryDataBufferSize);
    tessaly::QueryPortInquiryData(platform_, PortHandle(port), data.data(),
                                  static_cast<std::uint32_t>(data.size()));
    return data;
}

}  // namespace tessaly
