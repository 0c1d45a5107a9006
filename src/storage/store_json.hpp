#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "storage/store_paths.hpp"

namespace zentomi {

// The two store files as text. Parsing takes any bytes and gives nothing unless the whole
// document is a valid store: UTF-8 without a byte-order mark, one JSON value of the store's shape
// with only white space around it, every record complete, no known member twice in a record, the
// integers unsigned 64-bit. A record may also be an array of its member values in written order.
std::optional<HistoryMap> parse_history_json(std::string_view bytes);
std::optional<FavoritesList> parse_favorites_json(std::string_view bytes);

// The written form: two-blank indentation, members in record order, raw UTF-8, "{}" and "[]" when
// empty, no final line feed. Ill-formed UTF-8 in a field is written as U+FFFD; rendering never
// throws for any content.
std::string render_history_json(const HistoryMap& history);
std::string render_favorites_json(const FavoritesList& favorites);

}  // namespace zentomi
