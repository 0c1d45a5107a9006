// Typed reading of the store files through the one JSON reader. The store's rules sit here: its
// shape, complete records of known members given once, and unknown members skipped whatever
// their value (the reader skips by grammar alone, so even a value it could not hold is skipped).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "json/json_object.hpp"
#include "json/json_reader.hpp"
#include "storage/record_fields.hpp"
#include "storage/store_json.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

template <typename Record>
bool read_field(JsonReader& reader, const RecordField<Record>& field, Record& record) {
  return std::visit(
      [&](auto member) {
        using Value = std::remove_reference_t<decltype(record.*member)>;
        if constexpr (std::is_same_v<Value, std::string>) {
          std::optional<std::string> text = reader.read_string();
          if (!text) return false;
          record.*member = std::move(*text);
          return true;
        } else {
          return read_json_unsigned(reader, record.*member);
        }
      },
      field.member);
}

// One record, an object of all its members or an array of their values in written order.
template <typename Record>
bool read_record(JsonReader& reader, Record& record) {
  static constexpr const auto& FIELDS = record_fields<Record>();
  if (reader.consume('[')) {
    for (std::size_t index = 0; index < FIELDS.size(); ++index) {
      if (index > 0 && !reader.consume(',')) return false;
      if (!read_field(reader, FIELDS[index], record)) return false;
    }
    return reader.consume(']');
  }
  return read_json_object(
      reader, FIELDS.size(), [](std::size_t index) { return FIELDS[index].name; },
      [&](std::size_t index) { return read_field(reader, FIELDS[index], record); });
}

// The store's own container (`open` and `close`), its elements read by `read_element` until it
// closes, then nothing but white space.
template <typename ReadElement>
bool read_store(std::string_view bytes, char open, char close, ReadElement read_element) {
  // The reader takes any bytes; the store must be UTF-8 throughout. A byte-order mark or a NUL
  // byte outside a string breaks the grammar (inside one it would have to be escaped).
  if (!unicode::is_valid_utf8(bytes)) return false;
  JsonReader reader(bytes);
  return read_json_elements(reader, open, close, [&] { return read_element(reader); }) &&
         reader.at_end();
}

}  // namespace

std::optional<HistoryMap> parse_history_json(std::string_view bytes) {
  HistoryMap history;
  const auto read_entry = [&history](JsonReader& reader) {
    // The keys are data, read strictly: a lone surrogate in one fails the store.
    std::optional<std::string> key = reader.read_string();
    if (!key || !reader.consume(':')) return false;
    MangaHistory record;
    if (!read_record(reader, record)) return false;
    // A key given twice is not an error: the later record replaces the earlier.
    history.insert_or_assign(std::move(*key), std::move(record));
    return true;
  };
  if (!read_store(bytes, '{', '}', read_entry)) return std::nullopt;
  return history;
}

std::optional<FavoritesList> parse_favorites_json(std::string_view bytes) {
  FavoritesList favorites;
  const auto read_item = [&favorites](JsonReader& reader) {
    return read_record(reader, favorites.emplace_back());
  };
  if (!read_store(bytes, '[', ']', read_item)) return std::nullopt;
  return favorites;
}

}  // namespace zentomi
