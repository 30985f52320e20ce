#include "platform/os_version.h"

namespace tessaly::platform {

namespace {

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
            return OsRelease::kNtOther;
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
    if (!IsNt())
        return TransportRules::kWindows9x;
    if (release_ == OsRelease::kWindows2000 || release_ == OsRelease::kWindowsXp)
        return TransportRules::kNt5;
    return TransportRules::kNt4;
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
        case OsRelease::kUnknown:
        case OsRelease::kNtOther:
            break;
    }
    return "Windows";
}

}  // namespace tessaly::platform
