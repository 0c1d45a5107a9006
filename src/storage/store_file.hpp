#pragma once

#include <chrono>
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
// before a save replaced it so that its content can still be recovered by hand.
std::string next_version_path(const std::string& path);
std::string previous_version_path(const std::string& path);

// Whether some bytes are a usable store of a given kind.
using StoreCheck = bool (*)(std::string_view bytes);

// The store at `path`, read and parsed; when the file is missing or does not parse, the kept
// previous version if that parses; nothing otherwise.
template <typename Parse>
auto load_store_file(FileSystem& files, const std::string& path, Parse parse)
    -> decltype(parse(std::string_view{})) {
  for (const std::string& candidate : {path, previous_version_path(path)}) {
    auto bytes = files.read_file(candidate);
    if (!bytes) continue;
    if (auto parsed = parse(*bytes)) return parsed;
  }
  return std::nullopt;
}

// Makes `text` the content of directory/name so that a crash at any step leaves a store that
// loads with either the old or the new content. An existing file that is not `usable` is set
// aside first. The error says which step failed; the caller may ignore it.
std::expected<void, std::string> replace_store_file(FileSystem& files, const std::string& directory,
                                                    const std::string& name, std::string_view text,
                                                    StoreCheck usable,
                                                    std::chrono::system_clock::time_point now);

}  // namespace zentomi
