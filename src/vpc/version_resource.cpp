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

// One record: [u16 key length][key][u32 value length][value].
struct Record {
    std::string key;
    std::string value;
};

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const AspiSpec& aspi) {
    if (!aspi.fileVersion)
        return {};
    std::vector<Record> records;
    const std::uint32_t translation = aspi.translation.value_or(0x04E40409u);
    if (aspi.translation) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>(translation >> (8 * i));
        records.push_back({"\\VarFileInfo\\Translation", bytes});
    }
    // The strings sit under the translation the resource names (language, code page).
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\",
                  static_cast<unsigned>(translation & 0xFFFF),
                  static_cast<unsigned>(translation >> 16));
    auto text = [&](const char* name, const std::optional<std::string>& value) {
        if (value)
            records.push_back({prefix + std::string(name), *value + '\0'});
    };
    text("FileVersion", aspi.fileVersion);
    text("FileDescription", aspi.description);
    text("CompanyName", aspi.company);

    std::size_t size = kHeaderLength;
    for (const Record& r : records)
        size += 2 + r.key.size() + 4 + r.value.size();
    std::vector<std::uint8_t> block(size, 0);
    ByteWriter out(block.data(), block.size());
    out.Fill(0, kMagic, sizeof kMagic);
    out.Le32(sizeof kMagic, static_cast<std::uint32_t>(size));
    std::size_t at = kHeaderLength;
    for (const Record& r : records) {
        out.U8(at, static_cast<std::uint8_t>(r.key.size()));
        out.U8(at + 1, static_cast<std::uint8_t>(r.key.size() >> 8));
        out.Fill(at + 2, r.key.data(), r.key.size());
        at += 2 + r.key.size();
        out.Le32(at, static_cast<std::uint32_t>(r.value.size()));
        out.Fill(at + 4, r.value.data(), r.value.size());
        at += 4 + r.value.size();
    }
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
