#pragma once

#include <cstddef>

#include "model/image.hpp"

// Pixel buffers of pages that were let go, kept for the next page: a strip's megabytes would
// otherwise be mapped afresh, and each of their memory pages faulted in, at every decoding.
namespace zentomi::pixel_pool {

// A buffer of `bytes` bytes whose contents are unspecified: the kept one when it is large enough
// and not wastefully larger, otherwise a new one.
PixelBuffer take(std::size_t bytes);

// Keeps a large buffer for a later take. One is kept at most, the newest.
void give_back(PixelBuffer buffer);

// The image made shared; its pixels go back to the pool when its last holder lets go.
SharedImage share(RgbaImage image);

// Lets the kept buffer go (for measuring memory).
void clear();

}  // namespace zentomi::pixel_pool
