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

// A page's decoded pixels may take at most this much memory; the reader holds two pages.
inline constexpr std::uint64_t PAGE_BUDGET_BYTES = std::uint64_t{96} << 20;
// No file format we read holds a wider image than JPEG's 65535; a PNG may declare one, and its
// rows alone would then take gigabytes.
inline constexpr std::uint32_t MAX_PAGE_WIDTH = 65535;
// A page is never decoded narrower than an eighth of its width (JPEG's smallest scaled decoding).
inline constexpr std::uint32_t MAX_PAGE_REDUCTION = 8;

// How much work a caller accepts, checked before (sizes) or as (scans) the pixels are decoded.
struct DecodeLimits {
  std::uint32_t max_side = MAX_IMAGE_SIDE;
  std::uint64_t max_pixels = MAX_IMAGE_PIXELS;
  std::uint64_t max_scan_pixels = 400'000'000;  // the usual 10 scans at the largest size
  // When set, the size bounds above give way to a budget of decoded bytes: a tall strip wider
  // than `drawn_width` (its widest drawing) is decoded at that width, and any image whose pixels
  // would exceed the budget is decoded narrower, to fit.
  std::uint64_t budget_bytes = 0;
  std::uint32_t drawn_width = 0;  // 0: the image's own width
};

// Chapter pages may be long strips of any height, read within the budget; their scans are bounded
// by the pixels of the file, ten passes over the largest strips. A cover is drawn a few hundred
// pixels tall, so a bigger one is refused rather than costing its decoding time and memory (16 MB
// of pixels at most), and it may have fewer scans: 25 at its largest, 250 at 400,000 pixels.
inline constexpr DecodeLimits PAGE_LIMITS{MAX_IMAGE_SIDE, MAX_IMAGE_PIXELS, 4'000'000'000,
                                          PAGE_BUDGET_BYTES, 0};
inline constexpr DecodeLimits COVER_LIMITS{MAX_IMAGE_SIDE, 4'000'000, 100'000'000};

// The page limits for a reader that draws strips at most `drawn_width` pixels wide.
constexpr DecodeLimits page_limits(std::uint32_t drawn_width) {
  DecodeLimits limits = PAGE_LIMITS;
  limits.drawn_width = drawn_width;
  return limits;
}

struct DecodedSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The height of an image of `width` x `height` decoded `decoded_width` wide, rounded up as
// libjpeg rounds its scaled sizes.
std::uint32_t scaled_height(std::uint64_t width, std::uint64_t height, std::uint64_t decoded_width);

// The size an image of `width` x `height` is decoded at within `limits`, or why it is refused.
// Without a budget that is its own size, when within the side and pixel bounds.
std::expected<DecodedSize, std::string> decoded_size(std::uint64_t width, std::uint64_t height,
                                                     const DecodeLimits& limits);

// True when `size` may be decoded within the limits' budget (always true without one).
bool within_budget(DecodedSize size, const DecodeLimits& limits);

// Decodes JPEG, PNG or WebP data held in memory into pixels in the canvas order (see RgbaImage).
// The format comes from the data's signature, never from a name. The error is the description shown
// after "Image decode error: ".
std::expected<RgbaImage, std::string> decode_image(std::span<const std::uint8_t> data,
                                                   const DecodeLimits& limits = PAGE_LIMITS);

}  // namespace zentomi
