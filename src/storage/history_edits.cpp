#include "storage/history_edits.hpp"

#include "model/site_address.hpp"
#include "storage/store_bounds.hpp"
#include "storage/store_file.hpp"
#include "storage/store_json.hpp"

namespace zentomi {

void HistoryEdits::put(std::string key, MangaHistory record) {
  const std::lock_guard lock(mutex_);
  pending_.emplace_back(std::pair{std::move(key), std::move(record)});
}

void HistoryEdits::replace(HistoryMap history) {
  const std::lock_guard lock(mutex_);
  pending_.clear();  // all overtaken
  pending_.emplace_back(std::move(history));
}

std::string HistoryEdits::render(const std::string& path) {
  std::vector<Change> changes;
  {
    const std::lock_guard lock(mutex_);
    changes.swap(pending_);
  }
  // Another program may have replaced the file since; its content is what the changes apply to,
  // as when every save read the file afresh.
  if (!content_ || path != path_ || files_->status(path) != identity_) {
    content_ = load_store_file(*files_, path, parse_history_json).value_or(HistoryMap{});
    path_ = path;
  }
  for (Change& change : changes) {
    if (auto* entry = std::get_if<std::pair<std::string, MangaHistory>>(&change)) {
      // One entry per title, whatever origin it was first written under.
      std::erase_if(*content_,
                    [&](const auto& stored) { return same_title(stored.first, entry->first); });
      content_->insert_or_assign(std::move(entry->first), std::move(entry->second));
    } else {
      content_ = std::move(std::get<HistoryMap>(change));
    }
  }
  // What is written must always read back: the oldest titles drop out here.
  if (!changes.empty()) content_ = bound_history(std::move(*content_), MAX_STORE_FILE_BYTES);
  return render_history_json(*content_);
}

void HistoryEdits::written(const std::string& path) {
  // After a failed write the file is usually the old one, and the content (with the changes)
  // is kept for the next write; a file changed in any way is read again then.
  identity_ = files_->status(path);
}

}  // namespace zentomi
