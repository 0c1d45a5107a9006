#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zentomi {

// How many first bytes tell a page image from anything else.
inline constexpr std::size_t IMAGE_SIGNATURE_BYTES = 12;

// Whether the bytes begin like a JPEG, PNG or WebP image, the formats a page can be. Names and
// extensions are never looked at: cards are full of "PAGE01.JPG", "001.jpeg" and files without
// any extension.
bool is_image_signature(std::span<const std::uint8_t> head);
// The extension a page with this signature is stored under: "jpg", "png" or "webp".
std::optional<std::string_view> image_signature_extension(std::span<const std::uint8_t> head);

}  // namespace zentomi
