#pragma once

#include <string_view>

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
};

}  // namespace zentomi
