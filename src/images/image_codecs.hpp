#pragma once

// The per-format decoders behind decode_image. Each returns pixels in the canvas order (see
// RgbaImage) or the library's description of the failure.

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "images/image_decoding.hpp"
#include "model/image.hpp"

namespace zentomi::codecs {

// Why an image of this size is refused, or nothing when it may be decoded.
std::optional<std::string> refuse_size(std::uint64_t width, std::uint64_t height,
                                       const DecodeLimits& limits);

// Why a file of `file_bytes` bytes cannot hold the image its header declares, or nothing when it
// may: at most `pixels_per_byte` pixels can be packed into one byte of the format. Checked
// before the pixels are allocated, so a tiny file declaring a huge image costs no memory.
std::optional<std::string> refuse_unfillable(std::string_view format, std::uint64_t pixels,
                                             std::uint64_t file_bytes,
                                             std::uint64_t pixels_per_byte);

std::expected<RgbaImage, std::string> decode_jpeg(std::span<const std::uint8_t> data,
                                                  const DecodeLimits& limits);
std::expected<RgbaImage, std::string> decode_png(std::span<const std::uint8_t> data,
                                                 const DecodeLimits& limits);
std::expected<RgbaImage, std::string> decode_webp(std::span<const std::uint8_t> data,
                                                  const DecodeLimits& limits);

}  // namespace zentomi::codecs
