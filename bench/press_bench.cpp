// What one press costs the main loop on the detail screen of a title with 40 and with 400,000
// chapters: the controller's step and the redraw gate's decision, which compares counts rather
// than the state, so the figure is the same whatever the size of the lists.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "app/redraw_gate.hpp"
#include "screens/common/app_context.hpp"
#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace zentomi;

void BM_DetailPressAndRedrawDecision(benchmark::State& run) {
  testing::TempDir dir;
  Store store(StorePaths{(dir / "sd").string(), (dir / "local").string()});
  testing::RecordingJobs jobs;
  AppContext context{jobs, store};
  AppState state = make_initial_state(1280, 720);
  state.screen = Screen::Detail;
  state.details.current_item = MangaItem{"T", "https://site/t", "", "", ""};
  state.details.detail = MangaDetail{};
  for (std::int64_t n = 0; n < run.range(0); ++n) {
    const std::string number = std::to_string(n);
    state.details.chapters.push_back({"Chapter " + number, "https://site/t/chuong-" + number});
  }
  state.details.chapters_site_order = state.details.chapters;
  RedrawGate gate;
  std::uint64_t version = 0;
  std::chrono::nanoseconds now{0};
  for (auto _ : run) {
    // Down then Up, so the selection stays near the top and every press moves it.
    handle_button(state, version % 2 == 0 ? Button::Down : Button::Up, context);
    ++version;
    benchmark::DoNotOptimize(gate.can_differ(version, PictureSources{}, now));
    gate.composed(version, PictureSources{}, now);
  }
}
BENCHMARK(BM_DetailPressAndRedrawDecision)
    ->ArgName("chapters")
    ->Arg(40)
    ->Arg(400000)
    ->Unit(benchmark::kNanosecond);

}  // namespace
