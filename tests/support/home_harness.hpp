#pragma once

#include <utility>
#include <vector>

#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::testing {

// On the home screen, loaded, showing `items` (the front page's, unfiltered), with a store in a
// temporary folder, jobs that are only recorded and the given wall clock.
struct HomeHarness {
  explicit HomeHarness(std::vector<MangaItem> items = {}, int width = 1280, int height = 720,
                       WallClock clock = wall_now)
      : context{jobs, store, std::move(clock)}, state(make_initial_state(width, height)) {
    state.home.home_loading = false;
    state.home.all_items = std::move(items);
    state.home.source_items = state.home.displayed_items = state.home.all_items;
  }
  bool press(Button button) { return handle_button(state, button, context); }
  void press(Button button, int times) {
    for (int i = 0; i < times; ++i)
      press(button);
  }
  void apply(WorkerResult result) { apply_worker_result(state, std::move(result), context); }

  TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  RecordingJobs jobs;
  AppContext context;
  AppState state;
};

}  // namespace zentomi::testing
