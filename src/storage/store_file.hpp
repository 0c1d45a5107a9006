#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "storage/file_system.hpp"

namespace zentomi {

// Beside a store file "<name>" there may be, for a short while or after a crash:
//   "<name>.tmp"  the next version while it is written and flushed;
//   "<name>.bak"  the previous version while the next one is put in place (on FAT a rename is
//                 not atomic across a power cut, so the old version is never the only thing
//                 at stake in one step);
// and, for good, "<name>.corrupt-<unix seconds>[-<n>]": a file that did not load, set aside
// before a save replaced it so that its content can still be recovered by hand. Two such copies
// at most are kept: the one just set aside and the newest before it.
std::string next_version_path(const std::string& path);
std::string previous_version_path(const std::string& path);

// Store files past this size are never read: the program never writes one (the stores are
// bounded to fit it, see store_bounds.hpp), and reading one whole would hold up the first frame
// and fill the memory. Such a file counts as unusable, so it is set aside like any other.
inline constexpr std::uint64_t MAX_STORE_FILE_BYTES = std::uint64_t{16} << 20;

// Whether the file at the path is too large to be read as a store.
inline bool too_large_for_a_store(FileSystem& files, const std::string& path) {
  const std::optional<FileIdentity> identity = files.status(path);
  return identity && identity->size > MAX_STORE_FILE_BYTES;
}

// Whether some bytes are a usable store of a given kind.
using StoreCheck = bool (*)(std::string_view bytes);

// The store at `path`, read and parsed; when the file is missing or does not parse, the kept
// previous version if that parses; nothing otherwise.
template <typename Parse>
auto load_store_file(FileSystem& files, const std::string& path, Parse parse)
    -> decltype(parse(std::string_view{})) {
  for (const std::string& candidate : {path, previous_version_path(path)}) {
    if (too_large_for_a_store(files, candidate)) continue;
    auto bytes = files.read_file(candidate);
    if (!bytes) continue;
    if (auto parsed = parse(*bytes)) return parsed;
  }
  return std::nullopt;
}

// Creates or truncates the file, writes the text and waits until it is on the storage device.
std::expected<void, std::string> write_file_durably(FileSystem& files, const std::string& path,
                                                    std::string_view text);

// Makes `text` the content of directory/name so that a crash at any step leaves a store that
// loads with either the old or the new content. An existing file that is not `usable` is set
// aside first. The error says which step failed; the caller may ignore it.
std::expected<void, std::string> replace_store_file(FileSystem& files, const std::string& directory,
                                                    const std::string& name, std::string_view text,
                                                    StoreCheck usable,
                                                    std::chrono::system_clock::time_point now);

}  // namespace zentomi
