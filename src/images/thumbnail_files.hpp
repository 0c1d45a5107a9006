#pragma once

#include <string>
#include <string_view>

#include "storage/file_system.hpp"

namespace zentomi {

inline constexpr std::string_view SD_THUMBNAIL_DIRECTORY = "/mnt/SDCARD/Apps/zentomi/cache/thumbs";
inline constexpr std::string_view FALLBACK_THUMBNAIL_DIRECTORY = "./cache/thumbs";

// The cover's file in the thumbnail directory: the djb2 hash of the URL's bytes (64-bit, with
// wrap-around) as 16 lowercase hexadecimal digits, then ".jpg" whatever the real format is.
std::string thumbnail_file_name(std::string_view url);

// Chosen once at start-up: the SD card directory when something exists there or it can be
// created, otherwise the fallback (created if possible; the cache then simply misses).
std::string choose_thumbnail_directory(FileSystem& files,
                                       std::string_view preferred = SD_THUMBNAIL_DIRECTORY,
                                       std::string_view fallback = FALLBACK_THUMBNAIL_DIRECTORY);

}  // namespace zentomi
