#include "platform/os_version.h"

#include <cstring>

#include <gtest/gtest.h>

namespace tessaly::platform {
namespace {

TEST(OsVersion, ClassifiesEveryReleaseOnce) {
    struct Row {
        std::uint32_t platformId, major, minor;
        const char* service;
        OsRelease release;
        const char* name;
        TransportRules rules;
        bool windowsNt;
    };
    using enum OsRelease;
    using R = TransportRules;
    const Row rows[] = {
        {0, 0, 0, "", kUnknown, "Windows", R::kWindows9x, false},
        {3, 5, 0, "", kUnknown, "Windows", R::kWindows9x, false},
        {1, 4, 0, "", kWindows95, "Windows 95", R::kWindows9x, false},
        {1, 4, 3, " C", kWindows95, "Windows 95", R::kWindows9x, false},
        {1, 4, 10, " ", kWindows98, "Windows 98", R::kWindows9x, false},
        {1, 4, 10, " A ", kWindows98Se, "Windows 98 SE", R::kWindows9x, false},
        {1, 4, 90, " ", kWindowsMe, "Windows Me", R::kWindows9x, false},
        {2, 3, 51, "", kNt351, "Windows NT 3.51", R::kNt4, true},
        {2, 4, 0, "Service Pack 6", kNt4, "Windows NT 4.0", R::kNt4, true},
        {2, 5, 0, "", kWindows2000, "Windows 2000", R::kNt5, false},
        {2, 5, 1, "Service Pack 2", kWindowsXp, "Windows XP", R::kNt5, false},
        {2, 5, 2, "", kWindowsXp, "Windows XP", R::kNt5, false},
        // Later NT versions keep NT 4's transport rules and have no name of their own.
        {2, 6, 1, "Service Pack 1", kNtOther, "Windows", R::kNt4, false},
        {2, 10, 0, "", kNtOther, "Windows", R::kNt4, false},
    };
    for (const Row& row : rows) {
        OsVersionInfo info;
        info.platformId = row.platformId;
        info.majorVersion = row.major;
        info.minorVersion = row.minor;
        std::strcpy(info.csdVersion, row.service);
        const OsVersion os(info);
        SCOPED_TRACE(row.name + std::string(" ") + std::to_string(row.major) + "." +
                     std::to_string(row.minor));
        EXPECT_EQ(os.Release(), row.release);
        EXPECT_STREQ(os.Name(), row.name);
        EXPECT_EQ(os.Rules(), row.rules);
        EXPECT_EQ(os.IsWindowsNt(), row.windowsNt);
        EXPECT_EQ(os.IsNt(), row.platformId == 2);
    }
}

TEST(OsVersion, UnterminatedServiceTextIsCut) {
    OsVersionInfo info;
    info.platformId = 2;
    info.majorVersion = 5;
    std::memset(info.csdVersion, 'x', sizeof info.csdVersion);
    const OsVersion os(info);
    EXPECT_EQ(std::strlen(os.Info().csdVersion), sizeof info.csdVersion - 1);
}

}  // namespace
}  // namespace tessaly::platform
