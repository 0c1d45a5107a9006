#pragma once

#include "images/cover_cache.hpp"
#include "screens/common/layout_services.hpp"
#include "storage/store.hpp"

namespace zentomi {

// The layouts' view of the favourites and the cover cache.
class ApplicationServices final : public LayoutServices {
 public:
  ApplicationServices(Store& store, CoverCache& covers) : store_(store), covers_(covers) {}
  bool is_favorite(std::string_view url) override { return store_.is_favorite(url); }
  SharedImage get_thumbnail(std::string_view url) override { return covers_.get_thumbnail(url); }

 private:
  Store& store_;
  CoverCache& covers_;
};

}  // namespace zentomi
