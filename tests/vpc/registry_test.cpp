// The virtual PC's registry calls as the program makes them: size queries, short
// buffers, enumeration, names in any case, paths of several levels, handles; the
// scenario's raw additions and removals; and the ANSI code pages it converts from.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "vpc/registry_builder.h"
#include "vpc/virtual_pc.h"
#include "vpc_test_support.h"

namespace tessaly::vpc {
namespace {

using namespace platform;
using testing::Json;
using testing::kWin98;
using testing::kXp;
using testing::ScenarioFrom;

constexpr auto kSuccess = kErrorSuccess;
constexpr auto kNotFound = static_cast<std::int32_t>(kErrorFileNotFound);
constexpr auto kBadHandle = static_cast<std::int32_t>(kErrorInvalidHandle);
constexpr auto kMoreData = static_cast<std::int32_t>(kErrorMoreData);
constexpr auto kNoMoreItems = static_cast<std::int32_t>(kErrorNoMoreItems);

const char kAtapiAdapter[] = R"("adapters": [{"bus": "atapi", "identifier": "atapi",
    "devices": [{"target": 0, "letter": "D", "drive": {"model": "CD-ROM VN52A"}}]}])";

VirtualPc MakePc(std::initializer_list<std::string> parts) {
    return VirtualPc(ScenarioFrom(Json(parts)));
}

RegKey OpenOrFail(VirtualPc& pc, RegKey root, const char* path, std::uint32_t access = kKeyRead) {
    RegKey key = 0;
    EXPECT_EQ(pc.RegOpenKeyExA(root, path, access, &key), kSuccess) << path;
    return key;
}

TEST(VpcRegistryCalls, SizeQueryThenReadAndShortBuffer) {
    VirtualPc pc = MakePc({kXp, kAtapiAdapter});
    const RegKey port = OpenOrFail(pc, kHkeyLocalMachine, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0");

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(pc.RegQueryValueExA(port, "Driver", &type, nullptr, &size), kSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 6u);  // "atapi" and its terminator

    std::vector<std::uint8_t> data(size, 0xCC);
    std::uint32_t got = size;
    ASSERT_EQ(pc.RegQueryValueExA(port, "Driver", &type, data.data(), &got), kSuccess);
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("atapi", 6));

    std::uint8_t small[3] = {0xCC, 0xCC, 0xCC};
    std::uint32_t smallSize = sizeof small;
    EXPECT_EQ(pc.RegQueryValueExA(port, "Driver", &type, small, &smallSize), kMoreData);
    EXPECT_EQ(smallSize, 6u) << "the size needed comes back";
    EXPECT_EQ(small[0], 0xCC) << "nothing is written past a short buffer";

    std::uint32_t missingSize = 0;
    EXPECT_EQ(pc.RegQueryValueExA(port, "NoSuchValue", &type, nullptr, &missingSize), kNotFound);
    EXPECT_EQ(pc.RegCloseKey(port), kSuccess);
}

TEST(VpcRegistryCalls, EnumerationEndsWithNoMoreItemsAndNamesNeedRoom) {
    VirtualPc pc = MakePc({kXp, kAtapiAdapter});
    const RegKey scsi = OpenOrFail(pc, kHkeyLocalMachine, "HARDWARE\\DEVICEMAP\\Scsi");
    char name[64];
    std::uint32_t nameSize = sizeof name;
    ASSERT_EQ(pc.RegEnumKeyExA(scsi, 0, name, &nameSize), kSuccess);
    EXPECT_STREQ(name, "Scsi Port 0");
    EXPECT_EQ(nameSize, 11u) << "the length without the terminator";

    nameSize = sizeof name;
    EXPECT_EQ(pc.RegEnumKeyExA(scsi, 1, name, &nameSize), kNoMoreItems);

    char tiny[5];
    std::uint32_t tinySize = sizeof tiny;
    EXPECT_EQ(pc.RegEnumKeyExA(scsi, 0, tiny, &tinySize), kMoreData);
    pc.RegCloseKey(scsi);
}

