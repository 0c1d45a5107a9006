#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "storage/file_system.hpp"
#include "storage/store_paths.hpp"

namespace zentomi {

// The site's origin named by the last update manifest, kept beside the stores so that the next
// start fetches from it before any update check: one line, the origin alone.
inline constexpr const char* SITE_ORIGIN_FILE_NAME = "site-origin.txt";

// The data directory the stores use (the SD card's if it exists or can be made, else the
// fallback, made if possible).
std::string resolve_data_dir(FileSystem& files, const StorePaths& paths);

// The kept origin, when the file holds one the program may use.
std::optional<std::string> load_site_origin(FileSystem& files, const StorePaths& paths);

// Keeps the origin (already checked) with the stores' crash safety; a failure is logged.
void save_site_origin(FileSystem& files, const StorePaths& paths, std::string_view origin,
                      std::chrono::system_clock::time_point now);

}  // namespace zentomi
