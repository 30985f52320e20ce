#include "platform/linux/static_registry.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace tessaly::platform::linux_os {

namespace {

constexpr const char* kLocalMachine = "hklm";

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

StaticRegistry::Key& StaticRegistry::Ensure(const std::string& keyPath) {
    std::string path = kLocalMachine;
    std::string written = kLocalMachine;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        std::size_t end = keyPath.find('\\', start);
        if (end == std::string::npos)
            end = keyPath.size();
        const std::string level = keyPath.substr(start, end - start);
        if (!level.empty()) {
            path += "\\" + Lower(level);
            written += "\\" + level;
            Key& key = keys_[path];
            key.path = path;
            names_.emplace(path, written);
        }
        start = end + 1;
    }
    Key& key = keys_[path];
    key.path = path;
    return key;
}

void StaticRegistry::SetText(const std::string& keyPath, const std::string& name,
                             const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    Ensure(keyPath).values[Lower(name)] = Value{kRegSz, std::move(data)};
}

void StaticRegistry::SetBinary(const std::string& keyPath, const std::string& name,
                               std::vector<std::uint8_t> data) {
    Ensure(keyPath).values[Lower(name)] = Value{kRegBinary, std::move(data)};
}

const std::string* StaticRegistry::PathOf(RegKey key) const {
    static const std::string localMachine = kLocalMachine;
    if (key == kHkeyLocalMachine)
        return &localMachine;
    const auto it = open_.find(key);
    return it == open_.end() ? nullptr : &it->second;
}

std::int32_t StaticRegistry::Open(RegKey key, const char* subKey, RegKey* result) {
    if (result == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidParameter);
    *result = 0;
    const std::string* parent = PathOf(key);
    if (parent == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    std::string path = *parent;
    if (subKey != nullptr && *subKey != '\0')
        path += "\\" + Lower(subKey);
    // An empty subkey opens the key itself again.
    if (path != *parent && keys_.count(path) == 0)
        return static_cast<std::int32_t>(kErrorFileNotFound);
    *result = next_;
    next_ += 4;
    open_[*result] = path;
    return kErrorSuccess;
}

std::int32_t StaticRegistry::Query(RegKey key, const char* valueName, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* dataSize) const {
    const std::string* path = PathOf(key);
    if (path == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    const auto found = keys_.find(*path);
    if (found == keys_.end())
        return static_cast<std::int32_t>(kErrorFileNotFound);
    const auto value = found->second.values.find(Lower(valueName != nullptr ? valueName : ""));
    if (value == found->second.values.end())
        return static_cast<std::int32_t>(kErrorFileNotFound);
    if (type != nullptr)
        *type = value->second.type;
    const auto size = static_cast<std::uint32_t>(value->second.data.size());
    if (dataSize == nullptr)
        return data == nullptr ? kErrorSuccess : static_cast<std::int32_t>(kErrorInvalidParameter);
    if (data != nullptr && *dataSize < size) {
        *dataSize = size;
        return static_cast<std::int32_t>(kErrorMoreData);
    }
    if (data != nullptr)
        std::memcpy(data, value->second.data.data(), size);
    *dataSize = size;
    return kErrorSuccess;
}

std::int32_t StaticRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                                     std::uint32_t* nameSize) const {
    const std::string* path = PathOf(key);
    if (path == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    if (name == nullptr || nameSize == nullptr)
        return static_cast<std::int32_t>(kErrorInvalidParameter);
    const std::string prefix = *path + "\\";
    std::set<std::string> children;
    for (const auto& [keyPath, key] : keys_) {
        if (keyPath.rfind(prefix, 0) == 0 && keyPath.find('\\', prefix.size()) == std::string::npos)
            children.insert(keyPath);
    }
    if (index >= children.size())
        return static_cast<std::int32_t>(kErrorNoMoreItems);
    const std::string& child = *std::next(children.begin(), index);
    const std::string& written = names_.at(child);
    const std::string leaf = written.substr(written.rfind('\\') + 1);
    if (*nameSize <= leaf.size())
        return static_cast<std::int32_t>(kErrorMoreData);
    std::memcpy(name, leaf.c_str(), leaf.size() + 1);
    *nameSize = static_cast<std::uint32_t>(leaf.size());
    return kErrorSuccess;
}

std::int32_t StaticRegistry::Close(RegKey key) {
    return open_.erase(key) != 0 ? kErrorSuccess : static_cast<std::int32_t>(kErrorInvalidHandle);
}

}  // namespace tessaly::platform::linux_os
