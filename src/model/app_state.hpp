#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/favourites_news.hpp"
#include "model/image.hpp"
#include "model/manga.hpp"
#include "model/ota.hpp"
#include "model/worker_result.hpp"

namespace zentomi {

// Search is the on-screen keyboard, drawn over the home screen.
enum class Screen : std::uint8_t { Home = 0, Detail = 1, Reader = 2, Update = 3, Search = 4 };

enum class SortMode : std::uint8_t { Latest = 0, Views = 1, NameAZ = 2 };

// Where the titles on the home screen come from. The library (L1) lists what is on the card.
enum class HomeSource : std::uint8_t { FrontPage = 0, History = 1, Search = 2, Library = 3 };

// What the home screen shows and where its selection is.
struct HomeState {
  std::vector<MangaItem> all_items;
  std::vector<MangaItem> source_items;
  std::vector<MangaItem> displayed_items;
  std::size_t home_selected = 0;
  std::size_t home_scroll = 0;
  bool grid_view = true;
  bool favorites_only = false;
  SortMode sort_mode = SortMode::Latest;
  std::size_t grid_columns = 5;
  bool home_loading = true;
  std::optional<std::string> home_error;  // why the last home listing failed
  HomeSource source = HomeSource::FrontPage;
  std::string search_query;  // the query whose results are shown or awaited (Search only)
  bool operator==(const HomeState&) const = default;
};

// The on-screen keyboard: what has been typed and which key is selected.
struct SearchState {
  std::string query;  // kept when the user leaves the keyboard
  std::size_t key_row = 0;
  std::size_t key_column = 0;
  // The last queries searched, newest first, for R2 to bring back; kept in memory only.
  std::vector<std::string> recent_queries;
  std::size_t next_recalled = 0;  // the one R2 brings back next
};

// The title opened from the home screen, its detail page and its chapter list.
struct DetailState {
  std::optional<MangaItem> current_item;
  std::optional<MangaHistory> current_history;
  std::optional<MangaDetail> detail;
  std::vector<ChapterRef> chapters_site_order;
  std::vector<ChapterRef> chapters;
  bool chapters_reversed = false;
  std::size_t chapter_selected = 0;
  std::size_t chapter_scroll = 0;
  bool detail_loading = false;
  std::optional<std::string> detail_error;  // why the last detail load failed
  // Built from the title's record on the card because the page could not be fetched: only the
  // downloaded chapters are listed.
  bool from_card = false;
  // A downloaded chapter is deleted only by a second SELECT soon after the first, which asked.
  struct DeleteAsked {
    std::string chapter_url;
    std::chrono::system_clock::time_point at;
  };
  std::optional<DeleteAsked> delete_asked;
};

// The chapter being read and how its page is shown.
struct ReaderState {
  std::string chapter_title;
  std::string chapter_url;
  std::vector<std::string> pages;
  std::size_t page_index = 0;
  SharedImage page_image;  // null until the image of page_index arrives
  int zoom = 0;            // 0 fit, 1 125 %, 2 150 %, 3 200 %
  std::int32_t pan_x = 0;
  std::int32_t pan_y = 0;
  bool hud_visible = true;
  bool reader_loading = false;
  bool resume_pending = false;
  std::size_t resume_page = 0;
  // The newest page-list and page-image requests: an answer to any older one is dropped, so a
  // chapter opened twice is never reset to its first page by the first opening's late answer.
  std::uint64_t pages_request = 0;
  std::uint64_t image_request = 0;
  // Scroll reading (START): each page at its own width, moved by Up and Down. Kept across pages
  // and chapters until turned off, and never saved.
  bool scroll_reading = false;
  std::int32_t scroll = 0;        // rows of the page above the screen
  bool scroll_to_bottom = false;  // the page on its way was reached going back, so it ends in view
  int strip_width = 0;            // the width level of scroll reading (X/R2 wider, Y/L2 narrower)
  // Scroll reading shows the chapter as one strip: the page after page_index is fetched once the
  // end of page_index comes within a screen, and drawn under it. Never more than one ahead.
  SharedImage next_image;
  bool next_loading = false;
  bool next_failed = false;
  std::uint64_t next_request = 0;
  int waiting_scrolls = 0;  // Down presses at the boundary while the next page was on its way
  // The first page shown of a chapter decides the mode: a tall strip turns scroll reading on.
  bool mode_chosen = false;
  // The end of the chapter's last page was reached: the HUD offers the next chapter on A.
  bool chapter_end = false;

  // The page fetched ahead, and any answer still to come for it, let go.
  void drop_next() {
    next_image.reset();
    next_loading = false;
    next_failed = false;
    next_request = 0;
    waiting_scrolls = 0;
  }

  // Back to the fitted page, unmoved (a page read by scrolling back to its top).
  void reset_view() {
    zoom = 0;
    pan_x = 0;
    pan_y = 0;
    scroll = 0;
    scroll_to_bottom = false;
  }
};

// The titles of the card's Manga folder as last scanned, and what the folder looked like then.
struct LocalLibraryState {
  std::vector<MangaItem> titles;
  std::uint64_t fingerprint = 0;
  // The titles with chapters downloaded to the card, newest download first, as the library was
  // last opened: each as its record keeps it, and its chapter line there.
  std::vector<MangaItem> downloaded;
  std::vector<std::string> downloaded_lines;
};

// What is known of a newer version and what the update screen is doing.
struct UpdateState {
  UpdateStatus update_status = update_status::Idle{};
  std::optional<OtaManifest> update_manifest;
};

// The single application state, owned by the main thread: one record per screen, each owned by
// that screen's controller and filled in by the results of the jobs it asked for.
struct AppState {
  // Display geometry, fixed at start-up; the controllers derive their page sizes from it.
  int screen_width = 1280;
  int screen_height = 720;

  Screen screen = Screen::Home;
  // Numbers every page-list and page-image request; never goes back.
  std::uint64_t last_request = 0;
  HomeState home;
  // The front page's record while the history or search results stand in for it.
  std::optional<HomeState> front_page;
  SearchState search;
  DetailState details;
  ReaderState reader;
  UpdateState update;
  LocalLibraryState local_library;
  // What the favourites' chapter lists said when last refreshed, and the check that refreshes them.
  FavouritesNews news;
  // What the download job last said it was doing; shown on every screen while the queue waits for
  // that chapter.
  DownloadProgress download_progress;
};

// The listing failed and nothing stands in for it: the home screen offers a retry instead of the
// empty-list advice, which cannot help here.
inline bool home_listing_failed_with_nothing_shown(const HomeState& home) {
  return home.home_error.has_value() && !home.favorites_only && home.displayed_items.empty();
}

// The state at start-up for a display of the given size.
AppState make_initial_state(int screen_width, int screen_height);

}  // namespace zentomi
