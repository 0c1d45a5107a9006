#include "updater/staged_install.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace zentomi {
namespace {

namespace fs = std::filesystem;

struct Move {
  fs::path from;
  fs::path to;
  bool replaces_link = false;
};

std::unexpected<std::string> failure(std::string_view what, const fs::path& path,
                                     const std::error_code& error = {}) {
  std::string text = std::string(what) + " " + path.string();
  if (error) text += ": " + error.message();
  return std::unexpected(std::move(text));
}

// The moves that put the content of `from` into `to`: a file or a folder the app lacks moves
// whole; a folder the app has is merged entry by entry.
std::expected<void, std::string> plan_moves(const fs::path& from, const fs::path& to,
                                            std::vector<Move>& moves) {
  std::error_code error;
  for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
    const fs::path target = to / it->path().filename();
    const fs::file_status staged = it->symlink_status(error);
    if (error) return failure("cannot read", it->path(), error);
    std::error_code present_error;
    const fs::file_status present = fs::symlink_status(target, present_error);
    const bool missing = present.type() == fs::file_type::not_found;
    if (present_error && !missing) return failure("cannot read", target, present_error);
    const bool link = fs::is_symlink(present);
    if (fs::is_directory(staged)) {
      if (fs::is_directory(present)) {
        if (auto merged = plan_moves(it->path(), target, moves); !merged) return merged;
      } else if (missing || link) {
        moves.push_back({it->path(), target, link});
      } else {
        return failure("a folder of the update is a file in the app:", target);
      }
    } else if (fs::is_regular_file(staged)) {
      if (fs::is_directory(present))
        return failure("a file of the update is a folder in the app:", target);
      // A rename replaces a file, or a link itself, in one step.
      moves.push_back({it->path(), target, false});
    } else {
      return failure("neither a file nor a folder:", it->path());
    }
  }
  if (error) return failure("cannot read", from, error);
  return {};
}

std::expected<void, std::string> apply_moves(const std::vector<Move>& moves) {
  for (const Move& move : moves) {
    std::error_code error;
    if (move.replaces_link && !fs::remove(move.to, error))
      return failure("cannot remove the link", move.to, error);
    fs::rename(move.from, move.to, error);
    if (error) return failure("cannot move into place:", move.to, error);
  }
  return {};
}

std::error_code last_error() {
  return {errno, std::generic_category()};
}

// Waits until the file system holding `path` has everything written to it on the card.
std::expected<void, std::string> flush_file_system(const fs::path& path) {
  const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return failure("cannot open", path, last_error());
  const bool flushed = ::syncfs(folder) == 0;
  const std::error_code error = last_error();
  ::close(folder);
  if (!flushed) return failure("cannot flush", path, error);
  return {};
}

}  // namespace

std::expected<void, std::string> move_into_place(const fs::path& staging,
                                                 const fs::path& directory) {
  std::vector<Move> moves;
  if (auto planned = plan_moves(staging, directory, moves); !planned) return planned;
  return apply_moves(moves);
}

std::expected<void, std::string> discard_staging(const fs::path& directory) {
  std::error_code error;
  fs::remove(directory / STAGED_MARKER, error);
  if (error) return failure("cannot remove", directory / STAGED_MARKER, error);
  // The marker is gone from the card before any staged file is.
  if (auto flushed = flush_file_system(directory); !flushed) return flushed;
  fs::remove_all(directory / STAGING_FOLDER, error);
  if (error) return failure("cannot remove", directory / STAGING_FOLDER, error);
  return {};
}

std::expected<void, std::string> mark_staging_complete(const fs::path& directory) {
  // unzip flushes nothing: the staged files reach the card before the marker does.
  if (auto flushed = flush_file_system(directory); !flushed) return flushed;
  const fs::path marker = directory / STAGED_MARKER;
  const int file = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) return failure("cannot create", marker, last_error());
  ::close(file);
  return flush_file_system(directory);
}

std::expected<void, std::string> install_staged(const fs::path& directory) {
  std::vector<Move> moves;
  if (auto planned = plan_moves(directory / STAGING_FOLDER, directory, moves); !planned) {
    // Nothing was moved: the package can never fit, so it is not tried again.
    [[maybe_unused]] const auto discarded = discard_staging(directory);
    return planned;
  }
  if (auto moved = apply_moves(moves); !moved) return moved;
  // The moves reach the card before the marker goes.
  if (auto flushed = flush_file_system(directory); !flushed) return flushed;
  return discard_staging(directory);
}

std::expected<StagedInstall, std::string> finish_staged_install(const fs::path& directory) {
  std::error_code ignored;
  const bool marked = fs::exists(fs::symlink_status(directory / STAGED_MARKER, ignored));
  const bool staged = fs::is_directory(fs::symlink_status(directory / STAGING_FOLDER, ignored));
  if (marked && staged) {
    if (auto installed = install_staged(directory); !installed)
      return std::unexpected(installed.error());
    return StagedInstall::Finished;
  }
  if (!marked && !staged) return StagedInstall::None;
  if (auto discarded = discard_staging(directory); !discarded)
    return std::unexpected(discarded.error());
  return staged ? StagedInstall::Discarded : StagedInstall::None;
}

}  // namespace zentomi
