// Typed reading of the store files through nlohmann/json's event interface, so that a duplicate
// member can be refused and skipped values are never built into a tree.
#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "storage/record_fields.hpp"
#include "storage/store_json.hpp"
#include "storage/store_tokens.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

using Json = nlohmann::json;

enum class Container : std::uint8_t { Object, Array };

// Nesting levels: 0 outside the document, 1 inside the store's own container, 2 inside one record,
// 3 and deeper inside the value of a member whose name the record does not have.
template <typename Record, typename Sink>
class StoreReader {
 public:
  StoreReader(Container top, Sink sink) : top_(top), sink_(std::move(sink)) {}

  bool null() { return scalar(nullptr, nullptr); }
  bool boolean(bool) { return scalar(nullptr, nullptr); }
  // The lexer gives signed integers only for numbers written with a minus sign, "-0" included.
  bool number_integer(Json::number_integer_t) { return scalar(nullptr, nullptr); }
  bool number_unsigned(Json::number_unsigned_t value) {
    const std::uint64_t number = value;
    return scalar(nullptr, &number);
  }
  // Fractions, exponents and integers past 2^64 - 1 all arrive as floating point.
  bool number_float(Json::number_float_t, const std::string&) { return scalar(nullptr, nullptr); }
  bool string(std::string& value) { return scalar(&value, nullptr); }
  bool binary(Json::binary_t&) { return false; }
  bool start_object(std::size_t) { return open(Container::Object); }
  bool start_array(std::size_t) { return open(Container::Array); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool parse_error(std::size_t, const std::string&, const Json::exception&) { return false; }

  bool key(std::string& name) {
    if (level_ == 1) {
      store_key_ = std::move(name);
      return true;
    }
    if (level_ != 2) return true;
    for (std::size_t index = 0; index < FIELDS.size(); ++index) {
      if (FIELDS[index].name != name) continue;
      if (seen_[index]) return false;
      seen_[index] = true;
      field_ = index;
      skipping_member_ = false;
      return true;
    }
    // Members the record does not have are skipped whatever their value, even when repeated.
    skipping_member_ = true;
    return true;
  }

 private:
  static constexpr const auto& FIELDS = record_fields<Record>();

  bool open(Container container) {
    switch (level_) {
      case 0:
        if (container != top_) return false;
        level_ = 1;
        return true;
      case 1:
        record_ = Record{};
        positional_ = container == Container::Array;
        next_position_ = 0;
        seen_.fill(false);
        skipping_member_ = false;
        level_ = 2;
        return true;
      case 2:
        // Records hold only texts and numbers; only a skipped member may hold a container.
        if (positional_ || !skipping_member_) return false;
        skipping_member_ = false;
        level_ = 3;
        return true;
      default:
        ++level_;
        return true;
    }
  }

  bool close() {
    if (level_ == 2) {
      const bool complete = positional_ ? next_position_ == FIELDS.size() : all_seen();
      if (!complete) return false;
      sink_(std::move(store_key_), std::move(record_));
    }
    --level_;
    return true;
  }

  bool all_seen() const {
    for (const bool seen : seen_) {
      if (!seen) return false;
    }
    return true;
  }

  // A scalar value: `text` for a string, `number` for an unsigned integer, both null otherwise.
  bool scalar(std::string* text, const std::uint64_t* number) {
    if (level_ >= 3) return true;
    if (level_ != 2) return false;  // the store or one of its records is not a container
    std::size_t index = 0;
    if (positional_) {
      if (next_position_ == FIELDS.size()) return false;
      index = next_position_++;
    } else if (skipping_member_) {
      skipping_member_ = false;
      return true;
    } else {
      index = field_;
    }
    return std::visit(
        [&](auto member) {
          using Value = std::remove_reference_t<decltype(record_.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            if (text == nullptr) return false;
            record_.*member = std::move(*text);
          } else {
            if (number == nullptr) return false;
            record_.*member = *number;
          }
          return true;
        },
        FIELDS[index].member);
  }

  Container top_;
  Sink sink_;
  int level_ = 0;
  std::string store_key_;
  Record record_;
  bool positional_ = false;
  std::size_t next_position_ = 0;
  std::array<bool, FIELDS.size()> seen_{};
  std::size_t field_ = 0;
  bool skipping_member_ = false;
};

template <typename Record, typename Sink>
bool read_store(std::string_view bytes, Container top, Sink sink) {
  if (!unicode::is_valid_utf8(bytes)) return false;
  // nlohmann/json would skip a byte-order mark, and it takes a NUL byte for the end of the input
  // (ignoring what follows). Neither belongs in a store; inside a string a NUL is written \u0000.
  if (bytes.starts_with("\xEF\xBB\xBF")) return false;
  if (bytes.find('\0') != std::string_view::npos) return false;
  // Unknown members are skipped whatever their value, even one the library cannot represent.
  const std::optional<std::string> neutralized = neutralize_unreadable_tokens(bytes);
  const std::string_view document = neutralized ? std::string_view(*neutralized) : bytes;
  StoreReader<Record, Sink> reader(top, std::move(sink));
  try {
    return Json::sax_parse(document.begin(), document.end(), &reader, Json::input_format_t::json,
                           /*strict=*/true, /*ignore_comments=*/false);
  } catch (const Json::exception&) {
    return false;
  }
}

}  // namespace

std::optional<HistoryMap> parse_history_json(std::string_view bytes) {
  HistoryMap history;
  // A key given twice is not an error: the later record replaces the earlier.
  const auto sink = [&history](std::string key, MangaHistory record) {
    history.insert_or_assign(std::move(key), std::move(record));
  };
  if (!read_store<MangaHistory>(bytes, Container::Object, sink)) return std::nullopt;
  return history;
}

std::optional<FavoritesList> parse_favorites_json(std::string_view bytes) {
  FavoritesList favorites;
  const auto sink = [&favorites](const std::string&, MangaItem item) {
    favorites.push_back(std::move(item));
  };
  if (!read_store<MangaItem>(bytes, Container::Array, sink)) return std::nullopt;
  return favorites;
}

}  // namespace zentomi
