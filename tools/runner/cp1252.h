// The program's texts are in the Windows ANSI code page 1252; the runner prints UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::runner {

std::string Cp1252ToUtf8(std::string_view text);

}  // namespace tessaly::runner
