#include "storage/favourites_refresh.hpp"

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "model/site_address.hpp"

namespace zentomi {
namespace {

using KeyMap = std::unordered_map<std::string, const MangaHistory*, StringHash, std::equal_to<>>;

// The newest history entry of each title, whatever origin it was written under.
KeyMap newest_reading(const HistoryMap& history) {
  KeyMap newest;
  for (const auto& [key, entry] : history) {
    const MangaHistory*& kept = newest[title_key(key)];
    if (!kept || entry.timestamp > kept->timestamp) kept = &entry;
  }
  return newest;
}

bool web_address(std::string_view url) {
  return url.starts_with("https://") || url.starts_with("http://");
}

}  // namespace

bool set_latest_chapter(std::vector<MangaItem>& items, std::string_view url,
                        std::string_view chapter) {
  if (chapter.empty()) return false;
  bool changed = false;
  for (MangaItem& item : items) {
    if (item.latest_chapter == chapter || !same_title(item.url, url)) continue;
    item.latest_chapter = chapter;
    changed = true;
  }
  return changed;
}

bool refresh_from_listing(std::vector<MangaItem>& items, const std::vector<MangaItem>& listed) {
  std::unordered_map<std::string, std::string_view, StringHash, std::equal_to<>> chapters;
  for (const MangaItem& title : listed) {
    if (!title.latest_chapter.empty())
      chapters.try_emplace(title_key(title.url), title.latest_chapter);
  }
  bool changed = false;
  for (MangaItem& item : items) {
    const auto found = chapters.find(title_key(item.url));
    if (found == chapters.end() || item.latest_chapter == found->second) continue;
    item.latest_chapter = found->second;
    changed = true;
  }
  return changed;
}

std::vector<FavouriteTarget> check_targets(const FavoritesList& favourites,
                                           const HistoryMap& history, const FavouritesNews& news,
                                           std::chrono::system_clock::time_point now) {
  const KeyMap reading = newest_reading(history);
  std::unordered_set<std::string> chosen;  // a title stored twice is refreshed once
  std::vector<FavouriteTarget> targets;
  for (const MangaItem& favourite : favourites) {
    if (targets.size() == MAX_CHECKED_FAVOURITES) break;
    // A title read from the card has no site to ask.
    if (!web_address(favourite.url)) continue;
    std::string key = title_key(favourite.url);
    const auto known = news.titles.find(key);
    if (known != news.titles.end() && !refresh_due(known->second.refreshed, now)) continue;
    const auto read = reading.find(key);
    if (!chosen.insert(std::move(key)).second) continue;
    targets.push_back(
        {favourite.url, read == reading.end() ? std::string() : read->second->last_chapter_url});
  }
  return targets;
}

}  // namespace zentomi
