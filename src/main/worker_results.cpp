#include "main/worker_results.hpp"

#include <cstdio>
#include <string>
#include <utility>
#include <variant>

#include "storage/ordering.hpp"

namespace zentomi {
namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

void apply_home_loaded(AppState& state, HomeLoaded& loaded) {
  state.home_loading = false;
  if (!loaded.result) {
    const std::string line = "[NetTruyen] Home load error: " + loaded.result.error() + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return;
  }
  state.all_items = std::move(*loaded.result);
  // With the favourites filter on, the favourites stay on screen until it is turned off.
  if (state.favorites_only) return;
  state.source_items = state.all_items;
  state.displayed_items = state.source_items;
  apply_sort(state.displayed_items, state.source_items, state.sort_mode);
  state.home_selected = 0;
  state.home_scroll = 0;
}

}  // namespace

void apply_worker_result(AppState& state, WorkerResult result, AppContext& context) {
  (void)context;
  std::visit(Overloaded{
                 [&](HomeLoaded& loaded) { apply_home_loaded(state, loaded); },
                 [](DetailLoaded&) {},
                 [](PagesLoaded&) {},
                 [](PageImageLoaded&) {},
                 [](UpdateCheckResult&) {},
                 [](UpdateInstallResult&) {},
             },
             result);
}

}  // namespace zentomi
