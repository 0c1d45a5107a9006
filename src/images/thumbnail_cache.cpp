#include "images/thumbnail_cache.hpp"

#include <algorithm>
#include <utility>

namespace zentomi {

SharedImage ThumbnailCache::find(std::string_view url) const {
  std::lock_guard lock(mutex_);
  const auto found = images_.find(url);
  return found == images_.end() ? nullptr : found->second;
}

namespace {

std::size_t pixel_bytes(const SharedImage& image) {
  return image ? image->pixels.size() : 0;
}

}  // namespace

bool ThumbnailCache::insert(std::string_view url, SharedImage image) {
  const std::size_t added = pixel_bytes(image);
  if (added > max_bytes_) return false;
  std::lock_guard lock(mutex_);
  if (images_.size() >= MAX_ENTRIES || bytes_ + added > max_bytes_) {
    images_.clear();
    bytes_ = 0;
  }
  auto [entry, inserted] = images_.try_emplace(std::string(url));
  if (!inserted) bytes_ -= pixel_bytes(entry->second);
  entry->second = std::move(image);
  bytes_ += added;
  ++generation_;
  return true;
}

std::size_t ThumbnailCache::size() const {
  std::lock_guard lock(mutex_);
  return images_.size();
}

std::size_t ThumbnailCache::bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

std::uint64_t ThumbnailCache::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

bool CoverBackoff::waiting(std::string_view url, const Now& now) const {
  std::lock_guard lock(mutex_);
  const auto found = failed_at_.find(url);
  return found != failed_at_.end() && now() - found->second < DELAY;
}

void CoverBackoff::record(std::string_view url, std::chrono::nanoseconds now) {
  std::lock_guard lock(mutex_);
  std::erase_if(failed_at_, [now](const auto& entry) { return now - entry.second >= DELAY; });
  failed_at_.insert_or_assign(std::string(url), now);
}

bool CoverBackoff::any_waiting(std::chrono::nanoseconds now) const {
  std::lock_guard lock(mutex_);
  return std::any_of(failed_at_.begin(), failed_at_.end(),
                     [now](const auto& entry) { return now - entry.second < DELAY; });
}

void CoverBackoff::forget(std::string_view url) {
  std::lock_guard lock(mutex_);
  if (const auto found = failed_at_.find(url); found != failed_at_.end()) failed_at_.erase(found);
}

}  // namespace zentomi
