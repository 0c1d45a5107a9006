#include "updater/staged_install.hpp"

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

}  // namespace

std::expected<void, std::string> move_into_place(const fs::path& staging,
                                                 const fs::path& directory) {
  std::vector<Move> moves;
  if (auto planned = plan_moves(staging, directory, moves); !planned) return planned;
  for (const Move& move : moves) {
    std::error_code error;
    if (move.replaces_link && !fs::remove(move.to, error))
      return failure("cannot remove the link", move.to, error);
    fs::rename(move.from, move.to, error);
    if (error) return failure("cannot move into place:", move.to, error);
  }
  return {};
}

}  // namespace zentomi
