#include "images/pixel_pool.hpp"

#include <memory>
#include <mutex>
#include <utility>

#include "platform/memory.hpp"

namespace zentomi::pixel_pool {
namespace {

// Smaller buffers come from the allocator's own free lists anyway.
constexpr std::size_t SMALLEST_KEPT = std::size_t{1} << 20;

struct Pool {
  std::mutex mutex;
  PixelBuffer kept;
};

Pool& pool() {
  static Pool instance;
  return instance;
}

}  // namespace

PixelBuffer take(std::size_t bytes) {
  PixelBuffer buffer;
  if (bytes >= SMALLEST_KEPT) {
    PixelBuffer stale;
    {
      Pool& shared = pool();
      std::lock_guard lock(shared.mutex);
      const std::size_t capacity = shared.kept.capacity();
      // A page of quite another size makes the kept buffer stale: it is freed before the new
      // one is allocated, outside the lock.
      if (capacity >= bytes && capacity / 2 <= bytes) {
        std::swap(buffer, shared.kept);
      } else {
        std::swap(stale, shared.kept);
      }
    }
  }
  const bool fresh = buffer.capacity() < bytes;
  buffer.clear();
  buffer.resize(bytes);  // within the capacity of a kept buffer: nothing allocated or filled
  // Nothing has touched the new memory yet, so the advice can still shape how it is backed.
  if (fresh && bytes >= SMALLEST_KEPT) prefer_large_pages(buffer.data(), bytes);
  return buffer;
}

void give_back(PixelBuffer buffer) {
  if (buffer.capacity() < SMALLEST_KEPT) return;
  Pool& shared = pool();
  std::lock_guard lock(shared.mutex);
  std::swap(shared.kept, buffer);  // the one replaced is freed after the lock is released
}

SharedImage share(RgbaImage image) {
  auto* owned = new RgbaImage(std::move(image));
  try {
    return SharedImage(owned, [](const RgbaImage* released) {
      give_back(std::move(const_cast<RgbaImage*>(released)->pixels));
      delete released;
    });
  } catch (...) {
    delete owned;
    throw;
  }
}

void clear() {
  PixelBuffer released;
  Pool& shared = pool();
  std::lock_guard lock(shared.mutex);
  std::swap(released, shared.kept);
}

}  // namespace zentomi::pixel_pool
