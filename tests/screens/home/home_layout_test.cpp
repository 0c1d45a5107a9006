#include "screens/home/home_layout.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "model/site_address.hpp"
#include "screens/common/news_marks.hpp"
#include "screens/dispatch.hpp"
#include "screens/home/home_geometry.hpp"

namespace zentomi {
namespace {

constexpr Color RED = 0xFFFF0000;

class FakeServices final : public LayoutServices {
 public:
  bool is_favorite(std::string_view url) override { return favorites.contains(std::string(url)); }
  SharedImage get_thumbnail(std::string_view url) override {
    requested.insert(std::string(url));
    const auto found = covers.find(std::string(url));
    return found == covers.end() ? nullptr : found->second;
  }
  DownloadSummary download_summary() override { return downloads; }
  std::optional<std::string> download_stop_message() override { return stopped; }
  std::set<std::string> favorites;
  DownloadSummary downloads;
  std::optional<std::string> stopped;
  std::map<std::string, SharedImage> covers;
  std::set<std::string> requested;
};

SharedImage solid_image(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g,
                        std::uint8_t b) {
  auto image = std::make_shared<RgbaImage>();
  image->width = width;
  image->height = height;
  for (std::uint32_t i = 0; i < width * height; ++i) {
    image->pixels.insert(image->pixels.end(), {b, g, r, 255});
  }
  return image;
}

struct Screen {
  Screen(int width, int height, std::size_t items)
      : canvas(width, height), state(make_initial_state(width, height)) {
    state.home.home_loading = false;
    for (std::size_t i = 0; i < items; ++i) {
      const std::string n = std::to_string(i);
      state.home.displayed_items.push_back(
          {"Truyện " + n, "https://site/t/" + n, "https://cdn/c" + n + ".jpg", "Chapter " + n, ""});
    }
    state.home.all_items = state.home.source_items = state.home.displayed_items;
  }
  void draw() {
    Renderer renderer{canvas, font};
    draw_screen(renderer, state, services);
  }
  // Whether any pixel of the box has exactly this colour (text ink at full coverage).
  bool any_pixel(int x, int y, int w, int h, Color color) const {
    for (int py = y; py < y + h; ++py) {
      for (int px = x; px < x + w; ++px) {
        if (canvas.pixel(px, py) == color) return true;
      }
    }
    return false;
  }

