#pragma once

#include <string>

#include "images/thumbnail_files.hpp"
#include "storage/store_paths.hpp"
#include "updater/install.hpp"

namespace zentomi {

// Where the application keeps its files. The defaults are the console's SD card with local
// fallbacks; tests and the simulator put everything under a folder of their own.
struct AppPaths {
  StorePaths store;
  std::string thumbnail_dir{SD_THUMBNAIL_DIRECTORY};
  std::string thumbnail_fallback_dir{FALLBACK_THUMBNAIL_DIRECTORY};
  InstallPaths install;
  // The user's own titles, read in place: folders and CBZ/ZIP archives at the card's root.
  std::string manga_dir{"/mnt/SDCARD/Manga"};

  // The same layout under another SD card root: ROOT/Apps/zentomi/..., updates included (their
  // package is ROOT/zentomi-update.zip, so runs side by side never share it).
  static AppPaths under_sdcard(const std::string& root);
};

}  // namespace zentomi
