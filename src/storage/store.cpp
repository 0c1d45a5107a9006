#include "storage/store.hpp"

#include <algorithm>
#include <utility>

#include "model/site_address.hpp"
#include "model/site_origin.hpp"
#include "platform/log.hpp"
#include "storage/site_origin_file.hpp"
#include "storage/store_bounds.hpp"
#include "storage/store_file.hpp"
#include "storage/store_json.hpp"

namespace zentomi {
namespace {

// The newest entry for the title, when only other addresses of it are stored.
HistoryMap::iterator find_title(HistoryMap& history, std::string_view url) {
  auto newest = history.end();
  for (auto entry = history.begin(); entry != history.end(); ++entry) {
    if (!same_title(entry->first, url)) continue;
    if (newest == history.end() || entry->second.timestamp > newest->second.timestamp)
      newest = entry;
  }
  return newest;
}

bool usable_history(std::string_view bytes) {
  return parse_history_json(bytes).has_value();
}
bool usable_favorites(std::string_view bytes) {
  return parse_favorites_json(bytes).has_value();
}

std::uint64_t unix_seconds(std::chrono::system_clock::time_point now) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
  return seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds);
}

}  // namespace

Store::Store(StorePaths paths) : Store(std::move(paths), StoreSystem{}) {}

Store::Store(StorePaths paths, StoreSystem system)
    : paths_(std::move(paths)), system_(std::move(system)) {
  if (system_.background_writes) {
    writer_ = std::make_unique<StoreWriter>(system_.files);
    history_edits_ = std::make_shared<HistoryEdits>(system_.files);
  }
}

void Store::settle_unwritten() const {
  if (!writer_) return;
  if (unwritten_history_ && writer_->finished(unwritten_history_->version)) {
    unwritten_history_.reset();
  }
  if (unwritten_favorites_ && writer_->finished(unwritten_favorites_->version)) {
    unwritten_favorites_.reset();
  }
  std::erase_if(unwritten_entries_,
                [this](const auto& entry) { return writer_->finished(entry.second.version); });
}

bool Store::wait_for_saves(std::chrono::milliseconds limit) {
  return !writer_ || writer_->wait_until_idle(limit);
}

std::string Store::resolve_data_dir() const {
  return zentomi::resolve_data_dir(*system_.files, paths_);
}

std::string Store::store_path(const char* name) const {
  return resolve_data_dir() + "/" + name;
}

HistoryMap Store::load_history() const {
  settle_unwritten();
  HistoryMap history =
      unwritten_history_
          ? unwritten_history_->content
          : load_store_file(*system_.files, store_path(HISTORY_FILE_NAME), parse_history_json)
                .value_or(HistoryMap{});
  if (unwritten_entries_.empty()) return history;
  // As the writer applies them: each in place of any entry for the same title, then bounded.
  for (const auto& [key, entry] : unwritten_entries_) {
    std::erase_if(history, [&](const auto& stored) { return same_title(stored.first, key); });
    history.insert_or_assign(key, entry.content);
  }
  return bound_history(std::move(history), MAX_STORE_FILE_BYTES);
}

void Store::save_history(const HistoryMap& history) {
  save_history_at(history, system_.clock());
}

void Store::save_history_at(const HistoryMap& unbounded,
                            std::chrono::system_clock::time_point now) {
  // What is written must always read back: the oldest titles drop out here.
  HistoryMap history = bound_history(unbounded, MAX_STORE_FILE_BYTES);
  if (writer_) {
    history_edits_->replace(history);
    const std::uint64_t version = submit_history(now);
    unwritten_entries_.clear();
    unwritten_history_ = UnwrittenStore<HistoryMap>{version, std::move(history)};
    return;
  }
  const std::string text = render_history_json(history);
  // A failed save leaves the previous store in place; the user learns of it from the log.
  failures_.record(HISTORY_FILE_NAME,
                   replace_store_file(*system_.files, resolve_data_dir(), HISTORY_FILE_NAME, text,
                                      usable_history, now));
}

