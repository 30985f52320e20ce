// The registry a Windows family holds for a scenario's adapters, devices and
// external drives, and the ANSI code pages the virtual PC converts from.
#pragma once

#include "common/code_pages.h"
#include "vpc/scenario.h"
#include "vpc/virtual_registry.h"

namespace tessaly::vpc {

// Fills the registry as the scenario's Windows would, then applies the scenario's
// raw "registry" additions and "registry_remove" removals, in that order.
void BuildRegistry(const Scenario& scenario, VirtualRegistry& registry);

using tessaly::AnsiToUtf16;

}  // namespace tessaly::vpc
