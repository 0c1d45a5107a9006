#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentomi {

// Titles, chapters and pages of the card's Manga/ folder are named by "local:" and their path
// relative to that folder ("local:One Piece/Chap 2", "local:Solo.cbz/001.jpg"). No fetch accepts
// such an address, so history and favourites can hold them beside the site's.
inline constexpr std::string_view LOCAL_SCHEME = "local:";

bool is_local_address(std::string_view address);
std::string local_address(std::string_view relative_path);

// The path relative to Manga/ that a local address names, or nothing when the address is not
// local or could leave the folder (an absolute path, "." or ".." components, empty components, a
// NUL byte). Stored files can be edited by hand, so nothing read from them is trusted.
std::optional<std::string> local_relative_path(std::string_view address);

}  // namespace zentomi
