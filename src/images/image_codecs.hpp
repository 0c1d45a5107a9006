#pragma once

// The per-format decoders behind decode_image. Each returns 8-bit RGBA or the library's
// description of the failure.

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>

#include "images/image_decoding.hpp"
#include "model/image.hpp"

namespace zentomi::codecs {

// Why an image of this size is refused, or nothing when it may be decoded.
std::optional<std::string> refuse_size(std::uint64_t width, std::uint64_t height,
                                       const DecodeLimits& limits);

std::expected<RgbaImage, std::string> decode_jpeg(std::span<const std::uint8_t> data,
                                                  const DecodeLimits& limits);
std::expected<RgbaImage, std::string> decode_png(std::span<const std::uint8_t> data,
                                                 const DecodeLimits& limits);
std::expected<RgbaImage, std::string> decode_webp(std::span<const std::uint8_t> data,
                                                  const DecodeLimits& limits);

}  // namespace zentomi::codecs