  Font font = Font::load_embedded().value();
  Canvas canvas;
  AppState state;
  FakeServices services;
};

TEST(HomeHeader, BarsChipsAndTheUpdateIndicator) {
  Screen s(1280, 720, 3);
  s.draw();
  EXPECT_EQ(s.canvas.pixel(0, 0), palette::BAR_BACKGROUND);
  EXPECT_EQ(s.canvas.pixel(640, 49), palette::BAR_BACKGROUND);
  EXPECT_EQ(s.canvas.pixel(0, 50), palette::ACCENT);
  EXPECT_EQ(s.canvas.pixel(1279, 51), palette::ACCENT);
  EXPECT_EQ(s.canvas.pixel(167, 20), palette::SEPARATOR);               // filter chip
  EXPECT_EQ(s.canvas.pixel(165, 14), palette::BAR_BACKGROUND);          // its rounded corner
  EXPECT_TRUE(s.any_pixel(24, 14, 120, 28, palette::ACCENT));           // "ZENTOMI"
  EXPECT_TRUE(s.any_pixel(175, 19, 120, 16, palette::PRIMARY_TEXT));    // "TẤT CẢ [SELECT]"
  EXPECT_TRUE(s.any_pixel(455, 19, 130, 16, palette::HIGHLIGHT_TEXT));  // sort label
  // Idle: the grey OTA chip.
  EXPECT_EQ(s.canvas.pixel(1172, 30), palette::SEPARATOR);
  EXPECT_EQ(s.canvas.pixel(1140, 36), palette::BAR_BACKGROUND);

  s.state.update.update_status = update_status::Available{};
  s.state.home.favorites_only = true;
  s.draw();
  EXPECT_EQ(s.canvas.pixel(1140, 36), palette::ACCENT);
  EXPECT_TRUE(s.any_pixel(175, 19, 120, 16, palette::STAR_TEXT));  // "★ YÊU THÍCH [SELECT]"

  s.state.update.update_status = update_status::Checking{};
  s.draw();
  EXPECT_EQ(s.canvas.pixel(1140, 36), palette::BAR_BACKGROUND);
  EXPECT_EQ(s.canvas.pixel(1200, 36), palette::BAR_BACKGROUND);
  EXPECT_TRUE(s.any_pixel(1130, 19, 140, 16, palette::HIGHLIGHT_TEXT));  // "Đang kiểm tra..."

  s.state.update.update_status = update_status::Failed{"x"};
  s.draw();
  EXPECT_EQ(s.canvas.pixel(1172, 30), palette::SEPARATOR);
}

TEST(HomeGrid, SelectedCardFramePlaceholderAndCoverOnTheWideScreen) {
  Screen s(1280, 720, 12);
  s.services.covers["https://cdn/c1.jpg"] = solid_image(300, 400, 255, 0, 0);
  s.draw();
  // Card 0 is selected: a 3-pixel accent frame around the panel; card width 232, pitch 250.
  EXPECT_EQ(s.canvas.pixel(25, 216), palette::ACCENT);
  EXPECT_EQ(s.canvas.pixel(26, 216), palette::ACCENT);
  EXPECT_EQ(s.canvas.pixel(28, 216), palette::PANEL);
  EXPECT_EQ(s.canvas.pixel(24 + 231 - 1, 216), palette::ACCENT);
  EXPECT_EQ(s.canvas.pixel(24, 66), palette::FRAME_BACKGROUND);  // rounded corner
  // Card 0 has no cover: the recessed placeholder with "NETTRUYEN" in the middle.
  EXPECT_EQ(s.canvas.pixel(40, 80), palette::RECESSED_SURFACE);
  EXPECT_TRUE(s.any_pixel(32 + 108 - 45, 168, 100, 16, palette::SECONDARY_TEXT));
  // Card 1 is not selected and shows its cover.
  EXPECT_EQ(s.canvas.pixel(275, 216), palette::PANEL);
  EXPECT_EQ(s.canvas.pixel(274 + 8 + 108, 74 + 100), RED);
  // Five cards in one row; the sixth title is not drawn.
  EXPECT_EQ(s.canvas.pixel(1024 + 1, 300), palette::PANEL);
  EXPECT_EQ(s.canvas.pixel(30, 66 + 311 + 100), palette::FRAME_BACKGROUND);
  EXPECT_EQ(s.services.requested.size(), 5u);
  // The footer band and its hint.
  EXPECT_EQ(s.canvas.pixel(0, 720 - 42), palette::BAR_BACKGROUND);
  EXPECT_EQ(s.canvas.pixel(0, 720 - 43), palette::FRAME_BACKGROUND);
  EXPECT_TRUE(s.any_pixel(20, 692, 300, 16, palette::SECONDARY_TEXT));
}

TEST(HomeGrid, BadgesOverTheCover) {
  Screen s(1280, 720, 2);
  s.services.covers["https://cdn/c0.jpg"] = solid_image(10, 10, 255, 0, 0);
  s.services.covers["https://cdn/c1.jpg"] = solid_image(10, 10, 255, 0, 0);
  s.services.favorites.insert("https://site/t/1");
  s.state.home.displayed_items[1].views = "1.234";
  s.draw();
  const int g = 232;
  // Favourite badge darkens the cover by the badge rule; the other card keeps its cover.
  EXPECT_EQ(s.canvas.pixel(274 + g - 38 + 1, 66 + 14 + 11), 0xFF330000u);
  EXPECT_EQ(s.canvas.pixel(24 + g - 38 + 1, 66 + 14 + 11), RED);
  // Views badge only where the views text is not empty.
  EXPECT_EQ(s.canvas.pixel(274 + g - 82 + 1, 66 + 189 + 9), 0xFF330000u);
  EXPECT_EQ(s.canvas.pixel(24 + g - 82 + 1, 66 + 189 + 9), RED);
  EXPECT_TRUE(s.any_pixel(274 + g - 34, 66 + 18, 16, 16, palette::STAR_TEXT));
}

TEST(HomeGrid, FourColumnsAndTwoRowsOnTheBrick) {
  Screen s(1024, 768, 12);
  s.state.home.home_selected = 5;
  s.draw();
  // Card width (1024 - 72 - 30) / 4 = 230, pitch 248; the second row starts at y = 377.
  EXPECT_EQ(s.canvas.pixel(25, 377 + 150), palette::PANEL);               // card 4, not selected
  EXPECT_EQ(s.canvas.pixel(24 + 248 + 1, 377 + 150), palette::ACCENT);    // card 5 is
  EXPECT_EQ(s.canvas.pixel(24 + 3 * 248 + 1, 66 + 234), palette::PANEL);  // fourth column
  EXPECT_EQ(s.canvas.pixel(24 + 4 * 248 + 5, 66 + 150), palette::FRAME_BACKGROUND);
  EXPECT_EQ(s.services.requested.size(), 8u);
  EXPECT_EQ(s.canvas.pixel(0, 768 - 42), palette::BAR_BACKGROUND);
}

TEST(HomeGrid, ScrollStartsTheDrawingAtTheScrollOffset) {
  Screen s(1280, 720, 12);
  s.state.home.home_scroll = 10;
  s.state.home.home_selected = 11;
  s.draw();
  EXPECT_EQ(s.canvas.pixel(25, 216), palette::PANEL);        // item 10
  EXPECT_EQ(s.canvas.pixel(274 + 1, 216), palette::ACCENT);  // item 11, selected
  EXPECT_EQ(s.canvas.pixel(524 + 1, 216), palette::FRAME_BACKGROUND);
  EXPECT_EQ(s.services.requested,
            (std::set<std::string>{"https://cdn/c10.jpg", "https://cdn/c11.jpg"}));
}

TEST(HomeList, RowsFrameAndPlaceholders) {
  Screen s(1280, 720, 12);
  s.state.home.grid_view = false;
  s.state.home.home_selected = 1;
  s.state.home.home_scroll = 1;
  s.draw();
  const auto top = [](int n) { return 65 + 68 * n; };
  EXPECT_EQ(s.canvas.pixel(21, top(0) + 31), palette::ACCENT);  // item 1 selected, first row
  EXPECT_EQ(s.canvas.pixel(23, top(0) + 31), palette::PANEL);
  EXPECT_EQ(s.canvas.pixel(21, top(1) + 31), palette::PANEL);
  EXPECT_EQ(s.canvas.pixel(32, top(1) + 10), palette::RECESSED_SURFACE);       // cover placeholder
  EXPECT_TRUE(s.any_pixel(88, top(0) + 14, 24, 16, palette::SECONDARY_TEXT));  // "2."
  EXPECT_TRUE(s.any_pixel(115, top(0) + 13, 100, 18, palette::PRIMARY_TEXT));  // selected title
  EXPECT_TRUE(s.any_pixel(115, top(1) + 13, 100, 18, palette::LIST_TEXT));
  EXPECT_TRUE(s.any_pixel(1150, top(0) + 24, 110, 16, palette::HIGHLIGHT_TEXT));  // "[A] Đọc ngay"
  EXPECT_FALSE(s.any_pixel(1150, top(1) + 24, 110, 16, palette::HIGHLIGHT_TEXT));
  // Eight rows fit; the ninth position stays empty.
  EXPECT_EQ(s.canvas.pixel(21, top(7) + 31), palette::PANEL);
  EXPECT_EQ(s.canvas.pixel(21, top(8) + 31), palette::FRAME_BACKGROUND);
  EXPECT_EQ(s.canvas.pixel(0, 720 - 42), palette::BAR_BACKGROUND);
}

// The list's cover placeholder and a title of one word too wide for its card keep to their boxes.
TEST(HomeLayout, PlaceholdersAndOneWordTitlesStayInTheirBoxes) {
  Screen list(1024, 768, 2);
  list.state.home.grid_view = false;
  list.state.home.home_selected = 1;
  list.services.covers.clear();
  list.draw();
  // Row 0 is not selected: between the placeholder (columns 30 to 73) and the number only the
  // row's panel shows.
  EXPECT_TRUE(list.any_pixel(30, 65 + 25, 44, 14, palette::SECONDARY_TEXT));
  EXPECT_FALSE(list.any_pixel(74, 65 + 3, 14, 56, palette::SECONDARY_TEXT));
  for (int x = 74; x < 88; ++x)
    EXPECT_EQ(list.canvas.pixel(x, 65 + 31), palette::PANEL) << x;

  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    Screen grid(width, height, 2);
    grid.state.home.displayed_items[0].title =
        "Siêuanhhùnghànhtinhđạichiếnvũtrụbấttậnkhôngbaogiờhết";
    grid.state.home.home_selected = 1;
    grid.draw();
    const int g =
        home_geometry::grid_card_width(width, static_cast<int>(grid.state.home.grid_columns));
    const int card_left = home_geometry::GRID_LEFT;
    const int title_top = home_geometry::GRID_TOP + 221;
    EXPECT_TRUE(grid.any_pixel(card_left + 10, title_top, g - 20, 18, palette::PRIMARY_TEXT));
    // Nothing of the title past the card's text margin, and nothing on the next card.
    EXPECT_FALSE(grid.any_pixel(card_left + g - 10, title_top, 36, 18, palette::PRIMARY_TEXT))
        << width;
  }
}

TEST(HomeStates, LoadingAndEmptyListsHaveNoFooter) {
  Screen loading(1280, 720, 0);
  loading.state.home.home_loading = true;
  loading.draw();
  EXPECT_EQ(loading.canvas.pixel(0, 719), palette::FRAME_BACKGROUND);
  EXPECT_TRUE(loading.any_pixel(460, 360, 300, 24, palette::HIGHLIGHT_TEXT));

  loading.state.home.grid_view = false;
  loading.draw();
  EXPECT_TRUE(loading.any_pixel(460, 340, 300, 24, palette::HIGHLIGHT_TEXT));
  EXPECT_TRUE(loading.any_pixel(510, 375, 260, 20, palette::SECONDARY_TEXT));

  Screen empty(1024, 768, 0);
  empty.state.home.favorites_only = true;
  empty.draw();
  EXPECT_EQ(empty.canvas.pixel(0, 767), palette::FRAME_BACKGROUND);
  EXPECT_EQ(empty.canvas.pixel(0, 0), palette::BAR_BACKGROUND);
  EXPECT_TRUE(empty.any_pixel(272, 384, 400, 22, palette::SECONDARY_TEXT));
  EXPECT_TRUE(empty.services.requested.empty());
}

// Which body a frame shows, told apart by where its texts and the footer are.
enum class Body { Loading, Failure, Empty, Titles };

Body drawn_body(const Screen& s) {
  const int w = s.canvas.width();
  const int h = s.canvas.height();
  const bool footer = s.canvas.pixel(0, h - 1) == palette::BAR_BACKGROUND;
  const bool error_line = s.any_pixel(w / 2 - 240, h / 2 - 20, 400, 24, palette::ERROR_TEXT);
  const bool retry_line = s.any_pixel(w / 2 - 240, h / 2 + 15, 200, 18, palette::SECONDARY_TEXT);
  // The empty-list message's line ends above the retry line.
  const bool empty_line = s.any_pixel(w / 2 - 240, h / 2, 400, 14, palette::SECONDARY_TEXT);
  const bool loading_line = s.any_pixel(w / 2 - 180, h / 2 - 20, 400, 44, palette::HIGHLIGHT_TEXT);
  if (footer && !error_line && !loading_line) return Body::Titles;
  if (!footer && error_line && retry_line && !empty_line && !loading_line) return Body::Failure;
  if (!footer && empty_line && !error_line && !loading_line) return Body::Empty;
  if (!footer && loading_line && !error_line) return Body::Loading;
  ADD_FAILURE() << "no single body state recognised";
  return Body::Titles;
}

TEST(HomeStates, LoadingThenFailureThenEmptyThenTheTitles) {
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    for (const bool grid : {true, false}) {
      SCOPED_TRACE(std::to_string(width) + (grid ? " grid" : " list"));
      Screen s(width, height, 0);
      s.state.home.grid_view = grid;
      s.state.home.home_error = "Network error: exit code Some(6)";
      s.state.home.home_loading = true;
      s.draw();
      EXPECT_EQ(drawn_body(s), Body::Loading);
      s.state.home.home_loading = false;
      s.draw();
      EXPECT_EQ(drawn_body(s), Body::Failure);
      // With the filter on, an empty favourites list keeps its own advice.
      s.state.home.favorites_only = true;
      s.draw();
      EXPECT_EQ(drawn_body(s), Body::Empty);
      s.state.home.displayed_items.push_back({"Truyện", "https://site/t", "", "Chapter 1", ""});
      s.draw();
      EXPECT_EQ(drawn_body(s), Body::Titles);
      // Titles on screen win over an old failure with the filter off too.
      s.state.home.favorites_only = false;
      s.draw();
      EXPECT_EQ(drawn_body(s), Body::Titles);
      s.state.home.displayed_items.clear();
      s.state.home.home_error.reset();
      s.draw();
      EXPECT_EQ(drawn_body(s), Body::Empty);
    }
  }
}

