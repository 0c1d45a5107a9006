#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "model/string_hash.hpp"

namespace zentomi {

// Covers asked for and not served yet. The drawing code asks for every visible cover on every
// frame it draws; the worker takes the newest request first, and a request the last drawn frame
// did not ask for again is dropped. After a long scroll the covers on screen come at once instead
// of after every cover scrolled past. A screen at rest draws no frame and so drops nothing.
class CoverRequests {
 public:
  // True when the URL was neither asked for nor being served; it is then queued.
  bool ask(std::string_view url);
  // Called before a frame is drawn: what the frame before it did not ask for is dropped.
  void begin_frame();
  // Waits for the newest request and marks it served; nothing once closed.
  std::optional<std::string> take();
  // The served URL may be asked for again.
  void done(std::string_view url);
  // Ends take() now, leaving what is still queued.
  void close();
  // Queued and being served.
  std::size_t size() const;

 private:
  struct Asked {
    std::uint64_t frame;
    std::uint64_t order;
  };
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::unordered_map<std::string, Asked, StringHash, std::equal_to<>> queued_;
  std::unordered_set<std::string, StringHash, std::equal_to<>> serving_;
  std::uint64_t frame_ = 0;
  std::uint64_t order_ = 0;
  bool closed_ = false;
};

}  // namespace zentomi
