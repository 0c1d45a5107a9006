#include "nettruyen/html_text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentomi {
namespace {

using Pieces = std::vector<std::string_view>;

TEST(DecodeEntities, DecodesTheSevenEntitiesInTheirFixedOrder) {
  EXPECT_EQ(decode_entities("Tom &amp; Jerry"), "Tom & Jerry");
  EXPECT_EQ(decode_entities("&lt;b&gt;"), "<b>");
  EXPECT_EQ(decode_entities("&quot;x&quot; &apos;y&apos; &#39;z&#39;"), "\"x\" 'y' 'z'");
  // The ampersand pass runs after &quot; and before the rest.
  EXPECT_EQ(decode_entities("&amp;lt;"), "<");
  EXPECT_EQ(decode_entities("&amp;gt;&amp;apos;&amp;#39;&amp;nbsp;"), ">'' ");
  EXPECT_EQ(decode_entities("&amp;quot;"), "&quot;");
  // One pass never rescans its own output.
  EXPECT_EQ(decode_entities("&amp;amp;"), "&amp;");
}

TEST(DecodeEntities, NbspBecomesAnOrdinaryBlankAndOtherEntitiesStay) {
  EXPECT_EQ(decode_entities("A&nbsp;B"), "A B");
  EXPECT_EQ(decode_entities("&#8220;x&#8221;"), "&#8220;x&#8221;");
  EXPECT_EQ(decode_entities("&copy; &AMP; &amp &lt"), "&copy; &AMP; &amp &lt");
  EXPECT_EQ(decode_entities(""), "");
  EXPECT_EQ(decode_entities("Đầu Bếp & Mèo"), "Đầu Bếp & Mèo");
}

TEST(StripTags, DropsTagsTrimsThenDecodes) {
  EXPECT_EQ(strip_tags("  <p>Hello <b>world</b></p>  "), "Hello world");
  // A lone ">" is dropped; both blanks around it stay.
  EXPECT_EQ(strip_tags("1 > 0"), "1  0");
  // An unclosed tag swallows the rest, and the blank before it is trimmed.
  EXPECT_EQ(strip_tags("abc <def"), "abc");
  // Decoding comes after tag removal, so encoded tags survive as text.
  EXPECT_EQ(strip_tags("&lt;i&gt;x&lt;/i&gt;"), "<i>x</i>");
  // Trimming happens before decoding: an encoded blank at an end is kept.
  EXPECT_EQ(strip_tags("<b>&nbsp;x</b>"), " x");
}

TEST(StripTags, KeepsInnerWhiteSpaceAndLineFeeds) {
  EXPECT_EQ(strip_tags("\n<div>Dòng một\n\n<br/>Dòng   hai</div>\t"), "Dòng một\n\nDòng   hai");
  EXPECT_EQ(strip_tags("<<a>>b"), "b");
  EXPECT_EQ(strip_tags("   "), "");
}

TEST(Trim, RemovesUnicodeWhiteSpaceAtBothEndsOnly) {
  EXPECT_EQ(trim(" \t\n\v\f\rx y\r\n"), "x y");
  // U+00A0, U+3000, U+2028 and U+0085 are White_Space; U+200B (zero width space) is not.
  EXPECT_EQ(trim("\u00A0\u3000Tên\u2028\u0085"), "Tên");
  EXPECT_EQ(trim("\u200Bx\u200B"), "\u200Bx\u200B");
  EXPECT_EQ(trim(" \u2000\u200A\u202F\u205F\u1680 "), "");
  EXPECT_EQ(trim(""), "");
  // A broken sequence is not white space and is kept as it is.
  EXPECT_EQ(trim(" \xE1\xBB "), "\xE1\xBB");
}

TEST(Trim, DropsControlsThatDrawAsBoxesWhereverTheyAre) {
  using namespace std::literals;
  struct Case {
    std::string_view text;
    std::string_view kept;
  };
  const Case cases[] = {
      // C0 and DEL, at the ends and inside; blanks between words stay.
      {"\x01Tên\x00 truyện\x1B\x7F\x1F"sv, "Tên truyện"},
      {"\x02 \x03 Chương 1 \x04", "Chương 1"},
      // C1 controls but NEL (a blank); U+00A0 and U+00A9 are not controls.
      {"\u0080A\u009Fb\u00A9\u00A0c\u0085", "Ab\u00A9\u00A0c"},
      // Bidirectional marks, embeddings, overrides and isolates; U+200D and U+2060 stay.
      {"\u202EnaT\u202C \u200E\u200F\u061Cx\u2066\u2067\u2068\u2069\u202A\u202B\u202D", "naT x"},
      {"a\u200Db\u2060c\u2028d", "a\u200Db\u2060c\u2028d"},
      // A broken sequence is kept as it is.
      {"\xC2 \xE2\x80", "\xC2 \xE2\x80"},
      // A control brought together by dropping another goes too, so trimming twice is trimming
      // once.
      {"a\xE2\x80\x01\x8E\xC2\x7F\x9F"
       "b"sv,
       "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(trim(c.text), c.kept) << c.text;
    EXPECT_EQ(trim(trim(c.text)), trim(c.text)) << c.text;
  }
  // The texts shown from a page go through it: a summary and a title.
  EXPECT_EQ(strip_tags("<p>\x07"
                       "Dòng\x08 một\n\u202Ehai</p>"),
            "Dòng một\nhai");
}

TEST(Primitives, FindFromSearchesAtOrAfterThePosition) {
  EXPECT_EQ(find_from("abcabc", "bc"), 1u);
  EXPECT_EQ(find_from("abcabc", "bc", 1), 1u);
  EXPECT_EQ(find_from("abcabc", "bc", 2), 4u);
  EXPECT_EQ(find_from("abcabc", "bc", 5), std::nullopt);
  EXPECT_EQ(find_from("abc", "", 3), 3u);
  EXPECT_EQ(find_from("abc", "a", 100), std::nullopt);
  EXPECT_EQ(find_from("a>b>", '>', 2), 3u);
  EXPECT_EQ(find_from("a>b>", '>', 4), std::nullopt);
  EXPECT_TRUE(contains("thumb-default.jpg", "thumb-default"));
  EXPECT_FALSE(contains("thumb-defaul", "thumb-default"));
}

TEST(Primitives, TextBetweenTakesTheFirstOpeningAndTheNextClosing) {
  EXPECT_EQ(text_between(R"(<a href="/x" href="/y">)", "href=\"", "\""), "/x");
  EXPECT_EQ(text_between(R"(href="" )", "href=\"", "\""), "");
  EXPECT_EQ(text_between(R"(href="/x)", "href=\"", "\""), std::nullopt);
  EXPECT_EQ(text_between("no marker", "href=\"", "\""), std::nullopt);
  EXPECT_EQ(text_between("a<b>c<d>", "<", ">", 2), "d");
}

TEST(Primitives, SplitKeepsThePieceBeforeTheFirstMarker) {
  EXPECT_EQ(split_at("head|a|b", "|"), (Pieces{"head", "a", "b"}));
  EXPECT_EQ(split_at("|a||", "|"), (Pieces{"", "a", "", ""}));
  EXPECT_EQ(split_at("no marker", "|"), (Pieces{"no marker"}));
  EXPECT_EQ(split_at("", "|"), (Pieces{""}));
  EXPECT_EQ(split_at("abc", ""), (Pieces{"abc"}));
  EXPECT_EQ(split_at("x<i><i>y", "<i>"), (Pieces{"x", "", "y"}));
}

TEST(Primitives, ReplaceAllIsLeftToRightAndNonOverlapping) {
  EXPECT_EQ(replace_all("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(replace_all("aaa", "aa", "b"), "ba");
  EXPECT_EQ(replace_all("a\nb\n", "\n", " "), "a b ");
  EXPECT_EQ(replace_all("abc", "", "x"), "abc");
  EXPECT_EQ(replace_all("abc", "abc", ""), "");
}

}  // namespace
}  // namespace zentomi
