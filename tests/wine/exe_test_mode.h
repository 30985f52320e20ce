// How tessaly_exe_wine_test runs the program, from its command line:
//   (default)               beside the virtual wnaspi32.dll, as Windows 98
//   --passthrough=VERSION   without any wnaspi32.dll, on Wine's SCSI pass-through served by
//                           the preloaded library (tools/sgshim); VERSION is a Wine version
//                           name (winxp) or "default" for Wine's own setting
//   --printer=NAME          the printer made the default while the program runs (the
//                           one before is the default again afterwards)
#pragma once

#include <string>

namespace tessaly::wine_test {

struct ExeTestMode {
    bool passThrough = false;
    std::string windowsVersion;  // pass-through only
    std::string printOutput;     // empty: no print tests
    std::string printer;         // empty: the prefix's default printer
};

const ExeTestMode& TestMode();

}  // namespace tessaly::wine_test
