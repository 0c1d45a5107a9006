#include "storage/ordering.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "unicode/case_mapping.hpp"

namespace zentomi {
namespace {

// Sorts by a key computed once per item; the order is the same as computing it per comparison.
template <typename Key, typename MakeKey, typename Before>
void stable_sort_by(std::vector<MangaItem>& items, MakeKey make_key, Before before) {
  std::vector<std::pair<Key, MangaItem>> keyed;
  keyed.reserve(items.size());
  for (MangaItem& item : items) {
    Key key = make_key(item);
    keyed.emplace_back(std::move(key), std::move(item));
  }
  std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& left, const auto& right) {
    return before(left.first, right.first);
  });
  for (std::size_t index = 0; index < items.size(); ++index) {
    items[index] = std::move(keyed[index].second);
  }
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
