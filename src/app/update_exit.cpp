#include "app/update_exit.hpp"

#include <cstdio>
#include <cstdlib>

#include "platform/log.hpp"
#include "updater/install.hpp"

namespace zentomi {

void finish_saves(Store& store) {
  if (!store.wait_for_saves(SAVE_WAIT_LIMIT)) {
    log_line("App", "Pending store save did not finish in time");
  }
}

void UpdateExit::attach(Store& store) {
  const std::lock_guard lock(mutex_);
  store_ = &store;
}

void UpdateExit::detach() {
  const std::lock_guard lock(mutex_);
  store_ = nullptr;
}

void UpdateExit::end_process() {
  // Never unlocked: the process ends while holding it.
  mutex_.lock();
  if (store_) finish_saves(*store_);
  std::fflush(nullptr);
  std::_Exit(UPDATE_EXIT_STATUS);
}

}  // namespace zentomi
