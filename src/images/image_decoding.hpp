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

// A progressive JPEG may repeat scans without end, and a scan can cost a pass over every
// coefficient of the image, so the scans allowed shrink as the image grows: scans x pixels stays
// within the caller's budget, and the count never exceeds this.
inline constexpr int MAX_JPEG_SCANS = 1000;

// How much work a caller accepts, checked before (sizes) or as (scans) the pixels are decoded.
struct DecodeLimits {
  std::uint32_t max_side = MAX_IMAGE_SIDE;
  std::uint64_t max_pixels = MAX_IMAGE_PIXELS;
  std::uint64_t max_scan_pixels = 400'000'000;  // the usual 10 scans at the largest size
};

// Chapter pages may be long strips. A cover is drawn a few hundred pixels tall, so a bigger one
// is refused rather than costing its decoding time and memory (16 MB of pixels at most), and it
// may have fewer scans: 25 at its largest, 250 at 400,000 pixels.
inline constexpr DecodeLimits PAGE_LIMITS{};
inline constexpr DecodeLimits COVER_LIMITS{MAX_IMAGE_SIDE, 4'000'000, 100'000'000};

// Decodes JPEG, PNG or WebP data held in memory into pixels in the canvas order (see RgbaImage).
// The format comes from the data's signature, never from a name. The error is the description shown
// after "Image decode error: ".
std::expected<RgbaImage, std::string> decode_image(std::span<const std::uint8_t> data,
                                                   const DecodeLimits& limits = PAGE_LIMITS);

}  // namespace zentomi
