// Drive letters of addresses, and the port driver names they are matched by.
#include <cstdio>
#include <cstring>

#include "transport/registry_key.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"
#include "transport/text_match.h"

namespace tessaly {

using namespace platform;

namespace {
constexpr int kPortMapSize = 16;
}  // namespace

void ScsiTransport::PortDriverName(std::uint32_t port, char* buffer, std::size_t size) {
    if (size == 0)
        return;
    CopyText("Unknown", buffer, size);
    char portKey[24];
    std::snprintf(portKey, sizeof portKey, "Scsi Port %1u", static_cast<unsigned>(port));
    RegistryKey key(platform_);
    if (!key.Open(kHkeyLocalMachine, {"HARDWARE", "DEVICEMAP", "Scsi", portKey}, kKeyQueryValue)) {
        return;
    }
    key.ReadText("Driver", buffer, size);
}

std::int32_t ScsiTransport::GetDriveLetter(const DriveAddress& address) {
    if (IsUsbSlot(address.adapter)) {
        const std::int32_t letter = DriveLetterEntry(address);
        return letter < 0 ? kNoDriveLetter : letter;
    }
    if (os_.Rules() != TransportRules::kWindows9x) {
        if (!ntLetterMapBuilt_ && mode_ == TransportMode::Aspi)
            BuildNtLetterMap();
        ntLetterMapBuilt_ = true;
        const std::int32_t letter = DriveLetterEntry(address);
        return letter < 0 ? kNoDriveLetter : letter;
    }
    const std::uint32_t adapter = address.adapter;
    const std::uint8_t target = address.target;
    InquiryIdentity identity;
    if (Inquiry(address, identity) == 0)
        return kNoDriveLetter;
    char name[sizeof(Win9xDeviceEntry::name)];
    JoinDeviceName(identity, name, sizeof name);
    for (int i = 0; i < win9xDeviceCount_; ++i) {
        const Win9xDeviceEntry& entry = win9xDevices_[i];
        if (entry.adapter == adapter && entry.target == target &&
            std::strcmp(entry.name, name) == 0) {
            return entry.letter;
        }
    }
    return kNoDriveLetter;
}

void ScsiTransport::BuildNtLetterMap() {
    tables_.ResetLetters(kNoDriveLetter);
    int portMap[kPortMapSize];
    for (int& entry : portMap)
        entry = -1;
    bool claimed[256] = {};

    const unsigned adapters = supportInfo_ & 0xFF;
    for (unsigned j = 0; j < adapters; ++j) {
        AdapterInfo info;
        GetAdapterInfo(static_cast<std::uint8_t>(j), info);
        for (int k = 0; k < kPortMapSize; ++k) {
            char driver[64];
            PortDriverName(k, driver, sizeof driver);
            if (EqualIgnoringCase(info.identifier, driver) && portMap[k] == -1 && !claimed[j]) {
                portMap[k] = static_cast<int>(j);
                claimed[j] = true;
            }
        }
    }

    for (int letter = kFirstDriveLetter; letter <= kLastDriveLetter; ++letter) {
        DriveAddress address;
        if (!CdromLetterAddress(letter, address) || address.adapter >= kPortMapSize ||
            portMap[address.adapter] < 0) {
            continue;
        }
        address.adapter = static_cast<std::uint32_t>(portMap[address.adapter]);
        tables_.SetLetterOnly(address, letter);
    }
}

}  // namespace tessaly
