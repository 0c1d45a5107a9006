// Image decoding must refuse or decode any byte string without crashing, and whatever it decodes
// must be within the size limits with exactly width * height * 4 bytes of pixels.
#include <cstddef>
#include <cstdint>
#include <span>

#include "images/image_decoding.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = zentomi::decode_image(std::span(data, size));
  if (!image) {
    if (image.error().empty()) __builtin_trap();
    return 0;
  }
  if (image->width == 0 || image->height == 0) __builtin_trap();
  if (image->width > zentomi::MAX_IMAGE_SIDE || image->height > zentomi::MAX_IMAGE_SIDE)
    __builtin_trap();
  if (std::uint64_t{image->width} * image->height > zentomi::MAX_IMAGE_PIXELS) __builtin_trap();
  if (image->pixels.size() != std::size_t{image->width} * image->height * 4) __builtin_trap();
  return 0;
}
