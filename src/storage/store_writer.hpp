#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "storage/file_system.hpp"
#include "storage/store_file.hpp"

namespace zentomi {

// Writes store files on its own thread, so that a slow SD card never holds up a frame. Each file
// is written with replace_store_file; when several versions of one file are submitted before the
// thread gets to it, only the newest is written. A failed write leaves the files as they were and
// is logged once (SaveFailureLog).
class StoreWriter {
 public:
  // How long the end of the writer waits for the submitted writes.
  static constexpr std::chrono::milliseconds END_WAIT{2000};

  struct Write {
    std::string directory;
    std::string name;
    std::string text;
    StoreCheck usable = nullptr;
    std::chrono::system_clock::time_point now;
    // When set, the text is made by this on the writer thread instead (from content the writer
    // keeps), and `after` runs there once the file is written or the write failed.
    std::function<std::string()> render = nullptr;
    std::function<void()> after = nullptr;
  };

  explicit StoreWriter(std::shared_ptr<FileSystem> files);
  // Waits for the submitted writes, at most END_WAIT, and not at all once a wait_until_idle has
  // run out: a wedged card must not keep the user from the launcher. The thread is never joined;
  // it finishes what it has on its own (or ends with the process).
  ~StoreWriter();
  StoreWriter(const StoreWriter&) = delete;
  StoreWriter& operator=(const StoreWriter&) = delete;

  // Queues the newest content of directory/name; the number identifies this version.
  std::uint64_t submit(Write write);
  // Whether the version with this number (or a newer one of the same file) has been written,
  // successfully or not.
  bool finished(std::uint64_t version) const;
  // Waits until nothing is queued or being written, at most `limit`; false when time ran out.
  bool wait_until_idle(std::chrono::milliseconds limit);

 private:
  struct Shared;
  // Shared with the thread, which may outlive this object.
  std::shared_ptr<Shared> shared_;
};

}  // namespace zentomi
