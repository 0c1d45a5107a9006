#include "storage/store_writer.hpp"

#include <exception>
#include <string>
#include <utility>

#include "platform/log.hpp"

namespace zentomi {

StoreWriter::StoreWriter(std::shared_ptr<FileSystem> files) : files_(std::move(files)) {
  thread_ = std::thread([this] { run(); });
}

StoreWriter::~StoreWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::uint64_t StoreWriter::submit(Write write) {
  std::uint64_t version = 0;
  {
    std::lock_guard lock(mutex_);
    version = next_version_++;
    std::string path = write.directory + "/" + write.name;
    path_of_[version] = path;
    // An older version still waiting is superseded: it counts as finished once this one is.
    queued_.insert_or_assign(std::move(path), Queued{std::move(write), version});
  }
  changed_.notify_all();
  return version;
}

bool StoreWriter::finished(std::uint64_t version) const {
  std::lock_guard lock(mutex_);
  return !path_of_.contains(version);
}

bool StoreWriter::wait_until_idle(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return queued_.empty() && !writing_; });
}

void StoreWriter::run() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
    if (queued_.empty()) return;  // stopping with nothing left to write
    auto next = queued_.begin();
    const std::string path = next->first;
    Queued queued = std::move(next->second);
    queued_.erase(next);
    writing_ = true;
    lock.unlock();
    try {
      // A failed save is not reported: the previous store stays in place.
      ignore_failure(replace_store_file(*files_, queued.write.directory, queued.write.name,
                                        queued.write.text, queued.write.usable, queued.write.now));
    } catch (const std::exception& error) {
      log_line("App", std::string("Store write failed: ") + error.what());
    }
    lock.lock();
    writing_ = false;
    // Every version of this file up to the one written is settled.
    for (auto it = path_of_.begin(); it != path_of_.end() && it->first <= queued.version;) {
      it = it->second == path ? path_of_.erase(it) : std::next(it);
    }
    changed_.notify_all();
  }
}

}  // namespace zentomi
