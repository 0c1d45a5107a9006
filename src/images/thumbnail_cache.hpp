#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/image.hpp"
#include "model/string_hash.hpp"

namespace zentomi {

// Decoded covers by URL, shared by the drawing code and the image worker. Each operation takes
// the cache's own lock for itself alone.
class ThumbnailCache {
 public:
  static constexpr std::size_t MAX_ENTRIES = 100;
  // Pixel bytes of all cached covers together: two screens of 300 x 400 covers need a tenth.
  static constexpr std::size_t MAX_BYTES = std::size_t{64} * 1024 * 1024;

  explicit ThumbnailCache(std::size_t max_bytes = MAX_BYTES) : max_bytes_(max_bytes) {}

  // The shared image, or null when the URL is not cached.
  SharedImage find(std::string_view url) const;
  // A cache that is full, by entries or by bytes with this image added, is emptied entirely
  // first: memory stays bounded without bookkeeping per entry. An image larger than the whole
  // budget is not kept, and the answer is false.
  bool insert(std::string_view url, SharedImage image);
  std::size_t size() const;
  // The pixel bytes of the cached covers.
  std::size_t bytes() const;
  // Changes whenever a cover is added or the cache is emptied, so the screen can tell whether a
  // frame drawn now could show different covers from the last one.
  std::uint64_t generation() const;

 private:
  const std::size_t max_bytes_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, SharedImage, StringHash, std::equal_to<>> images_;
  std::size_t bytes_ = 0;
  std::uint64_t generation_ = 0;
};

// Covers that failed recently. They are not asked for again until the delay has passed, so a
// broken cover on screen does not download again on every frame.
class CoverBackoff {
 public:
  static constexpr std::chrono::seconds DELAY{30};
  using Now = std::function<std::chrono::nanoseconds()>;

  // `now` is read only when the URL has failed before.
  bool waiting(std::string_view url, const Now& now) const;
  // Also forgets every failure whose delay has passed, so the record stays small.
  void record(std::string_view url, std::chrono::nanoseconds now);
  void forget(std::string_view url);
  // Whether some URL's delay has not passed yet.
  bool any_waiting(std::chrono::nanoseconds now) const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::chrono::nanoseconds, StringHash, std::equal_to<>> failed_at_;
};

}  // namespace zentomi
