#pragma once

#include <optional>
#include <string>

#include "storage/store_paths.hpp"

namespace zentomi {

// Before any fetch: the origin kept by an earlier update check, if any, becomes the site's.
void restore_site_origin(const StorePaths& paths);

// The "site_origin" member of a manifest just read: a valid origin is used for every later fetch
// and kept for the next start; an invalid one is ignored with one log line; none changes nothing.
// Runs on the update check's thread.
void adopt_site_origin(const std::optional<std::string>& member, const StorePaths& paths);

}  // namespace zentomi
