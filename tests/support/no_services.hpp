#pragma once

#include <string_view>

#include "screens/common/layout_services.hpp"

namespace zentomi::testing {

// Layout services with no favourites and no covers, for frames that need neither.
class NoServices final : public LayoutServices {
 public:
  bool is_favorite(std::string_view) override { return false; }
  SharedImage get_thumbnail(std::string_view) override { return nullptr; }
};

}  // namespace zentomi::testing
