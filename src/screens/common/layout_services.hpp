#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "library/downloads.hpp"
#include "model/image.hpp"

namespace zentomi {

// What the screen layouts ask of the rest of the program while drawing. The application provides
// it from the stores and the cover cache; tests pass fakes.
class LayoutServices {
 public:
  virtual ~LayoutServices() = default;
  virtual bool is_favorite(std::string_view url) = 0;
  // The decoded cover, or null when it is not cached yet (asking for it requests it).
  virtual SharedImage get_thumbnail(std::string_view url) = 0;
  // What the card and the download queue hold of a chapter, and the queue at a glance; nothing
  // where downloads are not kept.
  virtual ChapterDownloadStatus download_status(std::string_view /*chapter_url*/) { return {}; }
  virtual DownloadSummary download_summary() { return {}; }
  virtual std::optional<std::string> download_stop_message() { return std::nullopt; }
};

}  // namespace zentomi
