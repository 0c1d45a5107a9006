#include "unicode/utf8.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zentomi::unicode {
namespace {

TEST(Utf8Validation, AcceptsWellFormedTextIncludingVietnameseAndAstralPlanes) {
  EXPECT_TRUE(is_valid_utf8(""));
  EXPECT_TRUE(is_valid_utf8("Truyện tranh Đ"));
  EXPECT_TRUE(is_valid_utf8("\xF0\x9F\x9A\x80"));  // 🚀
  EXPECT_TRUE(is_valid_utf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
}

TEST(Utf8Validation, ReportsValidPrefixAndLengthOfTheBadSequence) {
  // A Latin-1 byte: one invalid byte after three valid ones.
  EXPECT_EQ(validate_utf8("abc\xE9"
                          "def"),
            (Utf8Error{3, 1}));
  // A three-byte lead followed by a good and then a bad continuation spans two bytes.
  EXPECT_EQ(validate_utf8("a\xE1\x80z"), (Utf8Error{1, 2}));
  // Four-byte lead with two good continuations and then ASCII spans three.
  EXPECT_EQ(validate_utf8("\xF0\x9F\x9A!"), (Utf8Error{0, 3}));
  // Overlong forms, surrogates and values past U+10FFFF fail on their second byte.
  EXPECT_EQ(validate_utf8("\xC0\xAF"), (Utf8Error{0, 1}));
  EXPECT_EQ(validate_utf8("\xE0\x80\x80"), (Utf8Error{0, 1}));
  EXPECT_EQ(validate_utf8("\xED\xA0\x80"), (Utf8Error{0, 1}));
  EXPECT_EQ(validate_utf8("\xF4\x90\x80\x80"), (Utf8Error{0, 1}));
  EXPECT_EQ(validate_utf8("x\x80"), (Utf8Error{1, 1}));
}

TEST(Utf8Validation, TruncatedSequenceAtTheEndHasNoLength) {
  EXPECT_EQ(validate_utf8("ab\xE1\x80"), (Utf8Error{2, std::nullopt}));
  EXPECT_EQ(validate_utf8("\xC3"), (Utf8Error{0, std::nullopt}));
  EXPECT_EQ(validate_utf8("\xF0\x9F\x9A"), (Utf8Error{0, std::nullopt}));
}

TEST(Utf8Decoding, EveryMaximalBadSubsequenceBecomesOneReplacementCharacter) {
  EXPECT_EQ(sanitize_utf8("a\xE1\x80z\xFF"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");
  EXPECT_EQ(sanitize_utf8("\xF0\x9F\x9A"), "\xEF\xBF\xBD");
  EXPECT_EQ(sanitize_utf8("ệ"), "ệ");

  const std::string text = "Đ\xC3";
  std::size_t position = 0;
  EXPECT_EQ(decode_next(text, position), U'Đ');
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(decode_next(text, position), REPLACEMENT_CHARACTER);
  EXPECT_EQ(position, 3u);
  // Past the end it stays put and keeps answering the replacement character.
  EXPECT_EQ(decode_next(text, position), REPLACEMENT_CHARACTER);
  EXPECT_EQ(position, 3u);
}

TEST(Utf8Encoding, RoundTripsAndRefusesSurrogates) {
  std::string out;
  for (char32_t c : {U'A', U'é', U'★', U'🚀'})
    append_utf8(out, c);
  EXPECT_EQ(out, "Aé★🚀");
  out.clear();
  append_utf8(out, 0xD800);
  append_utf8(out, 0x110000);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zentomi::unicode
