// A switch on the Windows program's command line, which Windows hands over as one text.
#pragma once

namespace tessaly::app {

// Whether the command line holds the switch as a word of its own, between blanks or
// tabs or at either end ("--any-maker", not "--any-maker2" or "x--any-maker").
bool HasCommandLineSwitch(const char* commandLine, const char* name);

}  // namespace tessaly::app
