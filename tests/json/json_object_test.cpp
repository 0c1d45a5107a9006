#include "json/json_object.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace zentomi {
namespace {

// Reads {"a": number, "b": string} and gives what was read, or "refused".
std::string read_ab(std::string_view text) {
  static constexpr std::array<std::string_view, 2> NAMES{"a", "b"};
  std::uint64_t a = 0;
  std::string b;
  JsonReader reader(text);
  const bool read = read_json_object(
      reader, NAMES.size(), [](std::size_t index) { return NAMES[index]; },
      [&](std::size_t index) {
        if (index == 0) return read_json_unsigned(reader, a);
        auto value = reader.read_string();
        if (value) b = *value;
        return value.has_value();
      });
  if (!read || !reader.at_end()) return "refused";
  return std::to_string(a) + "," + b;
}

TEST(JsonObject, EveryKnownMemberOnceAndUnknownOnesSkipped) {
  const struct {
    std::string_view text;
    std::string read;
  } cases[] = {
      {R"({"a":7,"b":"x"})", "7,x"},
      {R"( { "b" : "y" , "a" : 18446744073709551615 } )", "18446744073709551615,y"},
      {R"({"z":1e400,"a":1,"\ud800":[{}],"b":"","z":null})", "1,"},
      {R"({"a":1})", "refused"},                // one missing
      {R"({"a":1,"b":"x","a":2})", "refused"},  // a known one twice
      {R"({})", "refused"},
      {R"({"a":-1,"b":"x"})", "refused"},   // no sign
      {R"({"a":1.0,"b":"x"})", "refused"},  // whole numbers only
      {R"({"a":18446744073709551616,"b":"x"})", "refused"},
      {R"({"a":1,"b":"x",})", "refused"},
      {R"({"a":1,"b":"x")", "refused"},
      {R"(["a",1])", "refused"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(read_ab(c.text), c.read) << c.text;
}

TEST(JsonObject, ElementsBetweenTheirBrackets) {
  const struct {
    std::string_view text;
    int count;  // -1: refused
  } cases[] = {{"[]", 0},   {" [ 1 , 2,3 ] ", 3}, {"[1,]", -1},
               {"[,]", -1}, {"[1 2]", -1},        {"[1", -1}};
  for (const auto& c : cases) {
    JsonReader reader(c.text);
    int count = 0;
    const bool read = read_json_elements(reader, '[', ']', [&] {
      ++count;
      return reader.read_number().has_value();
    });
    EXPECT_EQ(read && reader.at_end() ? count : -1, c.count) << c.text;
  }
}

}  // namespace
}  // namespace zentomi
