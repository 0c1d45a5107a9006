#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace zentomi {

// Lets a map or set of strings be searched with a string_view (with std::equal_to<>), without
// building a string for every look-up.
struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};

}  // namespace zentomi
