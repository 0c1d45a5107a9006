#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace zentomi {

// Every transfer runs the external `curl`; both block the calling (job) thread until it exits.
// The error texts are shown to the user and logged as they are.
std::expected<std::string, std::string> fetch_text(std::string_view url);
// The body is never empty on success.
std::expected<std::vector<std::uint8_t>, std::string> fetch_bytes(std::string_view url);

}  // namespace zentomi
