#include <gtest/gtest.h>

#include "unicode/case_mapping.hpp"
#include "unicode/white_space.hpp"

namespace zentomi::unicode {
namespace {

TEST(WhiteSpace, IsTheUnicodePropertyNotJustAscii) {
  for (char32_t c : {U'\t', U'\n', U'\v', U'\f', U'\r', U' ', U'\u0085', U'\u00A0', U'\u1680',
                     U'\u2000', U'\u200A', U'\u2028', U'\u2029', U'\u202F', U'\u205F', U'\u3000'}) {
    EXPECT_TRUE(is_white_space(c)) << static_cast<unsigned>(c);
  }
  for (char32_t c : {U'a', U'\u200B', U'\uFEFF', U'\u180E', U'\0', U'\u001F'}) {
    EXPECT_FALSE(is_white_space(c)) << static_cast<unsigned>(c);
  }
}

TEST(Trim, RemovesWhiteSpaceAtBothEndsOnly) {
  EXPECT_EQ(trim_white_space("  \t\nTrimUI Brick\n"), "TrimUI Brick");
  EXPECT_EQ(trim_white_space("\u3000a  b\u00A0"), "a  b");
  EXPECT_EQ(trim_white_space(" \u2028 \n"), "");
  EXPECT_EQ(trim_white_space(""), "");
  // Ill-formed bytes are not white space and survive at the edges.
  EXPECT_EQ(trim_white_space(" \xE2\x80 "), "\xE2\x80");
  EXPECT_EQ(trim_white_space("x\xA0"), "x\xA0");
}

TEST(CaseMapping, UsesFullMappingsWithContext) {
  EXPECT_EQ(to_lower("ĐẠI Ý"), "đại ý");
  EXPECT_EQ(to_lower("\u039F\u0394\u039F\u03A3 \u03A3A"),
            "\u03BF\u03B4\u03BF\u03C2 \u03C3a");  // final sigma only at a word end
  EXPECT_EQ(to_lower("İ"), "i\u0307");            // one character lowers to two
  EXPECT_EQ(to_upper("straße"), "STRASSE");
  EXPECT_EQ(to_upper("1.2k"), "1.2K");
  EXPECT_EQ(to_lower(""), "");
  EXPECT_EQ(to_lower("A\xFF"), "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zentomi::unicode
