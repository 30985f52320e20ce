// The registry a Windows family holds for a scenario's adapters, devices and
// external drives, and the ANSI code pages the virtual PC converts from.
#pragma once

#include "vpc/scenario.h"
#include "vpc/virtual_registry.h"

namespace tessaly::vpc {

// Fills the registry as the scenario's Windows would, then applies the scenario's
// raw "registry" additions and "registry_remove" removals, in that order.
void BuildRegistry(const Scenario& scenario, VirtualRegistry& registry);

// MultiByteToWideChar for code page 1252 (and the katakana of code page 932):
// length -1 converts up to and including the terminator. 0 on failure.
int AnsiToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int outCount);

}  // namespace tessaly::vpc
