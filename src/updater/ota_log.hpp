#pragma once

#include <string_view>

namespace zentomi {

// Writes the parts (the first one starting with "[OTA] ") and a line feed to standard error in one
// write, so lines from other threads never interleave. Control characters in the parts (texts
// received from a server) are written as \xNN escapes so they cannot forge or garble lines.
void log_ota(std::initializer_list<std::string_view> parts);

}  // namespace zentomi
