#include "screens/home/favourites_news.hpp"

#include <string>

#include "model/site_address.hpp"
#include "platform/log.hpp"
#include "storage/favourites_refresh.hpp"

namespace zentomi {
namespace {

// The home records that show favourites: the one on screen and the front page kept aside.
template <typename Change>
void change_shown_favourites(AppState& state, Change&& change) {
  for (HomeState* home : {&state.home, state.front_page ? &*state.front_page : nullptr}) {
    if (!home || !home->favorites_only) continue;
    change(home->source_items);
    change(home->displayed_items);
  }
}

void take_latest_chapter(AppState& state, Store& store, std::string_view url,
                         std::string_view chapter) {
  refresh_stored_favourites(store, [&](FavoritesList& favourites) {
    return set_latest_chapter(favourites, url, chapter);
  });
  change_shown_favourites(
      state, [&](std::vector<MangaItem>& items) { set_latest_chapter(items, url, chapter); });
}

}  // namespace

void learn_from_listing(AppState& state, Store& store, const std::vector<MangaItem>& listed) {
  refresh_stored_favourites(
      store, [&](FavoritesList& favourites) { return refresh_from_listing(favourites, listed); });
  change_shown_favourites(
      state, [&](std::vector<MangaItem>& items) { refresh_from_listing(items, listed); });
  for (const MangaItem& title : listed) {
    const auto known = state.news.titles.find(title_key(title.url));
    if (known == state.news.titles.end() || title.latest_chapter.empty()) continue;
    // A newer chapter than the news know of: their count would be short.
    if (known->second.newest != title.latest_chapter) state.news.titles.erase(known);
  }
}

void learn_from_detail(AppState& state, Store& store, const DetailLoaded& loaded,
                       std::chrono::system_clock::time_point now) {
  if (!loaded.result || loaded.result->chapters.empty() || !store.is_favorite(loaded.url)) return;
  const std::vector<ChapterRef>& chapters = loaded.result->chapters;
  const std::optional<MangaHistory> history = store.get_history_entry(loaded.url);
  FavouriteNews news = news_from_chapters(chapters, history ? history->last_chapter_url : "");
  news.refreshed = now;
  take_latest_chapter(state, store, loaded.url, news.newest);
  state.news.titles.insert_or_assign(title_key(loaded.url), std::move(news));
}

void start_favourites_check(AppState& state, AppContext& context, const FavoritesList& favourites) {
  std::vector<FavouriteTarget> targets =
      check_targets(favourites, context.store.load_history(), state.news, context.wall_clock());
  if (targets.empty()) return;
  CheckProgress& check = state.news.check;
  check = {.running = true, .done = 0, .total = targets.size(), .request = check.request + 1};
  context.jobs.start(job::FavouritesCheck{std::move(targets), check.request});
}

void keep_check_in_view(AppState& state, Jobs& jobs) {
  CheckProgress& check = state.news.check;
  if (!check.running) return;
  const bool in_view = state.screen == Screen::Home && state.home.favorites_only &&
                       state.home.source == HomeSource::FrontPage;
  if (in_view) return;
  check.running = false;
  ++check.request;
  // The newer, empty request stops the running one between two of its requests.
  jobs.start(job::FavouritesCheck{{}, check.request});
}

void apply_favourite_refreshed(AppState& state, Store& store, FavouriteRefreshed& refreshed,
                               std::chrono::system_clock::time_point now) {
  refreshed.news.refreshed = now;
  take_latest_chapter(state, store, refreshed.url, refreshed.news.newest);
  state.news.titles.insert_or_assign(title_key(refreshed.url), std::move(refreshed.news));
  CheckProgress& check = state.news.check;
  if (check.running && refreshed.request == check.request) {
    check.done = refreshed.index + 1;
    check.total = refreshed.total;
  }
}

void apply_favourites_check_ended(AppState& state, const FavouritesCheckEnded& ended) {
  CheckProgress& check = state.news.check;
  if (!check.running || ended.request != check.request) return;
  check.running = false;
  if (ended.failure) log_line("Favorites", "Check stopped: " + *ended.failure);
}

void note_reading(AppState& state) {
  const DetailState& details = state.details;
  if (!details.current_item || !details.current_history || state.news.titles.empty()) return;
  const auto known = state.news.titles.find(title_key(details.current_item->url));
  if (known == state.news.titles.end()) return;
  std::vector<std::string>& chapters = known->second.chapters;
  const auto count = new_chapter_count(known->second, details.current_history->last_chapter_url);
  // A chapter older than the news know of: no count rather than a wrong one.
  chapters.resize(count ? *count + 1 : 0);
}

std::optional<std::size_t> new_chapters(const AppState& state, const MangaItem& item) {
  if (state.news.titles.empty()) return std::nullopt;
  const auto known = state.news.titles.find(title_key(item.url));
  if (known == state.news.titles.end()) return std::nullopt;
  // The title opened last may have been read since the news were made.
  const DetailState& details = state.details;
  if (details.current_item && details.current_history &&
      same_title(details.current_item->url, item.url)) {
    return new_chapter_count(known->second, details.current_history->last_chapter_url);
  }
  return new_chapter_count(known->second, std::nullopt);
}

}  // namespace zentomi