FavoritesList Store::load_favorites() const {
  settle_unwritten();
  if (unwritten_favorites_) return unwritten_favorites_->content;
  return load_store_file(*system_.files, store_path(FAVORITES_FILE_NAME), parse_favorites_json)
      .value_or(FavoritesList{});
}

void Store::save_favorites(const FavoritesList& unbounded) {
  favorites_reading_.reset();
  FavoritesList favorites = bound_favorites(unbounded, MAX_STORE_FILE_BYTES);
  std::string text = render_favorites_json(favorites);
  if (writer_) {
    const std::uint64_t version =
        writer_->submit({resolve_data_dir(), FAVORITES_FILE_NAME, std::move(text), usable_favorites,
                         system_.clock()});
    unwritten_favorites_ = UnwrittenStore<FavoritesList>{version, std::move(favorites)};
    return;
  }
  // A failed save leaves the previous store in place; the user learns of it from the log.
  failures_.record(FAVORITES_FILE_NAME,
                   replace_store_file(*system_.files, resolve_data_dir(), FAVORITES_FILE_NAME, text,
                                      usable_favorites, system_.clock()));
}

std::uint64_t Store::submit_history(std::chrono::system_clock::time_point now) {
  std::string directory = resolve_data_dir();
  const std::string path = directory + "/" + HISTORY_FILE_NAME;
  return writer_->submit({std::move(directory),
                          HISTORY_FILE_NAME,
                          {},
                          usable_history,
                          now,
                          [edits = history_edits_, path] { return edits->render(path); },
                          [edits = history_edits_, path] { edits->written(path); }});
}

std::optional<MangaHistory> Store::get_history_entry(std::string_view manga_url) const {
  settle_unwritten();
  if (const auto unwritten = unwritten_entries_.find(cap_stored_text(manga_url));
      unwritten != unwritten_entries_.end()) {
    return unwritten->second.content;
  }
  HistoryMap history = load_history();
  // Stored under its capped address, or under an origin the site has left.
  auto entry = history.find(cap_stored_text(manga_url));
  if (entry == history.end()) entry = find_title(history, manga_url);
  if (entry == history.end()) return std::nullopt;
  return std::move(entry->second);
}

void Store::record_progress(const std::optional<MangaItem>& current_item,
                            std::string_view chapter_title, std::string_view chapter_url,
                            std::uint64_t page_index, std::uint64_t total_pages,
                            std::optional<MangaHistory>& current_history,
                            std::chrono::system_clock::time_point now) {
  if (!current_item || chapter_url.empty()) return;
  const std::string origin = site_origin();
  std::string key = cap_stored_text(at_origin(current_item->url, origin));
  MangaHistory record{
      key,        current_item->title, std::string(chapter_title), at_origin(chapter_url, origin),
      page_index, total_pages,         unix_seconds(now)};
  cap_stored_texts(record);
  remember_cover(*current_item, key, now);
  if (writer_) {
    // The writer applies the entry to the history it keeps; until it has written it, the loads
    // here answer with it.
    history_edits_->put(key, record);
    const std::uint64_t version = submit_history(now);
    std::erase_if(unwritten_entries_,
                  [&](const auto& entry) { return same_title(entry.first, key); });
    unwritten_entries_.insert_or_assign(std::move(key),
                                        UnwrittenStore<MangaHistory>{version, record});
    current_history = std::move(record);
    return;
  }
  HistoryMap history = load_history();
  // One entry per title, whatever origin it was first written under.
  std::erase_if(history, [&](const auto& entry) { return same_title(entry.first, key); });
  history.insert_or_assign(std::move(key), record);
  save_history_at(history, now);
  current_history = std::move(record);
}

const FavoritesList& Store::history_covers() const {
  if (!history_covers_) {
    history_covers_ =
        load_store_file(*system_.files, store_path(HISTORY_COVERS_FILE_NAME), parse_favorites_json)
            .value_or(FavoritesList{});
  }
  return *history_covers_;
}

