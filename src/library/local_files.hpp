#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

namespace zentomi {

// The card as the local library sees it: symbolic links are never followed (a link loop costs
// nothing), names starting with "." (the card tools' hidden files) are skipped, and nothing that
// is not a regular file is ever read, so a FIFO or device named like a page cannot block a job.

enum class CardEntryKind : std::uint8_t { Folder, File };

struct CardEntry {
  std::string name;
  CardEntryKind kind;
};

// The folders and regular files of a folder, at most `limit` of them, in the order the folder
// lists them. Nothing when the path is not a folder that can be read (or is a link).
std::optional<std::vector<CardEntry>> list_card_folder(const std::string& path, std::size_t limit);

// The whole regular file, refused when it is larger than `limit` bytes. The error is a message
// for the screen.
std::expected<std::vector<std::uint8_t>, std::string> read_card_file(const std::string& path,
                                                                     std::size_t limit);

// Up to `count` first bytes of a regular file; empty when it cannot be read.
std::vector<std::uint8_t> read_card_file_head(const std::string& path, std::size_t count);

// A number that changes when the entry at the path changes (its modification time, size or
// identity), looked at without following a link; 0 when there is nothing there.
std::uint64_t card_entry_stamp(const std::string& path);

// What a path relative to a root is, each of its components looked at without following a link.
// A path that passes through a regular file names something inside that file (an archive's entry):
// `file` is the file's path and `inside` the rest.
struct CardPath {
  std::string file;    // the folder or file reached
  std::string inside;  // what is named inside a file reached before the path's end, else empty
  CardEntryKind kind;
};
std::optional<CardPath> resolve_card_path(const std::string& root, const std::string& relative);

}  // namespace zentomi
