#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/favourites_news.hpp"
#include "model/image.hpp"
#include "model/manga.hpp"
#include "model/ota.hpp"

namespace zentomi {

// The one message each background job sends to the main loop. Errors carry the user-facing text.
struct HomeLoaded {
  std::expected<std::vector<MangaItem>, std::string> result;
};
struct DetailLoaded {
  std::expected<MangaDetail, std::string> result;
  std::string url;  // the title the job was started for
};
struct PagesLoaded {
  std::expected<std::vector<std::string>, std::string> result;
  std::string chapter_url;    // the chapter the job was started for
  std::uint64_t request = 0;  // the number of the request that started it
};
struct PageImageLoaded {
  std::expected<SharedImage, std::string> result;
  std::size_t page_index = 0;  // the page the job was started for
  std::string chapter_url;     // and its chapter
  std::uint64_t request = 0;   // the number of the request that started it
};
struct UpdateCheckResult {
  // A manifest when a newer version exists, nothing when this version is current.
  std::expected<std::optional<OtaManifest>, std::string> result;
};
struct UpdateInstallResult {
  UpdateStatus status;
};
struct SearchLoaded {
  std::expected<std::vector<MangaItem>, std::string> result;  // empty when nothing matched
  std::string query;                                          // the query the job was started for
};

// The titles of the card's Manga folder, or nothing new when the folder is as it was.
struct LocalScanned {
  std::expected<std::vector<MangaItem>, std::string> result;
  std::uint64_t fingerprint = 0;  // what the folder looked like
  bool unchanged = false;         // the folder is as last scanned; `result` is then empty
};
// A check of the favourites refreshed the one at `index` of its `total` (sent as it goes).
struct FavouriteRefreshed {
  std::string url;
  FavouriteNews news;
  std::size_t index = 0;
  std::size_t total = 0;
  std::uint64_t request = 0;  // the check's
};
// A check of the favourites asked for every one, or stopped at a failed request (its message).
struct FavouritesCheckEnded {
  std::optional<std::string> failure;
  std::uint64_t request = 0;
};

// The download job is on the chapter at `chapter_url`, `pages_done` of its `pages_total` pages on
// the card (0 of 0 until its page list has come); on none when the address is empty. Sent as the
// job goes.
struct DownloadProgress {
  std::string chapter_url;
  std::size_t pages_done = 0;
  std::size_t pages_total = 0;
  bool operator==(const DownloadProgress&) const = default;
};

using WorkerResult =
    std::variant<HomeLoaded, DetailLoaded, PagesLoaded, PageImageLoaded, UpdateCheckResult,
                 UpdateInstallResult, SearchLoaded, LocalScanned, FavouriteRefreshed,
                 FavouritesCheckEnded, DownloadProgress>;

}  // namespace zentomi