TEST(VpcRegistryCalls, KeyAndValueNamesIgnoreCase) {
    VirtualPc pc = MakePc({kXp, kAtapiAdapter});
    for (const char* path :
         {"System\\MountedDevices", "SYSTEM\\MOUNTEDDEVICES", "system\\mounteddevices"}) {
        RegKey key = 0;
        ASSERT_EQ(pc.RegOpenKeyExA(kHkeyLocalMachine, path, kKeyRead, &key), kSuccess) << path;
        std::uint32_t size = 0;
        EXPECT_EQ(pc.RegQueryValueExA(key, "\\dosdevices\\d:", nullptr, nullptr, &size), kSuccess)
            << path;
        EXPECT_GT(size, 0u);
        pc.RegCloseKey(key);
    }
}

TEST(VpcRegistryCalls, PathOfSeveralLevelsEqualsOpeningLevelByLevel) {
    VirtualPc pc = MakePc({kXp, kAtapiAdapter});
    const RegKey whole = OpenOrFail(
        pc, kHkeyLocalMachine,
        "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0\\Scsi Bus 0\\Target Id 0\\Logical Unit Id 0");
    RegKey step = kHkeyLocalMachine;
    for (const char* level : {"HARDWARE", "DEVICEMAP", "Scsi", "Scsi Port 0", "Scsi Bus 0",
                              "Target Id 0", "Logical Unit Id 0"}) {
        const RegKey next = OpenOrFail(pc, step, level);
        if (step != kHkeyLocalMachine)
            pc.RegCloseKey(step);
        step = next;
    }
    ASSERT_GE(pc.Registry().Opens().size(), 2u);
    const auto& opens = pc.Registry().Opens();
    EXPECT_EQ(opens.front().path, opens.back().path);
    EXPECT_EQ(opens.back().path,
              "HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0\\Scsi Bus 0\\Target Id 0\\Logical "
              "Unit Id 0");
    pc.RegCloseKey(whole);
    pc.RegCloseKey(step);
}

TEST(VpcRegistryCalls, DynDataExistsOnWindows9xOnly) {
    struct Row {
        const char* os;
        std::int32_t expected;
    };
    for (const Row& row : {Row{kWin98, kSuccess}, Row{kXp, kNotFound}}) {
        VirtualPc pc = MakePc({row.os});
        RegKey key = 0xDEAD;
        EXPECT_EQ(pc.RegOpenKeyExA(kHkeyDynData, "Config Manager", kKeyRead, &key), row.expected)
            << row.os;
        if (row.expected == kSuccess)
            pc.RegCloseKey(key);
        else
            EXPECT_EQ(key, 0u) << "a failed open hands out no key";
    }
}

TEST(VpcRegistryCalls, BadHandlesAndMissingKeys) {
    VirtualPc pc = MakePc({kXp});
    const RegKey bogus = 0x1234;
    RegKey key = 0xDEAD;
    EXPECT_EQ(pc.RegOpenKeyExA(bogus, "System", kKeyRead, &key), kBadHandle);
    std::uint32_t size = 0;
    EXPECT_EQ(pc.RegQueryValueExA(bogus, "Driver", nullptr, nullptr, &size), kBadHandle);
    char name[16];
    std::uint32_t nameSize = sizeof name;
    EXPECT_EQ(pc.RegEnumKeyExA(bogus, 0, name, &nameSize), kBadHandle);
    EXPECT_EQ(pc.RegCloseKey(bogus), kBadHandle);

    EXPECT_EQ(pc.RegOpenKeyExA(kHkeyLocalMachine, "System\\NoSuchKey", kKeyRead, &key), kNotFound);
    EXPECT_EQ(key, 0u);

    const RegKey mounted = OpenOrFail(pc, kHkeyLocalMachine, "System\\MountedDevices");
    EXPECT_EQ(pc.RegCloseKey(mounted), kSuccess);
    EXPECT_EQ(pc.RegCloseKey(mounted), kBadHandle) << "a closed key is no key";
}

