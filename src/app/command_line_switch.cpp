#include "app/command_line_switch.h"

#include <cstring>

namespace tessaly::app {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool HasCommandLineSwitch(const char* commandLine, const char* name) {
    if (commandLine == nullptr || name == nullptr || name[0] == '\0')
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(commandLine, name); at != nullptr;
         at = std::strstr(at + 1, name)) {
        const bool startsWord = at == commandLine || IsSeparator(at[-1]);
        const bool endsWord = at[length] == '\0' || IsSeparator(at[length]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

}  // namespace tessaly::app
