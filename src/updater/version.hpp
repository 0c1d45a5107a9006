#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zentomi {

// A version text as numbers: every leading lower-case "v" removed, split at ".", each piece read as
// an unsigned 32-bit decimal ("+" allowed in front); pieces that do not read are skipped.
std::vector<std::uint32_t> version_numbers(std::string_view version);

// Whether `remote` orders after `current`, comparing their numbers lexicographically (a longer
// sequence with an equal start is greater).
bool is_newer_version(std::string_view remote, std::string_view current);

}  // namespace zentomi
