#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "model/manga.hpp"
#include "storage/file_system.hpp"
#include "storage/store_paths.hpp"

namespace zentomi {

// The reading history as the store writer keeps it. The main thread hands over one changed entry
// at a time (or, rarely, a whole history); the writer thread applies the changes to the content it
// holds and renders the file. So nothing the main thread does for a page turn grows with the
// history.
class HistoryEdits {
 public:
  explicit HistoryEdits(std::shared_ptr<FileSystem> files) : files_(std::move(files)) {}

  // Main thread: cheap, whatever the size of the history.
  void put(std::string key, MangaHistory record);
  void replace(HistoryMap history);

  // Writer thread: the file's text with every change handed over so far. The content is read
  // from the file when there is none yet or the file is no longer the one last written here.
  std::string render(const std::string& path);
  // Writer thread, after each write of `path` (successful or not).
  void written(const std::string& path);

 private:
  using Change = std::variant<std::pair<std::string, MangaHistory>, HistoryMap>;

  std::shared_ptr<FileSystem> files_;
  std::mutex mutex_;
  std::vector<Change> pending_;  // under mutex_
  // The writer thread's alone.
  std::optional<HistoryMap> content_;
  std::string path_;
  std::optional<FileIdentity> identity_;
};

}  // namespace zentomi
