#pragma once

#include <string_view>

namespace zentomi::updater {

// Only http(s) addresses are handed to curl, so no manifest text can be read by curl as an
// option or a local file.
inline bool is_web_url(std::string_view url) {
  return url.starts_with("http://") || url.starts_with("https://");
}

}  // namespace zentomi::updater
