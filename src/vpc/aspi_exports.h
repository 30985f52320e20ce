// The two entry points of the emulated wnaspi32.dll as plain functions, for
// GetProcAddress to hand out. A function pointer carries no object, so each virtual PC
// that loads the library is given one of a few slots, each with its own pair of entry
// points that forward to that PC's manager. A call while the library is freed answers
// 0 from the support call and SS_INVALID_CMD from SendASPI32Command instead of crashing.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "vpc/aspi_manager.h"

namespace tessaly::vpc {

// The manager answers through its slot's entry points (a slot is claimed on first use).
void SetCurrentAspiManager(AspiManager* manager);
// The slot's entry points stop reaching the manager (the library was freed).
void ClearCurrentAspiManager(const AspiManager* manager);
// Gives the manager's slot back (the virtual PC ends).
void ReleaseAspiManager(const AspiManager* manager);

// The manager's "GetASPI32SupportInfo" or "SendASPI32Command" (exact case), else nullptr;
// nullptr too when every slot is taken.
platform::AnyProc AspiExport(const AspiManager* manager, std::string_view name);

}  // namespace tessaly::vpc
