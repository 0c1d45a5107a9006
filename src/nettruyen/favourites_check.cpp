#include "nettruyen/favourites_check.hpp"

#include <optional>
#include <utility>

#include "nettruyen/chapter_list.hpp"

namespace zentomi {
namespace {

// Asks one request at a time, the pause before every one but the first.
class PacedFetch {
 public:
  explicit PacedFetch(const CheckRun& run) : run_(run) {}

  // The answer, or the failure's message; nothing when told to stop.
  std::optional<std::expected<std::string, std::string>> operator()(const std::string& url) {
    if (asked_ && !run_.wait(std::chrono::duration_cast<std::chrono::milliseconds>(CHECK_PAUSE)))
      return std::nullopt;
    asked_ = true;
    return run_.fetch(url);
  }

 private:
  const CheckRun& run_;
  bool asked_ = false;
};

// The service's chapters of one title; an invalid answer lists none. `stopped` when told to stop
// (not a failure of the site).
std::expected<std::vector<ChapterRef>, std::string> service_chapters(PacedFetch& fetch,
                                                                     const std::string& url,
                                                                     const std::string& slug,
                                                                     bool& stopped) {
  const auto answer = fetch(url);
  if (!answer) {
    stopped = true;
    return {};
  }
  if (!*answer) return std::unexpected(answer->error());
  return parse_chapter_service(**answer, slug).value_or(std::vector<ChapterRef>());
}

}  // namespace

std::expected<void, std::string> check_favourites(const std::vector<FavouriteTarget>& targets,
                                                  const CheckRun& run) {
  PacedFetch fetch(run);
  bool stopped = false;
  for (std::size_t index = 0; index < targets.size(); ++index) {
    const FavouriteTarget& target = targets[index];
    const std::string slug = chapter_slug(target.url);
    std::vector<ChapterRef> chapters;
    if (!slug.empty()) {
      auto listed = service_chapters(fetch, chapter_list_service_url(slug), slug, stopped);
      if (!listed) return std::unexpected(std::move(listed.error()));
      chapters = std::move(*listed);
      // The older service knows a title by its slug without the number, and the number apart.
      const auto older = older_chapter_list_service_url(slug);
      if (chapters.empty() && older && !stopped) {
        listed = service_chapters(fetch, *older, slug, stopped);
        if (!listed) return std::unexpected(std::move(listed.error()));
        chapters = std::move(*listed);
      }
    }
    if (stopped) return {};
    run.refreshed(index, news_from_chapters(chapters, target.last_read_url));
  }
  return {};
}

}  // namespace zentomi
