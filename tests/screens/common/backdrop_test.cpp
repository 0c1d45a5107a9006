// The darkened home screen behind the update dialogs and the keyboard is kept from frame to frame:
// a frame drawn with it must equal one drawn from nothing, also right after something behind the
// panel changed.
#include "screens/common/backdrop.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "screens/dispatch.hpp"

namespace zentomi {
namespace {

// Covers and stars the test hands out as it likes.
class ChangingServices final : public LayoutServices {
 public:
  bool is_favorite(std::string_view url) override { return url == favourite; }
  SharedImage get_thumbnail(std::string_view) override { return cover; }
  DownloadSummary download_summary() override { return summary; }
  // Every chapter waits in the queue.
  ChapterDownloadStatus download_status(std::string_view) override {
    return {.mark = DownloadMark::Queued};
  }

  std::string favourite;
  SharedImage cover;
  DownloadSummary summary;
};

SharedImage plain_cover(std::uint32_t pixel) {
  auto image = std::make_shared<RgbaImage>();
  image->width = 60;
  image->height = 80;
  image->pixels.resize(std::size_t{60} * 80 * 4);
  for (std::size_t i = 0; i < image->pixels.size(); i += 4) {
    for (std::size_t byte = 0; byte < 4; ++byte)
      image->pixels[i + byte] = static_cast<std::uint8_t>(pixel >> (8 * byte));
  }
  image->opaque = true;
  return image;
}

AppState listing(Screen screen) {
  AppState state = make_initial_state(1024, 768);
  state.screen = screen;
  state.home.home_loading = false;
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    state.home.displayed_items.push_back(
        {"Truyện " + n, "https://site/t/" + n, "https://cdn/c" + n + ".jpg", "Chapter " + n, "9"});
  }
  state.home.all_items = state.home.source_items = state.home.displayed_items;
  state.search.query = "den";
  return state;
}

bool same_pixels(const Canvas& a, const Canvas& b) {
  const auto count = static_cast<std::size_t>(a.width()) * a.height();
  return a.width() == b.width() && a.height() == b.height() &&
         std::equal(a.data(), a.data() + count, b.data());
}

struct Change {
  const char* what;
  std::function<void(AppState&, ChangingServices&)> make;
};

TEST(Backdrop, AFrameAfterAChangeBehindThePanelEqualsOneDrawnFromNothing) {
  const std::vector<Change> changes = {
      {"a cover arrives",
       [](AppState&, ChangingServices& s) { s.cover = plain_cover(0xFF20A040); }},
      {"a cover is replaced",
       [](AppState&, ChangingServices& s) { s.cover = plain_cover(0xFF4060C0); }},
      {"a title becomes a favourite",
       [](AppState&, ChangingServices& s) { s.favourite = "https://site/t/0"; }},
      {"the download chip moves on",
       [](AppState&, ChangingServices& s) { s.summary = {.waiting = 2, .pages_total = 9}; }},
      {"the selection moves",
       [](AppState& state, ChangingServices&) { state.home.home_selected = 3; }},
      {"a title's name changes",
       [](AppState& state, ChangingServices&) {
         state.home.displayed_items[0].title = "Một tên khác hẳn";
       }},
      {"the running download reports a page",
       [](AppState& state, ChangingServices&) {
         state.download_progress = {"https://site/t/0/c1", 3, 9};
       }},
      {"the update check ends",
       [](AppState& state, ChangingServices&) {
         state.update.update_status = update_status::Checking{};
       }},
  };
  Font font = Font::load_embedded().value();
  for (const Screen screen : {Screen::Update, Screen::Search}) {
    AppState state = listing(screen);
    ChangingServices services;
    services.cover = plain_cover(0xFF808080);
    FrameMemory memory;
    Canvas kept(1024, 768);
    Renderer renderer{kept, font};
    draw_screen(renderer, state, services, memory);
    for (const Change& change : changes) {
      SCOPED_TRACE(std::string(change.what) +
                   (screen == Screen::Update ? ", update" : ", keyboard"));
      const std::vector<Color> before(kept.data(), kept.data() + std::size_t{1024} * 768);
      change.make(state, services);
      draw_screen(renderer, state, services, memory);
      Canvas fresh(1024, 768);
      Renderer fresh_renderer{fresh, font};
      draw_screen(fresh_renderer, state, services);
      EXPECT_TRUE(same_pixels(kept, fresh));
      EXPECT_FALSE(std::equal(before.begin(), before.end(), kept.data()))
          << "the change does not show";
    }
  }
}

}  // namespace
}  // namespace zentomi
