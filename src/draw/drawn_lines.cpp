#include "draw/drawn_lines.hpp"

#include <bit>
#include <functional>
#include <utility>

namespace zentomi {
namespace {
// A list node, a hash node and the allocator's headers, roughly.
constexpr std::size_t ENTRY_OVERHEAD = 160;

std::size_t mix(std::size_t seed, std::uint64_t value) {
  return seed ^
         (std::hash<std::uint64_t>{}(value) + 0x9E3779B97F4A7C15u + (seed << 6) + (seed >> 2));
}
}  // namespace

std::size_t DrawnLines::hash(const DrawnLineKey& key) {
  std::size_t seed = std::hash<std::string_view>{}(key.text);
  seed = mix(seed, std::bit_cast<std::uint32_t>(key.size));
  seed = mix(seed, (std::uint64_t{key.color} << 32) | key.background);
  seed = mix(seed, static_cast<std::uint64_t>(key.clip_room));
  return mix(seed, static_cast<std::uint64_t>(key.pen_room));
}

std::size_t DrawnLines::cost(std::string_view text, const DrawnLine& line) {
  return sizeof(Entry) + ENTRY_OVERHEAD + text.size() + line.pixels.size() * sizeof(std::uint32_t);
}

const DrawnLine* DrawnLines::find(const DrawnLineKey& key) {
  if (entries_.empty()) return nullptr;
  const auto [first, last] = index_.equal_range(hash(key));
  for (auto found = first; found != last; ++found) {
    if (found->second->key == key) {
      entries_.splice(entries_.begin(), entries_, found->second);
      return &found->second->line;
    }
  }
  return nullptr;
}

void DrawnLines::evict_oldest() {
  const Entry& oldest = entries_.back();
  used_bytes_ -= cost(oldest.text, oldest.line);
  const auto [first, last] = index_.equal_range(hash(oldest.key));
  for (auto found = first; found != last; ++found) {
    if (&*found->second == &oldest) {
      index_.erase(found);
      break;
    }
  }
  entries_.pop_back();
}

const DrawnLine* DrawnLines::insert(const DrawnLineKey& key, DrawnLine line) {
  const std::size_t needed = cost(key.text, line);
  if (needed > capacity_bytes_) return nullptr;
  while (used_bytes_ + needed > capacity_bytes_)
    evict_oldest();
  entries_.push_front(Entry{std::string(key.text), key, std::move(line)});
  Entry& entry = entries_.front();
  entry.key.text = entry.text;
  index_.emplace(hash(entry.key), entries_.begin());
  used_bytes_ += needed;
  return &entry.line;
}

}  // namespace zentomi
