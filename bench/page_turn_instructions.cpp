// The main thread's work for one page turn of a reader whose history holds 5,000 titles: the
// press (R1, which records the position) and the page's arrival (which records it again and shows
// the page), each between callgrind's client requests. The store writer renders and writes on its
// own thread, which page-turn-instructions.sh leaves out of the count.
//
//   page_turn_instructions [TITLES]
#include <valgrind/callgrind.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "model/worker_result.hpp"
#include "scenes.hpp"
#include "screens/common/app_context.hpp"
#include "screens/dispatch.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace zentomi;

MangaHistory title(int index) {
  const std::string url = "https://site.test/truyen-tranh/truyen-so-" + std::to_string(index);
  return {url,
          "Truyện tranh số " + std::to_string(index),
          "Chapter " + std::to_string(index % 300),
          url + "/chuong-" + std::to_string(index % 300),
          static_cast<std::uint64_t>(index % 20),
          20,
          1'700'000'000u + static_cast<std::uint64_t>(index)};
}

}  // namespace

int main(int argc, char** argv) {
  const int titles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
  const testing::TempDir dir;
  const StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  {
    HistoryMap history;
    for (int i = 0; i < titles; ++i)
      history.emplace(title(i).manga_url, title(i));
    Store(paths).save_history(history);
  }
  Store store(paths, StoreSystem{.background_writes = true});
  testing::RecordingJobs jobs;
  AppContext context{jobs, store};
  AppState state = bench::reader_scene(1280, 720);
  const MangaHistory reading = title(titles / 2);
  state.details.current_item = MangaItem{reading.manga_title, reading.manga_url, "", "", ""};
  state.reader.page_image = bench::noisy_image(800, 1200);
  const SharedImage next = bench::noisy_image(800, 1200);

  const auto turn = [&](const char* press_name, const char* arrival_name) {
    CALLGRIND_ZERO_STATS;
    handle_button(state, Button::R1, context);
    CALLGRIND_DUMP_STATS_AT(press_name);
    const PageImageLoaded arrived{next, state.reader.page_index, state.reader.chapter_url,
                                  state.reader.image_request};
    CALLGRIND_ZERO_STATS;
    apply_worker_result(state, arrived, context);
    CALLGRIND_DUMP_STATS_AT(arrival_name);
    store.wait_for_saves(std::chrono::seconds(30));
  };
  turn("first press", "first arrival");  // the writer reads the history once
  turn("press", "arrival");
  return 0;
}
