#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/download_records.hpp"
#include "model/manga.hpp"
#include "model/worker_result.hpp"

namespace zentomi {

// What a chapter row shows about its download.
enum class DownloadMark : std::uint8_t { None, Queued, Downloading, Downloaded, Failed };

struct ChapterDownloadStatus {
  DownloadMark mark = DownloadMark::None;
  std::size_t pages_done = 0;  // while downloading
  std::size_t pages_total = 0;
  bool operator==(const ChapterDownloadStatus&) const = default;
};

// The queue at a glance, for the header chip: chapters still to download (the running one
// included) and the running one's pages (which only the download job's reports know).
struct DownloadSummary {
  std::size_t waiting = 0;
  std::size_t pages_done = 0;
  std::size_t pages_total = 0;
  bool operator==(const DownloadSummary&) const = default;
};

// A chapter's download as the screens show it: as the queue holds it (`held`), and while the queue
// waits for the chapter the download job last reported on, with that report's pages. A report the
// queue has outlived (the chapter whole, failed or taken out, the queue stopped) shows nothing.
ChapterDownloadStatus shown_download_status(ChapterDownloadStatus held, bool queue_stopped,
                                            std::string_view chapter_url,
                                            const DownloadProgress& reported);

// A whole chapter on the card.
struct DownloadedChapter {
  std::string folder;
  ChapterRecord record;
};

// A title with at least one whole chapter on the card.
struct DownloadedTitle {
  TitleRecord record;
  std::size_t chapter_count = 0;
};

// What the card holds and what is queued, shared by the main loop (which asks and queues, and
// never waits on the card) and the download worker (which does every file operation). Chapters
// and titles are matched by their site path, so a move of the site to another origin changes
// nothing. Every member is safe to call from any thread.
class Downloads {
 public:
  explicit Downloads(std::string data_dir);

  const std::string& data_dir() const { return data_dir_; }

  // Queues the chapters in the order given, skipping those already whole on the card or queued
  // (a failed one is queued again); the title's record is rewritten with the detail as it is now.
  // Gives how many were queued.
  std::size_t enqueue(const MangaItem& item, const MangaDetail& detail,
                      std::span<const ChapterRef> chapters,
                      std::chrono::system_clock::time_point now);
  // Takes a queued, running or failed chapter out of the queue; its partial files are removed.
  bool cancel(std::string_view chapter_url);
  // Deletes a whole chapter from the card.
  bool remove_downloaded(std::string_view chapter_url);

  ChapterDownloadStatus status(std::string_view chapter_url) const;
  DownloadSummary summary() const;
  // "Thẻ nhớ đầy: còn N MB" while the queue is stopped for want of space.
  std::optional<std::string> stop_message() const;
  // Titles with whole chapters, the newest download first.
  std::vector<DownloadedTitle> titles() const;
  std::optional<TitleRecord> title_record(std::string_view title_url) const;
  // The whole chapters of a title, in the order of its stored chapter list.
  std::vector<ChapterRef> downloaded_chapters(std::string_view title_url) const;
  std::optional<DownloadedChapter> find_chapter(std::string_view chapter_url) const;
  // Changes whenever anything the screens show of downloads changes.
  std::uint64_t version() const { return version_.load(); }

  // Makes the worker return as soon as it can.
  void stop();

  // The worker's side (download_worker.cpp).
  friend class DownloadWorker;

 private:
  struct TitleEntry {
    std::string folder;
    std::optional<TitleRecord> record;
    std::map<std::string, DownloadedChapter, std::less<>> chapters;  // by chapter site path
  };
  struct Removal {
    std::string folder;
  };

  // By the chapter's site path.
  const DownloadedChapter* whole_chapter(std::string_view path) const;
  const QueueEntry* queued(std::string_view chapter_path) const;
  std::vector<QueueEntry>::iterator queue_entry(std::string_view chapter_path);
  void changed();        // with the lock held: wakes the worker and moves the version on
  void queue_changed();  // with the lock held: the queue file is to be written again

  std::string data_dir_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<std::uint64_t> version_{0};

  // Guarded by mutex_.
  bool loaded_ = false;
  bool stopping_ = false;
  bool queue_dirty_ = false;
  std::vector<QueueEntry> queue_;
  std::map<std::string, TitleEntry, std::less<>> titles_;  // by title site path
  std::vector<Removal> removals_;
  std::vector<TitleRecord> title_records_to_write_;
  std::optional<std::string> stop_message_;
};

}  // namespace zentomi
