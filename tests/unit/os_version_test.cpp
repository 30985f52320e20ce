#include "platform/os_version.h"

#include <cstring>

#include <gtest/gtest.h>

namespace tessaly::platform {
namespace {

TEST(OsVersion, ClassifiesEveryReleaseOnce) {
    struct Row {
        std::uint32_t platformId, major, minor;
        const char* service;
        std::uint32_t build;
        OsRelease release;
        const char* name;
        TransportRules rules;
        bool windowsNt;
    };
    using enum OsRelease;
    using R = TransportRules;
    const Row rows[] = {
        {0, 0, 0, "", 0, kUnknown, "Windows", R::kWindows9x, false},
        {3, 5, 0, "", 0, kUnknown, "Windows", R::kWindows9x, false},
        {1, 4, 0, "", 0, kWindows95, "Windows 95", R::kWindows9x, false},
        {1, 4, 3, " C", 0, kWindows95, "Windows 95", R::kWindows9x, false},
        {1, 4, 10, " ", 0, kWindows98, "Windows 98", R::kWindows9x, false},
        {1, 4, 10, " A ", 0, kWindows98Se, "Windows 98 SE", R::kWindows9x, false},
        {1, 4, 90, " ", 0, kWindowsMe, "Windows Me", R::kWindows9x, false},
        {2, 3, 51, "", 0, kNt351, "Windows NT 3.51", R::kNt4, true},
        {2, 4, 0, "Service Pack 6", 0, kNt4, "Windows NT 4.0", R::kNt4, true},
        {2, 5, 0, "", 0, kWindows2000, "Windows 2000", R::kNt5, false},
        {2, 5, 1, "Service Pack 2", 0, kWindowsXp, "Windows XP", R::kNt5, false},
        {2, 5, 2, "", 0, kWindowsXp, "Windows XP", R::kNt5, false},
        // Vista to 11 follow NT 5's transport rules; 11 is 10.0 from build 22000, and
        // the build's high word (set on Windows 9x) does not count.
        {2, 6, 0, "Service Pack 2", 6002, kWindowsVista, "Windows Vista", R::kNt5, false},
        {2, 6, 1, "Service Pack 1", 7601, kWindows7, "Windows 7", R::kNt5, false},
        {2, 6, 2, "", 9200, kWindows8, "Windows 8", R::kNt5, false},
        {2, 6, 3, "", 9600, kWindows81, "Windows 8.1", R::kNt5, false},
        {2, 10, 0, "", 19045, kWindows10, "Windows 10", R::kNt5, false},
        {2, 10, 0, "", 21999, kWindows10, "Windows 10", R::kNt5, false},
        {2, 10, 0, "", 22000, kWindows11, "Windows 11", R::kNt5, false},
        {2, 10, 0, "", 26100, kWindows11, "Windows 11", R::kNt5, false},
        {2, 10, 0, "", 0x10005000, kWindows10, "Windows 10", R::kNt5, false},
        // Later versions the program has no name for keep the bare name and take NT 5's
        // rules; an NT below 3 takes NT 4's.
        {2, 6, 4, "", 0, kNtOther, "Windows", R::kNt5, false},
        {2, 7, 0, "", 0, kNtOther, "Windows", R::kNt5, false},
        {2, 10, 1, "", 22000, kNtOther, "Windows", R::kNt5, false},
        {2, 11, 0, "", 30000, kNtOther, "Windows", R::kNt5, false},
        {2, 2, 0, "", 0, kNtOther, "Windows", R::kNt4, false},
        // The Linux edition: pass-through with NT 5's rules, whatever the kernel's numbers.
        {kVerPlatformLinux, 6, 1, "6.1.0-18-amd64 x86_64", 0, kLinux, "Linux", R::kNt5, false},
        {kVerPlatformLinux, 4, 10, "4.10.0 i686", 0, kLinux, "Linux", R::kNt5, false},
        {kVerPlatformLinux, 0, 0, "", 0, kLinux, "Linux", R::kNt5, false},
    };
    for (const Row& row : rows) {
        OsVersionInfo info;
        info.platformId = row.platformId;
        info.majorVersion = row.major;
        info.minorVersion = row.minor;
        info.buildNumber = row.build;
        std::strcpy(info.csdVersion, row.service);
        const OsVersion os(info);
        SCOPED_TRACE(row.name + std::string(" ") + std::to_string(row.major) + "." +
                     std::to_string(row.minor));
        EXPECT_EQ(os.Release(), row.release);
        EXPECT_STREQ(os.Name(), row.name);
        EXPECT_EQ(os.Rules(), row.rules);
        EXPECT_EQ(os.IsWindowsNt(), row.windowsNt);
        EXPECT_EQ(os.IsNt(), row.platformId == 2);
        EXPECT_EQ(os.IsNt6OrLater(), row.platformId == 2 && row.major >= 6);
        EXPECT_EQ(os.IsLinux(), row.release == kLinux);
    }
}

TEST(OsVersion, PassThroughRules) {
    struct Row {
        std::uint32_t platformId, major;
        long long timeoutSeconds;
        bool aligned, skipsUnopened, full;
    };
    const Row rows[] = {{2, 4, 108000, false, false, false},
                        {2, 5, 108000, false, false, false},
                        {2, 6, 60, true, true, true},
                        {kVerPlatformLinux, 6, 60, false, true, true},
                        {kVerPlatformLinux, 2, 60, false, true, true}};
    for (const Row& row : rows) {
        OsVersionInfo info;
        info.platformId = row.platformId;
        info.majorVersion = row.major;
        const OsVersion os(info);
        SCOPED_TRACE(os.Name());
        EXPECT_EQ(os.PassThroughTimeout(), std::chrono::seconds(row.timeoutSeconds));
        EXPECT_EQ(os.UsesAlignedTransfers(), row.aligned);
        EXPECT_EQ(os.SkipsUnopenedDevices(), row.skipsUnopened);
        EXPECT_EQ(os.UsesFullAddresses(), row.full);
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
