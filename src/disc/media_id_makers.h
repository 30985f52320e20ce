// The makers of DVD and BD media, by the manufacturer ID their discs carry.
#pragma once

#include <string_view>

namespace tessaly {

// The maker that a well-known manufacturer ID names, or an empty view.
std::string_view MediaMakerName(std::string_view manufacturerId);

}  // namespace tessaly
