#pragma once

#include <cstdint>
#include <span>

extern "C" {
extern const std::uint8_t zentomi_embedded_font_data[];
extern const std::uint64_t zentomi_embedded_font_size;
extern const std::uint8_t zentomi_embedded_fallback_font_data[];
extern const std::uint64_t zentomi_embedded_fallback_font_size;
}

namespace zentomi {

// DejaVu Sans Bold 2.37, the program's font, as built into the executable.
inline std::span<const std::uint8_t> embedded_font_bytes() {
  return {zentomi_embedded_font_data, static_cast<std::size_t>(zentomi_embedded_font_size)};
}

// Symbola 2.60, which draws the symbols DejaVu Sans Bold lacks (✨, 👁, ⏮, 🔄, ❌, ✅,
// 🚀, and the emoji of the site's titles).
inline std::span<const std::uint8_t> embedded_fallback_font_bytes() {
  return {zentomi_embedded_fallback_font_data,
          static_cast<std::size_t>(zentomi_embedded_fallback_font_size)};
}

}  // namespace zentomi
