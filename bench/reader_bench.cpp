// One reader frame as the main loop draws it (clear, page, head-up display) at the fitted zoom
// and at 200 %, for a portrait page and for a 720 x 6000 strip; and the step from a page image
// arriving to its first frame. Each frame is also given as a multiple of one full-frame clear
// timed in the same run ("x_clear"), so the figures compare across machines.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "scenes.hpp"
#include "screens/common/app_context.hpp"
#include "screens/dispatch.hpp"
#include "support/no_services.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace zentomi;
using Clock = std::chrono::steady_clock;

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 720;

using testing::NoServices;

SharedImage test_page(std::int64_t which) {
  return which == 0 ? bench::noisy_image(800, 1200) : bench::noisy_image(720, 6000);
}

AppState reader_state() {
  return bench::reader_scene(WIDTH, HEIGHT);
}

// Seconds per full-frame clear, timed here so that the ratio shares the run's conditions.
double seconds_per_clear(Canvas& canvas) {
  constexpr int ROUNDS = 300;
  for (int i = 0; i < 20; ++i)
    clear(canvas, palette::FRAME_BACKGROUND);
  const auto start = Clock::now();
  for (int i = 0; i < ROUNDS; ++i) {
    clear(canvas, palette::FRAME_BACKGROUND);
    benchmark::DoNotOptimize(canvas.data());
  }
  return std::chrono::duration<double>(Clock::now() - start).count() / ROUNDS;
}

void report_ratio(benchmark::State& run, Clock::duration spent, double clear_seconds) {
  if (run.iterations() == 0) return;
  const double per_frame =
      std::chrono::duration<double>(spent).count() / static_cast<double>(run.iterations());
  run.counters["x_clear"] = per_frame / clear_seconds;
  run.counters["clear_us"] = clear_seconds * 1e6;
}

void BM_FullFrameClear(benchmark::State& run) {
  Canvas canvas(WIDTH, HEIGHT);
  for (auto _ : run) {
    clear(canvas, palette::FRAME_BACKGROUND);
    benchmark::DoNotOptimize(canvas.data());
  }
}

// range(0): 0 = 800 x 1200 page, 1 = 720 x 6000 strip; range(1): zoom level (0 fit, 3 = 200 %).
void BM_ReaderFrame(benchmark::State& run) {
  Font font = Font::load_embedded().value();
  Canvas canvas(WIDTH, HEIGHT);
  NoServices services;
  AppState state = reader_state();
  state.reader.page_image = test_page(run.range(0));
  state.reader.zoom = static_cast<int>(run.range(1));
  const double clear_seconds = seconds_per_clear(canvas);
  const auto start = Clock::now();
  for (auto _ : run) {
    Renderer renderer{canvas, font};
    draw_screen(renderer, state, services);
    benchmark::DoNotOptimize(canvas.data());
  }
  report_ratio(run, Clock::now() - start, clear_seconds);
}

// The page image result applied to the state (with its progress save, handed to the store's
// writer as in the program) and the first frame that shows it.
void BM_PageArrivalToFirstFrame(benchmark::State& run) {
  Font font = Font::load_embedded().value();
  Canvas canvas(WIDTH, HEIGHT);
  NoServices services;
  testing::TempDir dir;
  Store store(StorePaths{(dir / "sd").string(), (dir / "local").string()},
              StoreSystem{.background_writes = true});
  testing::RecordingJobs jobs;
  AppContext context{jobs, store};
  AppState state = reader_state();
  state.details.current_item =
      MangaItem{"Kiếm Khách Mùa Thu", "https://site.test/truyen-tranh/t", "", "Chapter 128", "1"};
  const SharedImage image = test_page(run.range(0));
  const double clear_seconds = seconds_per_clear(canvas);
  const auto start = Clock::now();
  for (auto _ : run) {
    state.reader.page_image = nullptr;
    state.reader.reader_loading = true;
    apply_worker_result(state,
                        PageImageLoaded{image, state.reader.page_index, state.reader.chapter_url,
                                        state.reader.image_request},
                        context);
    Renderer renderer{canvas, font};
    draw_screen(renderer, state, services);
    benchmark::DoNotOptimize(canvas.data());
  }
  report_ratio(run, Clock::now() - start, clear_seconds);
  store.wait_for_saves(std::chrono::seconds(5));
}

BENCHMARK(BM_FullFrameClear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReaderFrame)
    ->ArgNames({"strip", "zoom"})
    ->Args({0, 0})
    ->Args({0, 3})
    ->Args({1, 0})
    ->Args({1, 3})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageArrivalToFirstFrame)
    ->ArgName("strip")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
