#include "json/json_object.hpp"

#include <charconv>
#include <optional>
#include <string>
#include <system_error>

namespace zentomi {

bool read_json_object(JsonReader& reader, std::size_t count,
                      const std::function<std::string_view(std::size_t)>& name_of,
                      const std::function<bool(std::size_t)>& read_value) {
  constexpr std::size_t MOST_MEMBERS = 64;
  if (count > MOST_MEMBERS) return false;
  std::uint64_t seen = 0;
  const bool read = read_json_elements(reader, '{', '}', [&] {
    // A name holding a lone surrogate reads with U+FFFD in its place, so it is never known.
    const std::optional<std::string> name = reader.read_name();
    if (!name || !reader.consume(':')) return false;
    std::size_t index = 0;
    while (index < count && name_of(index) != *name)
      ++index;
    if (index == count) return reader.skip_value();
    const std::uint64_t bit = std::uint64_t{1} << index;
    if ((seen & bit) != 0) return false;
    seen |= bit;
    return read_value(index);
  });
  const std::uint64_t all =
      count == MOST_MEMBERS ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
  return read && seen == all;
}

bool read_json_elements(JsonReader& reader, char open, char close,
                        const std::function<bool()>& read_element) {
  if (!reader.consume(open)) return false;
  if (reader.consume(close)) return true;
  do {
    if (!read_element()) return false;
  } while (reader.consume(','));
  return reader.consume(close);
}

bool read_json_unsigned(JsonReader& reader, std::uint64_t& value) {
  const std::optional<std::string_view> number = reader.read_number();
  if (!number || number->starts_with('-') || !is_json_integer(*number)) return false;
  const auto [end, error] = std::from_chars(number->data(), number->data() + number->size(), value);
  return error == std::errc() && end == number->data() + number->size();
}

}  // namespace zentomi
