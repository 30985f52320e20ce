#include "vpc/scenario_reader.h"

#include <cstdio>

#include "common/hex.h"
#include "transport/mmc.h"
#include "vpc/injection_key.h"

namespace tessaly::vpc::reader {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string RangeText(std::uint64_t max) {
    return "out of range (0.." + std::to_string(max) + ")";
}

// Digits of a number string in the given base; false on anything else or overflow.
bool ParseDigits(std::string_view digits, int base, std::uint64_t& out) {
    if (digits.empty() || digits.size() > 20)
        return false;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0 || d >= base)
            return false;
        if (value > (UINT64_MAX - static_cast<std::uint64_t>(d)) / static_cast<unsigned>(base)) {
            return false;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    out = value;
    return true;
}

std::uint8_t ReadTwoDigits(std::string_view text, std::size_t at) {
    return static_cast<std::uint8_t>((text[at] - '0') * 10 + (text[at + 1] - '0'));
}

bool IsDecimal(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

void Fail(const std::string& path, const std::string& problem) {
    throw ValueError(path.empty() ? problem : path + ": " + problem);
}

std::string Member(const std::string& path, std::string_view key) {
    std::string out = path;
    if (!out.empty())
        out += '.';
    out += key;
    return out;
}

std::string Index(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

std::string Keyed(const std::string& path, std::string_view key) {
    return path + "[" + Quote(key) + "]";
}

std::string Quote(std::string_view text) {
    constexpr std::size_t kMaxShown = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.size() > kMaxShown)
        out += "...";
    out += '"';
    return out;
}

const Json& Required(const Json& object, const std::string& path, std::string_view key) {
    const Json* member = Find(object, key);
    if (member == nullptr)
        Fail(Member(path, key), "missing");
    return *member;
}

const Json* Find(const Json& object, std::string_view key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return nullptr;
    return &*it;
}

void RequireObject(const Json& value, const std::string& path) {
    if (!value.is_object())
        Fail(path, "expected an object");
}

void RequireArray(const Json& value, const std::string& path, std::size_t maxSize) {
    if (!value.is_array())
        Fail(path, "expected an array");
    if (value.size() > maxSize) {
        Fail(path, "more than " + std::to_string(maxSize) + " entries");
    }
}

std::uint64_t ReadUnsigned(const Json& value, const std::string& path, std::uint64_t max) {
    std::uint64_t number = 0;
    if (value.is_number_unsigned()) {
        number = value.get<std::uint64_t>();
    } else if (value.is_number_integer()) {
        Fail(path, RangeText(max));
    } else if (value.is_string()) {
        const auto& text = value.get_ref<const std::string&>();
        std::string_view digits = text;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        if (!ParseDigits(digits, base, number))
            Fail(path, "bad number " + Quote(text));
    } else {
        Fail(path, "expected a number");
    }
    if (number > max)
        Fail(path, RangeText(max));
    return number;
}

std::string ReadString(const Json& value, const std::string& path, std::size_t maxLength) {
    if (!value.is_string())
        Fail(path, "expected a string");
    const auto& text = value.get_ref<const std::string&>();
    if (text.size() > maxLength) {
        Fail(path, "longer than " + std::to_string(maxLength) + " characters");
    }
    return text;
}

bool ReadBool(const Json& value, const std::string& path) {
    if (!value.is_boolean())
        Fail(path, "expected true or false");
    return value.get<bool>();
}

Msf ReadMsf(const Json& value, const std::string& path) {
    const std::string text = ReadString(value, path, 64);
    const bool shaped = text.size() == 8 && text[2] == ':' && text[5] == ':' &&
                        IsDecimal(text[0]) && IsDecimal(text[1]) && IsDecimal(text[3]) &&
                        IsDecimal(text[4]) && IsDecimal(text[6]) && IsDecimal(text[7]);
    if (!shaped)
        Fail(path, "bad time " + Quote(text) + " (expected mm:ss:ff)");
    const Msf msf{ReadTwoDigits(text, 0), ReadTwoDigits(text, 3), ReadTwoDigits(text, 6)};
    if (msf.second >= 60 || msf.frame >= 75)
        Fail(path, "bad time " + Quote(text));
    return msf;
}

std::vector<std::uint8_t> ReadHexBytes(const Json& value, const std::string& path,
                                       std::size_t maxBytes) {
    const std::string text = ReadString(value, path, maxBytes * 3 + 64);
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsBlank(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        const std::string_view word(text.data() + at, end - at);
        bool good = word.size() % 2 == 0;
        for (char c : word)
            good = good && HexDigitValue(c) >= 0;
        if (!good)
            Fail(path, "bad hex " + Quote(word));
        for (std::size_t i = 0; i < word.size(); i += 2) {
            bytes.push_back(static_cast<std::uint8_t>(HexDigitValue(word[i]) * 16 +
                                                      HexDigitValue(word[i + 1])));
        }
        at = end;
    }
    if (bytes.size() > maxBytes) {
        Fail(path, "more than " + std::to_string(maxBytes) + " bytes");
    }
    return bytes;
}

SenseCode ReadSense(const Json& value, const std::string& path) {
    const std::string text = ReadString(value, path, 64);
    std::uint64_t parts[3] = {};
    std::size_t part = 0;
    std::size_t start = 0;
    bool good = true;
    for (std::size_t i = 0; i <= text.size() && good; ++i) {
        if (i < text.size() && text[i] != '/')
            continue;
        const std::string_view digits(text.data() + start, i - start);
        good = part < 3 && digits.size() <= 2 && ParseDigits(digits, 16, parts[part]);
        ++part;
        start = i + 1;
    }
    if (!good || part != 3 || parts[0] > 0x0F) {
        Fail(path, "bad sense " + Quote(text) + " (expected KK/AA/QQ in hex)");
    }
    return SenseCode{static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
                     static_cast<std::uint8_t>(parts[2])};
}

char ReadLetter(const Json& value, const std::string& path) {
    const std::string text = ReadString(value, path, 64);
    if (text.size() == 1) {
        const char c = text[0];
        if (c >= 'A' && c <= 'Z')
            return c;
        if (c >= 'a' && c <= 'z')
            return static_cast<char>(c - 'a' + 'A');
    }
    Fail(path, "bad drive letter " + Quote(text) + " (expected A..Z)");
}

std::string ReadInjectionKey(std::string_view key, const std::string& path) {
    const auto bad = [&]() { Fail(path, "bad command key " + Quote(key)); };
    const std::size_t slash = key.find('/');
    const std::string_view opText = key.substr(0, slash);
    std::uint64_t op = 0;
    if (opText.size() != 2 || !ParseDigits(opText, 16, op))
        bad();
    if (slash == std::string_view::npos)
        return InjectionKey(static_cast<std::uint8_t>(op));
    const std::string_view subText = key.substr(slash + 1);
    std::uint64_t sub = 0;
    if (subText.empty() || subText.size() > 2 || !ParseDigits(subText, 16, sub))
        bad();
    const bool isModeSense = op == opcode::kModeSense6 || op == opcode::kModeSense10;
    if (!(isModeSense && sub <= 0x3F) && !(op == opcode::kReadTocPmaAtip && sub <= 0x0F))
        bad();
    return InjectionKey(static_cast<std::uint8_t>(op), static_cast<int>(sub));
}

}  // namespace tessaly::vpc::reader
