#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "draw/palette.hpp"

namespace zentomi {

// What one line of text left on a plain background: the box its glyphs covered, placed relative
// to the line's (x, y), and the pixels of that box after blending, background included.
struct DrawnLine {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint32_t> pixels;
};

// Everything a drawn line's pixels depend on besides the font: the text, its size, ink and
// background, and how far from its x it is clipped and stopped.
struct DrawnLineKey {
  std::string_view text;
  float size = 0;
  Color color = 0;
  Color background = 0;
  std::int64_t clip_room = 0;  // columns from x at and right of which nothing is drawn
  // Glyphs whose pen starts this far from x or further are not drawn. A line of whole glyphs
  // (none past its clip) has no such limit, and this tells it from one clipped at the same place.
  std::int64_t pen_room = 0;
  bool operator==(const DrawnLineKey&) const = default;
};

// Lines of text drawn lately, least recently used first out, within a byte budget: a list redrawn
// every frame copies its rows instead of blending every glyph again. A capacity of 0 keeps none.
class DrawnLines {
 public:
  explicit DrawnLines(std::size_t capacity_bytes) : capacity_bytes_(capacity_bytes) {}

  // The kept line, now the most recently used; nullptr when absent. Valid until the next insert.
  const DrawnLine* find(const DrawnLineKey& key);
  // Keeps the line (the key's text is copied), evicting the least recently used ones to stay
  // within the budget; nullptr when the line alone exceeds it and is not kept.
  const DrawnLine* insert(const DrawnLineKey& key, DrawnLine line);

  std::size_t used_bytes() const { return used_bytes_; }
  std::size_t capacity_bytes() const { return capacity_bytes_; }
  std::size_t size() const { return entries_.size(); }

  static std::size_t cost(std::string_view text, const DrawnLine& line);

 private:
  struct Entry {
    std::string text;  // what the key's view looks at
    DrawnLineKey key;
    DrawnLine line;
  };
  using Entries = std::list<Entry>;

  static std::size_t hash(const DrawnLineKey& key);
  void evict_oldest();

  std::size_t capacity_bytes_;
  std::size_t used_bytes_ = 0;
  Entries entries_;  // most recently used first
  std::unordered_multimap<std::size_t, Entries::iterator> index_;
};

}  // namespace zentomi
