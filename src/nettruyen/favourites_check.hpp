#pragma once

#include <chrono>
#include <cstddef>
#include <expected>
#include <functional>
#include <string>
#include <vector>

#include "model/favourites_news.hpp"
#include "nettruyen/fetch_function.hpp"

namespace zentomi {

// What the check of the favourites needs from the thread it runs on.
struct CheckRun {
  FetchText fetch;
  // Waits that long before the next request; false when the check is to stop instead.
  std::function<bool(std::chrono::milliseconds)> wait;
  // The favourite at `index` of the targets has been refreshed.
  std::function<void(std::size_t index, FavouriteNews news)> refreshed;
};

// Refreshes the targets in order from the chapter-list service (the small answer, never the
// title page), one request at a time and CHECK_PAUSE between two. An answer that lists nothing
// leaves news that know nothing. Stops at the first request that fails, with its message, or when
// `wait` says so.
std::expected<void, std::string> check_favourites(const std::vector<FavouriteTarget>& targets,
                                                  const CheckRun& run);

}  // namespace zentomi
