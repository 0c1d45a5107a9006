#pragma once

#include <string>
#include <string_view>

#include "model/site_origin.hpp"

namespace zentomi {

// Every scraper request presents itself as this desktop browser.
// clang-format off
inline constexpr std::string_view BROWSER_USER_AGENT = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 Safari/537.36";
// clang-format on
static_assert(BROWSER_USER_AGENT.size() == 111);

// The site's current origin followed by a site-relative path such as "/trang-chu".
inline std::string site_url(std::string_view path) {
  return site_origin() + std::string(path);
}

}  // namespace zentomi
