#include "app/site_origin_keeping.hpp"

#include <chrono>
#include <mutex>

#include "model/site_origin.hpp"
#include "platform/log.hpp"
#include "storage/site_origin_file.hpp"

namespace zentomi {

void restore_site_origin(const StorePaths& paths) {
  PosixFileSystem files;
  if (std::optional<std::string> kept = load_site_origin(files, paths)) {
    log_line("NetTruyen", "Site origin: " + *kept);
    set_site_origin(std::move(*kept));
  }
}

void adopt_site_origin(const std::optional<std::string>& member, const StorePaths& paths) {
  if (!member) return;
  std::optional<std::string> origin = valid_site_origin(*member);
  if (!origin) {
    log_line("OTA", "Ignoring invalid site_origin: " + *member);
    return;
  }
  // Two checks may finish together; each keeps the file whole.
  static std::mutex keeping;
  const std::scoped_lock lock(keeping);
  if (*origin == site_origin()) return;
  log_line("OTA", "Site moved to: " + *origin);
  set_site_origin(*origin);
  PosixFileSystem files;
  save_site_origin(files, paths, *origin, std::chrono::system_clock::now());
}

}  // namespace zentomi
