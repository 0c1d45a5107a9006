#pragma once

#include <expected>
#include <string>

#include "draw/canvas.hpp"

namespace zentomi::sim {

// Writes the canvas as an opaque 8-bit RGB PNG, pixel for pixel.
std::expected<void, std::string> write_png(const Canvas& canvas, const std::string& path);

}  // namespace zentomi::sim
