#include "screens/home/reading_history.hpp"

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

#include "model/site_address.hpp"

namespace zentomi {
namespace {

const MangaItem* find_known(const std::vector<MangaItem>& known, const std::string& url) {
  const auto found = std::find_if(known.begin(), known.end(),
                                  [&](const MangaItem& item) { return same_title(item.url, url); });
  return found == known.end() ? nullptr : &*found;
}

}  // namespace

std::string reading_position(const MangaHistory& entry) {
  std::string page = "Trang " + std::to_string(entry.last_page_idx + 1);
  if (entry.last_chapter_title.empty()) return page;
  return entry.last_chapter_title + " · " + page;
}

HistoryTitles history_titles(const HistoryMap& history, const std::vector<MangaItem>& known) {
  // The key is the title's identity, as the detail screen looks its position up.
  using Entry = std::pair<const std::string*, const MangaHistory*>;
  std::vector<Entry> entries;
  entries.reserve(history.size());
  for (const auto& [url, entry] : history)
    entries.emplace_back(&url, &entry);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return std::tie(b.second->timestamp, *a.first) < std::tie(a.second->timestamp, *b.first);
  });

  HistoryTitles titles;
  for (const auto& [url, entry] : entries) {
    const MangaItem* item = find_known(known, *url);
    const std::string thumb = item ? item->thumb_url : std::string();
    titles.shown.push_back({entry->manga_title, *url, thumb, reading_position(*entry), {}});
    titles.originals.push_back(item ? *item : MangaItem{entry->manga_title, *url, {}, {}, {}});
  }
  return titles;
}

}  // namespace zentomi
