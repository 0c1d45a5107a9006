#include "screens/detail/detail_controller.hpp"

#include <algorithm>
#include <utility>

#include "screens/common/list_cursor.hpp"
#include "screens/detail/detail_downloads.hpp"
#include "screens/detail/detail_geometry.hpp"

namespace zentomi {
namespace {

void move_selection(AppState& state, Button button) {
  DetailState& details = state.details;
  ListCursor cursor{details.chapter_selected, details.chapter_scroll};
  if (button == Button::Up) cursor = list_up(cursor);
  if (button == Button::Down) {
    cursor = list_down(cursor, details.chapters.size(),
                       detail_geometry::chapter_rows(state.screen_height));
  }
  details.chapter_selected = cursor.selected;
  details.chapter_scroll = cursor.scroll;
}

void open_chapter(AppContext& context, const std::string& title, const std::string& url,
                  std::size_t start_page) {
  context.go(transition::OpenChapter{title, url, start_page});
}

void open_first_chapter(AppState& state, AppContext& context) {
  if (!state.details.detail || state.details.chapters_site_order.empty()) return;
  const ChapterRef& first = state.details.chapters_site_order.back();
  open_chapter(context, first.name, first.url, 0);
}

void continue_reading(AppState& state, AppContext& context) {
  if (!state.details.current_history) {
    open_first_chapter(state, context);
    return;
  }
  const MangaHistory history = *state.details.current_history;
  open_chapter(context, history.last_chapter_title, history.last_chapter_url,
               static_cast<std::size_t>(history.last_page_idx));
}

void reverse_order(AppState& state) {
  state.details.chapters_reversed = !state.details.chapters_reversed;
  if (!state.details.detail) return;
  state.details.chapters = state.details.chapters_site_order;
  if (state.details.chapters_reversed)
    std::reverse(state.details.chapters.begin(), state.details.chapters.end());
  state.details.chapter_selected = 0;
  state.details.chapter_scroll = 0;
}

}  // namespace

bool handle_detail_button(AppState& state, Button button, AppContext& context) {
  // The question a first SELECT asked is answered by the next press alone.
  if (button != Button::Select) state.details.delete_asked.reset();
  switch (button) {
    case Button::Up:
    case Button::Down:
      move_selection(state, button);
      return false;
    case Button::A:
      if (state.details.chapter_selected < state.details.chapters.size()) {
        const ChapterRef chapter = state.details.chapters[state.details.chapter_selected];
        open_chapter(context, chapter.name, chapter.url, 0);
      }
      return false;
    case Button::B:
      context.go(transition::BackFromTitle{});
      return false;
    case Button::X:
      reverse_order(state);
      return false;
    case Button::Y:
      if (state.details.current_item) context.store.toggle_favorite(state.details.current_item);
      return false;
    case Button::L1:
      open_first_chapter(state, context);
      return false;
    case Button::Start:
      continue_reading(state, context);
      return false;
    case Button::Select:
      select_chapter_download(state, context);
      return false;
    case Button::R2:
      queue_next_chapters(state, context);
      return false;
    default:  // nothing to do here; MENU is the dispatch's
      return false;
  }
}

}  // namespace zentomi
