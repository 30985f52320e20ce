#include "transport/registry_key.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

using namespace platform;

bool RegistryKey::Open(RegKey root, std::initializer_list<const char*> levels,
                       std::uint32_t access) {
    Close();
    RegKey current = root;
    bool ownsCurrent = false;
    for (const char* level : levels) {
        RegKey next = 0;
        const std::int32_t status = platform_.RegOpenKeyExA(current, level, access, &next);
        if (ownsCurrent)
            platform_.RegCloseKey(current);
        if (status != kErrorSuccess || next == 0)
            return false;
        current = next;
        ownsCurrent = true;
    }
    if (!ownsCurrent)
        return false;
    key_ = current;
    return true;
}

bool RegistryKey::OpenChild(const RegistryKey& parent, const char* name, std::uint32_t access) {
    Close();
    if (!parent.IsOpen())
        return false;
    RegKey next = 0;
    if (platform_.RegOpenKeyExA(parent.key_, name, access, &next) != kErrorSuccess)
        return false;
    key_ = next;
    return key_ != 0;
}

void RegistryKey::Close() {
    if (key_ != 0)
        platform_.RegCloseKey(key_);
    key_ = 0;
}

RegistryKey::ValueStatus RegistryKey::ReadValue(const char* name, std::vector<std::uint8_t>& out,
                                                std::size_t maxBytes) const {
    out.clear();
    if (!IsOpen())
        return ValueStatus::kMissing;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (platform_.RegQueryValueExA(key_, name, &type, nullptr, &size) != kErrorSuccess) {
        return ValueStatus::kMissing;
    }
    if (size > maxBytes)
        return ValueStatus::kUnreadable;
    out.resize(size);
    std::uint32_t got = size;
    if (platform_.RegQueryValueExA(key_, name, &type, out.data(), &got) != kErrorSuccess) {
        out.clear();
        return ValueStatus::kUnreadable;
    }
    out.resize(std::min<std::size_t>(got, size));
    return ValueStatus::kRead;
}

bool RegistryKey::ReadBytes(const char* name, std::vector<std::uint8_t>& out,
                            std::size_t maxBytes) const {
    return ReadValue(name, out, maxBytes) == ValueStatus::kRead;
}

bool RegistryKey::ReadText(const char* name, char* out, std::size_t size) const {
    if (size == 0)
        return false;
    std::vector<std::uint8_t> bytes;
    if (!ReadBytes(name, bytes))
        return false;
    const std::size_t count = std::min(bytes.size(), size - 1);
    if (count > 0)
        std::memcpy(out, bytes.data(), count);
    out[count] = '\0';
    return true;
}

bool RegistryKey::EnumSubkey(std::uint32_t index, char* out, std::size_t size) const {
    if (!IsOpen() || size == 0)
        return false;
    // The system refuses a name that does not fit, which ends the enumeration.
    std::uint32_t length = static_cast<std::uint32_t>(std::min<std::size_t>(size, 0xFFFF));
    if (platform_.RegEnumKeyExA(key_, index, out, &length) != kErrorSuccess) {
        out[0] = '\0';
        return false;
    }
    out[std::min<std::size_t>(length, size - 1)] = '\0';
    return true;
}

}  // namespace tessaly
