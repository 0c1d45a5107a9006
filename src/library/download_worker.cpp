#include "library/download_worker.hpp"

#include <algorithm>
#include <utility>

#include "library/download_files.hpp"
#include "library/download_keys.hpp"
#include "library/local_image_signature.hpp"
#include "storage/store_file.hpp"

namespace zentomi {

std::string card_full_message(std::uint64_t free_bytes) {
  return "Thẻ nhớ đầy: còn " + std::to_string(free_bytes >> 20) + " MB";
}

// Friend of Downloads: the one place that touches the card for it.
class DownloadWorker {
 public:
  DownloadWorker(Downloads& downloads, const DownloadServices& services, const DownloadRun& run)
      : downloads_(downloads), services_(services), run_(run), files_(*services.files) {}

  void run() {
    load();
    while (true) {
      do_chores();
      std::optional<QueueEntry> next;
      {
        std::unique_lock lock(downloads_.mutex_);
        if (stop_locked()) return;
        if (chores_pending()) continue;
        next = next_entry();
        if (!next) {
          downloads_.wake_.wait(
              lock, [&] { return stop_locked() || chores_pending() || next_entry().has_value(); });
          continue;
        }
      }
      if (!report({next->chapter.url, 0, 0})) return;
      std::optional<ChapterRecord> whole;
      const Outcome outcome = download(*next, whole);
      if (outcome == Outcome::Stopped) return;
      finish(*next, outcome, std::move(whole));
      // After the queue has moved on, so that the chapter never looks queued again on its way.
      if (!report({})) return;
      if (outcome == Outcome::NetworkGone && !pause(services_.network_wait)) return;
    }
  }

 private:
  enum class Outcome : std::uint8_t { Done, Failed, Cancelled, NetworkGone, CardFull, Stopped };

  // With the lock held.
  bool chores_pending() const {
    return !downloads_.removals_.empty() || !downloads_.title_records_to_write_.empty() ||
           downloads_.queue_dirty_;
  }
  std::optional<QueueEntry> next_entry() const {
    if (downloads_.stop_message_) return std::nullopt;
    for (const QueueEntry& entry : downloads_.queue_) {
      if (!entry.failed) return entry;
    }
    return std::nullopt;
  }

  // With the lock held.
  bool stop_locked() {
    if (!stopped_ && (downloads_.stopping_ || run_.stop_asked())) stopped_ = true;
    return stopped_;
  }
  bool stopping() {
    const std::lock_guard lock(downloads_.mutex_);
    return stop_locked();
  }

  // Tells the runner; false once nobody listens, which stops the worker.
  bool report(DownloadProgress progress) {
    if (!run_.report(std::move(progress))) stopped_ = true;
    return !stopped_;
  }

  // Waits, unless the program stops or the main loop asks for something; false when stopping.
  bool pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(downloads_.mutex_);
    downloads_.wake_.wait_for(lock, duration, [&] { return stop_locked() || chores_pending(); });
    return !stop_locked();
  }

  bool wanted(std::string_view path) {
    const std::lock_guard lock(downloads_.mutex_);
    const QueueEntry* entry = downloads_.queued(path);
    return entry && !entry->failed;
  }

  std::string queue_path() const { return downloads_.data_dir_ + "/" + std::string(QUEUE_FILE); }

  template <typename Record, typename Parse>
  std::optional<Record> read_record(const std::string& path, Parse parse) {
    if (too_large_for_a_store(files_, path)) return std::nullopt;
    auto bytes = files_.read_file(path);
    if (!bytes) return std::nullopt;
    return parse(*bytes);
  }

