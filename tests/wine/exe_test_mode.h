// How tessaly_exe_wine_test runs the program, from its command line:
//   (default)               beside the virtual wnaspi32.dll, as Windows 98
//   --passthrough=VERSION   without any wnaspi32.dll, on Wine's SCSI pass-through served by
//                           the preloaded library (tools/sgshim); VERSION is a Wine version
//                           name (winxp) or "default" for Wine's own setting
//   --printer=NAME          the printer made the default while the program runs (the
//                           one before is the default again afterwards)
//   --drive=BUS:TARGET      where the scenario's drive E: stands on adapter 0 (default
//                           0:1, scenarios/report.json)
#pragma once

#include <string>

namespace tessaly::wine_test {

struct ExeTestMode {
    bool passThrough = false;
    std::string windowsVersion;  // pass-through only
    std::string printOutput;     // empty: no print tests
    std::string printer;         // empty: the prefix's default printer
    unsigned bus = 0;            // drive E:'s bus (path id) on adapter 0
    unsigned target = 1;         // and its target

    // The drive's address as the command logs write it: "0:target" on bus 0, else
    // "0:bus:target".
    std::string DriveAddress() const {
        return "0:" + (bus != 0 ? std::to_string(bus) + ":" : std::string()) +
               std::to_string(target);
    }
};

const ExeTestMode& TestMode();

}  // namespace tessaly::wine_test
