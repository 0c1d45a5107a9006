#include "images/cover_requests.hpp"

#include <algorithm>
#include <iterator>

namespace zentomi {

bool CoverRequests::ask(std::string_view url) {
  bool added = false;
  {
    const std::lock_guard lock(mutex_);
    if (serving_.contains(url)) return false;
    auto found = queued_.find(url);
    if (found == queued_.end()) {
      found = queued_.emplace(std::string(url), Asked{frame_, ++order_}).first;
      added = true;
    }
    found->second.frame = frame_;
  }
  if (added) wake_.notify_one();
  return added;
}

void CoverRequests::begin_frame() {
  const std::lock_guard lock(mutex_);
  const std::uint64_t last = frame_++;
  std::erase_if(queued_, [last](const auto& entry) { return entry.second.frame < last; });
}

std::optional<std::string> CoverRequests::take() {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [&] { return closed_ || !queued_.empty(); });
  if (closed_) return std::nullopt;
  const auto newest = std::ranges::max_element(queued_, {}, [](const auto& entry) {
    return std::pair(entry.second.frame, entry.second.order);
  });
  auto node = queued_.extract(newest);
  serving_.insert(node.key());
  return std::move(node.key());
}

void CoverRequests::done(std::string_view url) {
  const std::lock_guard lock(mutex_);
  if (const auto found = serving_.find(url); found != serving_.end()) serving_.erase(found);
}

void CoverRequests::close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  wake_.notify_all();
}

std::size_t CoverRequests::size() const {
  const std::lock_guard lock(mutex_);
  return queued_.size() + serving_.size();
}

}  // namespace zentomi
