#include "vpc/registry_identity.h"

#include <utility>

#include "vpc/emulated_drive.h"

namespace tessaly::vpc::registry {

namespace {

constexpr std::size_t kVendorOffset = 8;
constexpr std::size_t kVendorLength = 8;
constexpr std::size_t kProductOffset = 16;
constexpr std::size_t kProductLength = 16;
constexpr std::size_t kRevisionOffset = 32;
constexpr std::size_t kRevisionLength = 4;

// A device path splits at '#' and a key path at '\\': neither may come from a drive.
char SafeNameChar(char c) {
    return c == ' ' || c == '\\' || c == '#' ? '_' : c;
}

}  // namespace

DriveIdentity IdentityOf(const DriveSpec& drive) {
    const EmulatedDrive emulated(drive);
    const auto data = emulated.IdentifyData();
    auto field = [&data](std::size_t offset, std::size_t length) {
        std::string text;
        for (std::size_t i = offset; i < offset + length && i < data.size(); ++i) {
            if (data[i] == 0)
                break;
            text += static_cast<char>(data[i]);
        }
        return text;
    };
    return DriveIdentity{field(kVendorOffset, kVendorLength), field(kProductOffset, kProductLength),
                         field(kRevisionOffset, kRevisionLength)};
}

std::string DeviceKeyOf(const DriveIdentity& identity) {
    // As the reader joins the identity: only blanks change (and a backslash, which
    // no key name can hold).
    std::string key = identity.vendor + identity.product;
    for (char& c : key) {
        if (c == ' ' || c == '\\')
            c = '_';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

std::string TrimTrailing(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string Underscored(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = SafeNameChar(c);
    return out;
}

std::string Hex(std::uint32_t value, std::size_t width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (out.size() < width)
        out.insert(0, width - out.size(), '0');
    return out;
}

std::vector<std::uint8_t> Utf16Le(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

RegistryValue Sz(std::string text) {
    RegistryValue value;
    value.type = RegistryValue::Type::kString;
    value.text = std::move(text);
    return value;
}

RegistryValue MultiSz(std::vector<std::string> strings) {
    RegistryValue value;
    value.type = RegistryValue::Type::kMultiString;
    value.strings = std::move(strings);
    return value;
}

RegistryValue Binary(std::vector<std::uint8_t> bytes) {
    RegistryValue value;
    value.type = RegistryValue::Type::kBinary;
    value.bytes = std::move(bytes);
    return value;
}

RegistryValue Dword(std::uint32_t dword) {
    RegistryValue value;
    value.type = RegistryValue::Type::kDword;
    value.dword = dword;
    return value;
}

}  // namespace tessaly::vpc::registry
