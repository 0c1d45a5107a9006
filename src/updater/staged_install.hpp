#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace zentomi {

// The folder inside the app folder into which a package is unpacked before anything of the app
// is replaced: an unpacking that fails half way leaves the app as it was.
inline constexpr std::string_view STAGING_FOLDER = ".update-staging";

// Moves everything in `staging` into `directory`, merging folders. Every entry is checked before
// the first move, so a package that does not fit the app folder (a file where the app has a
// folder, or the other way round) changes nothing. A link in the app folder where the package
// has an entry is replaced, never followed. The error says what failed.
std::expected<void, std::string> move_into_place(const std::filesystem::path& staging,
                                                 const std::filesystem::path& directory);

}  // namespace zentomi
