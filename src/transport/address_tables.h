// The transport's facts per drive address that both back ends and discovery read and
// write: the sense bytes of the last failed command, each address's drive letter and
// handle slot, and its USB and IEEE 1394 flags.
//
// Two layouts, chosen at start-up by the system's rules:
// - fixed tables (Windows 95 to XP): indexed by adapter x 16 + target, bus and LUN not
//   part of the key; sense and attachment flags for adapters 0 to 7 (128 entries), drive
//   letters and handle slots for adapters 0 to 15 (256 entries). Addresses outside a
//   table are neither read nor written.
// - full addresses (NT 6 and later): one entry per full address, any adapter number.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <map>

#include "transport/drive_address.h"

namespace tessaly {

inline constexpr int kTargetsPerAdapter = 16;
inline constexpr int kSenseTableAdapters = 8;    // 128-entry tables: sense, USB, IEEE 1394
inline constexpr int kLetterTableAdapters = 16;  // 256-entry tables: drive letter, handle slot
inline constexpr std::size_t kStoredSenseLength = 14;

using SenseBytes = std::array<std::uint8_t, kStoredSenseLength>;

class AddressTables {
  public:
    AddressTables() { ResetLetters(-1); }

    // Index into the 128-entry tables, or -1 when the address lies outside them.
    static int SenseIndex(std::uint32_t adapter, std::uint32_t target) {
        if (adapter >= kSenseTableAdapters || target >= kTargetsPerAdapter)
            return -1;
        return static_cast<int>(adapter * kTargetsPerAdapter + target);
    }
    // Index into the 256-entry tables, or -1 when the address lies outside them.
    static int LetterIndex(std::uint32_t adapter, std::uint32_t target) {
        if (adapter >= kLetterTableAdapters || target >= kTargetsPerAdapter)
            return -1;
        return static_cast<int>(adapter * kTargetsPerAdapter + target);
    }

    // Switches between the fixed tables and full addresses; on a switch the facts start
    // empty, otherwise they stay as they are.
    void UseFullAddresses(bool full) {
        if (full == full_)
            return;
        full_ = full;
        entries_.clear();
        ResetLetters(-1);
        ResetAttachment();
    }
    bool UsesFullAddresses() const { return full_; }

    // Every drive letter entry gets letter, every handle slot -1.
    void ResetLetters(std::int32_t letter) {
        defaultLetter_ = letter;
        driveLetter_.fill(letter);
        handleSlot_.fill(-1);
        for (auto& [address, entry] : entries_) {
            entry.driveLetter = letter;
            entry.handleSlot = -1;
        }
    }
    // Forgets the sense of every address.
    void ForgetSense() {
        for (auto& sense : lastSense_)
            sense.fill(0);
        for (auto& [address, entry] : entries_)
            entry.lastSense.fill(0);
    }
    // Clears every USB and IEEE 1394 flag.
    void ResetAttachment() {
        usbAttached_.fill(0);
        ieee1394Attached_.fill(0);
        for (auto& [address, entry] : entries_) {
            entry.usbAttached = 0;
            entry.ieee1394Attached = 0;
        }
    }

    // Enters a drive letter and handle slot; false, with nothing written, outside the tables.
    bool SetLetter(const DriveAddress& address, std::int32_t letter, std::int32_t slot) {
        if (full_) {
            Entry& entry = At(address);
            entry.driveLetter = letter;
            entry.handleSlot = slot;
            return true;
        }
        const int index = LetterIndex(address.adapter, address.target);
        if (index < 0)
            return false;
        driveLetter_[index] = letter;
        handleSlot_[index] = slot;
        return true;
    }
    // Enters a drive letter alone, leaving the handle slot as it is.
    bool SetLetterOnly(const DriveAddress& address, std::int32_t letter) {
        return SetLetter(address, letter, HandleSlot(address));
    }
    // The drive letter entry; -1 outside the tables.
    std::int32_t DriveLetter(const DriveAddress& address) const {
        if (full_) {
            const Entry* entry = Find(address);
            return entry != nullptr ? entry->driveLetter : defaultLetter_;
        }
        const int index = LetterIndex(address.adapter, address.target);
        return index < 0 ? -1 : driveLetter_[index];
    }
    // The handle slot entry; -1 for none and outside the tables.
    std::int32_t HandleSlot(const DriveAddress& address) const {
        if (full_) {
            const Entry* entry = Find(address);
            return entry != nullptr ? entry->handleSlot : -1;
        }
        const int index = LetterIndex(address.adapter, address.target);
        return index < 0 ? -1 : handleSlot_[index];
    }

