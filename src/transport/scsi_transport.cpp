// Start-up, shutdown, command dispatch and the per-address tables of ScsiTransport.
#include "transport/scsi_transport.h"

#include <cstring>

namespace tessaly {

using namespace platform;

ScsiTransport::ScsiTransport(Platform& platform) : platform_(platform) {
    driveLetter_.fill(-1);
    handleSlot_.fill(-1);
    adapterKind_.fill(kInterfaceScsi);
}

ScsiTransport::~ScsiTransport() {
    Shutdown();
}

int ScsiTransport::SenseIndex(std::uint8_t adapter, std::uint8_t target) {
    if (adapter >= kSenseTableAdapters || target >= kTargetsPerAdapter)
        return -1;
    return adapter * kTargetsPerAdapter + target;
}

int ScsiTransport::LetterIndex(std::uint8_t adapter, std::uint8_t target) {
    if (adapter >= kLetterTableAdapters || target >= kTargetsPerAdapter)
        return -1;
    return adapter * kTargetsPerAdapter + target;
}

std::int32_t ScsiTransport::Initialize() {
    aspiPath_ = aspi::kManagerFileName;
    os_ = OsVersion::Read(platform_);
    mode_ = TransportMode::Aspi;

    usbAttached_.fill(0);
    ieee1394Attached_.fill(0);
    usbSlot_.fill(0);
    ieee1394Slot_.fill(0);
    driveHandles_.fill(0);
    portHandles_.fill(0);
    adapterKind_.fill(kInterfaceScsi);
    anyUsb_ = false;
    hasExternalDevices_ = false;
    external_.fill(ExternalDeviceRecord{});

    // NT 5.x reaches drives through pass-through only; the manager is not even loaded.
    if (os_.Rules() == TransportRules::kNt5) {
        deviceAccess_ = kGenericRead | kGenericWrite;
        aspiBypassed_ = true;
        return StartPassThrough();
    }

    deviceAccess_ = kGenericRead;
    aspiBypassed_ = false;
    if (!LoadAspiManager())
        return StartPassThrough();

    std::uint32_t support = getSupportInfo_();
    if ((support & 0x100) == 0)
        support = static_cast<std::uint32_t>(StartPassThrough());
    if ((support & 0xFF) == 0)
        support = static_cast<std::uint32_t>(StartPassThrough());

    ScanWin9xDevices();

    supportInfo_ = support;
    const unsigned count = support & 0xFF;
    for (unsigned adapter = 0; adapter < count && adapter < kMaxAdapters; ++adapter) {
        adapterKind_[adapter] = DetectInterfaceKind(static_cast<std::uint8_t>(adapter));
    }
    return static_cast<std::int32_t>(support);
}

std::int32_t ScsiTransport::Shutdown() {
    if (aspiLibrary_ != 0) {
        platform_.FreeLibrary(aspiLibrary_);
        aspiLibrary_ = 0;
        getSupportInfo_ = nullptr;
        sendCommand_ = nullptr;
    }
    for (int i = 0; i < kMaxAdapters; ++i) {
        if (driveHandles_[i] != 0) {
            platform_.CloseHandle(driveHandles_[i]);
            driveHandles_[i] = 0;
        }
        if (portHandles_[i] != 0) {
            platform_.CloseHandle(portHandles_[i]);
            portHandles_[i] = 0;
        }
    }
    return 0;
}

std::int32_t ScsiTransport::ExecuteCommand(std::uint8_t adapter, std::uint8_t target,
                                           const std::uint8_t* cdb, std::uint8_t* buffer,
                                           std::uint32_t length) {
    if (cdb == nullptr)
        return 0;
    if (mode_ == TransportMode::PassThrough) {
        return ExecutePassThrough(adapter, target, cdb, buffer, length);
    }
    return ExecuteAspi(adapter, target, cdb, buffer, length);
}

void ScsiTransport::StoreSense(std::uint8_t adapter, std::uint8_t target,
                               const std::uint8_t* sense) {
    const int index = SenseIndex(adapter, target);
    if (index < 0)
        return;  // outside the table: nothing is written
    std::memcpy(lastSense_[index].data(), sense, kStoredSenseLength);
}

SenseBytes ScsiTransport::GetLastSense(std::uint8_t adapter, std::uint8_t target) const {
    SenseBytes sense{};
    const int index = SenseIndex(adapter, target);
    if (index >= 0)
        std::memcpy(sense.data(), lastSense_[index].data(), kStoredSenseLength);
    return sense;
}

int ScsiTransport::GetAdapterKind(std::uint8_t adapter) const {
    return adapter < kMaxAdapters ? adapterKind_[adapter] : kInterfaceScsi;
}

std::int32_t ScsiTransport::GetAdapterInfo(std::uint8_t adapter, AdapterInfo& info) {
    info = AdapterInfo{};
    if (mode_ == TransportMode::PassThrough)
        return PassThroughAdapterInfo(adapter, info);
    return AspiAdapterInquiry(adapter, info);
}

std::int32_t ScsiTransport::DriveLetterEntry(std::uint8_t adapter, std::uint8_t target) const {
    const int index = LetterIndex(adapter, target);
    return index < 0 ? -1 : driveLetter_[index];
}

std::int32_t ScsiTransport::HandleSlotEntry(std::uint8_t adapter, std::uint8_t target) const {
    const int index = LetterIndex(adapter, target);
    return index < 0 ? -1 : handleSlot_[index];
}

Handle ScsiTransport::PortHandle(int port) const {
    return port >= 0 && port < kMaxAdapters ? portHandles_[port] : 0;
}

}  // namespace tessaly
