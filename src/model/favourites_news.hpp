#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/manga.hpp"
#include "model/string_hash.hpp"

namespace zentomi {

// What is known of a favourite's chapters since it was last refreshed: enough to count the
// chapters after the one last read, however the history changes, without keeping the whole list.
struct FavouriteNews {
  std::string newest;  // the newest chapter's name; empty when the site listed none
  // The title_key of each chapter from the newest down to the one last read, that one included;
  // empty when the favourite was never read or its chapter is no longer listed.
  std::vector<std::string> chapters;
  std::chrono::system_clock::time_point refreshed{};
  bool operator==(const FavouriteNews&) const = default;
};

// A favourite the check is to refresh, with the chapter last read (empty: never read).
struct FavouriteTarget {
  std::string url;
  std::string last_read_url;
  bool operator==(const FavouriteTarget&) const = default;
};

// The check of the favourites while it runs: `done` of `total` refreshed so far.
struct CheckProgress {
  bool running = false;
  std::size_t done = 0;
  std::size_t total = 0;
  std::uint64_t request = 0;  // the newest check asked for; answers to older ones only inform
  bool operator==(const CheckProgress&) const = default;
};

// Kept in memory only: the favourites file keeps its form, and a fresh start knows nothing yet.
struct FavouritesNews {
  std::unordered_map<std::string, FavouriteNews, StringHash, std::equal_to<>> titles;  // title_key
  CheckProgress check;
  bool operator==(const FavouritesNews&) const = default;
};

// A check never refreshes more favourites than this, nor one refreshed within REFRESH_AGE.
inline constexpr std::size_t MAX_CHECKED_FAVOURITES = 50;
inline constexpr std::chrono::hours REFRESH_AGE{1};
// Between two requests of a check, so that it never hammers the site.
inline constexpr std::chrono::seconds CHECK_PAUSE{1};

// The news of a chapter list in the site's order (newest first) for a reader whose last chapter
// is `last_read_url` (empty: never read).
FavouriteNews news_from_chapters(const std::vector<ChapterRef>& chapters,
                                 std::string_view last_read_url);

// How many chapters come after the one last read: `reading_url` when the history names one now
// (the title being read), else the one the news were made for. Nothing when unknown: never read,
// or a chapter that is not in the list.
std::optional<std::size_t> new_chapter_count(const FavouriteNews& news,
                                             std::optional<std::string_view> reading_url);

// Whether news refreshed at `refreshed` are old enough at `now` to be refreshed again (a clock
// set back counts as old).
bool refresh_due(std::chrono::system_clock::time_point refreshed,
                 std::chrono::system_clock::time_point now);

}  // namespace zentomi
