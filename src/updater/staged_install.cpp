#include "updater/staged_install.hpp"

#include <utility>
#include <vector>

namespace zentomi {
namespace {

struct Move {
  std::string from;
  std::string to;
  bool replaces_link = false;
};

std::string inside(const std::string& folder, std::string_view name) {
  std::string path = folder;
  path.append("/").append(name);
  return path;
}

std::unexpected<std::string> failure(std::string_view what, const std::string& detail) {
  std::string text(what);
  text.append(" ").append(detail);
  return std::unexpected(std::move(text));
}

// The moves that put the content of `from` into `to`: a file or a folder the app lacks moves
// whole; a folder the app has is merged entry by entry.
std::expected<void, std::string> plan_moves(FileSystem& files, const std::string& from,
                                            const std::string& to, std::vector<Move>& moves) {
  const auto names = files.list_names(from);
  if (!names) return failure("cannot", names.error());
  for (const std::string& name : *names) {
    const std::string source = inside(from, name);
    const std::string target = inside(to, name);
    const auto staged = files.entry_kind(source);
    if (!staged) return failure("cannot", staged.error());
    const auto present = files.entry_kind(target);
    if (!present) return failure("cannot", present.error());
    const bool missing = *present == EntryKind::Missing;
    const bool link = *present == EntryKind::Link;
    if (*staged == EntryKind::Folder) {
      if (*present == EntryKind::Folder) {
        if (auto merged = plan_moves(files, source, target, moves); !merged) return merged;
      } else if (missing || link) {
        moves.push_back({source, target, link});
      } else {
        return failure("a folder of the update is a file in the app:", target);
      }
    } else if (*staged == EntryKind::File) {
      if (*present == EntryKind::Folder)
        return failure("a file of the update is a folder in the app:", target);
      // A rename replaces a file, or a link itself, in one step.
      moves.push_back({source, target, false});
    } else {
      return failure("neither a file nor a folder:", source);
    }
  }
  return {};
}

std::expected<void, std::string> apply_moves(FileSystem& files, const std::vector<Move>& moves) {
  for (const Move& move : moves) {
    if (move.replaces_link) {
      if (auto removed = files.remove(move.to); !removed)
        return failure("cannot remove the link:", removed.error());
    }
    if (auto moved = files.rename(move.from, move.to); !moved)
      return failure("cannot move into place:", moved.error());
  }
  return {};
}

}  // namespace

std::expected<void, std::string> move_into_place(FileSystem& files, const std::string& staging,
                                                 const std::string& directory) {
  std::vector<Move> moves;
  if (auto planned = plan_moves(files, staging, directory, moves); !planned) return planned;
  return apply_moves(files, moves);
}

std::expected<void, std::string> discard_staging(FileSystem& files, const std::string& directory) {
  const std::string marker = inside(directory, STAGED_MARKER);
  const auto kind = files.entry_kind(marker);
  if (!kind) return failure("cannot", kind.error());
  if (*kind != EntryKind::Missing) {
    if (auto removed = files.remove(marker); !removed) return failure("cannot", removed.error());
  }
  // The marker is gone from the card before any staged file is.
  if (auto flushed = files.flush_file_system(directory); !flushed)
    return failure("cannot", flushed.error());
  if (auto removed = files.remove_tree(inside(directory, STAGING_FOLDER)); !removed)
    return failure("cannot", removed.error());
  return {};
}

std::expected<void, std::string> mark_staging_complete(FileSystem& files,
                                                       const std::string& directory) {
  // unzip flushes nothing: the staged files reach the card before the marker does.
  if (auto flushed = files.flush_file_system(directory); !flushed)
    return failure("cannot", flushed.error());
  const auto marker = files.create_file(inside(directory, STAGED_MARKER));
  if (!marker) return failure("cannot", marker.error());
  if (auto closed = files.close(*marker); !closed) return failure("cannot", closed.error());
  if (auto flushed = files.flush_file_system(directory); !flushed)
    return failure("cannot", flushed.error());
  return {};
}

std::expected<void, std::string> install_staged(FileSystem& files, const std::string& directory) {
  std::vector<Move> moves;
  if (auto planned = plan_moves(files, inside(directory, STAGING_FOLDER), directory, moves);
      !planned) {
    // Nothing was moved: the package can never fit, so it is not tried again.
    [[maybe_unused]] const auto discarded = discard_staging(files, directory);
    return planned;
  }
  if (auto moved = apply_moves(files, moves); !moved) return moved;
  // The moves reach the card before the marker goes.
  if (auto flushed = files.flush_file_system(directory); !flushed)
    return failure("cannot", flushed.error());
  return discard_staging(files, directory);
}

std::expected<StagedInstall, std::string> finish_staged_install(FileSystem& files,
                                                                const std::string& directory) {
  const auto marker = files.entry_kind(inside(directory, STAGED_MARKER));
  const auto staging = files.entry_kind(inside(directory, STAGING_FOLDER));
  const bool marked = marker && *marker != EntryKind::Missing;
  const bool staged = staging && *staging == EntryKind::Folder;
  if (marked && staged) {
    if (auto installed = install_staged(files, directory); !installed)
      return std::unexpected(installed.error());
    return StagedInstall::Finished;
  }
  if (!marked && !staged) return StagedInstall::None;
  if (auto discarded = discard_staging(files, directory); !discarded)
    return std::unexpected(discarded.error());
  return staged ? StagedInstall::Discarded : StagedInstall::None;
}

}  // namespace zentomi
