// Reading the drive part of a scenario ("drive": { ... } with its disc).
#pragma once

#include <string>

#include "vpc/scenario.h"
#include "vpc/scenario_reader.h"

namespace tessaly::vpc::reader {

// Throws ValueError naming the first bad value.
DriveSpec ReadDrive(const Json& value, const std::string& path);

}  // namespace tessaly::vpc::reader
