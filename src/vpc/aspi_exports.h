// The two entry points of the emulated wnaspi32.dll as plain functions, for
// GetProcAddress to hand out. A function pointer carries no object, so the entry
// points forward to one "current" manager: the virtual PC sets it when the program
// loads the library and clears it when the library is freed or the virtual PC ends.
// One virtual PC at a time can have the library loaded. A call while no manager is
// current (a freed library) answers 0 from the support call and SS_INVALID_CMD from
// SendASPI32Command instead of crashing.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "vpc/aspi_manager.h"

namespace tessaly::vpc {

void SetCurrentAspiManager(AspiManager* manager);
// Clears the current manager if it is this one.
void ClearCurrentAspiManager(const AspiManager* manager);

// "GetASPI32SupportInfo" or "SendASPI32Command" (exact case), else nullptr.
platform::AnyProc AspiExport(std::string_view name);

}  // namespace tessaly::vpc