TEST(VpcRegistryCalls, EveryOpenIsRecordedWithItsAccessAndClosesBalance) {
    VirtualPc pc = MakePc({kWin98, kAtapiAdapter});
    const RegKey config = OpenOrFail(pc, kHkeyDynData, "Config Manager", kKeyQueryValue);
    const RegKey devices = OpenOrFail(pc, config, "Enum", kKeyEnumerateSubKeys);
    const RegKey classes = OpenOrFail(
        pc, kHkeyLocalMachine, "System\\CurrentControlSet\\Services\\Class\\hdc", kKeyAllAccess);
    EXPECT_EQ(pc.Registry().OpenKeyCount(), 3u);

    const auto& opens = pc.Registry().Opens();
    ASSERT_EQ(opens.size(), 3u);
    EXPECT_EQ(opens[0].path, "HKDD\\Config Manager");
    EXPECT_EQ(opens[0].access, kKeyQueryValue);
    EXPECT_EQ(opens[1].path, "HKDD\\Config Manager\\Enum");
    EXPECT_EQ(opens[1].access, kKeyEnumerateSubKeys);
    EXPECT_EQ(opens[2].path, "HKLM\\System\\CurrentControlSet\\Services\\Class\\hdc");
    EXPECT_EQ(opens[2].access, kKeyAllAccess);

    for (RegKey key : {devices, config, classes})
        EXPECT_EQ(pc.RegCloseKey(key), kSuccess);
    EXPECT_EQ(pc.Registry().OpenKeyCount(), 0u);
}

// --- The scenario's raw additions and removals ---

struct ValueRow {
    const char* json;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
};

TEST(VpcRegistryRaw, EachValueKindReadsBackWithItsTypeAndBytes) {
    const ValueRow rows[] = {
        {R"("ab")", kRegSz, {'a', 'b', 0}},
        {R"(["a", "bc"])", kRegMultiSz, {'a', 0, 'b', 'c', 0, 0}},
        {R"({"hex": "01 fe 7F"})", kRegBinary, {0x01, 0xFE, 0x7F}},
        {R"(305419896)", kRegDword, {0x78, 0x56, 0x34, 0x12}},
        {R"("0x10")", kRegSz, {'0', 'x', '1', '0', 0}},
    };
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(row.json);
        VirtualPc pc = MakePc(
            {kXp, std::string(R"("registry": {"HKLM\\Extra\\Deep": {"V": )") + row.json + "}}"});
        const RegKey key = OpenOrFail(pc, kHkeyLocalMachine, "Extra\\Deep");
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        ASSERT_EQ(pc.RegQueryValueExA(key, "V", &type, nullptr, &size), kSuccess);
        std::vector<std::uint8_t> data(size);
        ASSERT_EQ(pc.RegQueryValueExA(key, "v", &type, data.data(), &size), kSuccess);
        EXPECT_EQ(type, row.type);
        EXPECT_EQ(data, row.bytes);
        pc.RegCloseKey(key);
    }
}

TEST(VpcRegistryRaw, AdditionsReplaceBuiltValuesAndAddKeysOnWindows9x) {
    VirtualPc pc = MakePc({kWin98, kAtapiAdapter,
                           R"("registry": {
                               "HKLM\\System\\CurrentControlSet\\Services\\Class\\hdc\\0000":
                                   {"PortDriver": "esdi_506.pdr"},
                               "HKDD\\Config Manager\\Enum\\C2000000": {"HardWareKey": "x"}})"});
    const RegKey entry =
        OpenOrFail(pc, kHkeyLocalMachine, "System\\CurrentControlSet\\Services\\Class\\hdc\\0000");
    char text[32] = {};
    std::uint32_t size = sizeof text;
    ASSERT_EQ(pc.RegQueryValueExA(entry, "PortDriver", nullptr,
                                  reinterpret_cast<std::uint8_t*>(text), &size),
              kSuccess);
    EXPECT_STREQ(text, "esdi_506.pdr");
    size = 0;
    EXPECT_EQ(pc.RegQueryValueExA(entry, "MatchingDeviceId", nullptr, nullptr, &size), kSuccess)
        << "the other built values stay";
    pc.RegCloseKey(entry);
    EXPECT_TRUE(pc.Registry().HasKey("HKDD\\Config Manager\\Enum\\C2000000"));
}

