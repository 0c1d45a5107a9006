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

TEST(JsonReader, ABrokenEscapeAfterASurrogateIsNeverSkipped) {
  // Skipping reads no surrogate pairs, but the escape after a surrogate keeps the grammar.
  for (const char* broken :
       {R"(["\uD800\u"])", R"(["\uD800\u1"])", R"(["\uD800\u1x"])", R"(["\uD834\uDd"])",
        R"(["\uD800\uD800\x"])", R"(["\udc00\q"])", "[\"\\ud800\t\"]", R"({"\uD800\u":1})"}) {
    EXPECT_FALSE(skips_whole(broken)) << broken;
    EXPECT_FALSE(checks_whole(broken)) << broken;
    // Nor read, as a value or as a name.
    JsonReader reader(broken);
    EXPECT_TRUE(reader.consume(reader.peek().value_or('?')));
    EXPECT_FALSE(reader.read_string()) << broken;
    JsonReader names(broken);
    EXPECT_TRUE(names.consume(names.peek().value_or('?')));
    EXPECT_FALSE(names.read_name()) << broken;
  }
  // A well-formed string ends at its quote: what follows is the next token.
  for (const char* run_on : {R"(["\ud800"5])", R"(["\ud800".5])", R"([1e400.5])"}) {
    EXPECT_FALSE(skips_whole(run_on)) << run_on;
    EXPECT_FALSE(checks_whole(run_on)) << run_on;
  }
}

TEST(JsonReader, NamesReadLoneSurrogatesAsReplacementCharacters) {
  JsonReader reader(R"("\ud800" "a\udc00\ud83d\ude00b" "\uD800\u0041" "\ud800\ud800" "\u00e9")");
  EXPECT_EQ(reader.read_name(), "\uFFFD");
  EXPECT_EQ(reader.read_name(), "a\uFFFD\U0001F600b");
  EXPECT_EQ(reader.read_name(), "\uFFFDA");
  EXPECT_EQ(reader.read_name(), "\uFFFD\uFFFD");
  EXPECT_EQ(reader.read_name(), "é");
  EXPECT_TRUE(reader.at_end());
  for (const char* broken : {R"("\ud800)", R"("a\u00")", "\"a\tb\"", "x"}) {
    JsonReader names(broken);
    EXPECT_FALSE(names.read_name()) << broken;
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
