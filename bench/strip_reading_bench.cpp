// Long strips read with Down alone over a slow network. The whole application (threads, jobs,
// decoding, the fake curl as its network) reads the demo site's Hành Trình "Vô Tận" from the first
// row of Chapter 300 (five strips, the first 720 x 30,000) to the end of Chapter 302, with Down
// and, at each chapter's end, A: ten joins between pages. Every page image is answered 300 ms late.
// For a reader pressing Down four times a second and for a held key repeating thirty times a
// second it prints the frames that showed a loading panel (under a page at a join, or over the
// whole screen while a chapter's first page comes), the presses lost, and the peak resident memory
// of the process at each chapter's end. Each pace runs in a process of its own, from a fresh card.
//
// Run after `cmake --build --preset release --target strip_reading_bench`:
//     build/release/bench/strip_reading_bench 2>/dev/null
// It exits with status 1 when a press was lost or the route could not be read.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "app/application.hpp"
#include "draw/canvas.hpp"
#include "model/channel.hpp"
#include "platform/clock.hpp"
#include "platform/memory.hpp"
#include "screens/common/chapter_opening.hpp"
#include "screens/reader/reader_layout.hpp"
#include "screens/reader/scroll_geometry.hpp"
#include "screens/reader/strip.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace zentomi;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 720;
constexpr const char* TITLE_PAGES = "pages/hanh-trinh-vo-tan";
constexpr const char* PAGE_DELAY = "delay 0.3";
constexpr milliseconds PATIENCE{30'000};
const std::filesystem::path SOURCE_DIR{ZENTOMI_BENCH_SOURCE_DIR};

struct Pace {
  const char* name;
  milliseconds between_presses;
};
constexpr Pace PACES[] = {{"a press every 250 ms", milliseconds(250)},
                          {"a held key, every 33 ms", milliseconds(33)}};

// The demo site with every page image of the title answered late.
void prepare_site(const std::filesystem::path& site) {
  std::filesystem::copy(SOURCE_DIR / "tools/demo-site/site", site,
                        std::filesystem::copy_options::recursive);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(site / TITLE_PAGES)) {
    if (entry.is_regular_file()) testing::write_file(entry.path().string() + ".action", PAGE_DELAY);
  }
}

long peak_rss_kib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Figures {
  int presses = 0;
  int lost = 0;
  int joins = 0;
  int frames = 0;
  int frames_under_page = 0;
  int frames_whole_page = 0;
  int frames_waiting = 0;  // frames with Down presses held at a boundary
};

// Drives one application through the route, watching every frame.
class Reading {
 public:
  Reading(const std::filesystem::path& card, Pace pace)
      : pace_(pace),
        application_({canvas_, [] {}}, std::move(input_.second), clock_,
                     AppPaths::under_sdcard(card.string()), RedrawMode::WhenChanged,
                     LoopWaking{wake_, FRAME_DURATION}) {}

  bool run() {
    application_.start();
    // The front page, the third title, its Chapter 300 (below 302 and 301, newest first).
    settle();
    for (const Button button : {Button::Right, Button::Right, Button::A})
      buttons_.send(button);
    settle();
    for (const Button button : {Button::Down, Button::Down, Button::A})
      buttons_.send(button);
    if (!wait_for_first_page()) return false;
    if (!state().reader.scroll_reading || state().reader.chapter_title != "Chapter 300") {
      std::fprintf(stderr, "the route did not open Chapter 300 in scroll reading\n");
      return false;
    }
    while (true) {
      if (state().reader.chapter_end) {
        std::printf("    %-12s peak RSS %6.1f MiB after %d joins\n",
                    state().reader.chapter_title.c_str(),
                    static_cast<double>(peak_rss_kib()) / 1024, figures_.joins);
        if (next_chapter(state().details, state().reader.chapter_url) == nullptr) return true;
        buttons_.send(Button::A);
        if (!wait_for_first_page()) return false;
        continue;
      }
      if (figures_.presses > 2000) return false;
      ++figures_.presses;
      buttons_.send(Button::Down);
      const auto next_press = steady_clock::now() + pace_.between_presses;
      watched_frame(true);
      while (steady_clock::now() < next_press)
        watched_frame(false);
    }
  }

  const Figures& figures() const { return figures_; }

 private:
  const AppState& state() const { return application_.state(); }

  void settle() {
    const auto end = steady_clock::now() + PATIENCE;
    application_.run_frame();
    while (!application_.idle() && steady_clock::now() < end)
      application_.run_frame();
    application_.run_frame();
  }

