// The written form of the stores is nlohmann/json's two-blank dump of ordered objects: lowercase
// \u00xx escapes for control characters, raw UTF-8 otherwise, "[]" and "{}" when empty.
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "storage/record_fields.hpp"
#include "storage/store_json.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

using OrderedJson = nlohmann::ordered_json;

template <typename Record>
OrderedJson record_json(const Record& record) {
  OrderedJson object = OrderedJson::object();
  for (const auto& field : record_fields<Record>()) {
    std::visit(
        [&](auto member) {
          using Value = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            object[std::string(field.name)] = unicode::sanitize_utf8(record.*member);
          } else {
            object[std::string(field.name)] = record.*member;
          }
        },
        field.member);
  }
  return object;
}

std::string dump(const OrderedJson& document) {
  // The fields are made well-formed above; replacing rather than throwing keeps that a guarantee.
  return document.dump(2, ' ', false, OrderedJson::error_handler_t::replace);
}

}  // namespace

std::string render_history_json(const HistoryMap& history) {
  // Built as a whole member list: inserting members one by one would search the ordered object
  // for each key.
  std::vector<std::pair<const std::string, OrderedJson>> members;
  members.reserve(history.size());
  for (const auto& [key, record] : history) {
    members.emplace_back(unicode::sanitize_utf8(key), record_json(record));
  }
  const OrderedJson document(OrderedJson::object_t(std::make_move_iterator(members.begin()),
                                                   std::make_move_iterator(members.end())));
  return dump(document);
}

std::string render_favorites_json(const FavoritesList& favorites) {
  OrderedJson document = OrderedJson::array();
  for (const MangaItem& item : favorites) {
    document.push_back(record_json(item));
  }
  return dump(document);
}

}  // namespace zentomi
