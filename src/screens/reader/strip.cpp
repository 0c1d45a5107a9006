#include "screens/reader/strip.hpp"

#include <algorithm>

#include "screens/reader/scroll_geometry.hpp"

namespace zentomi::strip {

long long height(const AppState& state, const RgbaImage& image) {
  return scroll_geometry::size(state.screen_width, image, state.reader.strip_width).height;
}

namespace {

bool has_next_page(const ReaderState& reader) {
  return reader.page_index + 1 < reader.pages.size();
}

}  // namespace

std::int32_t limit(const AppState& state) {
  const ReaderState& reader = state.reader;
  if (!reader.page_image) return 0;
  const long long shown = height(state, *reader.page_image);
  long long end = shown - state.screen_height;
  if (reader.next_image) {
    end = shown + height(state, *reader.next_image) - state.screen_height;
  } else if (has_next_page(reader) && !reader.next_failed && shown > state.screen_height) {
    end = shown - state.screen_height / 2;
  }
  return static_cast<std::int32_t>(std::clamp<long long>(end, 0, INT32_MAX));
}

bool passed_page(const AppState& state) {
  const ReaderState& reader = state.reader;
  return reader.page_image && reader.next_image &&
         reader.scroll >= height(state, *reader.page_image);
}

bool wants_next(const AppState& state) {
  const ReaderState& reader = state.reader;
  if (!reader.scroll_reading || !reader.page_image || !has_next_page(reader) || reader.next_image ||
      reader.next_loading || reader.next_failed)
    return false;
  // A page shorter than the screen is turned as a whole, never joined.
  const long long shown = height(state, *reader.page_image);
  if (shown <= state.screen_height) return false;
  return shown - reader.scroll - state.screen_height <= state.screen_height;
}

long long boundary(const AppState& state) {
  if (!state.reader.page_image) return 0;
  return height(state, *state.reader.page_image) - state.reader.scroll;
}

std::size_t page_in_view(const AppState& state) {
  const ReaderState& reader = state.reader;
  if (!reader.scroll_reading || !reader.page_image || !has_next_page(reader)) {
    return reader.page_index;
  }
  return boundary(state) * 2 >= state.screen_height ? reader.page_index : reader.page_index + 1;
}

float position(const AppState& state) {
  const ReaderState& reader = state.reader;
  const std::size_t count = reader.pages.size();
  if (count == 0 || !reader.page_image) return 0.0f;
  const long long middle = reader.scroll + state.screen_height / 2;
  const long long shown = height(state, *reader.page_image);
  float pages = static_cast<float>(reader.page_index);
  if (middle < shown) {
    pages += static_cast<float>(std::max(middle, 0LL)) / static_cast<float>(std::max(shown, 1LL));
  } else if (reader.next_image) {
    const long long next = std::max(height(state, *reader.next_image), 1LL);
    pages += 1.0f + static_cast<float>(std::min(middle - shown, next)) / static_cast<float>(next);
  } else {
    pages += 1.0f;
  }
  return std::clamp(pages / static_cast<float>(count), 0.0f, 1.0f);
}

}  // namespace zentomi::strip
