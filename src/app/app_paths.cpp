#include "app/app_paths.hpp"

namespace zentomi {

AppPaths AppPaths::under_sdcard(const std::string& root) {
  const std::string app = root + "/Apps/zentomi";
  AppPaths paths;
  paths.store.sd_data_dir = app + "/data";
  paths.thumbnail_dir = app + "/cache/thumbs";
  paths.install.preferred_directory = app;
  paths.install.package = root + "/zentomi-update.zip";
  paths.manga_dir = root + "/Manga";
  return paths;
}

}  // namespace zentomi
