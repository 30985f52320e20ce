#include "platform/os_version.h"

namespace tessaly::platform {

namespace {

constexpr std::uint32_t kFirstWindows11Build = 22000;

// Vista to 11. The version call tells 8.1 and later apart only to a program whose
// manifest declares them; the build number (low 16 bits) separates 11 from 10.
OsRelease ClassifyLaterNt(const OsVersionInfo& v) {
    if (v.majorVersion == 6) {
        switch (v.minorVersion) {
            case 0:
                return OsRelease::kWindowsVista;
            case 1:
                return OsRelease::kWindows7;
            case 2:
                return OsRelease::kWindows8;
            case 3:
                return OsRelease::kWindows81;
            default:
                return OsRelease::kNtOther;
        }
    }
    if (v.majorVersion == 10 && v.minorVersion == 0) {
        return (v.buildNumber & 0xFFFF) >= kFirstWindows11Build ? OsRelease::kWindows11
                                                                : OsRelease::kWindows10;
    }
    return OsRelease::kNtOther;
}

OsRelease Classify(const OsVersionInfo& v) {
    switch (v.platformId) {
        case kVerPlatformWin32Windows:
            if (v.minorVersion == 10) {
                // Second Edition reports the service text " A ".
                return v.csdVersion[1] == 'A' ? OsRelease::kWindows98Se : OsRelease::kWindows98;
            }
            if (v.minorVersion == 90)
                return OsRelease::kWindowsMe;
            return OsRelease::kWindows95;
        case kVerPlatformWin32Nt:
            if (v.majorVersion == 3)
                return OsRelease::kNt351;
            if (v.majorVersion == 4)
                return OsRelease::kNt4;
            if (v.majorVersion == 5)
                return v.minorVersion == 0 ? OsRelease::kWindows2000 : OsRelease::kWindowsXp;
            return ClassifyLaterNt(v);
        case kVerPlatformLinux:
            return OsRelease::kLinux;
        default:
            return OsRelease::kUnknown;
    }
}

}  // namespace

OsVersion::OsVersion(const OsVersionInfo& info) : info_(info), release_(Classify(info)) {
    info_.csdVersion[sizeof info_.csdVersion - 1] = '\0';
}

OsVersion OsVersion::Read(Platform& platform) {
    OsVersionInfo info;
    if (!platform.GetVersionExA(info))
        info = OsVersionInfo{};
    return OsVersion(info);
}

TransportRules OsVersion::Rules() const {
    if (IsLinux())
        return TransportRules::kNt5;
    if (!IsNt())
        return TransportRules::kWindows9x;
    return info_.majorVersion >= 5 ? TransportRules::kNt5 : TransportRules::kNt4;
}

std::chrono::seconds OsVersion::PassThroughTimeout() const {
    using std::chrono::seconds;
    return IsNt6OrLater() || IsLinux() ? seconds(60) : seconds(108000);
}

const char* OsVersion::Name() const {
    switch (release_) {
        case OsRelease::kWindows95:
            return "Windows 95";
        case OsRelease::kWindows98:
            return "Windows 98";
        case OsRelease::kWindows98Se:
            return "Windows 98 SE";
        case OsRelease::kWindowsMe:
            return "Windows Me";
        case OsRelease::kNt351:
            return "Windows NT 3.51";
        case OsRelease::kNt4:
            return "Windows NT 4.0";
        case OsRelease::kWindows2000:
            return "Windows 2000";
        case OsRelease::kWindowsXp:
            return "Windows XP";
        case OsRelease::kWindowsVista:
            return "Windows Vista";
        case OsRelease::kWindows7:
            return "Windows 7";
        case OsRelease::kWindows8:
            return "Windows 8";
        case OsRelease::kWindows81:
            return "Windows 8.1";
        case OsRelease::kWindows10:
            return "Windows 10";
        case OsRelease::kWindows11:
            return "Windows 11";
        case OsRelease::kLinux:
            return "Linux";
        case OsRelease::kUnknown:
        case OsRelease::kNtOther:
            break;
    }
    return "Windows";
}

}  // namespace tessaly::platform
