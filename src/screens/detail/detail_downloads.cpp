#include "screens/detail/detail_downloads.hpp"

#include <algorithm>
#include <utility>

#include "model/site_address.hpp"

namespace zentomi {
namespace {

const ChapterRef* selected_chapter(const DetailState& details) {
  if (details.chapter_selected >= details.chapters.size()) return nullptr;
  return &details.chapters[details.chapter_selected];
}

// The detail as the title's record keeps it: with the whole chapter list, which the state keeps
// apart from it.
MangaDetail detail_to_keep(const DetailState& details, const MangaDetail& shown) {
  MangaDetail detail = shown;
  detail.chapters = details.chapters_site_order;
  return detail;
}

void enqueue(DetailState& details, AppContext& context, std::span<const ChapterRef> chapters) {
  // A title shown from its record lists only what is on the card, and rewriting the record
  // from it would lose the rest of the chapter list.
  if (!details.current_item || !details.detail || details.from_card) return;
  context.downloads->enqueue(*details.current_item, detail_to_keep(details, *details.detail),
                             chapters, context.wall_clock());
}

}  // namespace

std::vector<ChapterRef> chapters_from(std::span<const ChapterRef> site_order,
                                      const std::string& chapter_url, std::size_t count) {
  const auto found =
      std::find_if(site_order.begin(), site_order.end(),
                   [&](const ChapterRef& chapter) { return chapter.url == chapter_url; });
  std::vector<ChapterRef> chapters;
  if (found == site_order.end()) return chapters;
  const auto index = static_cast<std::size_t>(found - site_order.begin());
  for (std::size_t n = 0; n < count && n <= index; ++n)
    chapters.push_back(site_order[index - n]);
  return chapters;
}

void select_chapter_download(AppState& state, AppContext& context) {
  DetailState& details = state.details;
  const ChapterRef* chapter = selected_chapter(details);
  if (!context.downloads || !chapter) return;
  const auto asked = std::exchange(details.delete_asked, std::nullopt);
  const ChapterDownloadStatus status = context.downloads->status(chapter->url);
  switch (status.mark) {
    case DownloadMark::None:
      enqueue(details, context, std::span(chapter, 1));
      return;
    case DownloadMark::Queued:
    case DownloadMark::Downloading:
    case DownloadMark::Failed:
      context.downloads->cancel(chapter->url);
      return;
    case DownloadMark::Downloaded: {
      const auto now = context.wall_clock();
      // A clock set back since the first press counts as too late, never as in time.
      if (asked && same_title(asked->chapter_url, chapter->url) && now >= asked->at &&
          now - asked->at <= DELETE_CONFIRM_WINDOW) {
        context.downloads->remove_downloaded(chapter->url);
        return;
      }
      details.delete_asked = DetailState::DeleteAsked{chapter->url, now};
      return;
    }
  }
}

void queue_next_chapters(AppState& state, AppContext& context) {
  DetailState& details = state.details;
  const ChapterRef* chapter = selected_chapter(details);
  details.delete_asked.reset();
  if (!context.downloads || !chapter) return;
  const std::vector<ChapterRef> chapters =
      chapters_from(details.chapters_site_order, chapter->url, CHAPTERS_PER_R2);
  enqueue(details, context, chapters);
}

bool show_stored_detail(AppState& state, const Downloads& downloads) {
  DetailState& details = state.details;
  if (!details.current_item) return false;
  std::optional<TitleRecord> record = downloads.title_record(details.current_item->url);
  std::vector<ChapterRef> chapters = downloads.downloaded_chapters(details.current_item->url);
  if (!record || chapters.empty()) return false;
  MangaDetail detail = std::move(record->detail);
  detail.chapters.clear();
  if (!details.current_item->thumb_url.empty()) detail.cover_url = details.current_item->thumb_url;
  details.chapters_site_order = std::move(chapters);
  details.chapters = details.chapters_site_order;
  if (details.chapters_reversed) std::reverse(details.chapters.begin(), details.chapters.end());
  details.chapter_selected = 0;
  details.chapter_scroll = 0;
  details.detail = std::move(detail);
  details.from_card = true;
  return true;
}

}  // namespace zentomi
