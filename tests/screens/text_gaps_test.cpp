// Nothing on screen runs into anything else: each screen is drawn with the longest texts it meets
// and the gaps between its texts and boxes are measured in the pixels, not only pinned.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "draw/palette.hpp"
#include "screens/common/bars.hpp"
#include "screens/dispatch.hpp"
#include "screens/home/home_geometry.hpp"
#include "support/no_services.hpp"

namespace zentomi {
namespace {

using testing::NoServices;

constexpr std::pair<int, int> SCREENS[] = {{1280, 720}, {1024, 768}};

struct Span {
  int first;  // columns
  int last;
};

Font& shared_font() {
  static Font font = Font::load_embedded().value();
  return font;
}

Canvas frame_of(const AppState& state) {
  Canvas canvas(state.screen_width, state.screen_height);
  Renderer renderer{canvas, shared_font()};
  NoServices services;
  draw_screen(renderer, state, services);
  return canvas;
}

// The runs of columns in [left, right) holding any pixel other than `background` in rows
// [top, bottom); runs closer than `gap` columns count as one.
std::vector<Span> inked_runs(const Canvas& canvas, int top, int bottom, int left, int right,
                             Color background, int gap) {
  std::vector<Span> runs;
  for (int x = left; x < right; ++x) {
    bool inked = false;
    for (int y = top; y < bottom && !inked; ++y)
      inked = canvas.pixel(x, y) != background;
    if (!inked) continue;
    if (!runs.empty() && x - runs.back().last <= gap) {
      runs.back().last = x;
    } else {
      runs.push_back({x, x});
    }
  }
  return runs;
}

// The columns where two frames differ in rows [top, bottom).
std::optional<Span> changed_columns(const Canvas& a, const Canvas& b, int top, int bottom) {
  std::optional<Span> run;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == b.pixel(x, y)) continue;
      if (!run) run = Span{x, x};
      run->first = std::min(run->first, x);
      run->last = std::max(run->last, x);
    }
  }
  return run;
}

std::string where(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

TEST(TextGaps, TheHeaderChipsTheVersionAndTheUpdateIndicatorStandApart) {
  const OtaManifest manifest{"1.0.2", "ZENTOMI", "", "https://host/z.zip", 1.0f, {}};
  const std::vector<std::pair<const char*, UpdateStatus>> statuses{
      {"idle", update_status::Idle{}},
      {"checking", update_status::Checking{}},
      {"available", update_status::Available{manifest}}};
  for (const auto& [width, height] : SCREENS) {
    for (const bool favourites : {false, true}) {
      for (const auto& [name, status] : statuses) {
        AppState state = make_initial_state(width, height);
        state.home.home_loading = false;
        state.home.favorites_only = favourites;
        state.update.update_status = status;
        const Canvas canvas = frame_of(state);
        // ZENTOMI, the filter, view and sort chips, the version, the indicator: six apart.
        const std::vector<Span> runs =
            inked_runs(canvas, 14, 38, 0, width, palette::BAR_BACKGROUND, 8);
        EXPECT_EQ(runs.size(), 6u)
            << where(width, height) << " " << name << (favourites ? " favourites" : "");
      }
    }
  }
}

TEST(TextGaps, ChapterNamesEndBeforeTheMarkersOfTheirRow) {
  const std::string long_name =
      "Chương cuối: Người thủ thư cuối cùng và cuốn sách không tên viết bằng ánh trăng";
  for (const auto& [width, height] : SCREENS) {
    AppState state = make_initial_state(width, height);
    state.screen = Screen::Detail;
    state.details.current_item = MangaItem{"T", "https://site/t", "", "", ""};
    state.details.detail = MangaDetail{"T", "", "", "", "", "", {}};
    for (const char* url : {"u0", "u1", "u2"})
      state.details.chapters.push_back({long_name + " " + long_name + " " + url, url});
    state.details.current_history = MangaHistory{"https://site/t", "T", "", "u0", 0, 1, 0};
    AppState unnamed = state;
    for (ChapterRef& chapter : unnamed.details.chapters)
      chapter.name.clear();

    // Row 0 is selected and being read, row 1 neither; then row 0 is only being read.
    const auto name_in_row = [](const AppState& named, const AppState& blank, int row) {
      const int top = 157 + 42 * row;
      return changed_columns(frame_of(named), frame_of(blank), top, top + 38);
    };
    std::optional<Span> selected_read = name_in_row(state, unnamed, 0);
    std::optional<Span> plain = name_in_row(state, unnamed, 1);
    state.details.chapter_selected = unnamed.details.chapter_selected = 1;
    std::optional<Span> read = name_in_row(state, unnamed, 0);
    ASSERT_TRUE(selected_read && plain && read) << where(width, height);
    EXPECT_LE(selected_read->last, width - 210 - 10) << where(width, height);
    EXPECT_LE(read->last, width - 130 - 10) << where(width, height);
    EXPECT_LE(plain->last, width - 20 - 10) << where(width, height);
    EXPECT_GT(plain->last, width - 200) << "a long name fills its row";
  }
}

TEST(TextGaps, TheOrderChipHoldsItsLongerText) {
  for (const auto& [width, height] : SCREENS) {
    AppState state = make_initial_state(width, height);
    state.screen = Screen::Detail;
    state.details.current_item = MangaItem{"T", "https://site/t", "", "", ""};
    state.details.detail = MangaDetail{"T", "", "", "", "", "", {}};
    state.details.chapters_reversed = true;
    const std::vector<Span> runs =
        inked_runs(frame_of(state), 125, 149, 355, width, palette::FRAME_BACKGROUND, 8);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.back().last, width - 21) << "the chip ends where it always did, text inside";
  }
}

