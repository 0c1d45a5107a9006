#include "screens/detail/detail_controller.hpp"

#include <algorithm>

#include "screens/detail/detail_geometry.hpp"
#include "storage/ordering.hpp"

namespace zentomi {
namespace {

void move_selection(AppState& state, Button button) {
  const std::size_t count = state.chapters.size();
  const std::size_t rows = detail_geometry::chapter_rows(state.screen_height);
  std::size_t& selected = state.chapter_selected;
  std::size_t& scroll = state.chapter_scroll;
  if (button == Button::Up && selected > 0) {
    --selected;
    scroll = std::min(selected, scroll);
  } else if (button == Button::Down && selected + 1 < count) {
    ++selected;
    if (selected >= scroll + rows) scroll = selected - rows + 1;
  }
}

// A new chapter starts on its first page with nothing of the previous one kept: the page list
// and the image arrive from jobs, and the start page is applied once the list is known.
void open_chapter(AppState& state, AppContext& context, const std::string& title,
                  const std::string& url, std::size_t start_page) {
  state.chapter_title = title;
  state.chapter_url = url;
  state.page_image.reset();
  state.pages.clear();
  state.page_index = 0;
  state.zoom = 0;
  state.pan_x = 0;
  state.pan_y = 0;
  state.resume_pending = true;
  state.resume_page = start_page;
  context.jobs.start(job::ChapterPages{url});
  state.reader_loading = true;
  state.screen = Screen::Reader;
}

void open_first_chapter(AppState& state, AppContext& context) {
  if (!state.detail || state.chapters_site_order.empty()) return;
  const ChapterRef& first = state.chapters_site_order.back();
  open_chapter(state, context, first.name, first.url, 0);
}

void continue_reading(AppState& state, AppContext& context) {
  if (!state.current_history) {
    open_first_chapter(state, context);
    return;
  }
  const MangaHistory history = *state.current_history;
  open_chapter(state, context, history.last_chapter_title, history.last_chapter_url,
               static_cast<std::size_t>(history.last_page_idx));
}

void reverse_order(AppState& state) {
  state.chapters_reversed = !state.chapters_reversed;
  if (!state.detail) return;
  state.chapters = state.chapters_site_order;
  if (state.chapters_reversed) std::reverse(state.chapters.begin(), state.chapters.end());
  state.chapter_selected = 0;
  state.chapter_scroll = 0;
}

// Favourites may have changed while the title was open, so a filtered home list is rebuilt from
// the store. A scroll left past the clamped selection would show an empty page with no key to
// leave it, so it moves back to the selection's row.
void back_to_home(AppState& state, AppContext& context) {
  state.screen = Screen::Home;
  if (!state.favorites_only) return;
  state.source_items = context.store.load_favorites();
  state.displayed_items = state.source_items;
  apply_sort(state.displayed_items, state.source_items, state.sort_mode);
  const std::size_t count = state.displayed_items.size();
  state.home_selected = count == 0 ? 0 : std::min(state.home_selected, count - 1);
  if (state.home_scroll > state.home_selected) {
    const std::size_t columns = std::max<std::size_t>(state.grid_columns, 1);
    state.home_scroll =
        state.grid_view ? state.home_selected - state.home_selected % columns : state.home_selected;
  }
}

}  // namespace

bool handle_detail_button(AppState& state, Button button, AppContext& context) {
  switch (button) {
    case Button::Up:
    case Button::Down:
      move_selection(state, button);
      return false;
    case Button::A:
      if (state.chapter_selected < state.chapters.size()) {
        const ChapterRef chapter = state.chapters[state.chapter_selected];
        open_chapter(state, context, chapter.name, chapter.url, 0);
      }
      return false;
    case Button::B:
      back_to_home(state, context);
      return false;
    case Button::X:
      reverse_order(state);
      return false;
    case Button::Y:
      if (state.current_item) context.store.toggle_favorite(state.current_item);
      return false;
    case Button::L1:
      open_first_chapter(state, context);
      return false;
    case Button::Start:
      continue_reading(state, context);
      return false;
    case Button::Left:
    case Button::Right:
    case Button::Select:
    case Button::R1:
    case Button::L2:
    case Button::R2:
    case Button::Menu:  // the dispatch ends the program
      return false;
  }
  return false;
}

}  // namespace zentomi
