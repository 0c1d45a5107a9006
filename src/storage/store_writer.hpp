#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "storage/file_system.hpp"
#include "storage/store_file.hpp"

namespace zentomi {

// Writes store files on its own thread, so that a slow SD card never holds up a frame. Each file
// is written with replace_store_file; when several versions of one file are submitted before the
// thread gets to it, only the newest is written.
class StoreWriter {
 public:
  struct Write {
    std::string directory;
    std::string name;
    std::string text;
    StoreCheck usable = nullptr;
    std::chrono::system_clock::time_point now;
  };

  explicit StoreWriter(std::shared_ptr<FileSystem> files);
  // Finishes every submitted write, then ends the thread.
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
  struct Queued {
    Write write;
    std::uint64_t version = 0;
  };
  void run();

  std::shared_ptr<FileSystem> files_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, Queued> queued_;  // by file path
  std::uint64_t next_version_ = 1;
  std::map<std::uint64_t, std::string> path_of_;  // unfinished versions and their file
  bool writing_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace zentomi
