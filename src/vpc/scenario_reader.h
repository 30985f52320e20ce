// Typed, range-checked reading of scenario JSON values. Every reader names the
// value by its path ("adapters[0].devices[1].drive.model") when it throws, so the
// parser turns the first problem into one error line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "vpc/scenario.h"

namespace tessaly::vpc::reader {

using Json = nlohmann::json;

// The problem with one value; what() is "<path>: <problem>".
class ValueError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& path, const std::string& problem);

// Paths: Member("a", "b") = "a.b", Index("a", 2) = "a[2]", Keyed("a", "k") = a["k"].
std::string Member(const std::string& path, std::string_view key);
std::string Index(const std::string& path, std::size_t index);
std::string Keyed(const std::string& path, std::string_view key);

// Text for a message: in quotes, control and non-ASCII bytes as \xNN, cut at 40 bytes.
std::string Quote(std::string_view text);

// The member of an object, or nullptr when it is missing or null.
const Json* Find(const Json& object, std::string_view key);
// The member of an object at path; a missing or null one fails as "<path.key>: missing".
const Json& Required(const Json& object, const std::string& path, std::string_view key);

void RequireObject(const Json& value, const std::string& path);
void RequireArray(const Json& value, const std::string& path, std::size_t maxSize);

// A JSON integer or a string with a decimal or "0x" hexadecimal number, 0..max.
std::uint64_t ReadUnsigned(const Json& value, const std::string& path, std::uint64_t max);
std::string ReadString(const Json& value, const std::string& path, std::size_t maxLength);
bool ReadBool(const Json& value, const std::string& path);
// "mm:ss:ff", seconds below 60, frames below 75.
Msf ReadMsf(const Json& value, const std::string& path);
// Hex digits in pairs, blanks between pairs allowed.
std::vector<std::uint8_t> ReadHexBytes(const Json& value, const std::string& path,
                                       std::size_t maxBytes);
// "KK/AA/QQ" in hex.
SenseCode ReadSense(const Json& value, const std::string& path);
// A drive letter "A".."Z" (lower case accepted), returned in upper case.
char ReadLetter(const Json& value, const std::string& path);

// The key of an answers/fail entry in the form the emulator looks up: the opcode in
// two lower-case hex digits, and for 1a/5a (page code) and 43 (format) an optional
// "/" and the value in lower-case hex without leading zeros.
std::string ReadInjectionKey(std::string_view key, const std::string& path);

}  // namespace tessaly::vpc::reader