void Store::remember_cover(const MangaItem& item, const std::string& key,
                           std::chrono::system_clock::time_point now) {
  if (item.thumb_url.empty()) return;
  static_cast<void>(history_covers());  // read once
  if (!history_covers_) return;
  FavoritesList& covers = *history_covers_;
  const std::string thumb = cap_stored_text(item.thumb_url);
  // Page turns read the title read last: answered without a search.
  if (!covers.empty() && covers.front().url == key && covers.front().thumb_url == thumb) return;
  const auto found = std::find_if(covers.begin(), covers.end(),
                                  [&](const MangaItem& kept) { return same_title(kept.url, key); });
  if (found != covers.end()) covers.erase(found);
  covers.insert(covers.begin(), MangaItem{cap_stored_text(item.title), key, thumb, {}, {}});
  if (covers.size() > MAX_HISTORY_TITLES) covers.resize(MAX_HISTORY_TITLES);
  covers = bound_favorites(std::move(covers), MAX_STORE_FILE_BYTES);
  std::string text = render_favorites_json(covers);
  if (writer_) {
    writer_->submit(
        {resolve_data_dir(), HISTORY_COVERS_FILE_NAME, std::move(text), usable_favorites, now});
    return;
  }
  failures_.record(HISTORY_COVERS_FILE_NAME,
                   replace_store_file(*system_.files, resolve_data_dir(), HISTORY_COVERS_FILE_NAME,
                                      text, usable_favorites, now));
}

bool Store::toggle_favorite(const std::optional<MangaItem>& current_item) {
  if (!current_item) return false;
  FavoritesList favorites = load_favorites();
  bool added = false;
  const std::string url = cap_stored_text(current_item->url);
  const auto found = std::find_if(favorites.begin(), favorites.end(),
                                  [&](const MangaItem& item) { return same_title(item.url, url); });
  if (found != favorites.end()) {
    favorites.erase(found);
  } else {
    MangaItem item = *current_item;
    item.url = at_origin(item.url, site_origin());
    favorites.insert(favorites.begin(), std::move(item));
    added = true;
  }
  save_favorites(favorites);
  log_line("Favorites", "Toggled " + current_item->title + ": added=" + (added ? "true" : "false"));
  return added;
}

Store::FavoritesVersion Store::favorites_version() const {
  FileSystem& files = *system_.files;
  std::string path = store_path(FAVORITES_FILE_NAME);
  std::optional<FileIdentity> file = files.status(path);
  std::optional<FileIdentity> previous = files.status(previous_version_path(path));
  return {std::move(path), file, previous};
}

Store::FavoritesStamp Store::favorites_stamp() const {
  settle_unwritten();
  return {favorites_version(), unwritten_favorites_ ? unwritten_favorites_->version : 0};
}

bool Store::is_favorite(std::string_view url) {
  // Stored under its capped address.
  std::string capped;
  if (url.size() > MAX_STORED_TEXT_BYTES) url = capped = cap_stored_text(url);
  settle_unwritten();
  if (unwritten_favorites_) {
    const FavoritesList& favorites = unwritten_favorites_->content;
    return std::any_of(favorites.begin(), favorites.end(),
                       [&](const MangaItem& item) { return same_title(item.url, url); });
  }
  // The identities are taken before reading, so a change made during the read shows as a
  // different version next time rather than hiding behind this one.
  FavoritesVersion version = favorites_version();
  if (!favorites_reading_ || favorites_reading_->version != version) {
    FavoritesReading reading{std::move(version), {}};
    const FavoritesList favorites =
        load_store_file(*system_.files, reading.version.path, parse_favorites_json)
            .value_or(FavoritesList{});
    for (const MangaItem& item : favorites)
      reading.urls.insert(title_key(item.url));
    favorites_reading_ = std::move(reading);
  }
  return favorites_reading_->urls.contains(title_key(url));
}

}  // namespace zentomi
