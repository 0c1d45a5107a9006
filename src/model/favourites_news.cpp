#include "model/favourites_news.hpp"

#include <algorithm>

#include "model/site_address.hpp"

namespace zentomi {

FavouriteNews news_from_chapters(const std::vector<ChapterRef>& chapters,
                                 std::string_view last_read_url) {
  FavouriteNews news;
  if (!chapters.empty()) news.newest = chapters.front().name;
  if (last_read_url.empty()) return news;
  const std::string last_read = title_key(last_read_url);
  const auto read = std::find_if(chapters.begin(), chapters.end(), [&](const ChapterRef& chapter) {
    return title_key(chapter.url) == last_read;
  });
  // A chapter renamed or removed since: no count rather than a wrong one.
  if (read == chapters.end()) return news;
  for (auto chapter = chapters.begin(); chapter != read; ++chapter)
    news.chapters.push_back(title_key(chapter->url));
  news.chapters.push_back(last_read);
  return news;
}

std::optional<std::size_t> new_chapter_count(const FavouriteNews& news,
                                             std::optional<std::string_view> reading_url) {
  if (news.chapters.empty()) return std::nullopt;
  if (!reading_url) return news.chapters.size() - 1;
  const std::string reading = title_key(*reading_url);
  const auto found = std::find(news.chapters.begin(), news.chapters.end(), reading);
  if (found == news.chapters.end()) return std::nullopt;
  return static_cast<std::size_t>(found - news.chapters.begin());
}

bool refresh_due(std::chrono::system_clock::time_point refreshed,
                 std::chrono::system_clock::time_point now) {
  return refreshed > now || now - refreshed >= REFRESH_AGE;
}

}  // namespace zentomi
