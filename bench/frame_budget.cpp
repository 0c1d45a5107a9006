// The frame budget: every screen composed in its typical and its worst state on both screen
// sizes, each printed as microseconds of CPU time and as a multiple of one full-frame clear timed
// in the same run, so the figures compare across machines. Each figure is the fastest of its
// rounds, the one least disturbed by whatever else the machine is doing. A composed frame may cost
// at most ten clears; the program says which do not and then exits with status 1.
//
//   frame_budget [ROUNDS [FILTER]]   (default 200 frames per case; FILTER
//                                     keeps the cases whose name contains it)
//   frame_budget --instructions [FILTER]
//
// Timed this way, the canvas and the images stay in the processor's caches from one round to the
// next, which flatters memory-bound drawing. With --instructions, run under callgrind (see
// frame-instructions.sh), each case is composed twice, the second frame (drawn with what the
// first one kept, as the program draws frames) on its own between callgrind's client requests,
// and so is one memcpy of the canvas: the script divides the counts. Instructions do not depend on
// what the caches hold.
#include <time.h>
#include <valgrind/callgrind.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "draw/canvas.hpp"
#include "draw/font.hpp"
#include "draw/image_drawing.hpp"
#include "draw/palette.hpp"
#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "scenes.hpp"
#include "screens/dispatch.hpp"

namespace {

using namespace zentomi;
using bench::noisy_image;

constexpr double BUDGET_IN_CLEARS = 10.0;

class BenchServices final : public LayoutServices {
 public:
  explicit BenchServices(SharedImage cover, bool all_favourites)
      : cover_(std::move(cover)), all_favourites_(all_favourites) {}
  bool is_favorite(std::string_view url) override { return all_favourites_ || url.ends_with("/1"); }
  SharedImage get_thumbnail(std::string_view) override { return cover_; }

