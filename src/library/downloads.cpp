#include "library/downloads.hpp"

#include <algorithm>
#include <tuple>
#include <utility>

#include "library/download_files.hpp"
#include "library/download_keys.hpp"

namespace zentomi {
namespace {

std::uint64_t whole_seconds(std::chrono::system_clock::time_point now) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
  return seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds);
}

// The queue entry of a chapter, by its site path; the queue's end when it is not queued.
template <typename Queue>
auto find_queued(Queue& queue, std::string_view chapter_path) {
  return std::find_if(queue.begin(), queue.end(), [&](const QueueEntry& entry) {
    return site_path_rest(entry.chapter.url) == chapter_path;
  });
}

// The title holding a whole chapter and the chapter's place in it; no title when none holds it.
template <typename Titles>
auto find_whole(Titles& titles, std::string_view chapter_path) {
  using Title = decltype(&titles.begin()->second);
  using Chapter = decltype(titles.begin()->second.chapters.begin());
  for (auto& [title_path, title] : titles) {
    if (const auto found = title.chapters.find(chapter_path); found != title.chapters.end())
      return std::pair<Title, Chapter>{&title, found};
  }
  return std::pair<Title, Chapter>{nullptr, {}};
}

}  // namespace

ChapterDownloadStatus shown_download_status(ChapterDownloadStatus held, bool queue_stopped,
                                            std::string_view chapter_url,
                                            const DownloadProgress& reported) {
  if (held.mark != DownloadMark::Queued || queue_stopped || reported.chapter_url.empty() ||
      site_path_rest(reported.chapter_url) != site_path_rest(chapter_url)) {
    return held;
  }
  return {DownloadMark::Downloading, reported.pages_done, reported.pages_total};
}

Downloads::Downloads(std::string data_dir) : data_dir_(std::move(data_dir)) {}

void Downloads::changed() {
  version_.fetch_add(1);
  wake_.notify_all();
}

void Downloads::queue_changed() {
  queue_dirty_ = true;
  // What the user changed may have made room, so a stopped queue tries again.
  stop_message_.reset();
  changed();
}

std::vector<QueueEntry>::iterator Downloads::queue_entry(std::string_view chapter_path) {
  return find_queued(queue_, chapter_path);
}

const QueueEntry* Downloads::queued(std::string_view chapter_path) const {
  const auto entry = find_queued(queue_, chapter_path);
  return entry == queue_.end() ? nullptr : &*entry;
}

const DownloadedChapter* Downloads::whole_chapter(std::string_view path) const {
  const auto [title, chapter] = find_whole(titles_, path);
  return title ? &chapter->second : nullptr;
}

std::size_t Downloads::enqueue(const MangaItem& item, const MangaDetail& detail,
                               std::span<const ChapterRef> chapters,
                               std::chrono::system_clock::time_point now) {
  const std::lock_guard lock(mutex_);
  std::size_t added = 0;
  for (const ChapterRef& chapter : chapters) {
    const std::string_view path = site_path_rest(chapter.url);
    if (whole_chapter(path)) continue;
    const auto entry = queue_entry(path);
    if (entry != queue_.end()) {
      if (!entry->failed) continue;
      entry->failed = false;
    } else {
      queue_.push_back(QueueEntry{item.url, item.title, chapter, false});
    }
    ++added;
  }
  if (added == 0) return 0;
  TitleRecord record{item, detail, whole_seconds(now)};
  TitleEntry& title = titles_[std::string(site_path_rest(item.url))];
  if (title.folder.empty()) title.folder = title_dir(data_dir_, item.url);
  if (title.record)
    record.downloaded_at = std::max(record.downloaded_at, title.record->downloaded_at);
  title.record = record;
  title_records_to_write_.push_back(std::move(record));
  queue_changed();
  return added;
}

bool Downloads::cancel(std::string_view chapter_url) {
  const std::lock_guard lock(mutex_);
  const auto entry = queue_entry(site_path_rest(chapter_url));
  if (entry == queue_.end()) return false;
  removals_.push_back(
      {chapter_dir(data_dir_, entry->title_url, entry->chapter.url) + std::string(PARTIAL_SUFFIX)});
  queue_.erase(entry);
  queue_changed();
  return true;
}

bool Downloads::remove_downloaded(std::string_view chapter_url) {
  const std::lock_guard lock(mutex_);
  const auto [title, found] = find_whole(titles_, site_path_rest(chapter_url));
  if (!title) return false;
  removals_.push_back({found->second.folder});
  title->chapters.erase(found);
  stop_message_.reset();
  changed();
  return true;
}

ChapterDownloadStatus Downloads::status(std::string_view chapter_url) const {
  const std::lock_guard lock(mutex_);
  const std::string_view path = site_path_rest(chapter_url);
  if (whole_chapter(path)) return {DownloadMark::Downloaded, 0, 0};
  if (const QueueEntry* entry = queued(path)) {
    return {entry->failed ? DownloadMark::Failed : DownloadMark::Queued, 0, 0};
  }
  return {};
}

DownloadSummary Downloads::summary() const {
  const std::lock_guard lock(mutex_);
  DownloadSummary summary;
  summary.waiting = static_cast<std::size_t>(
      std::count_if(queue_.begin(), queue_.end(), [](const QueueEntry& e) { return !e.failed; }));
  return summary;
}

std::optional<std::string> Downloads::stop_message() const {
  const std::lock_guard lock(mutex_);
  return stop_message_;
}

std::vector<DownloadedTitle> Downloads::titles() const {
  const std::lock_guard lock(mutex_);
  std::vector<DownloadedTitle> titles;
  for (const auto& [path, title] : titles_) {
    if (title.chapters.empty() || !title.record) continue;
    titles.push_back({*title.record, title.chapters.size()});
  }
  // Newest first; titles downloaded in the same second keep the order of their addresses.
  std::ranges::sort(titles, [](const auto& left, const auto& right) {
    return std::tie(right.record.downloaded_at, left.record.item.url) <
           std::tie(left.record.downloaded_at, right.record.item.url);
  });
  return titles;
}

std::optional<TitleRecord> Downloads::title_record(std::string_view title_url) const {
  const std::lock_guard lock(mutex_);
  const auto title = titles_.find(site_path_rest(title_url));
  if (title == titles_.end()) return std::nullopt;
  return title->second.record;
}

std::vector<ChapterRef> Downloads::downloaded_chapters(std::string_view title_url) const {
  const std::lock_guard lock(mutex_);
  std::vector<ChapterRef> chapters;
  const auto title = titles_.find(site_path_rest(title_url));
  if (title == titles_.end()) return chapters;
  std::map<std::string_view, const DownloadedChapter*> left;
  for (const auto& [path, chapter] : title->second.chapters)
    left.emplace(path, &chapter);
  if (const auto& record = title->second.record) {
    for (const ChapterRef& chapter : record->detail.chapters) {
      if (left.erase(site_path_rest(chapter.url)) > 0) chapters.push_back(chapter);
    }
  }
  // Chapters the stored list no longer names come last, in the order of their paths.
  for (const auto& [path, chapter] : left)
    chapters.push_back({chapter->record.name, chapter->record.url});
  return chapters;
}

std::optional<DownloadedChapter> Downloads::find_chapter(std::string_view chapter_url) const {
  const std::lock_guard lock(mutex_);
  const DownloadedChapter* chapter = whole_chapter(site_path_rest(chapter_url));
  if (!chapter) return std::nullopt;
  return *chapter;
}

void Downloads::stop() {
  const std::lock_guard lock(mutex_);
  stopping_ = true;
  changed();
}

}  // namespace zentomi
