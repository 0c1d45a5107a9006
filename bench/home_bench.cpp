// One home frame as the main loop draws it: clear, header, five (or eight) cards with 300 x 400
// covers and all their text, or the list, and the footer.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>

#include "screens/dispatch.hpp"

namespace {

using namespace zentomi;

class BenchServices final : public LayoutServices {
 public:
  bool is_favorite(std::string_view url) override { return url.ends_with("/1"); }
  SharedImage get_thumbnail(std::string_view) override { return cover; }
  SharedImage cover;
};

SharedImage cover_image() {
  auto image = std::make_shared<RgbaImage>();
  image->width = 300;
  image->height = 400;
  image->pixels.resize(300 * 400 * 4);
  for (std::size_t i = 0; i < image->pixels.size(); ++i) {
    image->pixels[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 255 : (i * 7) % 251);
  }
  image->opaque = true;
  return image;
}

AppState home_state(int width, int height) {
  AppState state = make_initial_state(width, height);
  state.home.home_loading = false;
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    state.home.displayed_items.push_back({"Hành Trình Vô Tận Của Người Gác Đèn Biển Bắc " + n,
                                          "https://site/t/" + n, "https://cdn/c" + n + ".jpg",
                                          "Chapter 1" + n, "1.234.567"});
  }
  return state;
}

// A 2 MB title, of words or of one word, as a hostile listing could give: only what fits on the
// screen may cost anything.
std::string huge_title(bool spaced) {
  const std::string piece = spaced ? "Hành Trình Vô Tận " : "HànhTrìnhVôTận";
  std::string title;
  while (title.size() < std::size_t{2} * 1024 * 1024)
    title += piece;
  return title;
}

// 1.4 MiB of a value shown on one line: a view count or a chapter name from a hostile page.
std::string huge_value() {
  std::string value;
  while (value.size() < std::size_t{1433} * 1024)
    value += "1.234.567 Chương ";
  return value;
}

void draw_frames(benchmark::State& run, int width, int height, bool grid,
                 std::string first_title = {}, HomeSource source = HomeSource::FrontPage,
                 std::string views = {}, std::string chapter = {}) {
  Font font = Font::load_embedded().value();
  Canvas canvas(width, height);
  BenchServices services;
  services.cover = cover_image();
  AppState state = home_state(width, height);
  state.home.grid_view = grid;
  state.home.source = source;
  if (!first_title.empty()) state.home.displayed_items[0].title = std::move(first_title);
  for (MangaItem& item : state.home.displayed_items) {
    if (!views.empty()) item.views = views;
    if (!chapter.empty()) item.latest_chapter = chapter;
  }
  for (auto _ : run) {
    Renderer renderer{canvas, font};
    draw_screen(renderer, state, services);
    benchmark::DoNotOptimize(canvas.data());
  }
}

void BM_HomeGridFrame(benchmark::State& run) {
  draw_frames(run, 1280, 720, true);
}
void BM_HomeListFrame(benchmark::State& run) {
  draw_frames(run, 1280, 720, false);
}
void BM_HomeGridFrameBrick(benchmark::State& run) {
  draw_frames(run, 1024, 768, true);
}
void BM_HomeGridFrameHugeTitle(benchmark::State& run) {
  draw_frames(run, 1280, 720, true, huge_title(run.range(0) != 0));
}
void BM_HomeListFrameHugeTitle(benchmark::State& run) {
  draw_frames(run, 1280, 720, false, huge_title(run.range(0) != 0));
}
// Every card and row of the frame with a 1.4 MiB view count or reading position.
void BM_HomeGridFrameHugeViews(benchmark::State& run) {
  draw_frames(run, 1280, 720, true, {}, HomeSource::FrontPage, huge_value());
}
void BM_HistoryListFrameHugeChapter(benchmark::State& run) {
  draw_frames(run, 1280, 720, false, {}, HomeSource::History, {}, huge_value());
}
BENCHMARK(BM_HomeGridFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HomeListFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HomeGridFrameBrick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HomeGridFrameHugeTitle)
    ->ArgName("spaced")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HomeListFrameHugeTitle)
    ->ArgName("spaced")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HomeGridFrameHugeViews)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryListFrameHugeChapter)->Unit(benchmark::kMicrosecond);

}  // namespace