  // After A: frames until the chapter's first page is shown.
  bool wait_for_first_page() {
    const auto end = steady_clock::now() + PATIENCE;
    watched_frame(false);
    while (!state().reader.page_image || state().reader.reader_loading) {
      if (steady_clock::now() >= end) {
        std::fprintf(stderr, "no first page after %lld ms\n",
                     static_cast<long long>(PATIENCE.count()));
        return false;
      }
      watched_frame(false);
    }
    return true;
  }

  // Rows from the top of the chapter to the top of the screen.
  long long position() {
    const ReaderState& reader = state().reader;
    if (reader.page_image) heights_[reader.page_index] = strip::height(state(), *reader.page_image);
    if (reader.next_image)
      heights_[reader.page_index + 1] = strip::height(state(), *reader.next_image);
    long long rows = reader.scroll;
    for (std::size_t i = 0; i < reader.page_index; ++i)
      rows += heights_[i];
    return rows;
  }

  // One frame of the main loop. A Down is handled by the frame after it is sent; each press a frame
  // disposes of (sent, or held at a boundary before) must move the strip by a step or what is
  // left of one, unless the chapter's end was reached.
  void watched_frame(bool pressed) {
    const std::string chapter = state().reader.chapter_url;
    const std::size_t page = state().reader.page_index;
    const int held_before = state().reader.waiting_scrolls;
    const long long before = position();
    application_.run_frame();
    ++figures_.frames;
    const ReaderState& reader = state().reader;
    switch (reader_loading_panel(state(), WIDTH, HEIGHT)) {
      case LoadingPanel::UnderPage:
        ++figures_.frames_under_page;
        break;
      case LoadingPanel::Page:
        ++figures_.frames_whole_page;
        break;
      case LoadingPanel::None:
        break;
    }
    if (reader.waiting_scrolls > 0) ++figures_.frames_waiting;
    if (reader.chapter_url != chapter) {
      heights_.clear();
      return;
    }
    if (reader.page_index > page) figures_.joins += static_cast<int>(reader.page_index - page);
    const int disposed = held_before + (pressed ? 1 : 0) - reader.waiting_scrolls;
    if (disposed <= 0) return;
    // At the chapter's end the presses beyond it have nothing left to do.
    if (reader.chapter_end) return;
    const long long moved = position() - before;
    const long long step = scroll_geometry::step(HEIGHT);
    const long long moves = moved <= 0 ? 0 : (moved + step - 1) / step;
    if (disposed > moves) figures_.lost += static_cast<int>(disposed - moves);
  }

  Pace pace_;
  Canvas canvas_{WIDTH, HEIGHT};
  std::shared_ptr<WakeSignal> wake_ = std::make_shared<WakeSignal>();
  std::pair<Sender<Button>, Receiver<Button>> input_ = Channel<Button>::create(wake_);
  Sender<Button> buttons_ = std::move(input_.first);
  SteadyClock clock_;
  Application application_;
  std::map<std::size_t, long long> heights_;
  Figures figures_;
};

int read_at(Pace pace, const std::filesystem::path& card) {
  std::printf("%s:\n", pace.name);
  std::fflush(stdout);
  Reading reading(card, pace);
  const bool read = reading.run();
  const Figures& f = reading.figures();
  std::printf("    %d Down presses, %d joins crossed, %d frames (%.1f s)\n", f.presses, f.joins,
              f.frames, f.frames / 60.0);
  std::printf("    frames with a loading panel under a page: %d\n", f.frames_under_page);
  std::printf("    frames with the whole-screen loading panel (chapter openings): %d\n",
              f.frames_whole_page);
  std::printf("    frames with presses held at a boundary: %d\n", f.frames_waiting);
  std::printf("    presses lost: %d\n", f.lost);
  std::fflush(stdout);
  return read && f.joins == 10 && f.lost == 0 ? 0 : 1;
}

}  // namespace

int main() {
  return_large_blocks_to_the_system();
  const testing::TempDir work;
  prepare_site(work / "site");
  ::setenv("ZENTOMI_FAKE_CURL_ROOT", (work / "site").c_str(), 1);
  const std::string path = (SOURCE_DIR / "tools/demo-site/bin").string() + ":" +
                           (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
  ::setenv("PATH", path.c_str(), 1);
  int status = 0;
  int run = 0;
  for (const Pace& pace : PACES) {
    // A process of its own, so that its peak memory is its own; no thread runs before the fork.
    const pid_t child = fork();
    if (child == 0) {
      std::fflush(stdout);
      std::_Exit(read_at(pace, work / ("card-" + std::to_string(run))));
    }
    int child_status = 1;
    if (child < 0 || waitpid(child, &child_status, 0) != child || !WIFEXITED(child_status) ||
        WEXITSTATUS(child_status) != 0)
      status = 1;
    ++run;
  }
  return status;
}
