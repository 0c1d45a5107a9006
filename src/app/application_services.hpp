#pragma once

#include "images/cover_cache.hpp"
#include "library/downloads.hpp"
#include "screens/common/layout_services.hpp"
#include "storage/store.hpp"

namespace zentomi {

// The layouts' view of the favourites, the cover cache and the downloads.
class ApplicationServices final : public LayoutServices {
 public:
  ApplicationServices(Store& store, CoverCache& covers, const Downloads& downloads)
      : store_(store), covers_(covers), downloads_(downloads) {}
  bool is_favorite(std::string_view url) override { return store_.is_favorite(url); }
  SharedImage get_thumbnail(std::string_view url) override { return covers_.get_thumbnail(url); }
  ChapterDownloadStatus download_status(std::string_view chapter_url) override {
    return downloads_.status(chapter_url);
  }
  DownloadSummary download_summary() override { return downloads_.summary(); }
  std::optional<std::string> download_stop_message() override { return downloads_.stop_message(); }

 private:
  Store& store_;
  CoverCache& covers_;
  const Downloads& downloads_;
};

}  // namespace zentomi
