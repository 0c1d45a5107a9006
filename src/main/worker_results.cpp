#include "main/worker_results.hpp"

#include <utility>
#include <variant>

namespace zentomi {
namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace

void apply_worker_result(AppState& state, WorkerResult result, AppContext& context) {
  (void)state;
  (void)context;
  std::visit(Overloaded{
                 [](HomeLoaded&) {},
                 [](DetailLoaded&) {},
                 [](PagesLoaded&) {},
                 [](PageImageLoaded&) {},
                 [](UpdateCheckResult&) {},
                 [](UpdateInstallResult&) {},
             },
             result);
}

}  // namespace zentomi
