#include "vpc/virtual_registry.h"

#include <algorithm>
#include <cstring>

namespace tessaly::vpc {

using namespace platform;

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Splits off the first path component at a backslash.
std::string_view NextComponent(std::string_view& path) {
    const std::size_t slash = path.find('\\');
    std::string_view head = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    return head;
}

}  // namespace

std::vector<std::uint8_t> RegistryValueBytes(const RegistryValue& value) {
    std::vector<std::uint8_t> bytes;
    switch (value.type) {
        case RegistryValue::Type::kString:
            bytes.assign(value.text.begin(), value.text.end());
            bytes.push_back(0);
            break;
        case RegistryValue::Type::kMultiString:
            for (const auto& text : value.strings) {
                bytes.insert(bytes.end(), text.begin(), text.end());
                bytes.push_back(0);
            }
            bytes.push_back(0);
            break;
        case RegistryValue::Type::kBinary:
            bytes = value.bytes;
            break;
        case RegistryValue::Type::kDword:
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<std::uint8_t>(value.dword >> (8 * i)));
            break;
    }
    return bytes;
}

std::uint32_t RegistryValueType(const RegistryValue& value) {
    switch (value.type) {
        case RegistryValue::Type::kString:
            return kRegSz;
        case RegistryValue::Type::kMultiString:
            return kRegMultiSz;
        case RegistryValue::Type::kBinary:
            return kRegBinary;
        case RegistryValue::Type::kDword:
            return kRegDword;
    }
    return kRegBinary;
}

VirtualRegistry::Node* VirtualRegistry::Node::Child(std::string_view childName) const {
    for (const auto& child : children) {
        if (SameName(child->name, childName))
            return child.get();
    }
    return nullptr;
}

const RegistryValue* VirtualRegistry::Node::Value(std::string_view valueName) const {
    for (const auto& [name, value] : values) {
        if (SameName(name, valueName))
            return &value;
    }
    return nullptr;
}

VirtualRegistry::VirtualRegistry()
    : localMachine_(std::make_unique<Node>(Node{"HKLM", "HKLM", {}, {}})),
      dynData_(std::make_unique<Node>(Node{"HKDD", "HKDD", {}, {}})) {}

VirtualRegistry::Node* VirtualRegistry::RootOf(std::string_view& path) const {
    std::string_view root = NextComponent(path);
    if (SameName(root, "HKLM") || SameName(root, "HKEY_LOCAL_MACHINE"))
        return localMachine_.get();
    if (SameName(root, "HKDD") || SameName(root, "HKEY_DYN_DATA"))
        return dynData_.get();
    return nullptr;
}

VirtualRegistry::Node* VirtualRegistry::Walk(Node* from, std::string_view relative) const {
    while (from != nullptr && !relative.empty()) {
        const std::string_view component = NextComponent(relative);
        if (component.empty())
            continue;
        from = from->Child(component);
    }
    return from;
}

VirtualRegistry::Node* VirtualRegistry::Find(std::string_view path) const {
    Node* root = RootOf(path);
    return Walk(root, path);
}

bool VirtualRegistry::HasKey(std::string_view path) const {
    return Find(path) != nullptr;
}

bool VirtualRegistry::CreateKey(std::string_view path) {
    Node* node = RootOf(path);
    if (node == nullptr)
        return false;
    while (!path.empty()) {
        const std::string_view component = NextComponent(path);
        if (component.empty())
            continue;
        Node* child = node->Child(component);
        if (child == nullptr) {
            auto created = std::make_unique<Node>();
            created->name = std::string(component);
            created->path = node->path + "\\" + created->name;
            child = created.get();
            node->children.push_back(std::move(created));
        }
        node = child;
    }
    return true;
}

bool VirtualRegistry::SetValue(std::string_view keyPath, std::string_view name,
                               RegistryValue value) {
    if (!CreateKey(keyPath))
        return false;
    Node* node = Find(keyPath);
    for (auto& [existing, stored] : node->values) {
        if (SameName(existing, name)) {
            stored = std::move(value);
            return true;
        }
    }
    node->values.emplace_back(std::string(name), std::move(value));
    return true;
}