TEST(TextGaps, TheHeadUpDisplaysTextsStandApart) {
  for (const auto& [width, height] : SCREENS) {
    AppState state = make_initial_state(width, height);
    state.screen = Screen::Reader;
    state.reader.chapter_title =
        "Chương cuối: Người thủ thư cuối cùng và cuốn sách không tên viết bằng ánh trăng";
    state.reader.pages.assign(7, "https://img/p");
    const Canvas canvas = frame_of(state);
    const std::vector<Span> runs = inked_runs(canvas, 8, 32, 0, width, canvas.pixel(0, 2), 9);
    // The chapter title, "Zoom: 100% (Fit)" and "Trang 1 / 7".
    EXPECT_EQ(runs.size(), 3u) << where(width, height);
  }
}

TEST(TextGaps, ViewBadgesStayOnTheirCover) {
  for (const auto& [width, height] : SCREENS) {
    AppState state = make_initial_state(width, height);
    state.home.home_loading = false;
    state.home.displayed_items = {MangaItem{"T", "https://site/t", "", "Chapter 1", "106.922.706"}};
    AppState uncounted = state;
    uncounted.home.displayed_items[0].views.clear();
    const int g = home_geometry::grid_card_width(width, static_cast<int>(state.home.grid_columns));
    const std::optional<Span> badge =
        changed_columns(frame_of(state), frame_of(uncounted), 66 + 189, 66 + 207);
    ASSERT_TRUE(badge);
    EXPECT_GE(badge->first, home_geometry::GRID_LEFT + 10) << where(width, height);
    EXPECT_LE(badge->last, home_geometry::GRID_LEFT + g - 14) << where(width, height);
  }
}

TEST(TextGaps, ListNumbersNeverTouchTheirTitle) {
  for (const auto& [width, height] : SCREENS) {
    AppState state = make_initial_state(width, height);
    state.home.home_loading = false;
    state.home.grid_view = false;
    for (int n = 0; n < 120; ++n)
      state.home.displayed_items.push_back(
          MangaItem{"Hiệp Sĩ", "https://site/" + std::to_string(n), "", "", ""});
    for (const std::size_t first : {std::size_t{9}, std::size_t{99}}) {
      state.home.home_selected = first + 1;  // the first row drawn is not the selected one
      state.home.home_scroll = first;
      const int top = home_geometry::LIST_TOP;
      const std::vector<Span> runs =
          inked_runs(frame_of(state), top + 12, top + 34, 80, 400, palette::PANEL, 4);
      ASSERT_GE(runs.size(), 2u) << where(width, height) << " row " << first + 1;
      EXPECT_GE(runs[1].first - runs[0].last, 6) << where(width, height) << " row " << first + 1;
    }
  }
}

}  // namespace
}  // namespace zentomi
