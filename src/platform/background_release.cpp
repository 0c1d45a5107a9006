#include "platform/background_release.hpp"

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/thread.hpp"

namespace zentomi {
namespace {

// The objects waiting to be let go, and the one thread that lets go of them. Never destroyed, so
// that a release during the program's exit finds it whole.
struct Releaser {
  std::mutex mutex;
  std::condition_variable waiting;
  std::vector<std::shared_ptr<const void>> objects;

  Releaser() {
    spawn_detached("App", [this] {
      std::vector<std::shared_ptr<const void>> taken;
      while (true) {
        {
          std::unique_lock lock(mutex);
          waiting.wait(lock, [this] { return !objects.empty(); });
          taken.swap(objects);
        }
        taken.clear();
      }
    });
  }
};

}  // namespace

void release_in_background(std::shared_ptr<const void> object) {
  if (!object) return;
  static Releaser* const releaser = new Releaser;
  {
    const std::lock_guard lock(releaser->mutex);
    releaser->objects.push_back(std::move(object));
  }
  releaser->waiting.notify_one();
}

}  // namespace zentomi
