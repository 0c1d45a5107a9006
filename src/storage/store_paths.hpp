#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "model/manga.hpp"

namespace zentomi {

// Where the stores live: the SD card directory when it exists or can be created, otherwise the
// fallback under the working directory. Tests point both at temporary directories.
struct StorePaths {
  std::string sd_data_dir = "/mnt/SDCARD/Apps/zentomi/data";
  std::string fallback_data_dir = "./data";
};

inline constexpr const char* HISTORY_FILE_NAME = "history.json";
inline constexpr const char* FAVORITES_FILE_NAME = "favorites.json";
// The listing records (title, address, cover) of the titles read, newest first, in favorites.json's
// form: the history shows the covers of titles that have left the front page from it.
inline constexpr const char* HISTORY_COVERS_FILE_NAME = "history-covers.json";

// history.json in memory: manga url -> its reading position. The iteration order means nothing.
using HistoryMap = std::unordered_map<std::string, MangaHistory>;
// favorites.json in memory, newest favourite first.
using FavoritesList = std::vector<MangaItem>;

}  // namespace zentomi
