#include "report/os_name.h"

#include <cstdio>

#include "platform/os_version.h"

namespace tessaly {

void OsNameText(platform::Platform& platform, char* out, std::size_t size) {
    if (size == 0)
        return;
    const platform::OsVersion os = platform::OsVersion::Read(platform);
    const platform::OsVersionInfo& v = os.Info();
    if (os.IsLinux()) {
        // "Linux 6.1.0-18-amd64 x86_64": the kernel's release and machine.
        std::snprintf(out, size, "%s %s", os.Name(), v.csdVersion);
        return;
    }
    std::snprintf(out, size, "%s V%lu.%02lu.%lu %s", os.Name(),
                  static_cast<unsigned long>(v.majorVersion),
                  static_cast<unsigned long>(v.minorVersion),
                  static_cast<unsigned long>(v.buildNumber & 0xFFFF), v.csdVersion);
}

}  // namespace tessaly
