#include "library/local_image_signature.hpp"

#include <algorithm>
#include <string_view>

namespace zentomi {
namespace {

using namespace std::string_view_literals;

bool has(std::span<const std::uint8_t> data, std::size_t offset, std::string_view bytes) {
  return data.size() >= offset + bytes.size() &&
         std::equal(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

}  // namespace

bool is_image_signature(std::span<const std::uint8_t> head) {
  return image_signature_extension(head).has_value();
}

std::optional<std::string_view> image_signature_extension(std::span<const std::uint8_t> head) {
  if (has(head, 0, "\xFF\xD8\xFF"sv)) return "jpg";
  if (has(head, 0, "\x89PNG\r\n\x1a\n"sv)) return "png";
  if (has(head, 0, "RIFF"sv) && has(head, 8, "WEBP"sv)) return "webp";
  return std::nullopt;
}

}  // namespace zentomi
