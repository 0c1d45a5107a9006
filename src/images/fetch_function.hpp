#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentomi {

// How image bytes are fetched: fetch_bytes in the product, a fake in tests.
using FetchBytes =
    std::function<std::expected<std::vector<std::uint8_t>, std::string>(std::string_view)>;

}  // namespace zentomi
