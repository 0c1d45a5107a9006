#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "images/fetch_function.hpp"
#include "images/thumbnail_cache.hpp"
#include "model/image.hpp"
#include "platform/clock.hpp"
#include "storage/file_system.hpp"

namespace zentomi {

struct CoverWorkerState;

// The covers of the home and detail screens. The drawing code asks get_thumbnail for every
// visible cover on every frame; a missing cover is queued once for the image worker, which reads
// it from the thumbnail directory or downloads it, decodes it and publishes it in the cache. The
// newest request is served first, and one no longer on screen is dropped (see CoverRequests).
class CoverCache {
 public:
  // The worker reads and writes the thumbnail directory through `files`.
  CoverCache(std::string directory, FetchBytes fetch, CoverBackoff::Now now = steady_now,
             std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>());
  CoverCache(const CoverCache&) = delete;
  CoverCache& operator=(const CoverCache&) = delete;
  // Ends the worker after the cover it is serving; what is still queued is not fetched.
  ~CoverCache();

  // The image worker's body: serves the queued URLs one after another, and ends once this
  // CoverCache is gone. Take it once and run it on its own thread; it
  // owns what it uses, so the thread may outlive this object.
  std::function<void()> take_worker();
  // Called on the worker's thread after each cover it served (arrived or failed), so a waiting
  // main loop wakes. Set it before the worker is taken.
  void notify_on_change(std::function<void()> notify);

  // The cover, shared, or null when it is not decoded yet (it is then requested, unless it is
  // already pending or failed less than CoverBackoff::DELAY ago). An empty URL is never requested.
  SharedImage get_thumbnail(std::string_view url);
  // Called before each frame is drawn, so requests the last frame no longer made are dropped.
  void begin_frame();

  // Covers requested and not finished; none pending means the worker has nothing left to do.
  std::size_t pending_count() const;
  bool idle() const { return pending_count() == 0; }
  // Changes whenever a cover arrives in the cache or leaves it.
  std::uint64_t generation() const;
  // A cover failed and is not asked for again until its back-off has passed: drawing then asks.
  bool retrying() const;

 private:
  std::shared_ptr<CoverWorkerState> shared_;
  bool worker_taken_ = false;
};

}  // namespace zentomi
