#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>

#include "model/image.hpp"

namespace zentomi {

// No decoded image may be larger than this; bigger ones are refused from their header alone,
// before any pixel buffer exists, so no input can exhaust the handheld's memory.
inline constexpr std::uint32_t MAX_IMAGE_SIDE = 16384;
inline constexpr std::uint64_t MAX_IMAGE_PIXELS = 40'000'000;

// Decodes JPEG, PNG or WebP data held in memory into 8-bit RGBA. The format comes from the data's
// signature, never from a name. The error is the description shown after "Image decode error: ".
std::expected<RgbaImage, std::string> decode_image(std::span<const std::uint8_t> data);

}  // namespace zentomi
