// A registry key of the virtual PC opened the way the program opens one, with its
// values and subkeys read back.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "vpc/virtual_pc.h"

namespace tessaly::vpc::testing {

// One key opened level by level from a root, closed at the end of its scope.
class Key {
  public:
    Key(VirtualPc& pc, platform::RegKey root, std::initializer_list<std::string> levels) : pc_(pc) {
        platform::RegKey current = root;
        for (const std::string& level : levels) {
            platform::RegKey next = 0;
            const std::int32_t status =
                pc_.RegOpenKeyExA(current, level.c_str(), platform::kKeyRead, &next);
            if (current != root)
                pc_.RegCloseKey(current);
            if (status != platform::kErrorSuccess)
                return;
            current = next;
        }
        key_ = current;
    }
    ~Key() {
        if (key_ != 0)
            pc_.RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool IsOpen() const { return key_ != 0; }
    platform::RegKey Get() const { return key_; }

    // A value's bytes, its size asked first; nullopt when missing.
    std::optional<std::vector<std::uint8_t>> Bytes(const char* name,
                                                   std::uint32_t* type = nullptr) const {
        std::uint32_t size = 0;
        if (pc_.RegQueryValueExA(key_, name, type, nullptr, &size) != platform::kErrorSuccess)
            return std::nullopt;
        std::vector<std::uint8_t> data(size);
        if (pc_.RegQueryValueExA(key_, name, type, data.data(), &size) != platform::kErrorSuccess)
            return std::nullopt;
        return data;
    }
    // A REG_SZ value without its terminator.
    std::optional<std::string> Text(const char* name) const {
        std::uint32_t type = 0;
        const auto data = Bytes(name, &type);
        if (!data || type != platform::kRegSz || data->empty() || data->back() != 0)
            return std::nullopt;
        return std::string(data->begin(), data->end() - 1);
    }
    std::vector<std::string> Subkeys() const {
        std::vector<std::string> names;
        char name[256];
        for (std::uint32_t i = 0;; ++i) {
            std::uint32_t size = sizeof name;
            if (pc_.RegEnumKeyExA(key_, i, name, &size) != platform::kErrorSuccess)
                break;
            names.emplace_back(name, size);
        }
        return names;
    }

  private:
    VirtualPc& pc_;
    platform::RegKey key_ = 0;
};

}  // namespace tessaly::vpc::testing
