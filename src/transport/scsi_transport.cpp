// Start-up, shutdown, command dispatch and the per-address tables of ScsiTransport.
#include "transport/scsi_transport.h"

#include <cstring>

#include "transport/backends.h"

namespace tessaly {

using namespace platform;

ScsiTransport::ScsiTransport(Platform& platform) : platform_(platform) {}

ScsiTransport::~ScsiTransport() {
    Shutdown();
}

std::int32_t ScsiTransport::Initialize() {
    aspiPath_ = aspi::kManagerFileName;
    os_ = OsVersion::Read(platform_);
    mode_ = TransportMode::Aspi;
    backend_ = nullptr;
    tables_.UseFullAddresses(os_.UsesFullAddresses());

    tables_.ResetAttachment();
    usbSlot_.assign(kMaxAdapters, 0);
    ieee1394Slot_.assign(kMaxAdapters, 0);
    for (HandleOwner& port : portHandles_)
        port.Reset();
    scannedPorts_.clear();
    portDevices_.clear();
    adapterKind_.assign(kMaxAdapters, kInterfaceScsi);
    alignmentMask_.assign(kMaxAdapters, 0);
    anyUsb_ = false;
    hasExternalDevices_ = false;
    external_.assign(kExternalSlots, ExternalDeviceRecord{});

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

std::int32_t ScsiTransport::ExecuteCommand(const DriveAddress& address, const std::uint8_t* cdb,
                                           std::uint8_t* buffer, std::uint32_t length) {
    if (cdb == nullptr)
        return 0;
    // Before start-up there is nobody to take the request.
    if (backend_ == nullptr)
        return aspi::SS_INVALID_HA;
    return backend_->Execute(address, cdb, buffer, length);
}

int ScsiTransport::GetAdapterKind(std::uint32_t adapter) const {
    return adapter < adapterKind_.size() ? adapterKind_[adapter] : kInterfaceScsi;
}

std::uint32_t ScsiTransport::GetOpenFailure(const DriveAddress& address) const {
    return passThrough_ != nullptr ? passThrough_->OpenFailure(address) : 0;
}

std::int32_t ScsiTransport::GetAdapterInfo(std::uint32_t adapter, AdapterInfo& info) {
    info = AdapterInfo{};
    if (backend_ == nullptr)
        return aspi::SS_INVALID_HA;
    return backend_->AdapterInfo(adapter, info);
}

Handle ScsiTransport::PortHandle(std::uint32_t port) const {
    return port < kMaxAdapters ? portHandles_[port].Get() : 0;
}

std::vector<DriveAddress> ScsiTransport::DiscoveryAddresses(int adapterCount) const {
    if (UsesFullAddresses())
        return portDevices_;
    std::vector<DriveAddress> addresses;
    for (int a = 0; a < adapterCount; ++a) {
        for (int t = 0; t < kTargetsPerAdapter; ++t)
            addresses.emplace_back(static_cast<std::uint32_t>(a), static_cast<std::uint8_t>(t));
    }
    return addresses;
}

void ScsiTransport::ResizeAdapterTables(std::size_t count) {
    if (count <= usbSlot_.size())
        return;
    usbSlot_.resize(count, 0);
    ieee1394Slot_.resize(count, 0);
    adapterKind_.resize(count, kInterfaceScsi);
    alignmentMask_.resize(count, 0);
    external_.resize(count);
}

}  // namespace tessaly
