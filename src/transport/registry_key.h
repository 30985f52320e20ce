// Read-only access to one registry key. A key is opened level by level from its
// root, each parent closed once its child is open, and closed again when the
// object goes; values of unknown size are read in two steps (size, then data).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/platform.h"

namespace tessaly {

class RegistryKey {
  public:
    explicit RegistryKey(platform::Platform& platform) : platform_(platform) {}
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens root\levels[0]\levels[1]... one level per call; false when any level fails.
    bool Open(platform::RegKey root, std::initializer_list<const char*> levels,
              std::uint32_t access);
    // Opens one more level below this key; this key stays open.
    bool OpenChild(const RegistryKey& parent, const char* name, std::uint32_t access);
    void Close();
    bool IsOpen() const { return key_ != 0; }
    platform::RegKey Get() const { return key_; }

    enum class ValueStatus { kRead, kMissing, kUnreadable };
    // Two steps: kMissing when even the size cannot be had, kUnreadable when the
    // data cannot be read after its size was obtained (or is over maxBytes).
    ValueStatus ReadValue(const char* name, std::vector<std::uint8_t>& out,
                          std::size_t maxBytes = kMaxValueBytes) const;

    // The value's bytes, read in two steps; at most maxBytes are accepted.
    bool ReadBytes(const char* name, std::vector<std::uint8_t>& out,
                   std::size_t maxBytes = kMaxValueBytes) const;
    // A text value cut to fit out (size bytes, terminator included) and terminated.
    bool ReadText(const char* name, char* out, std::size_t size) const;
    // The name of subkey index, cut to fit out; false when enumeration ends.
    bool EnumSubkey(std::uint32_t index, char* out, std::size_t size) const;

    static constexpr std::size_t kMaxValueBytes = 64 * 1024;

  private:
    platform::Platform& platform_;
    platform::RegKey key_ = 0;
};

}  // namespace tessaly
