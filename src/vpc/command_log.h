// The virtual PC's log of the commands that reached its emulated drives.
#pragma once

#include "common/command_log.h"

namespace tessaly::vpc {

using tessaly::CommandLog;
using tessaly::FormatCommand;

}  // namespace tessaly::vpc
