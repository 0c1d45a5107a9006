#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "model/manga.hpp"
#include "model/string_hash.hpp"
#include "platform/clock.hpp"
#include "storage/file_system.hpp"
#include "storage/history_edits.hpp"
#include "storage/save_failure_log.hpp"
#include "storage/store_paths.hpp"
#include "storage/store_writer.hpp"

namespace zentomi {

// The platform beneath the stores. Tests substitute the file system (to fail single steps) or
// the clock that names the copies of unreadable files.
struct StoreSystem {
  std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>();
  WallClock clock = wall_now;
  // Saves are handed to a writer thread instead of being written by the caller.
  bool background_writes = false;
};

// The newest content given to a store's writer thread and not yet written: every read answers
// from it, so a save shows at once whether or not it has reached the disk. (Outside Store: clang
// 19 fails to compile a member template of it under UndefinedBehaviorSanitizer.)
template <typename Content>
struct UnwrittenStore {
  std::uint64_t version = 0;
  Content content;
};

// Reading history and favourites, kept in history.json and favorites.json in the data directory
// (with the covers of the titles read beside them, in history-covers.json).
// Every operation reads the files afresh (is_favorite reuses its last reading while the file is
// unchanged) and every change rewrites a whole file. With the writer thread, a recorded position
// is handed to it as the one changed entry: the writer owns the history's content and renders
// the file, so recording costs the same whatever the size of the history. Nothing here reports a
// failure: a store that cannot be read is empty and a write that fails leaves the files as they
// were (it is logged, once per failure). Main thread only.
class Store {
 public:
  explicit Store(StorePaths paths = {});
  Store(StorePaths paths, StoreSystem system);

  // The SD card directory if an entry exists there or it can be created, else the fallback
  // (created if possible). Decided again at every call.
  std::string resolve_data_dir() const;

  // A save writes the content bounded (bound_history, bound_favorites), so that it always reads
  // back; the loads that follow give the bounded content. An address longer than a stored text
  // is looked up by its capped form.
  HistoryMap load_history() const;
  void save_history(const HistoryMap& history);
  FavoritesList load_favorites() const;
  void save_favorites(const FavoritesList& unbounded);

  // The entry stored under the url or, failing that, the newest one stored for the same title
  // under another origin of the site (model/site_address.hpp).
  std::optional<MangaHistory> get_history_entry(std::string_view manga_url) const;
  // Stores the position under the item's url, site addresses moved to the current origin, in
  // place of any entry for the same title, and makes it the current history record (even when
  // the file cannot be written). Does nothing without an item or with an empty chapter url.
  // `now` is the real-time clock reading.
  void record_progress(const std::optional<MangaItem>& current_item, std::string_view chapter_title,
                       std::string_view chapter_url, std::uint64_t page_index,
                       std::uint64_t total_pages, std::optional<MangaHistory>& current_history,
                       std::chrono::system_clock::time_point now);
  // The listing records of the titles read, newest first, at most MAX_HISTORY_TITLES: the covers
  // of titles the listing no longer shows. Read once a run; record_progress keeps it.
  const FavoritesList& history_covers() const;
  // Removes the first favourite naming the item's title, or puts the item first (a site address
  // moved to the current origin); true when added.
  // Logs "[Favorites] Toggled <title>: added=<true|false>".
  bool toggle_favorite(const std::optional<MangaItem>& current_item);
  // Whether a favourite names the same title. Asked for every visible title on every frame:
  // answered from the last reading of favorites.json while the file's identity is unchanged; our
  // own saves forget that reading.
  bool is_favorite(std::string_view url);

  // Everything a load of favorites.json depends on.
  struct FavoritesVersion {
    std::string path;
    std::optional<FileIdentity> file;
    std::optional<FileIdentity> previous;
    bool operator==(const FavoritesVersion&) const = default;
  };
  // What is_favorite answers from: equal stamps give equal answers for every URL, whether the
  // change came from our own save or from another program replacing the file.
  struct FavoritesStamp {
    FavoritesVersion files;
    std::uint64_t unwritten = 0;  // the version of our own save not yet written; 0 when none
    bool operator==(const FavoritesStamp&) const = default;
  };
  FavoritesStamp favorites_stamp() const;

  // Waits for saves handed to the writer thread, at most `limit`; false when time ran out.
  bool wait_for_saves(std::chrono::milliseconds limit);

 private:
  struct FavoritesReading {
    FavoritesVersion version;
    std::unordered_set<std::string, StringHash, std::equal_to<>> urls;  // their title_key
  };

  std::string store_path(const char* name) const;
  FavoritesVersion favorites_version() const;
  void save_history_at(const HistoryMap& unbounded, std::chrono::system_clock::time_point now);
  // Hands the writer a write of history.json made from the changes given to history_edits_.
  std::uint64_t submit_history(std::chrono::system_clock::time_point now);
  // Keeps the item's cover first in history_covers(), written only when it is new or changed.
  void remember_cover(const MangaItem& item, const std::string& key,
                      std::chrono::system_clock::time_point now);

  // Forgets unwritten content that the writer has since written (or failed to write).
  void settle_unwritten() const;

  StorePaths paths_;
  StoreSystem system_;
  std::optional<FavoritesReading> favorites_reading_;
  std::unique_ptr<StoreWriter> writer_;
  SaveFailureLog failures_;  // of the saves written here, without the writer
  mutable std::optional<UnwrittenStore<HistoryMap>> unwritten_history_;
  // Single entries handed to the writer since, by key, each with the version that writes it.
  mutable std::unordered_map<std::string, UnwrittenStore<MangaHistory>, StringHash, std::equal_to<>>
      unwritten_entries_;
  std::shared_ptr<HistoryEdits> history_edits_;  // with the writer only
  mutable std::optional<UnwrittenStore<FavoritesList>> unwritten_favorites_;
  mutable std::optional<FavoritesList> history_covers_;  // read at the first use
};

}  // namespace zentomi
