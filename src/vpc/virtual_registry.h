// The virtual PC's registry: a tree of keys under HKEY_LOCAL_MACHINE and
// HKEY_DYN_DATA, read through the Win32 registry calls with their error codes.
// Key and value names compare without regard to case; subkeys enumerate in the
// order they were created. Every open is recorded (path and access) and open keys
// are counted, so tests can see that each key is opened level by level and closed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

class VirtualRegistry {
  public:
    VirtualRegistry();

    // Building. Paths begin with "HKLM\" or "HKDD\" (also the long root names).
    bool CreateKey(std::string_view path);
    bool SetValue(std::string_view keyPath, std::string_view name, RegistryValue value);
    // Removes a key with everything below it, or else the value the path names (a value
    // name may hold backslashes, as "\DosDevices\E:" does). Meant for building: keys
    // already open below a removed one must not be used again.
    bool Remove(std::string_view path);
    bool HasKey(std::string_view path) const;

    // The registry calls.
    std::int32_t OpenKey(platform::RegKey key, const char* subKey, std::uint32_t access,
                         platform::RegKey* result);
    std::int32_t QueryValue(platform::RegKey key, const char* valueName, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* dataSize) const;
    std::int32_t EnumKey(platform::RegKey key, std::uint32_t index, char* name,
                         std::uint32_t* nameSize) const;
    std::int32_t CloseKey(platform::RegKey key);

    struct OpenRecord {
        std::string path;  // full path of the key opened, as "HKLM\A\B"
        std::uint32_t access = 0;
    };
    const std::vector<OpenRecord>& Opens() const { return opens_; }
    void ClearOpens() { opens_.clear(); }
    std::size_t OpenKeyCount() const { return handles_.size(); }

  private:
    struct Node {
        std::string name;
        std::string path;
        std::vector<std::unique_ptr<Node>> children;
        std::vector<std::pair<std::string, RegistryValue>> values;
        Node* Child(std::string_view childName) const;
        const RegistryValue* Value(std::string_view valueName) const;
    };

    Node* RootOf(std::string_view& path) const;
    Node* Find(std::string_view path) const;
    Node* Walk(Node* from, std::string_view relative) const;
    Node* NodeOf(platform::RegKey key) const;

    std::unique_ptr<Node> localMachine_;
    std::unique_ptr<Node> dynData_;
    std::map<platform::RegKey, Node*> handles_;
    platform::RegKey nextKey_ = 0x1000;
    std::vector<OpenRecord> opens_;
};

// The bytes a value holds as RegQueryValueExA returns them, and its type code.
std::vector<std::uint8_t> RegistryValueBytes(const RegistryValue& value);
std::uint32_t RegistryValueType(const RegistryValue& value);

}  // namespace tessaly::vpc
