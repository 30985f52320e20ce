// A read-only registry held in memory: the keys and values the Linux platform derives
// from sysfs, answered with RegOpenKeyExA's, RegQueryValueExA's and RegEnumKeyExA's
// rules. Key paths are matched without regard to case, as Windows matches them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessaly::platform::linux_os {

class StaticRegistry {
  public:
    // Adds a value (and every key on its path) under HKEY_LOCAL_MACHINE.
    void SetText(const std::string& keyPath, const std::string& name, const std::string& text);
    void SetBinary(const std::string& keyPath, const std::string& name,
                   std::vector<std::uint8_t> data);

    std::int32_t Open(RegKey key, const char* subKey, RegKey* result);
    std::int32_t Query(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* dataSize) const;
    std::int32_t EnumKey(RegKey key, std::uint32_t index, char* name,
                         std::uint32_t* nameSize) const;
    std::int32_t Close(RegKey key);

  private:
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string path;                     // lower case, levels joined by '\'
        std::map<std::string, Value> values;  // by lower-case name
    };
    Key& Ensure(const std::string& keyPath);
    const std::string* PathOf(RegKey key) const;

    std::map<std::string, Key> keys_;           // by lower-case path
    std::map<std::string, std::string> names_;  // lower-case path to the name as written
    std::map<RegKey, std::string> open_;
    RegKey next_ = 0x1000;
};

}  // namespace tessaly::platform::linux_os