TEST(HomeStates, SortLabels) {
  EXPECT_STREQ(sort_mode_label(SortMode::Latest), "Mới cập nhật");
  EXPECT_STREQ(sort_mode_label(SortMode::Views), "Lượt xem");
  EXPECT_STREQ(sort_mode_label(SortMode::NameAZ), "Tên A-Z");
}

// News of `count` chapters after the one read, for the title at `url`.
FavouriteNews news_of(const std::string& url, std::size_t count) {
  FavouriteNews news{"Chapter 9", {}, {}};
  for (std::size_t n = 0; n <= count; ++n)
    news.chapters.push_back(title_key(url + "/chuong-" + std::to_string(9 - n)));
  return news;
}

// "+2" only on a favourite with chapters after the one read: not on one read to its newest, nor on
// a title that is no favourite any more.
TEST(HomeNews, TheBadgeMarksOnlyAFavouriteWithNewChaptersOnCardAndRow) {
  Screen s(1280, 720, 3);
  for (int n = 0; n < 3; ++n) {
    const std::string id = std::to_string(n);
    s.services.covers["https://cdn/c" + id + ".jpg"] = solid_image(10, 10, 255, 0, 0);
    s.state.home.displayed_items[n].views = "1K";
  }
  s.services.favorites = {"https://site/t/0", "https://site/t/1"};
  s.state.news.titles[title_key("https://site/t/0")] = news_of("https://site/t/0", 2);
  s.state.news.titles[title_key("https://site/t/1")] = news_of("https://site/t/1", 0);
  s.state.news.titles[title_key("https://site/t/2")] = news_of("https://site/t/2", 2);
  s.draw();
  const int pitch = 232 + 18;
  EXPECT_EQ(s.canvas.pixel(24 + 14 + 2, 66 + 14 + 11), palette::ACCENT);
  EXPECT_TRUE(s.any_pixel(24 + 20, 66 + 18, 20, 14, palette::PRIMARY_TEXT));
  EXPECT_EQ(s.canvas.pixel(24 + pitch + 14 + 2, 66 + 14 + 11), RED);
  EXPECT_EQ(s.canvas.pixel(24 + 2 * pitch + 14 + 2, 66 + 14 + 11), RED);

  s.state.home.grid_view = false;
  s.draw();
  const auto top = [](int n) { return 65 + 68 * n; };
  // Beside the chapter chip, with the views moved past it.
  EXPECT_EQ(s.canvas.pixel(88 + 120 + 8 + 2, top(0) + 35 + 11), palette::ACCENT);
  EXPECT_FALSE(s.any_pixel(220, top(0) + 40, 30, 16, palette::SECONDARY_TEXT));
  EXPECT_TRUE(s.any_pixel(250, top(0) + 40, 40, 16, palette::SECONDARY_TEXT));
  for (int row : {1, 2}) {
    EXPECT_EQ(s.canvas.pixel(88 + 120 + 8 + 2, top(row) + 35 + 11), palette::PANEL) << row;
    EXPECT_TRUE(s.any_pixel(220, top(row) + 40, 30, 16, palette::SECONDARY_TEXT)) << row;
  }
}

