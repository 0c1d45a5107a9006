#include "draw/glyph_cache.hpp"

#include <functional>
#include <utility>

namespace zentomi {
namespace {
// A list node, a hash node and the allocator's headers, roughly.
constexpr std::size_t ENTRY_OVERHEAD = 128;
}  // namespace

std::size_t GlyphKeyHash::operator()(const GlyphKey& key) const {
  return std::hash<std::uint64_t>{}(static_cast<std::uint64_t>(key.size_26_6) << 32 ^ key.glyph);
}

std::size_t GlyphCache::cost(const Glyph& glyph) {
  return sizeof(Entry) + ENTRY_OVERHEAD + glyph.coverage.capacity();
}

const Glyph* GlyphCache::find(const GlyphKey& key) {
  const auto found = index_.find(key);
  if (found == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found->second);
  return &found->second->glyph;
}

const Glyph* GlyphCache::insert(const GlyphKey& key, Glyph glyph) {
  const std::size_t needed = cost(glyph);
  if (needed > capacity_bytes_) return nullptr;
  if (const auto found = index_.find(key); found != index_.end()) {
    used_bytes_ -= cost(found->second->glyph);
    entries_.erase(found->second);
    index_.erase(found);
  }
  while (used_bytes_ + needed > capacity_bytes_) {
    const Entry& oldest = entries_.back();
    used_bytes_ -= cost(oldest.glyph);
    index_.erase(oldest.key);
    entries_.pop_back();
  }
  entries_.push_front(Entry{key, std::move(glyph)});
  index_.emplace(key, entries_.begin());
  used_bytes_ += needed;
  return &entries_.front().glyph;
}

}  // namespace zentomi
