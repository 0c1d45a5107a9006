#include "screens/reader/reader_controller.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/background_release.hpp"
#include "screens/common/chapter_opening.hpp"
#include "screens/reader/reader_pages.hpp"
#include "screens/reader/scroll_geometry.hpp"
#include "screens/reader/strip.hpp"

namespace zentomi {
namespace {

constexpr int PAN_STEP = 50;
constexpr int ZOOM_LEVELS = 4;
// Down presses remembered at a boundary while the next page loads, a bound for a key held down
// on a very slow network.
constexpr int MAX_WAITING_SCROLLS = 256;

// A zoom change that ends at the fitted page also forgets the pan.
void change_zoom(AppState& state, int step) {
  const int zoom = (state.reader.zoom + step + ZOOM_LEVELS) % ZOOM_LEVELS;
  if (zoom == 0) state.reader.reset_view();
  state.reader.zoom = zoom;
}

void turn_page(AppState& state, AppContext& context, bool forward, bool keep_zoom) {
  ReaderState& reader = state.reader;
  const std::size_t count = reader.pages.size();
  const std::size_t current = reader.page_index;
  // Both directions need a target inside the list: with no list (not arrived, failed or empty)
  // every page key does nothing. Forward from the last page is the chapter's end.
  if (forward && count > 0 && current + 1 == count) reader.chapter_end = true;
  if (forward ? current + 1 >= count : current == 0 || current > count) return;
  const std::size_t target = forward ? current + 1 : current - 1;
  save_reading_progress(state, context, target);
  // The page fetched ahead is the one turned to: it is shown at once, or awaited.
  SharedImage ahead = forward ? reader.next_image : nullptr;
  const bool awaited = forward && reader.next_loading;
  const std::uint64_t ahead_request = reader.next_request;
  // Pages let go here may be megabytes: they are freed off the main thread.
  release_in_background(std::move(reader.next_image));
  reader.drop_next();
  reader.page_index = target;
  release_in_background(std::exchange(reader.page_image, std::move(ahead)));
  reader.reader_loading = !reader.page_image;
  const int zoom = keep_zoom ? reader.zoom : 0;
  reader.reset_view();
  reader.zoom = zoom;
  if (reader.page_image) {
    settle_strip(state, context);
  } else if (awaited) {
    reader.image_request = ahead_request;
  } else {
    request_page_image(state, context);
  }
}

// Up at the top of the page shown: the previous page is fetched again and ends in view; the page
// shown stays, now as the next one under it.
void scroll_back_a_page(AppState& state, AppContext& context) {
  ReaderState& reader = state.reader;
  if (reader.page_index == 0 || reader.page_index > reader.pages.size()) return;
  SharedImage shown = std::move(reader.page_image);
  turn_page(state, context, false, true);
  reader.scroll_to_bottom = true;
  if (shown) {
    reader.next_image = std::move(shown);
    reader.next_request = 0;
  }
}

// Up and Down in scroll reading move along the strip; where the strip ends, Down waits for the
// next page or turns past a page that failed, and Up goes back a page.
void scroll_page(AppState& state, AppContext& context, bool down) {
  ReaderState& reader = state.reader;
  if (!reader.page_image) {
    // Until the page arrives its length is unknown; a held key waits here instead of running
    // through pages never seen. A page that failed has no rows, so the key moves past it.
    if (!reader.reader_loading) turn_page(state, context, down, true);
    return;
  }
  const std::int32_t step = scroll_geometry::step(state.screen_height);
  if (!down) {
    if (reader.scroll > 0) {
      reader.scroll = std::max(reader.scroll - step, 0);
    } else {
      scroll_back_a_page(state, context);
    }
    return;
  }
  const std::int32_t limit = strip::limit(state);
  if (reader.scroll < limit) {
    reader.scroll = std::min(reader.scroll + step, limit);
    settle_strip(state, context);
  } else if (reader.next_loading) {
    reader.waiting_scrolls = std::min(reader.waiting_scrolls + 1, MAX_WAITING_SCROLLS);
  } else {
    turn_page(state, context, true, true);
  }
}

// X/R2 and Y/L2 in scroll reading: the strip wider or narrower, the line at the screen's middle
// staying where it was.
void change_strip_width(AppState& state, AppContext& context, int step) {
  ReaderState& reader = state.reader;
  const int level = std::clamp(reader.strip_width + step, 0, scroll_geometry::WIDTH_LEVELS - 1);
  if (level == reader.strip_width) return;
  const int half = state.screen_height / 2;
  if (!reader.page_image) {
    reader.strip_width = level;
    return;
  }
  // The middle line as a fraction of the page it lies on, the page shown or the next one.
  const double before = static_cast<double>(strip::height(state, *reader.page_image));
  const double middle = reader.scroll + half;
  const bool in_next = reader.next_image && middle >= before;
  const double next_before =
      reader.next_image ? static_cast<double>(strip::height(state, *reader.next_image)) : 1.0;
  const double fraction = in_next ? (middle - before) / next_before : middle / before;
  reader.strip_width = level;
  const double after = static_cast<double>(strip::height(state, *reader.page_image));
  const double line =
      in_next ? after + fraction * static_cast<double>(strip::height(state, *reader.next_image))
              : fraction * after;
  reader.scroll = std::max(static_cast<std::int32_t>(std::lround(line)) - half, 0);
  settle_strip(state, context);
}

// START: scroll reading starts each page at its top; turned off, the page is fitted again and
// nothing is fetched ahead.
void toggle_scroll_reading(AppState& state, AppContext& context) {
  ReaderState& reader = state.reader;
  const bool on = !reader.scroll_reading;
  reader.reset_view();
  reader.drop_next();
  reader.scroll_reading = on;
  settle_strip(state, context);
}

// A at the end of the chapter's last page: the next chapter from its first page, read the same
// way.
void open_next_chapter(AppState& state, AppContext& context) {
  if (!state.reader.chapter_end) return;
  const ChapterRef* next = next_chapter(state.details, state.reader.chapter_url);
  if (next == nullptr) return;
  context.go(transition::OpenChapter{next->name, next->url, 0});
}

bool handle_scroll_key(AppState& state, Button button, AppContext& context) {
  switch (button) {
    case Button::Up:
    case Button::Down:
      scroll_page(state, context, button == Button::Down);
      return true;
    case Button::X:
    case Button::R2:
      change_strip_width(state, context, 1);
      return true;
    case Button::Y:
    case Button::L2:
      change_strip_width(state, context, -1);
      return true;
    default:
      return false;
  }
}

}  // namespace

void apply_held_downs(AppState& state, AppContext& context) {
  ReaderState& reader = state.reader;
  int held = std::exchange(reader.waiting_scrolls, 0);
  while (held > 0 && reader.waiting_scrolls == 0 && reader.page_image && !reader.chapter_end) {
    --held;
    scroll_page(state, context, true);
  }
  if (reader.waiting_scrolls > 0)
    reader.waiting_scrolls = std::min(reader.waiting_scrolls + held, MAX_WAITING_SCROLLS);
}

bool handle_reader_button(AppState& state, Button button, AppContext& context) {
  if (button == Button::A) {
    open_next_chapter(state, context);
    return false;
  }
  // The chapter's end is offered until another key is pressed; pressed again at the end, it is
  // offered again.
  state.reader.chapter_end = false;
  if (state.reader.scroll_reading && handle_scroll_key(state, button, context)) return false;
  const bool zoomed = state.reader.zoom != 0;
  switch (button) {
    case Button::Up:
      if (zoomed) state.reader.pan_y += PAN_STEP;
      return false;
    case Button::Down:
      if (zoomed) state.reader.pan_y -= PAN_STEP;
      return false;
    case Button::Left:
      if (zoomed) {
        state.reader.pan_x += PAN_STEP;
      } else {
        turn_page(state, context, false, false);
      }
      return false;
    case Button::Right:
      if (zoomed) {
        state.reader.pan_x -= PAN_STEP;
      } else {
        turn_page(state, context, true, false);
      }
      return false;
    case Button::L1:
      turn_page(state, context, false, true);
      return false;
    case Button::R1:
      turn_page(state, context, true, true);
      return false;
    case Button::X:
    case Button::R2:
      change_zoom(state, 1);
      return false;
    case Button::Y:
    case Button::L2:
      change_zoom(state, -1);
      return false;
    case Button::Start:
      toggle_scroll_reading(state, context);
      return false;
    case Button::Select:
      state.reader.hud_visible = !state.reader.hud_visible;
      return false;
    case Button::B:
      state.reader.reset_view();
      state.reader.drop_next();
      context.go(transition::Show{Screen::Detail});
      return false;
    default:  // nothing to do here; MENU is the dispatch's
      return false;
  }
}

}  // namespace zentomi
