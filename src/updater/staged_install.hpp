#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "storage/file_system.hpp"

namespace zentomi {

// The folder inside the app folder into which a package is unpacked before anything of the app
// is replaced: an unpacking that fails half way leaves the app as it was.
inline constexpr std::string_view STAGING_FOLDER = ".update-staging";

// Moves everything in `staging` into `directory`, merging folders. Every entry is checked before
// the first move, so a package that does not fit the app folder (a file where the app has a
// folder, or the other way round) changes nothing. A link in the app folder where the package
// has an entry is replaced, never followed. The error says what failed.
std::expected<void, std::string> move_into_place(FileSystem& files, const std::string& staging,
                                                 const std::string& directory);

// Beside the staging folder in the app folder: written, and flushed to the card, once everything
// in the staging folder is there; removed after the last move. Without it a staging folder is
// incomplete and is never installed.
inline constexpr std::string_view STAGED_MARKER = ".update-staged";

// Forgets any staged install in `directory`: the marker first, then the staging folder.
std::expected<void, std::string> discard_staging(FileSystem& files, const std::string& directory);

// Marks the staging folder in `directory` complete, after flushing what is staged to the card.
std::expected<void, std::string> mark_staging_complete(FileSystem& files,
                                                       const std::string& directory);

// Moves the complete staging folder of `directory` into place (move_into_place), then removes the
// marker and the folder. A package that does not fit the app folder is discarded, changing
// nothing; an install ended half way through its moves (or a move that failed) keeps the marker,
// and finish_staged_install completes it at the next start.
std::expected<void, std::string> install_staged(FileSystem& files, const std::string& directory);

enum class StagedInstall : std::uint8_t {
  None,       // nothing was staged
  Finished,   // a complete staged install was moved into place: the app files changed
  Discarded,  // an incomplete staging folder was removed
};

// At start, before the app's files are used: finishes the install a killed or powered-off
// program left marked complete, or discards a staging folder it left incomplete.
std::expected<StagedInstall, std::string> finish_staged_install(FileSystem& files,
                                                                const std::string& directory);

}  // namespace zentomi
