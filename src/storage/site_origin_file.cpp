#include "storage/site_origin_file.hpp"

#include "model/site_origin.hpp"
#include "platform/log.hpp"
#include "storage/store_file.hpp"
#include "unicode/white_space.hpp"

namespace zentomi {
namespace {

// Far more than any origin; a larger file is not ours.
constexpr std::uint64_t MAX_ORIGIN_FILE_BYTES = 4096;

std::optional<std::string> origin_in(std::string_view bytes) {
  return valid_site_origin(unicode::trim_white_space(bytes));
}

bool usable_origin_file(std::string_view bytes) {
  return origin_in(bytes).has_value();
}

}  // namespace

std::string resolve_data_dir(FileSystem& files, const StorePaths& paths) {
  // Any entry will do, even one that is not a directory: the stores then simply stay empty.
  if (files.status(paths.sd_data_dir)) return paths.sd_data_dir;
  if (files.create_directories(paths.sd_data_dir)) return paths.sd_data_dir;
  ignore_failure(files.create_directories(paths.fallback_data_dir));
  return paths.fallback_data_dir;
}

std::optional<std::string> load_site_origin(FileSystem& files, const StorePaths& paths) {
  const std::string path = resolve_data_dir(files, paths) + "/" + SITE_ORIGIN_FILE_NAME;
  for (const std::string& candidate : {path, previous_version_path(path)}) {
    const std::optional<FileIdentity> identity = files.status(candidate);
    if (!identity || identity->size > MAX_ORIGIN_FILE_BYTES) continue;
    const auto bytes = files.read_file(candidate);
    if (!bytes) continue;
    if (auto origin = origin_in(*bytes)) return origin;
  }
  return std::nullopt;
}

void save_site_origin(FileSystem& files, const StorePaths& paths, std::string_view origin,
                      std::chrono::system_clock::time_point now) {
  const auto saved =
      replace_store_file(files, resolve_data_dir(files, paths), SITE_ORIGIN_FILE_NAME,
                         std::string(origin) + "\n", usable_origin_file, now);
  if (!saved) log_line("OTA", "Could not keep the site origin: " + saved.error());
}

}  // namespace zentomi
