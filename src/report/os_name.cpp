#include "report/os_name.h"

#include <cstdio>

namespace tessaly {

namespace {

const char* OsName(const platform::OsVersionInfo& v) {
    switch (v.platformId) {
        case 0:
            return "Windows";
        case platform::kVerPlatformWin32Windows:
            if (v.minorVersion == 10)
                return v.csdVersion[1] == 'A' ? "Windows 98 SE" : "Windows 98";
            if (v.minorVersion == 90)
                return "Windows Me";
            return "Windows 95";
        case platform::kVerPlatformWin32Nt:
            if (v.majorVersion == 3)
                return "Windows NT 3.51";
            if (v.majorVersion == 4)
                return "Windows NT 4.0";
            if (v.majorVersion == 5)
                return v.minorVersion == 0 ? "Windows 2000" : "Windows XP";
            return "Windows";
    }
    return "Windows";
}

}  // namespace

void OsNameText(platform::Platform& platform, char* out, std::size_t size) {
    if (size == 0)
        return;
    platform::OsVersionInfo v;
    if (!platform.GetVersionExA(v))
        v = platform::OsVersionInfo{};
    v.csdVersion[sizeof v.csdVersion - 1] = '\0';
    std::snprintf(out, size, "%s V%lu.%02lu.%lu %s", OsName(v),
                  static_cast<unsigned long>(v.majorVersion),
                  static_cast<unsigned long>(v.minorVersion),
                  static_cast<unsigned long>(v.buildNumber & 0xFFFF), v.csdVersion);
}

}  // namespace tessaly
