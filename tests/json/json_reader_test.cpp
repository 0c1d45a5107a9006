#include "json/json_reader.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zentomi {
namespace {

bool skips_whole(std::string_view text) {
  JsonReader reader(text);
  return reader.skip_value() && reader.at_end();
}

bool checks_whole(std::string_view text) {
  JsonReader reader(text);
  return reader.check_value() && reader.at_end();
}

TEST(JsonReader, SkipsAnyDepthWithoutRecursion) {
  const std::size_t depth = 200000;
  const std::string nested = std::string(depth, '[') + std::string(depth, ']');
  EXPECT_TRUE(skips_whole(nested));
  EXPECT_FALSE(skips_whole(nested.substr(0, nested.size() - 1)));
  EXPECT_FALSE(skips_whole(nested + "]"));
  std::string objects;
  for (std::size_t i = 0; i < depth; ++i)
    objects += R"({"k":)";
  objects += "1" + std::string(depth, '}');
  EXPECT_TRUE(checks_whole(objects));
}

TEST(JsonReader, CheckingAlsoRefusesWhatCannotBeHeld) {
  for (const char* both : {R"({"a":[1,-2.5e3,true,false,null,"\u00e9\ud83d\ude00"],"b":{}})",
                           "  \t\r\n[ ]  ", "-0", "123456789012345678901234567890"}) {
    EXPECT_TRUE(skips_whole(both)) << both;
    EXPECT_TRUE(checks_whole(both)) << both;
  }
  for (const char* skip_only :
       {"1e400", R"(["\ud800"])", R"({"\udc00":1})", R"("\ud83dx")", R"("\ud83d\u0041")"}) {
    EXPECT_TRUE(skips_whole(skip_only)) << skip_only;
    EXPECT_FALSE(checks_whole(skip_only)) << skip_only;
  }
  for (const char* neither : {"", "[1 2]", R"({"a" 1})", R"({1:2})", "[", "nul", "\"\x01\"",
                              R"("\u12g4")", "-", "1.e5", "1e", "[1,]", R"({"a":1,})", "'a'"}) {
    EXPECT_FALSE(skips_whole(neither)) << neither;
    EXPECT_FALSE(checks_whole(neither)) << neither;
  }
}

TEST(JsonReader, ReadsStringsUnescaped) {
  JsonReader reader(R"( "a\"\\\/\b\f\n\r\t\u00e9\uD83D\uDE00" , 12.5e-1 )");
  EXPECT_EQ(reader.read_string(), "a\"\\/\b\f\n\r\t\xc3\xa9\xf0\x9f\x98\x80");
  EXPECT_TRUE(reader.consume(','));
  EXPECT_EQ(reader.read_number(), "12.5e-1");
  EXPECT_TRUE(reader.at_end());
}

}  // namespace
}  // namespace zentomi