bool VirtualRegistry::Remove(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos)
        return false;
    if (Node* parent = Find(path.substr(0, slash))) {
        const std::string_view last = path.substr(slash + 1);
        auto& children = parent->children;
        for (auto it = children.begin(); it != children.end(); ++it) {
            if (SameName((*it)->name, last)) {
                children.erase(it);
                return true;
            }
        }
    }
    // A value's name may hold backslashes itself ("\DosDevices\E:"): try each split
    // into key and value name, the longest key first.
    for (std::size_t split = slash; split != std::string_view::npos;
         split = split == 0 ? std::string_view::npos : path.rfind('\\', split - 1)) {
        Node* key = Find(path.substr(0, split));
        if (key == nullptr)
            continue;
        const std::string_view name = path.substr(split + 1);
        auto& values = key->values;
        const auto before = values.size();
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&](const auto& entry) { return SameName(entry.first, name); }),
                     values.end());
        if (values.size() != before)
            return true;
    }
    return false;
}

VirtualRegistry::Node* VirtualRegistry::NodeOf(RegKey key) const {
    if (key == kHkeyLocalMachine)
        return localMachine_.get();
    if (key == kHkeyDynData)
        return dynData_.get();
    const auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second;
}

std::int32_t VirtualRegistry::OpenKey(RegKey key, const char* subKey, std::uint32_t access,
                                      RegKey* result) {
    if (result == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidParameter);
    *result = 0;
    Node* from = NodeOf(key);
    if (from == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    Node* node = Walk(from, subKey != nullptr ? std::string_view(subKey) : std::string_view());
    if (node == nullptr)
        return static_cast<std::int32_t>(kErrorFileNotFound);
    const RegKey handle = nextKey_;
    nextKey_ += 4;
    handles_[handle] = node;
    opens_.push_back({node->path, access});
    *result = handle;
    return kErrorSuccess;
}

std::int32_t VirtualRegistry::QueryValue(RegKey key, const char* valueName, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* dataSize) const {
    const Node* node = NodeOf(key);
    if (node == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    if (data != nullptr && dataSize == nullptr) {
        return static_cast<std::int32_t>(kErrorInvalidParameter);
    }
    const RegistryValue* value = node->Value(valueName != nullptr ? valueName : "");
    if (value == nullptr)
        return static_cast<std::int32_t>(kErrorFileNotFound);
    const std::vector<std::uint8_t> bytes = RegistryValueBytes(*value);
    if (type != nullptr)
        *type = RegistryValueType(*value);
    if (dataSize == nullptr)
        return kErrorSuccess;
    const std::uint32_t capacity = *dataSize;
    *dataSize = static_cast<std::uint32_t>(bytes.size());
    if (data == nullptr)
        return kErrorSuccess;
    if (capacity < bytes.size())
        return static_cast<std::int32_t>(kErrorMoreData);
    if (!bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    return kErrorSuccess;
}

std::int32_t VirtualRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                                      std::uint32_t* nameSize) const {
    const Node* node = NodeOf(key);
    if (node == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    if (name == nullptr || nameSize == nullptr) {
        return static_cast<std::int32_t>(kErrorInvalidParameter);
    }
    if (index >= node->children.size())
        return static_cast<std::int32_t>(kErrorNoMoreItems);
    const std::string& childName = node->children[index]->name;
    if (childName.size() + 1 > *nameSize)
        return static_cast<std::int32_t>(kErrorMoreData);
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    *nameSize = static_cast<std::uint32_t>(childName.size());
    return kErrorSuccess;
}

std::int32_t VirtualRegistry::CloseKey(RegKey key) {
    return handles_.erase(key) == 1 ? kErrorSuccess
                                    : static_cast<std::int32_t>(kErrorInvalidHandle);
}

}  // namespace tessaly::vpc
