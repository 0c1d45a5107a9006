#pragma once

#include <expected>
#include <functional>
#include <string>
#include <string_view>

namespace zentomi {

// How a page's text is fetched: fetch_text in the product, a fake in tests.
using FetchText = std::function<std::expected<std::string, std::string>(std::string_view)>;

}  // namespace zentomi