  // What the card holds, and the queue file; leftovers of a crash are cleared.
  void load() {
    std::map<std::string, Downloads::TitleEntry, std::less<>> titles;
    std::vector<std::pair<std::string, std::string>> partial;  // title folder, partial name
    const std::string root = downloads_dir(downloads_.data_dir_);
    for (const std::string& title_name : folder_entries(root)) {
      std::string folder = root;
      folder.append("/").append(title_name);
      if (!is_folder(folder)) continue;
      Downloads::TitleEntry title;
      title.folder = folder;
      title.record = read_record<TitleRecord>(folder + "/" + std::string(TITLE_RECORD_FILE),
                                              parse_title_record);
      for (const std::string& name : folder_entries(folder)) {
        std::string path = folder;
        path.append("/").append(name);
        if (name.ends_with(DELETED_SUFFIX)) {
          remove_chapter_folder(files_, path);
        } else if (name.ends_with(TEMPORARY_SUFFIX)) {
          ignore_failure(files_.remove(path));
        } else if (name.ends_with(PARTIAL_SUFFIX)) {
          partial.emplace_back(folder, name);
        } else if (is_folder(path)) {
          auto record = read_record<ChapterRecord>(path + "/" + std::string(CHAPTER_RECORD_FILE),
                                                   parse_chapter_record);
          if (!record) continue;
          std::string key(site_path_rest(record->url));
          title.chapters.emplace(std::move(key), DownloadedChapter{path, std::move(*record)});
        }
      }
      std::string key =
          title.record ? std::string(site_path_rest(title.record->item.url)) : "\x01" + title_name;
      titles.emplace(std::move(key), std::move(title));
    }
    std::vector<QueueEntry> stored =
        load_store_file(files_, queue_path(), parse_queue).value_or(std::vector<QueueEntry>{});

    const std::lock_guard lock(downloads_.mutex_);
    // Whatever the main loop did before the card was read stays, after what was stored.
    for (auto& [key, title] : titles) {
      Downloads::TitleEntry& merged = downloads_.titles_[key];
      if (merged.folder.empty()) merged.folder = title.folder;
      if (!merged.record) merged.record = std::move(title.record);
      for (auto& [path, chapter] : title.chapters)
        merged.chapters.emplace(path, std::move(chapter));
    }
    std::vector<QueueEntry> queue;
    for (QueueEntry& entry : stored) {
      const std::string_view path = site_path_rest(entry.chapter.url);
      const bool duplicate = std::any_of(queue.begin(), queue.end(), [&](const QueueEntry& e) {
        return site_path_rest(e.chapter.url) == path;
      });
      if (duplicate || downloads_.whole_chapter(path)) continue;
      queue.push_back(std::move(entry));
    }
    for (QueueEntry& entry : downloads_.queue_) {
      const std::string_view path = site_path_rest(entry.chapter.url);
      const auto same = std::find_if(queue.begin(), queue.end(), [&](const QueueEntry& e) {
        return site_path_rest(e.chapter.url) == path;
      });
      if (same == queue.end()) {
        queue.push_back(std::move(entry));
      } else {
        same->failed = entry.failed;
      }
    }
    downloads_.queue_ = std::move(queue);
    // A partial chapter nobody waits for any more is removed.
    for (const auto& [folder, name] : partial) {
      std::string chapter_folder = folder;
      chapter_folder.append("/").append(name);
      const bool waited_for =
          std::any_of(downloads_.queue_.begin(), downloads_.queue_.end(), [&](const QueueEntry& e) {
            return chapter_dir(downloads_.data_dir_, e.title_url, e.chapter.url) +
                       std::string(PARTIAL_SUFFIX) ==
                   chapter_folder;
          });
      if (!waited_for) downloads_.removals_.push_back({chapter_folder});
    }
    downloads_.loaded_ = true;
    downloads_.changed();
  }

  // Removals first, then title records, then the queue file: a chapter queued again after a
  // removal starts afresh, and the queue names no title whose record was never written.
  void do_chores() {
    std::vector<Downloads::Removal> removals;
    std::vector<TitleRecord> records;
    std::optional<std::vector<QueueEntry>> queue;
    {
      const std::lock_guard lock(downloads_.mutex_);
      removals.swap(downloads_.removals_);
      records.swap(downloads_.title_records_to_write_);
      if (downloads_.queue_dirty_) queue = downloads_.queue_;
      downloads_.queue_dirty_ = false;
    }
    for (const Downloads::Removal& removal : removals)
      remove_chapter_folder(files_, removal.folder);
    for (const TitleRecord& record : records) {
      const std::string folder = title_dir(downloads_.data_dir_, record.item.url);
      if (!files_.create_directories(folder)) continue;
      const std::string text = render_title_record(record);
      ignore_failure(
          write_whole_file(files_, folder, std::string(TITLE_RECORD_FILE),
                           {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}));
    }
    if (queue) {
      ignore_failure(files_.create_directories(downloads_.data_dir_));
      ignore_failure(replace_store_file(
          files_, downloads_.data_dir_, std::string(QUEUE_FILE), render_queue(*queue),
          [](std::string_view bytes) { return parse_queue(bytes).has_value(); },
          services_.clock()));
    }
  }

