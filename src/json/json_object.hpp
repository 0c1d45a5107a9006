#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "json/json_reader.hpp"

namespace zentomi {

// Reads one object that holds each of `count` known members (at most 64) exactly once, in any
// order: `name_of(i)` names known member i and `read_value(i)` reads its value. A member of any
// other name is skipped whatever its value; a known one given twice, or missing, fails the object.
bool read_json_object(JsonReader& reader, std::size_t count,
                      const std::function<std::string_view(std::size_t)>& name_of,
                      const std::function<bool(std::size_t)>& read_value);

// The elements between `open` and `close` (an array, or an object whose names are data), each
// read by `read_element`, with commas between them; an empty container holds none.
bool read_json_elements(JsonReader& reader, char open, char close,
                        const std::function<bool()>& read_element);

// A whole number from 0 to 2^64 - 1, written with digits only (no sign, fraction or exponent).
bool read_json_unsigned(JsonReader& reader, std::uint64_t& value);

}  // namespace zentomi
