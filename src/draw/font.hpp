#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <span>
#include <string>

#include "draw/drawn_lines.hpp"
#include "draw/glyph_cache.hpp"

namespace zentomi {

// Sizes the text functions accept: above 0 and up to this many pixels. Larger ones would need
// glyph bitmaps of many megabytes and draw nothing instead.
inline constexpr float MAX_TEXT_SIZE = 2048.0f;

inline bool usable_text_size(float size) {
  return size > 0.0f && size <= MAX_TEXT_SIZE;
}

// A parsed TrueType font, with an optional fallback font for the code points it lacks,
// rasterised unhinted at fractional pixel sizes. Used by the main thread
// only. Keeps recently drawn glyphs, measured advances and lines drawn on plain backgrounds in
// caches of bounded size; a capacity of 0 turns them off, which changes nothing drawn or measured.
class Font {
 public:
  static constexpr std::size_t DEFAULT_CACHE_BYTES = std::size_t{4} * 1024 * 1024;

  // Parses the font from memory, which must outlive the font. The error is "Failed to load
  // embedded font: " and the parser's description.
  static std::expected<Font, std::string> load(std::span<const std::uint8_t> bytes,
                                               std::size_t cache_bytes = DEFAULT_CACHE_BYTES);
  // As above, with a second font whose glyphs stand in for the code points the first lacks.
  static std::expected<Font, std::string> load(std::span<const std::uint8_t> bytes,
                                               std::span<const std::uint8_t> fallback_bytes,
                                               std::size_t cache_bytes = DEFAULT_CACHE_BYTES);
  // The fonts built into the program, the second as the fallback.
  static std::expected<Font, std::string> load_embedded(
      std::size_t cache_bytes = DEFAULT_CACHE_BYTES);

  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;
  ~Font();

  // The glyphs of the main font.
  std::size_t glyph_count() const;
  // The glyph of a code point: the main font's, else the fallback's, else 0, the main font's
  // missing-glyph shape.
  std::uint32_t glyph_index(char32_t code_point) const;
  // The unhinted advance in pixels, from the metrics alone. 0 for an unusable size.
  float advance(std::uint32_t glyph, float size);
  // Columns that any glyph's bitmap may reach left of its pen at this size, from the font's
  // overall bounding box, with a column to spare for rounding. 0 for an unusable size.
  int left_overhang(float size) const;
  // The rasterised glyph at a usable size; empty when the rasteriser fails. Valid until the next
  // call of glyph().
  const Glyph& glyph(std::uint32_t glyph, float size);

  const GlyphCache& cache() const;
  // Lines of text drawn lately, for the text functions.
  DrawnLines& drawn_lines();

 private:
  struct Parts;
  explicit Font(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

}  // namespace zentomi
