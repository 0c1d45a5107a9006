#include "storage/store_writer.hpp"

#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/log.hpp"
#include "platform/thread.hpp"
#include "storage/save_failure_log.hpp"

namespace zentomi {

struct StoreWriter::Shared {
  struct Queued {
    Write write;
    std::uint64_t version = 0;
  };

  explicit Shared(std::shared_ptr<FileSystem> file_system) : files(std::move(file_system)) {}
  void run();
  bool write_next();

  std::shared_ptr<FileSystem> files;
  std::mutex mutex;
  std::condition_variable changed;
  std::map<std::string, Queued> queued;  // by file path
  std::uint64_t next_version = 1;
  std::map<std::uint64_t, std::string> path_of;  // unfinished versions and their file
  bool writing = false;
  bool stopping = false;
  bool gave_up = false;     // a wait for the writer ran out
  SaveFailureLog failures;  // the thread's alone
};

StoreWriter::StoreWriter(std::shared_ptr<FileSystem> files)
    : shared_(std::make_shared<Shared>(std::move(files))) {
  spawn_detached("App", [shared = shared_] { shared->run(); });
}

StoreWriter::~StoreWriter() {
  std::unique_lock lock(shared_->mutex);
  shared_->stopping = true;
  shared_->changed.notify_all();
  if (shared_->gave_up) return;
  shared_->changed.wait_for(lock, END_WAIT,
                            [this] { return shared_->queued.empty() && !shared_->writing; });
}

std::uint64_t StoreWriter::submit(Write write) {
  std::uint64_t version = 0;
  {
    std::lock_guard lock(shared_->mutex);
    version = shared_->next_version++;
    std::string path = write.directory + "/" + write.name;
    shared_->path_of[version] = path;
    // An older version still waiting is superseded: it counts as finished once this one is.
    shared_->queued.insert_or_assign(std::move(path), Shared::Queued{std::move(write), version});
  }
  shared_->changed.notify_all();
  return version;
}

bool StoreWriter::finished(std::uint64_t version) const {
  std::lock_guard lock(shared_->mutex);
  return !shared_->path_of.contains(version);
}

bool StoreWriter::wait_until_idle(std::chrono::milliseconds limit) {
  std::unique_lock lock(shared_->mutex);
  const bool idle = shared_->changed.wait_for(
      lock, limit, [this] { return shared_->queued.empty() && !shared_->writing; });
  if (!idle) shared_->gave_up = true;
  return idle;
}

// Writes one queued file; false once stopping with nothing left to write. Whatever one write
// throws stays inside it, and whatever else goes wrong is caught by run(): the thread must never
// stop while saves are queued.
bool StoreWriter::Shared::write_next() {
  std::unique_lock lock(mutex);
  changed.wait(lock, [this] { return stopping || !queued.empty(); });
  if (queued.empty()) return false;
  auto node = queued.extract(queued.begin());
  const std::string& path = node.key();
  Queued& entry = node.mapped();
  writing = true;
  lock.unlock();
  std::expected<void, std::string> written;
  try {
    if (entry.write.render) entry.write.text = entry.write.render();
    written = replace_store_file(*files, entry.write.directory, entry.write.name, entry.write.text,
                                 entry.write.usable, entry.write.now);
    if (entry.write.after) entry.write.after();
  } catch (...) {
    written = std::unexpected(current_exception_text());
  }
  // The previous store stays in place; the user learns of it from the log (a log line that cannot
  // be made has nowhere else to go).
  try {
    failures.record(entry.write.name, written);
  } catch (...) {  // NOLINT(bugprone-empty-catch): the log is the only place left to tell
  }
  lock.lock();
  writing = false;
  // Every version of this file up to the one written is settled.
  for (auto it = path_of.begin(); it != path_of.end() && it->first <= entry.version;) {
    it = it->second == path ? path_of.erase(it) : std::next(it);
  }
  changed.notify_all();
  return true;
}

void StoreWriter::Shared::run() {
  while (true) {
    try {
      if (!write_next()) return;
    } catch (...) {
      log_line("App", "Store writer: " + current_exception_text());
      const std::lock_guard lock(mutex);
      writing = false;
      changed.notify_all();
    }
  }
}

}  // namespace zentomi
