// External drives: USB and IEEE 1394 drives that Windows 2000/XP reach only by
// their drive letter. They are found in the mounted-device list, kept when their
// compatible ids name a USB or IEEE 1394 bus, and given adapter numbers (slots)
// after the SCSI ports.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "transport/backends.h"
#include "transport/registry_key.h"
#include "transport/scsi_transport.h"

namespace tessaly {

using namespace platform;

namespace {

constexpr std::size_t kNarrowedBytes = 200;
constexpr std::size_t kPathPrefixLength = 4;  // "\??\" or "\\?\" before the device path

// Keeps the non-zero bytes of at most the first 200: a UTF-16 path becomes plain text.
std::string Narrow(const std::vector<std::uint8_t>& data) {
    std::string text;
    const std::size_t count = data.size() < kNarrowedBytes ? data.size() : kNarrowedBytes;
    for (std::size_t i = 0; i < count; ++i) {
        if (data[i] != 0)
            text += static_cast<char>(data[i]);
    }
    return text;
}

// Splits "enumerator#device#instance#..." into the record's three texts.
void SplitDevicePath(const std::string& path, ExternalDeviceRecord& record) {
    char* parts[3] = {record.enumerator, record.deviceId, record.instanceId};
    std::size_t lengths[3] = {0, 0, 0};
    int part = 0;
    for (std::size_t i = 0; i < path.size() && i < kNarrowedBytes; ++i) {
        if (path[i] == '#') {
            if (++part == 3)
                break;
            continue;
        }
        if (lengths[part] < sizeof record.enumerator - 1)
            parts[part][lengths[part]++] = path[i];
    }
    for (int i = 0; i < 3; ++i)
        parts[i][lengths[i]] = '\0';
}

bool Contains(const char* text, const char* word) {
    return std::strstr(text, word) != nullptr;
}

}  // namespace

bool ScsiTransport::DiscoverExternalDevices(int portCount) {
    if (portCount < 0)
        return false;
    // With full addresses the slots follow the ports however many there are: room for
    // every drive letter after them.
    if (UsesFullAddresses())
        ResizeAdapterTables(static_cast<std::size_t>(portCount) + kLastDriveLetter + 1);
    const int slotCount = ExternalSlotCount();
    if (portCount >= slotCount)
        return false;
    if (ScanMountedDevices(portCount) == 0)
        return false;

    int kept = 0;
    for (int slot = portCount; slot < slotCount; ++slot) {
        ExternalDeviceRecord& record = external_[slot];
        if (record.present == 0)
            continue;
        bool viaUsb = false;
        if (ReadCompatibleIdsBus(record, viaUsb)) {
            record.viaUsb = viaUsb ? 1 : 0;
            ++kept;
        } else {
            record.present = 0;
        }
    }
    if (kept == 0) {
        hasExternalDevices_ = false;
        std::fill(external_.begin(), external_.end(), ExternalDeviceRecord{});
        return false;
    }

    // Close the gaps: the kept records take consecutive slots from the first after the ports.
    const auto found = external_;
    std::fill(external_.begin(), external_.end(), ExternalDeviceRecord{});
    int next = portCount;
    for (const ExternalDeviceRecord& record : found) {
        if (record.present == 0)
            continue;
        external_[next] = record;
        usbSlot_[next] = record.viaUsb;
        ieee1394Slot_[next] = record.viaUsb ? 0 : 1;
        ++next;
    }
    hasExternalDevices_ = true;

    int count = kept;
    for (int slot = 0; slot < slotCount; ++slot) {
        if (external_[slot].present != 0)
            RegisterExternalSlot(slot, count);
    }
    if (count == 0) {
        hasExternalDevices_ = false;
        anyUsb_ = false;
        std::fill(usbSlot_.begin(), usbSlot_.end(), std::uint8_t{0});
        tables_.ResetAttachment();
    }
    return true;
}

void ScsiTransport::RegisterExternalSlot(int slot, int& count) {
    ExternalDeviceRecord& record = external_[slot];
    // The fixed attachment flags cover adapters 0 to 7 only; a slot beyond them cannot be
    // told apart from an internal drive, so it is dropped like one that does not open.
    // Full addresses have room for every slot.
    const bool inTables = UsesFullAddresses() || slot < kSenseTableAdapters;
    bool usable =
        inTables && record.driveIndex >= kFirstDriveLetter && record.driveIndex <= kLastDriveLetter;
    if (usable) {
        // The device is closed again at once.
        usable = static_cast<bool>(OpenDriveDevice(platform_, record.driveIndex, deviceAccess_));
    }
    if (!usable) {
        record.present = 0;
        usbSlot_[slot] = 0;
        if (!inTables)
            ieee1394Slot_[slot] = 0;
        --count;
        return;
    }
    const DriveAddress address(static_cast<std::uint32_t>(slot), 0);
    // Usable slots lie inside both tables; nothing is written outside them.
    if (!tables_.SetLetter(address, record.driveIndex, handleSlotCount_))
        return;
    ++handleSlotCount_;
    tables_.MarkAttached(address, record.viaUsb != 0);
    if (record.viaUsb != 0)
        anyUsb_ = true;
}

int ScsiTransport::ScanMountedDevices(int firstSlot) {
    int slot = firstSlot;
    bool lookupBroken = false;  // the value name has become "ErrCD": nothing more is found
    for (int letter = kFirstDriveLetter; letter <= kLastDriveLetter; ++letter) {
        char root[4] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
        if (platform_.GetDriveTypeA(root) != kDriveCdrom)
            continue;
        if (lookupBroken)
            continue;
        if (slot >= ExternalSlotCount())
            break;  // every slot taken: further drives are refused

        RegistryKey mounted(platform_);
        if (!mounted.Open(kHkeyLocalMachine, {"System\\MountedDevices"}, kKeyRead)) {
            lookupBroken = true;
            continue;
        }
        char valueName[] = "\\DosDevices\\H:";
        valueName[12] = static_cast<char>('A' + letter);
        std::vector<std::uint8_t> data;
        const auto status = mounted.ReadValue(valueName, data);
        if (status == RegistryKey::ValueStatus::kMissing)
            continue;
        if (status == RegistryKey::ValueStatus::kUnreadable) {
            lookupBroken = true;
            continue;
        }
        const std::string path = Narrow(data);
        ExternalDeviceRecord& record = external_[slot];
        record = ExternalDeviceRecord{};
        SplitDevicePath(path.size() > kPathPrefixLength ? path.substr(kPathPrefixLength) : "",
                        record);
        record.driveIndex = letter;
        record.present = 1;
        ++slot;
    }
    return slot - firstSlot;
}

bool ScsiTransport::ReadCompatibleIdsBus(const ExternalDeviceRecord& record, bool& viaUsb) {
    RegistryKey enumRoot(platform_);
    if (!enumRoot.Open(kHkeyLocalMachine, {"SYSTEM\\CurrentControlSet\\Enum"}, kKeyRead)) {
        return false;
    }
    RegistryKey device(platform_);
    if (!device.Open(enumRoot.Get(), {record.enumerator, record.deviceId, record.instanceId},
                     kKeyQueryValue)) {
        return false;
    }
    // Only the first 200 bytes are looked at: in practice the first id of the list.
    char ids[kNarrowedBytes + 1];
    if (!device.ReadText("CompatibleIDs", ids, sizeof ids))
        return false;
    if (Contains(ids, "USB")) {
        viaUsb = true;
        return true;
    }
    if (Contains(ids, "SBP2") || Contains(ids, "1394") || Contains(ids, "IEEE")) {
        viaUsb = false;
        return true;
    }
    return false;
}

}  // namespace tessaly