 private:
  SharedImage cover_;
  bool all_favourites_;
};

std::string repeated(const std::string& piece, std::size_t bytes) {
  std::string text;
  while (text.size() < bytes)
    text += piece;
  return text;
}

// A title that wraps on every card: the longest a listing gives in practice.
const std::string LONG_TITLE = "Hành Trình Vô Tận Của Người Gác Đèn Biển Bắc Và Những Ngày Mưa";

AppState home_state(int width, int height, bool grid, bool worst) {
  AppState state = make_initial_state(width, height);
  state.home.home_loading = false;
  state.home.grid_view = grid;
  for (int i = 0; i < 48; ++i) {
    const std::string n = std::to_string(i);
    state.home.displayed_items.push_back(
        {worst ? repeated("Hành Trình Vô Tận ", std::size_t{64} * 1024) : LONG_TITLE + " " + n,
         "https://site/t/" + n, "https://cdn/c" + n + ".jpg", "Chapter 1" + n, "1.234.567"});
  }
  state.home.all_items = state.home.source_items = state.home.displayed_items;
  return state;
}

AppState detail_state(int width, int height, bool worst) {
  AppState state = make_initial_state(width, height);
  state.screen = Screen::Detail;
  state.details.current_item =
      MangaItem{LONG_TITLE, "https://site/t/1", "https://cdn/c1.jpg", "Chapter 300", "1.234.567"};
  MangaDetail detail;
  detail.title = LONG_TITLE;
  detail.source = "NetTruyen";
  detail.status = "Đang tiến hành";
  detail.genres = "Hành động, Phiêu lưu, Võ thuật, Huyền huyễn, Xuyên không";
  detail.summary = repeated("Một người gác đèn biển đi tìm con tàu đã mất trong cơn bão năm ấy. ",
                            worst ? std::size_t{64} * 1024 : 600);
  const int chapters = worst ? 300 : 60;
  for (int i = chapters; i > 0; --i)
    state.details.chapters.push_back(
        {"Chapter " + std::to_string(i) + ": Ngọn đèn cuối cùng trên đảo",
         "https://site/t/1/chuong-" + std::to_string(i)});
  detail.chapters = state.details.chapters;
  state.details.chapters_site_order = state.details.chapters;
  state.details.detail = detail;
  state.details.chapter_selected = worst ? 150 : 3;
  state.details.chapter_scroll = worst ? 140 : 0;
  state.details.current_history = MangaHistory{"https://site/t/1",
                                               LONG_TITLE,
                                               "Chapter 150: Ngọn đèn cuối cùng trên đảo",
                                               "https://site/t/1/chuong-150",
                                               7,
                                               24,
                                               1'700'000'000};
  return state;
}

AppState reader_state(int width, int height, SharedImage page, int zoom) {
  AppState state = bench::reader_scene(width, height);
  state.reader.page_image = std::move(page);
  state.reader.zoom = zoom;
  state.reader.pan_y = zoom == 0 ? 0 : 400;
  return state;
}

AppState update_state(int width, int height, UpdateStatus status) {
  AppState state = home_state(width, height, true, false);
  state.screen = Screen::Update;
  state.update.update_manifest = OtaManifest{
      "1.0.2", "ZENTOMI 1.0.2", repeated("Sửa lỗi đọc truyện. ", 400), "https://host/zentomi.zip",
      4.2f,    std::nullopt};
  state.update.update_status = std::move(status);
  return state;
}

double thread_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The fewest CPU seconds one call took, after a few calls to warm the caches.
double fastest_seconds(const std::function<void()>& frame, int rounds) {
  for (int i = 0; i < 5; ++i)
    frame();
  double fastest = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const double start = thread_seconds();
    frame();
    fastest = std::min(fastest, thread_seconds() - start);
  }
  return fastest;
}

struct Case {
  std::string name;
  AppState state;
  std::shared_ptr<BenchServices> services;
};

std::vector<Case> cases(int width, int height) {
  const auto covers = std::make_shared<BenchServices>(noisy_image(300, 400), false);
  // The largest cover the cache accepts, every title a favourite.
  const auto worst_covers = std::make_shared<BenchServices>(noisy_image(2000, 2000), true);
  const auto none = std::make_shared<BenchServices>(nullptr, false);
  const SharedImage page = noisy_image(800, 1200);
  const SharedImage strip = noisy_image(720, 6000);
  // The largest page a decode accepts: 16384 wide, 40 million pixels.
  const SharedImage huge = noisy_image(16384, 2441);
  std::vector<Case> all;
  all.push_back({"home grid, covers", home_state(width, height, true, false), covers});
  all.push_back({"home grid, worst", home_state(width, height, true, true), worst_covers});
  all.push_back({"home list, covers", home_state(width, height, false, false), covers});
  all.push_back({"home list, worst", home_state(width, height, false, true), worst_covers});
  all.push_back({"detail, 60 chapters", detail_state(width, height, false), covers});
  all.push_back(
      {"detail, 300 chapters, 64 KB summary", detail_state(width, height, true), worst_covers});
  all.push_back({"reader, page at fit", reader_state(width, height, page, 0), none});
  all.push_back({"reader, page at 200 %", reader_state(width, height, page, 3), none});
  all.push_back({"reader, strip at fit", reader_state(width, height, strip, 0), none});
  all.push_back({"reader, strip at 200 %", reader_state(width, height, strip, 3), none});
  all.push_back({"reader, 40 Mpx page at fit", reader_state(width, height, huge, 0), none});
  all.push_back({"reader, 40 Mpx page at 200 %", reader_state(width, height, huge, 3), none});
  AppState hidden = reader_state(width, height, page, 3);
  hidden.reader.hud_visible = false;
  all.push_back({"reader, page at 200 %, no HUD", std::move(hidden), none});
  all.push_back({"reader, loading", reader_state(width, height, nullptr, 0), none});
  const OtaManifest manifest = *update_state(width, height, {}).update.update_manifest;
  all.push_back(
      {"update, checking", update_state(width, height, update_status::Checking{}), covers});
  all.push_back({"update, available",
                 update_state(width, height, update_status::Available{manifest}), covers});
  all.push_back(
      {"update, up to date", update_state(width, height, update_status::UpToDate{}), covers});
  all.push_back(
      {"update, downloading", update_state(width, height, update_status::Downloading{}), covers});
  all.push_back(
      {"update, failed",
       update_state(width, height, update_status::Failed{repeated("Không tải được gói. ", 200)}),
       covers});
  all.push_back({"update, idle", update_state(width, height, update_status::Idle{}), covers});
  AppState keyboard = home_state(width, height, true, false);
  keyboard.screen = Screen::Search;
  keyboard.search.query = "den long pho co";
  all.push_back({"search keyboard", std::move(keyboard), covers});
  for (const auto& [name, source] : {std::pair{"history", HomeSource::History},
                                     std::pair{"search results", HomeSource::Search}}) {
    AppState listed = home_state(width, height, true, false);
    listed.front_page = listed.home;
    listed.home.source = source;
    listed.home.search_query = "den long";
    all.push_back({std::string(name) + ", grid", listed, covers});
    listed.home.grid_view = false;
    all.push_back({std::string(name) + ", list", std::move(listed), covers});
  }
  for (const int zoom : {0, 3}) {
    AppState scrolled = reader_state(width, height, noisy_image(1600, 2400), zoom);
    scrolled.reader.scroll_reading = true;
    scrolled.reader.scroll = 700;
    all.push_back(
        {zoom == 0 ? "scroll reading, 1600-wide page" : "scroll reading, 1600 wide, 200 %",
         std::move(scrolled), none});
  }
  return all;
}

}  // namespace