TEST(HomeNews, TheHeaderChipCountsWhileACheckRuns) {
  EXPECT_EQ(check_chip_label({true, 2, 12, 1}), "Kiểm tra 3/12");
  EXPECT_EQ(check_chip_label({true, 12, 12, 1}), "Kiểm tra 12/12");
  Screen s(1024, 768, 3);
  s.draw();
  EXPECT_EQ(s.canvas.pixel(640, 20), palette::BAR_BACKGROUND);
  s.state.news.check = {true, 0, 3, 1};
  s.draw();
  EXPECT_EQ(s.canvas.pixel(640, 20), palette::SEPARATOR);
  EXPECT_TRUE(s.any_pixel(647, 19, 90, 16, palette::STAR_TEXT));
  // It ends before the version, which stays where it was.
  EXPECT_EQ(s.canvas.pixel(1024 - 175, 20), palette::BAR_BACKGROUND);

  // Squeezed by a new version's chip and the download chip, it keeps its count clear of them;
  // with the card's stop message there, it stands aside.
  s.state.update.update_status = update_status::Available{};
  s.services.downloads = {10, 12, 40};
  s.draw();
  int download_left = 637;
  while (download_left < 1024 && s.canvas.pixel(download_left, 26) != palette::INFORMATION_BAND)
    ++download_left;
  ASSERT_LT(download_left, 1024);
  EXPECT_TRUE(s.any_pixel(647, 19, 30, 16, palette::STAR_TEXT));
  EXPECT_EQ(s.canvas.pixel(download_left - 2, 26), palette::BAR_BACKGROUND);
  s.services.downloads = {};
  s.services.stopped = "Thẻ nhớ đầy: còn 95 MB";
  s.draw();
  EXPECT_FALSE(s.any_pixel(600, 14, 1024 - 600, 24, palette::STAR_TEXT));
}

}  // namespace
}  // namespace zentomi
