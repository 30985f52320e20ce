#include "vpc/version_resource.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/bytes.h"

namespace tessaly::vpc {

namespace {

constexpr char kMagic[8] = {'T', 'V', 'P', 'C', 'V', 'E', 'R', 0};
constexpr std::size_t kHeaderLength = sizeof kMagic + 4;

bool SameKey(const char* a, std::size_t aLength, const char* b) {
    if (std::strlen(b) != aLength)
        return false;
    for (std::size_t i = 0; i < aLength; ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

void Add(std::vector<std::uint8_t>& block, const std::string& key, const void* value,
         std::uint32_t length) {
    const auto keyLength = static_cast<std::uint16_t>(key.size());
    block.push_back(static_cast<std::uint8_t>(keyLength));
    block.push_back(static_cast<std::uint8_t>(keyLength >> 8));
    block.insert(block.end(), key.begin(), key.end());
    for (int i = 0; i < 4; ++i)
        block.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    block.insert(block.end(), bytes, bytes + length);
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const AspiSpec& aspi) {
    std::vector<std::uint8_t> block;
    if (!aspi.fileVersion)
        return block;
    block.resize(kHeaderLength, 0);
    std::memcpy(block.data(), kMagic, sizeof kMagic);
    const std::uint32_t translation = aspi.translation.value_or(0x04E40409u);
    if (aspi.translation) {
        std::uint8_t bytes[4];
        ByteWriter(bytes, sizeof bytes).Le32(0, translation);
        Add(block, "\\VarFileInfo\\Translation", bytes, sizeof bytes);
    }
    // The strings sit under the translation the resource names (language, code page).
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\",
                  static_cast<unsigned>(translation & 0xFFFF),
                  static_cast<unsigned>(translation >> 16));
    auto text = [&](const char* name, const std::optional<std::string>& value) {
        if (value)
            Add(block, prefix + std::string(name), value->c_str(), value->size() + 1);
    };
    text("FileVersion", aspi.fileVersion);
    text("FileDescription", aspi.description);
    text("CompanyName", aspi.company);
    ByteWriter(block.data(), block.size())
        .Le32(sizeof kMagic, static_cast<std::uint32_t>(block.size()));
    return block;
}

bool CopyVersionBlock(const std::vector<std::uint8_t>& block, void* data, std::uint32_t size) {
    if (block.empty() || data == nullptr || size < kHeaderLength)
        return false;
    const std::size_t copied = block.size() < size ? block.size() : size;
    std::memcpy(data, block.data(), copied);
    ByteWriter(static_cast<std::uint8_t*>(data), copied)
        .Le32(sizeof kMagic, static_cast<std::uint32_t>(copied));
    return true;
}

bool QueryVersionBlock(const void* data, const char* subBlock, const void** value,
                       std::uint32_t* length) {
    const auto* block = static_cast<const std::uint8_t*>(data);
    if (block == nullptr || subBlock == nullptr || value == nullptr || length == nullptr ||
        std::memcmp(block, kMagic, sizeof kMagic) != 0) {
        return false;
    }
    const std::size_t size = ByteView(block, kHeaderLength).Le32(sizeof kMagic);
    const ByteView view(block, size);
    std::size_t at = kHeaderLength;
    while (view.Has(at, 2)) {
        const std::size_t keyLength = view.U8(at) | (view.U8(at + 1) << 8);
        if (!view.Has(at + 2, keyLength + 4))
            return false;
        const char* key = reinterpret_cast<const char*>(block + at + 2);
        const std::uint32_t valueLength = view.Le32(at + 2 + keyLength);
        const std::size_t valueAt = at + 6 + keyLength;
        if (!view.Has(valueAt, valueLength))
            return false;
        if (SameKey(key, keyLength, subBlock)) {
            *value = block + valueAt;
            *length = valueLength;
            return true;
        }
        at = valueAt + valueLength;
    }
    return false;
}

}  // namespace tessaly::vpc
