#pragma once

#include <chrono>
#include <mutex>

#include "storage/store.hpp"
#include "storage/store_writer.hpp"

namespace zentomi {

// How long any way out of the program waits for the store writer.
inline constexpr std::chrono::milliseconds SAVE_WAIT_LIMIT = StoreWriter::END_WAIT;

// Waits for the store's pending saves, at most SAVE_WAIT_LIMIT, and says so when they did not
// finish in time.
void finish_saves(Store& store);

// The end of the process after an installed update, reached from the install job's thread: the
// last reading position reaches the card, buffered output is flushed, and the process ends with
// UPDATE_EXIT_STATUS. The application detaches its store before the store goes away; an install
// finishing meanwhile holds the lock, so the store cannot go away under it.
class UpdateExit {
 public:
  void attach(Store& store);
  void detach();
  [[noreturn]] void end_process();

 private:
  std::mutex mutex_;
  Store* store_ = nullptr;
};

}  // namespace zentomi
