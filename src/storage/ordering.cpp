#include "storage/ordering.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "unicode/case_mapping.hpp"

namespace zentomi {
namespace {

// Sorts by a key computed once per item (the order is the same as computing it per comparison).
// Ties are broken by the present position, which makes the sort stable without std::stable_sort
// and its deprecated temporary buffer.
template <typename Key, typename MakeKey, typename Before>
void stable_sort_by(std::vector<MangaItem>& items, MakeKey make_key, Before before) {
  std::vector<std::pair<Key, std::size_t>> keyed;
  keyed.reserve(items.size());
  for (std::size_t index = 0; index < items.size(); ++index) {
    keyed.emplace_back(make_key(items[index]), index);
  }
  std::sort(keyed.begin(), keyed.end(), [&](const auto& left, const auto& right) {
    if (before(left.first, right.first)) return true;
    if (before(right.first, left.first)) return false;
    return left.second < right.second;
  });
  std::vector<MangaItem> sorted;
  sorted.reserve(items.size());
  for (const auto& [key, index] : keyed)
    sorted.push_back(std::move(items[index]));
  items = std::move(sorted);
}

}  // namespace

void apply_sort(std::vector<MangaItem>& displayed, const std::vector<MangaItem>& source,
                SortMode mode) {
  switch (mode) {
    case SortMode::Latest:
      displayed = source;
      return;
    case SortMode::Views:
      stable_sort_by<std::uint64_t>(
          displayed, [](const MangaItem& item) { return parse_views(item.views); },
          [](std::uint64_t left, std::uint64_t right) { return left > right; });
      return;
    case SortMode::NameAZ:
      // std::string compares its bytes as unsigned char: code point order for UTF-8.
      stable_sort_by<std::string>(
          displayed, [](const MangaItem& item) { return unicode::to_lower(item.title); },
          [](const std::string& left, const std::string& right) { return left < right; });
      return;
  }
}

SortMode next_sort_mode(SortMode mode) {
  switch (mode) {
    case SortMode::Latest:
      return SortMode::Views;
    case SortMode::Views:
      return SortMode::NameAZ;
    case SortMode::NameAZ:
      return SortMode::Latest;
  }
  return SortMode::Latest;
}

}  // namespace zentomi