  Outcome download(const QueueEntry& entry, std::optional<ChapterRecord>& whole) {
    const std::string path(site_path_rest(entry.chapter.url));
    const std::string final_folder =
        chapter_dir(downloads_.data_dir_, entry.title_url, entry.chapter.url);
    const std::string part = final_folder + std::string(PARTIAL_SUFFIX);
    if (is_folder(final_folder)) {
      whole = read_record<ChapterRecord>(final_folder + "/" + std::string(CHAPTER_RECORD_FILE),
                                         parse_chapter_record);
      if (whole) return Outcome::Done;
      remove_chapter_folder(files_, final_folder);
    }
    auto pages = services_.load_pages(entry.chapter.url);
    if (!pages) return pages.error().network ? Outcome::NetworkGone : Outcome::Failed;
    if (pages->empty()) return Outcome::Failed;
    if (!files_.create_directories(part)) return Outcome::Failed;

    std::vector<std::string> names(pages->size());
    std::size_t done = 0;
    for (const std::string& name : folder_entries(part)) {
      const std::optional<std::size_t> index = page_index_of(name);
      if (index && *index < names.size() && names[*index].empty()) {
        names[*index] = name;
        ++done;
      } else {
        std::string leftover = part;
        leftover.append("/").append(name);
        ignore_failure(files_.remove(leftover));
      }
    }
    if (!report({entry.chapter.url, done, names.size()})) return Outcome::Stopped;

    for (std::size_t index = 0; index < names.size(); ++index) {
      if (!names[index].empty()) continue;
      if (stopping()) return Outcome::Stopped;
      if (!wanted(path)) return Outcome::Cancelled;
      if (services_.free_bytes) {
        const std::optional<std::uint64_t> free = services_.free_bytes(downloads_.data_dir_);
        if (free && *free < FREE_SPACE_FLOOR_BYTES) {
          const std::lock_guard lock(downloads_.mutex_);
          downloads_.stop_message_ = card_full_message(*free);
          downloads_.changed();
          return Outcome::CardFull;
        }
      }
      for (int attempt = 0; attempt < PAGE_TRIES && names[index].empty(); ++attempt) {
        if (attempt > 0 && !pause(services_.retry_pause)) return Outcome::Stopped;
        if (!wanted(path)) return Outcome::Cancelled;
        const auto bytes = services_.fetch_bytes((*pages)[index]);
        if (!bytes) continue;
        const std::optional<std::string_view> extension = image_signature_extension(*bytes);
        if (!extension) continue;
        const std::string name = page_file_name(index, *extension);
        if (write_whole_file(files_, part, name, *bytes)) names[index] = name;
      }
      if (names[index].empty()) {
        // Asking for the chapter's page again tells a bad page from a network that went away.
        const auto again = services_.load_pages(entry.chapter.url);
        return !again && again.error().network ? Outcome::NetworkGone : Outcome::Failed;
      }
      if (!report({entry.chapter.url, ++done, names.size()})) return Outcome::Stopped;
    }

    ChapterRecord record{entry.chapter.name, entry.chapter.url, std::move(names)};
    const std::string text = render_chapter_record(record);
    if (!write_whole_file(files_, part, std::string(CHAPTER_RECORD_FILE),
                          {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}) ||
        !files_.flush_directory(part) || !files_.rename(part, final_folder)) {
      return Outcome::Failed;
    }
    ignore_failure(files_.flush_directory(title_dir(downloads_.data_dir_, entry.title_url)));
    whole = std::move(record);
    return Outcome::Done;
  }

  void finish(const QueueEntry& entry, Outcome outcome, std::optional<ChapterRecord> whole) {
    const std::lock_guard lock(downloads_.mutex_);
    const std::string path(site_path_rest(entry.chapter.url));
    auto& queue = downloads_.queue_;
    const auto queued = downloads_.queue_entry(path);
    if (outcome == Outcome::Done && whole) {
      Downloads::TitleEntry& title =
          downloads_.titles_[std::string(site_path_rest(entry.title_url))];
      if (title.folder.empty()) title.folder = title_dir(downloads_.data_dir_, entry.title_url);
      const std::string folder =
          chapter_dir(downloads_.data_dir_, entry.title_url, entry.chapter.url);
      title.chapters.insert_or_assign(path, DownloadedChapter{folder, std::move(*whole)});
      if (queued != queue.end()) queue.erase(queued);
      downloads_.queue_dirty_ = true;
    } else if (outcome == Outcome::Failed && queued != queue.end()) {
      queued->failed = true;
      downloads_.queue_dirty_ = true;
    }
    downloads_.changed();
  }

  Downloads& downloads_;
  const DownloadServices& services_;
  const DownloadRun& run_;
  FileSystem& files_;
  bool stopped_ = false;  // once true, stays so; the worker's thread alone touches it
};

void run_download_worker(Downloads& downloads, const DownloadServices& services,
                         const DownloadRun& run) {
  DownloadWorker(downloads, services, run).run();
}

}  // namespace zentomi