// One canvas copy and the second frame of every case, each between callgrind's client requests.
// Each dump is named by a string that outlives the request: callgrind may read the name after the
// request returns, when a temporary's buffer is already freed.
void count_instructions(Font& font, const std::string& filter) {
  std::string dump_name;
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    Canvas canvas(width, height);
    std::vector<std::uint32_t> copy(static_cast<std::size_t>(width) * height);
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    dump_name = size + "|copy";
    CALLGRIND_ZERO_STATS;
    std::memcpy(copy.data(), canvas.data(), copy.size() * sizeof copy[0]);
    CALLGRIND_DUMP_STATS_AT(dump_name.c_str());
    // A decoded page drawn at fit, alone: its instructions per drawn pixel.
    const SharedImage page = noisy_image(800, 1200);
    const PagePlacement placed = place_page(width, height, *page, 0);
    draw_page(canvas, *page, 0, 0, 0);
    dump_name = size;
    dump_name.append("|800 x 1200 page at fit, alone|")
        .append(std::to_string(placed.width * placed.height));
    CALLGRIND_ZERO_STATS;
    draw_page(canvas, *page, 0, 0, 0);
    CALLGRIND_DUMP_STATS_AT(dump_name.c_str());
    for (Case& c : cases(width, height)) {
      if (c.name.find(filter) == std::string::npos) continue;
      Renderer renderer{canvas, font};
      FrameMemory memory;
      draw_screen(renderer, c.state, *c.services, memory);
      dump_name = size;
      dump_name.append("|").append(c.name);
      CALLGRIND_ZERO_STATS;
      draw_screen(renderer, c.state, *c.services, memory);
      CALLGRIND_DUMP_STATS_AT(dump_name.c_str());
    }
  }
}

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--instructions") {
    Font font = Font::load_embedded().value();
    count_instructions(font, argc > 2 ? argv[2] : "");
    return 0;
  }
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const std::string filter = argc > 2 ? argv[2] : "";
  Font font = Font::load_embedded().value();
  bool over_budget = false;
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    Canvas canvas(width, height);
    const double clear_seconds =
        fastest_seconds([&] { clear(canvas, palette::FRAME_BACKGROUND); }, rounds * 4);
    std::printf("%d x %d: one full-frame clear %.1f us\n", width, height, clear_seconds * 1e6);
    std::printf("  %-40s %10s %8s\n", "screen", "us", "clears");
    for (Case& c : cases(width, height)) {
      if (c.name.find(filter) == std::string::npos) continue;
      FrameMemory memory;
      const double seconds = fastest_seconds(
          [&] {
            Renderer renderer{canvas, font};
            draw_screen(renderer, c.state, *c.services, memory);
          },
          rounds);
      const double ratio = seconds / clear_seconds;
      const bool over = ratio > BUDGET_IN_CLEARS;
      over_budget = over_budget || over;
      std::printf("  %-40s %10.1f %8.2f%s\n", c.name.c_str(), seconds * 1e6, ratio,
                  over ? "  OVER BUDGET" : "");
    }
    std::printf("\n");
  }
  return over_budget ? 1 : 0;
}
