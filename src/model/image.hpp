#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace zentomi {

// Pixels are stored as native 32-bit words that the decoders fill byte by byte.
static_assert(std::endian::native == std::endian::little);

// An allocator whose new elements are left uninitialised: a decoder writes every byte of its
// image, so zero-filling megabytes first would only cost time.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  explicit UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* place) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Arguments>
  void construct(U* place, Arguments&&... arguments) {
    ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
  }
};

// Pixel bytes; resize() leaves the new ones for the decoder to write.
using PixelBuffer = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

// A decoded image: width × height pixels, rows top to bottom, each pixel in the canvas's own
// order, the 32-bit word 0xAARRGGBB in the machine's byte order (bytes blue, green, red, alpha
// on the little-endian processors we run on), so that drawing it is a copy with no conversion.
struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  PixelBuffer pixels;  // width * height * 4 bytes
  // Set by a decoder that knows every alpha is 255 (a JPEG, a PNG or WebP without alpha): such an
  // image is drawn by copying alone. False promises nothing.
  bool opaque = false;
  // The size in the file when the image was decoded smaller to save memory; 0 when decoded
  // at that size.
  std::uint32_t full_width = 0;
  std::uint32_t full_height = 0;

  // The width the picture stands for: what it is drawn at "at its own size".
  std::uint32_t own_width() const { return full_width != 0 ? full_width : width; }
  std::uint32_t own_height() const { return full_height != 0 ? full_height : height; }
};

// A page taller than three times its width: read by scrolling, never drawn wider than the screen.
constexpr bool is_tall_strip(std::uint64_t width, std::uint64_t height) {
  return height > width * 3;
}

// Decoded images are immutable once made, so covers and pages are shared rather than copied
// every frame.
using SharedImage = std::shared_ptr<const RgbaImage>;

}  // namespace zentomi