    // Keeps the first 14 sense bytes of a failed command.
    void StoreSense(const DriveAddress& address, const std::uint8_t* sense) {
        if (full_) {
            std::memcpy(At(address).lastSense.data(), sense, kStoredSenseLength);
            return;
        }
        const int index = SenseIndex(address.adapter, address.target);
        if (index >= 0)
            std::memcpy(lastSense_[index].data(), sense, kStoredSenseLength);
    }
    // The stored sense bytes; zeros when none was stored or outside the tables.
    SenseBytes Sense(const DriveAddress& address) const {
        SenseBytes sense{};
        if (full_) {
            if (const Entry* entry = Find(address))
                sense = entry->lastSense;
            return sense;
        }
        const int index = SenseIndex(address.adapter, address.target);
        if (index >= 0)
            std::memcpy(sense.data(), lastSense_[index].data(), kStoredSenseLength);
        return sense;
    }

    // Sets the USB flag (usb) or the IEEE 1394 flag; false outside the tables.
    bool MarkAttached(const DriveAddress& address, bool usb) {
        if (full_) {
            Entry& entry = At(address);
            (usb ? entry.usbAttached : entry.ieee1394Attached) = 1;
            return true;
        }
        const int index = SenseIndex(address.adapter, address.target);
        if (index < 0)
            return false;
        (usb ? usbAttached_ : ieee1394Attached_)[index] = 1;
        return true;
    }
    std::uint8_t UsbAttached(const DriveAddress& address) const {
        if (full_) {
            const Entry* entry = Find(address);
            return entry != nullptr ? entry->usbAttached : 0;
        }
        const int index = SenseIndex(address.adapter, address.target);
        return index < 0 ? 0 : usbAttached_[index];
    }
    std::uint8_t Ieee1394Attached(const DriveAddress& address) const {
        if (full_) {
            const Entry* entry = Find(address);
            return entry != nullptr ? entry->ieee1394Attached : 0;
        }
        const int index = SenseIndex(address.adapter, address.target);
        return index < 0 ? 0 : ieee1394Attached_[index];
    }

  private:
    struct Entry {
        std::int32_t driveLetter = -1;
        std::int32_t handleSlot = -1;
        SenseBytes lastSense{};
        std::uint8_t usbAttached = 0;
        std::uint8_t ieee1394Attached = 0;
    };
    Entry& At(const DriveAddress& address) {
        auto [it, added] = entries_.try_emplace(address);
        if (added)
            it->second.driveLetter = defaultLetter_;
        return it->second;
    }
    const Entry* Find(const DriveAddress& address) const {
        const auto it = entries_.find(address);
        return it != entries_.end() ? &it->second : nullptr;
    }

    bool full_ = false;
    std::int32_t defaultLetter_ = -1;
    std::array<std::array<std::uint8_t, 16>, kSenseTableAdapters * kTargetsPerAdapter> lastSense_{};
    std::array<std::uint8_t, kSenseTableAdapters * kTargetsPerAdapter> usbAttached_{};
    std::array<std::uint8_t, kSenseTableAdapters * kTargetsPerAdapter> ieee1394Attached_{};
    std::array<std::int32_t, kLetterTableAdapters * kTargetsPerAdapter> driveLetter_{};
    std::array<std::int32_t, kLetterTableAdapters * kTargetsPerAdapter> handleSlot_{};
    std::map<DriveAddress, Entry> entries_;
};

}  // namespace tessaly
