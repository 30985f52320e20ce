#include "platform/file_version.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/bytes.h"

namespace tessaly::platform {

namespace {
// A version resource is a few kilobytes; anything far larger is not one to trust.
constexpr std::uint32_t kMaxResourceSize = 1u << 20;
}  // namespace

bool ReadVersionStrings(Platform& platform, const char* fileName, VersionString* strings,
                        std::size_t count) {
    const std::uint32_t size = platform.GetFileVersionInfoSizeA(fileName);
    if (size == 0 || size > kMaxResourceSize)
        return false;
    std::vector<std::uint8_t> block(size);
    if (!platform.GetFileVersionInfoA(fileName, size, block.data()))
        return false;

    const void* value = nullptr;
    std::uint32_t length = 0;
    if (!platform.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        length < 4) {
        return false;
    }
    // The entry holds the language in its low half and the code page in its high half;
    // the string table is named language first.
    const std::uint32_t entry = ByteView(static_cast<const std::uint8_t*>(value), 4).Le32(0);
    const unsigned long table = ((entry & 0xFFFFu) << 16) | (entry >> 16);
    for (std::size_t i = 0; i < count; ++i) {
        char path[96];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s", table, strings[i].name);
        const void* text = nullptr;
        std::uint32_t chars = 0;
        if (!platform.VerQueryValueA(block.data(), path, &text, &chars) || text == nullptr ||
            strings[i].size == 0) {
            continue;
        }
        // The length counts characters with the terminator; never read past either.
        const char* s = static_cast<const char*>(text);
        std::size_t n = 0;
        while (n < chars && n + 1 < strings[i].size && s[n] != '\0') {
            strings[i].out[n] = s[n];
            ++n;
        }
        strings[i].out[n] = '\0';
    }
    return true;
}

}  // namespace tessaly::platform
