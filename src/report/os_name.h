// The operating system's name and version as the report prints it.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace tessaly {

// "Windows XP V5.01.2600 Service Pack 2": the name by platform and version, then
// major.minor (two digits at least).build and the service text. On Linux the kernel's
// release and machine: "Linux 6.1.0-18-amd64 x86_64".
void OsNameText(platform::Platform& platform, char* out, std::size_t size);

}  // namespace tessaly