TEST(VpcRegistryRaw, RemovalOfAKeyAndOfAValue) {
    struct Row {
        const char* remove;
        bool mountedKeyLeft;
        bool letterDLeft;
        bool letterCLeft;
    };
    const Row rows[] = {
        {R"("HKLM\\System\\MountedDevices")", false, false, false},
        {R"("HKLM\\System\\MountedDevices\\\\DosDevices\\D:")", true, false, true},
        {R"("HKLM\\System\\MountedDevices\\NoSuchValue")", true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.remove);
        VirtualPc pc =
            MakePc({kXp, kAtapiAdapter, std::string(R"("registry_remove": [)") + row.remove + "]"});
        RegKey key = 0;
        const bool opened = pc.RegOpenKeyExA(kHkeyLocalMachine, "System\\MountedDevices", kKeyRead,
                                             &key) == kSuccess;
        EXPECT_EQ(opened, row.mountedKeyLeft);
        if (!opened)
            continue;
        std::uint32_t size = 0;
        EXPECT_EQ(pc.RegQueryValueExA(key, "\\DosDevices\\D:", nullptr, nullptr, &size) == kSuccess,
                  row.letterDLeft);
        EXPECT_EQ(pc.RegQueryValueExA(key, "\\DosDevices\\C:", nullptr, nullptr, &size) == kSuccess,
                  row.letterCLeft);
        pc.RegCloseKey(key);
    }
}

TEST(VpcRegistryRaw, RemovalComesAfterTheAdditions) {
    VirtualPc pc = MakePc(
        {kXp, R"("registry": {"HKLM\\Extra": {"V": 1}})", R"("registry_remove": ["HKLM\\Extra"])"});
    EXPECT_FALSE(pc.Registry().HasKey("HKLM\\Extra"));
}

// --- ANSI code pages ---

TEST(VpcRegistryCodePage, Cp1252MapsTheHighControlRangeAndPassesLatin1) {
    const char text[] =
        "\x80\x9F\xE9"
        "A";
    char16_t out[8] = {};
    EXPECT_EQ(AnsiToUtf16(1252, text, -1, out, 8), 5);
    EXPECT_EQ(out[0], u'\u20AC');
    EXPECT_EQ(out[1], u'\u0178');
    EXPECT_EQ(out[2], u'\u00E9');
    EXPECT_EQ(out[3], u'A');
    EXPECT_EQ(out[4], u'\0');
    EXPECT_EQ(AnsiToUtf16(1252, text, 4, nullptr, 0), 4) << "a size query";
    EXPECT_EQ(AnsiToUtf16(1252, text, 4, out, 2), 0) << "a short buffer fails";
}

TEST(VpcRegistryCodePage, Cp932DecodesTheKatakanaOfTheChannelNames) {
    // "プライマリ" and "セカンダリ" in Shift-JIS, each followed by " IDE".
    const std::string primary = "\x83\x76\x83\x89\x83\x43\x83\x7D\x83\x8A IDE";
    const std::string secondary = "\x83\x5A\x83\x4A\x83\x93\x83\x5F\x83\x8A IDE";
    const std::u16string expectedPrimary = u"\u30D7\u30E9\u30A4\u30DE\u30EA IDE";
    const std::u16string expectedSecondary = u"\u30BB\u30AB\u30F3\u30C0\u30EA IDE";
    for (const auto& [ansi, wide] :
         {std::pair{primary, expectedPrimary}, std::pair{secondary, expectedSecondary}}) {
        char16_t out[32] = {};
        const int length = AnsiToUtf16(932, ansi.data(), static_cast<int>(ansi.size()), out, 32);
        EXPECT_EQ(std::u16string(out, out + std::max(length, 0)), wide);
    }
}

TEST(VpcRegistryCodePage, ThePcConvertsWithTheScenarioCodePage) {
    VirtualPc japanese = MakePc(
        {R"("os": {"platform": 1, "major": 4, "minor": 10, "build": 2222, "codepage": 932})"});
    VirtualPc western = MakePc({kWin98});
    const char text[] = "\x83\x76";
    char16_t out[4] = {};
    EXPECT_EQ(japanese.MultiByteToWideChar(text, 2, out, 4), 1);
    EXPECT_EQ(out[0], u'\u30D7');
    EXPECT_EQ(western.MultiByteToWideChar(text, 2, out, 4), 2);
    EXPECT_EQ(out[0], u'\u0192');
}

}  // namespace
}  // namespace tessaly::vpc
