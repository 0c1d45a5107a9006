// The home controller and the home layout share one geometry: whatever selection and scroll the
// buttons lead to, the selected title is drawn whole between the header and the footer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "screens/home/home_geometry.hpp"
#include "screens/home/home_layout.hpp"
#include "support/home_harness.hpp"
#include "support/reachable_states.hpp"

namespace zentomi {
namespace {

namespace geometry = home_geometry;

class NoCovers final : public LayoutServices {
 public:
  bool is_favorite(std::string_view) override { return false; }
  SharedImage get_thumbnail(std::string_view) override { return nullptr; }
};

// Every button that keeps the home screen showing, except Y and SELECT, which only go back to the
// top of another ordering or list (A, B, START and MENU leave the screen).
constexpr std::array<Button, 9> HOME_BUTTONS{Button::Up,    Button::Down, Button::Left,
                                             Button::Right, Button::X,    Button::L1,
                                             Button::R1,    Button::L2,   Button::R2};

struct Rows {
  int top = INT_MAX;
  int bottom = INT_MIN;  // last row
};

// The rows of the selection frame: the only accent colour below the header.
std::optional<Rows> accent_rows(const Canvas& canvas) {
  Rows rows;
  for (int y = bars::HEADER_HEIGHT; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.pixel(x, y) != palette::ACCENT) continue;
      rows.top = std::min(rows.top, y);
      rows.bottom = std::max(rows.bottom, y);
    }
  }
  if (rows.top == INT_MAX) return std::nullopt;
  return rows;
}

std::vector<MangaItem> numbered_items(std::size_t count) {
  std::vector<MangaItem> items;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    items.push_back({"Truyện " + n, "https://site/t/" + n, "", "Chương " + n, n + "K"});
  }
  return items;
}

TEST(HomeReachability, EverySelectionTheButtonsReachIsDrawnWhole) {
  Font font = Font::load_embedded().value();
  NoCovers services;
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    for (const std::size_t count : {1u, 4u, 6u, 9u, 23u}) {
      testing::HomeHarness home(numbered_items(count), width, height);
      const auto key = [](const AppState& state) {
        return std::tuple{state.home.grid_view, state.home.home_selected, state.home.home_scroll};
      };
      const auto press = [&home](AppState& state, Button button) {
        handle_button(state, button, home.context);
      };
      const std::vector<AppState> states =
          testing::reachable_states(home.state, HOME_BUTTONS, key, press);
      for (const AppState& state : states) {
        const std::string where = std::to_string(width) + "x" + std::to_string(height) + ", " +
                                  std::to_string(count) + " titles, " +
                                  (state.home.grid_view ? "grid" : "list") + ", selection " +
                                  std::to_string(state.home.home_selected) + ", scroll " +
                                  std::to_string(state.home.home_scroll);
        ASSERT_EQ(state.screen, Screen::Home) << where;
        Canvas canvas(width, height, palette::FRAME_BACKGROUND);
        Renderer renderer{canvas, font};
        draw_home_body(renderer, state, services, false);
        const std::optional<Rows> frame = accent_rows(canvas);
        ASSERT_TRUE(frame) << where;
        EXPECT_EQ(frame->bottom - frame->top + 1,
                  state.home.grid_view ? geometry::GRID_CARD_HEIGHT : geometry::LIST_ROW_HEIGHT)
            << where;
        EXPECT_LT(frame->bottom, height - bars::FOOTER_HEIGHT) << where;
      }
      EXPECT_GT(states.size(), count) << count;  // the walk went somewhere
    }
  }
}

}  // namespace
}  // namespace zentomi
