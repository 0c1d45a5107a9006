#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace zentomi {

// One rasterised glyph: a width × height coverage bitmap (0 to 255, row 0 at the top) placed
// relative to the pen on the baseline, and the unhinted advance in pixels.
struct Glyph {
  int left = 0;  // columns from the pen to the bitmap's first column
  int top = 0;   // rows from the bitmap's first row up to the baseline
  int width = 0;
  int height = 0;
  float advance = 0;
  std::vector<std::uint8_t> coverage;
};

struct GlyphKey {
  std::uint32_t glyph = 0;
  std::int64_t size_26_6 = 0;  // the pixel size in 1/64 pixels, as the rasteriser receives it
  bool operator==(const GlyphKey&) const = default;
};

struct GlyphKeyHash {
  std::size_t operator()(const GlyphKey& key) const;
};

// Rasterised glyphs by glyph and size, least recently used first out, within a byte budget that
// counts the bitmaps and the bookkeeping of each entry.
class GlyphCache {
 public:
  explicit GlyphCache(std::size_t capacity_bytes) : capacity_bytes_(capacity_bytes) {}

  // The cached glyph, now the most recently used; nullptr when absent. Valid until the next
  // insert.
  const Glyph* find(const GlyphKey& key);
  // Keeps the glyph, evicting the least recently used ones to stay within the budget. nullptr
  // when the glyph alone exceeds the budget and is not kept.
  const Glyph* insert(const GlyphKey& key, Glyph glyph);

  std::size_t used_bytes() const { return used_bytes_; }
  std::size_t capacity_bytes() const { return capacity_bytes_; }
  std::size_t size() const { return entries_.size(); }

  // What keeping a glyph costs against the budget.
  static std::size_t cost(const Glyph& glyph);

 private:
  struct Entry {
    GlyphKey key;
    Glyph glyph;
  };
  using Entries = std::list<Entry>;

  std::size_t capacity_bytes_;
  std::size_t used_bytes_ = 0;
  Entries entries_;  // most recently used first
  std::unordered_map<GlyphKey, Entries::iterator, GlyphKeyHash> index_;
};

}  // namespace zentomi
