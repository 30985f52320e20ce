// The virtual PC's registry calls and its ANSI-to-UTF-16 conversion.
#include "vpc/registry_builder.h"
#include "vpc/virtual_pc.h"

namespace tessaly::vpc {

using namespace platform;

std::int32_t VirtualPc::RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t samDesired,
                                      RegKey* result) {
    // Windows NT has no HKEY_DYN_DATA.
    if (key == kHkeyDynData && IsNt()) {
        if (result != nullptr)
            *result = 0;
        return static_cast<std::int32_t>(kErrorFileNotFound);
    }
    return registry_.OpenKey(key, subKey, samDesired, result);
}

std::int32_t VirtualPc::RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* dataSize) {
    return registry_.QueryValue(key, valueName, type, data, dataSize);
}

std::int32_t VirtualPc::RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                                      std::uint32_t* nameSize) {
    return registry_.EnumKey(key, index, name, nameSize);
}

std::int32_t VirtualPc::RegCloseKey(RegKey key) {
    return registry_.CloseKey(key);
}

int VirtualPc::MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) {
    return AnsiToUtf16(scenario_.os.codePage, text, length, out, outCount);
}

}  // namespace tessaly::vpc
