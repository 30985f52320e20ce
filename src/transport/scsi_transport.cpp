// Start-up, shutdown, command dispatch and the per-address tables of ScsiTransport.
#include "transport/scsi_transport.h"

#include <cstring>

#include "transport/backends.h"

namespace tessaly {

using namespace platform;

ScsiTransport::ScsiTransport(Platform& platform) : platform_(platform) {
    tables_.driveLetter.fill(-1);
    tables_.handleSlot.fill(-1);
    adapterKind_.fill(kInterfaceScsi);
}

ScsiTransport::~ScsiTransport() {
    Shutdown();
}

std::int32_t ScsiTransport::Initialize() {
    aspiPath_ = aspi::kManagerFileName;
    os_ = OsVersion::Read(platform_);
    mode_ = TransportMode::Aspi;
    backend_ = nullptr;

    usbAttached_.fill(0);
    ieee1394Attached_.fill(0);
    usbSlot_.fill(0);
    ieee1394Slot_.fill(0);
    for (HandleOwner& port : portHandles_)
        port.Reset();
    adapterKind_.fill(kInterfaceScsi);
    alignmentMask_.fill(0);
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
    aspi_ = std::make_unique<AspiBackend>(platform_, tables_);
    if (!aspi_->Load(aspiPath_))
        return StartPassThrough();
    backend_ = aspi_.get();

    std::uint32_t support = aspi_->SupportInfo();
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
    if (aspi_ != nullptr)
        aspi_->Release();
    for (HandleOwner& port : portHandles_)
        port.Reset();
    return 0;
}

std::int32_t ScsiTransport::ExecuteCommand(std::uint8_t adapter, std::uint8_t target,
                                           const std::uint8_t* cdb, std::uint8_t* buffer,
                                           std::uint32_t length) {
    if (cdb == nullptr)
        return 0;
    // Before start-up there is nobody to take the request.
    if (backend_ == nullptr)
        return aspi::SS_INVALID_HA;
    return backend_->Execute(adapter, target, cdb, buffer, length);
}

SenseBytes ScsiTransport::GetLastSense(std::uint8_t adapter, std::uint8_t target) const {
    SenseBytes sense{};
    const int index = SenseIndex(adapter, target);
    if (index >= 0)
        std::memcpy(sense.data(), tables_.lastSense[index].data(), kStoredSenseLength);
    return sense;
}

std::uint32_t ScsiTransport::GetOpenFailure(std::uint8_t adapter, std::uint8_t target) const {
    return passThrough_ != nullptr ? passThrough_->OpenFailure(adapter, target) : 0;
}

int ScsiTransport::GetAdapterKind(std::uint8_t adapter) const {
    return adapter < kMaxAdapters ? adapterKind_[adapter] : kInterfaceScsi;
}

std::int32_t ScsiTransport::GetAdapterInfo(std::uint8_t adapter, AdapterInfo& info) {
    info = AdapterInfo{};
    if (backend_ == nullptr)
        return aspi::SS_INVALID_HA;
    return backend_->AdapterInfo(adapter, info);
}

std::int32_t ScsiTransport::DriveLetterEntry(std::uint8_t adapter, std::uint8_t target) const {
    const int index = LetterIndex(adapter, target);
    return index < 0 ? -1 : tables_.driveLetter[index];
}

std::int32_t ScsiTransport::HandleSlotEntry(std::uint8_t adapter, std::uint8_t target) const {
    const int index = LetterIndex(adapter, target);
    return index < 0 ? -1 : tables_.handleSlot[index];
}

Handle ScsiTransport::PortHandle(int port) const {
    return port >= 0 && port < kMaxAdapters ? portHandles_[port].Get() : 0;
}

}  // namespace tessaly
