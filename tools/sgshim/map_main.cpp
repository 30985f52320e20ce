// tessaly-sgshim-map SCENARIO.json: the lettered drives of a scenario as the preloaded
// library serves them, one line each: the backing file's name (the letter in lower
// case), the adapter and the target. The Wine set-up script makes the drive letters and
// the SCSI port devices from it.
#include <cstdio>
#include <optional>
#include <string>

#include "drive_map.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SCENARIO.json\n", argv[0]);
        return 2;
    }
    std::string error;
    const std::optional<tessaly::vpc::Scenario> scenario =
        tessaly::vpc::LoadScenarioFile(argv[1], error);
    if (!scenario) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    for (const tessaly::sgshim::MappedDrive& drive : tessaly::sgshim::MapLetterDrives(*scenario)) {
        std::printf("%s %u %u\n", tessaly::sgshim::BackingFileName(drive.letter).c_str(),
                    unsigned{drive.adapter}, unsigned{drive.target});
    }
    return 0;
}
