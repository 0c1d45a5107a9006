#include "storage/ordering.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace zentomi {
namespace {

constexpr std::uint64_t MOST = std::numeric_limits<std::uint64_t>::max();

TEST(ParseViews, SiteForms) {
  EXPECT_EQ(parse_views("1.2K"), 1200u);
  EXPECT_EQ(parse_views("1.2k"), 1200u);
  EXPECT_EQ(parse_views("  1.2K \n"), 1200u);
  EXPECT_EQ(parse_views("\u00A01.2K\u3000"), 1200u);  // Unicode white space, not just ASCII
  EXPECT_EQ(parse_views("3M"), 3000000u);
  EXPECT_EQ(parse_views("1.5m"), 1500000u);
  EXPECT_EQ(parse_views("15K"), 15000u);
  EXPECT_EQ(parse_views("12,345"), 12345u);
  EXPECT_EQ(parse_views("1,234,567"), 1234567u);
  EXPECT_EQ(parse_views("1,2,3"), 123u);
  EXPECT_EQ(parse_views("+42"), 42u);
  EXPECT_EQ(parse_views("007"), 7u);
  // Dots between thousands, as the site writes its largest counts.
  EXPECT_EQ(parse_views("1.234.567"), 1234567u);
  EXPECT_EQ(parse_views("45.001"), 45001u);
  EXPECT_EQ(parse_views(" 999.000.000.000 "), 999000000000u);
}

TEST(ParseViews, TextsThatAreNotCounts) {
  for (const char* text :
       {"1.2345", "12.34", "1234.567", ".123",  "1.234.", "1..234",  "+1.234",   "2,5K",
        "1.2 K",  "N/A",   "-5",       "",      "   ",    "K",       "M",        "+",
        "++1",    ",,,",   "12,345.6", "1.2KK", "10 000", "１２",    "0x10",     "1e3",
        ".K",     "1e K",  "1eK",      "e5K",   "+-1K",   "nan(1)K", "infinit K"}) {
    EXPECT_EQ(parse_views(text), 0u) << text;
  }
}

TEST(ParseViews, FloatingPointFormsOfKAndM) {
  EXPECT_EQ(parse_views("0.5K"), 500u);
  EXPECT_EQ(parse_views(".5K"), 500u);
  EXPECT_EQ(parse_views("1.K"), 1000u);
  EXPECT_EQ(parse_views("+2K"), 2000u);
  EXPECT_EQ(parse_views("1e3K"), 1000000u);
  EXPECT_EQ(parse_views("2.5E-1M"), 250000u);
  EXPECT_EQ(parse_views("0.0009K"), 0u);  // the fraction is dropped
  EXPECT_EQ(parse_views("1.9999K"), 1999u);
  EXPECT_EQ(parse_views("-1K"), 0u);
  EXPECT_EQ(parse_views("-0K"), 0u);
  EXPECT_EQ(parse_views("NaNK"), 0u);
  EXPECT_EQ(parse_views("-infM"), 0u);
  EXPECT_EQ(parse_views("infK"), MOST);
  EXPECT_EQ(parse_views("Infinityk"), MOST);
  // Dotless i upper-cases to I, so this is the word for infinity too.
  EXPECT_EQ(parse_views("\u0131nfK"), MOST);
  EXPECT_EQ(parse_views("1e400K"), MOST);
  EXPECT_EQ(parse_views("1e-400K"), 0u);
  EXPECT_EQ(parse_views("0.000000000000000000000000001e99999999999999999999999K"), MOST);
  EXPECT_EQ(parse_views("99999999999999999999K"), MOST);
  EXPECT_EQ(parse_views("18446744073709551.615K"), MOST);
  EXPECT_EQ(parse_views("9223372036854775.807K"), 9223372036854775808u);  // nearest double
}

TEST(ParseViews, PlainCountsDoNotSaturate) {
  EXPECT_EQ(parse_views("18446744073709551615"), MOST);
  EXPECT_EQ(parse_views("18,446,744,073,709,551,615"), MOST);
  EXPECT_EQ(parse_views("18446744073709551616"), 0u);
  EXPECT_EQ(parse_views("99999999999999999999999"), 0u);
}

MangaItem titled(const std::string& title, const std::string& views = "0") {
  return MangaItem{title, "https://x/" + title, "", "", views};
}

std::vector<std::string> titles(const std::vector<MangaItem>& items) {
  std::vector<std::string> result;
  for (const MangaItem& item : items)
    result.push_back(item.title);
  return result;
}

TEST(ApplySort, NameAZIsCodePointOrderOfTheLowerCase) {
  const std::vector<MangaItem> source{titled("Đảo Hải Tặc"), titled("zebra"), titled("One Piece"),
                                      titled("123 Go"),      titled("Ánh"),   titled("one piece"),
                                      titled("Apple")};
  std::vector<MangaItem> displayed = source;
  apply_sort(displayed, source, SortMode::NameAZ);
  // Đ lowers to a two-byte sequence after every ASCII letter; Á (C3 A1) comes before đ (C4 91).
  EXPECT_EQ(titles(displayed),
            (std::vector<std::string>{"123 Go", "Apple", "One Piece", "one piece", "zebra", "Ánh",
                                      "Đảo Hải Tặc"}));
}

TEST(ApplySort, NameAZUsesTheFinalSigma) {
  // ΟΔΟΣ lowers to οδος, whose final ς (U+03C2) comes before the σ (U+03C3) of οδοσ.
  const std::vector<MangaItem> source{titled("οδοσ"), titled("ΟΔΟΣ")};
  std::vector<MangaItem> displayed = source;
  apply_sort(displayed, source, SortMode::NameAZ);
  EXPECT_EQ(titles(displayed), (std::vector<std::string>{"ΟΔΟΣ", "οδοσ"}));
}

TEST(ApplySort, ViewsIsLargestFirstAndStable) {
  const std::vector<MangaItem> source{titled("a", "N/A"), titled("b", "1.2K"),  titled("c", "3M"),
                                      titled("d", ""),    titled("e", "1,200"), titled("f", "15K"),
                                      titled("g", "-5")};
  std::vector<MangaItem> displayed = source;
  apply_sort(displayed, source, SortMode::Views);
  EXPECT_EQ(titles(displayed), (std::vector<std::string>{"c", "f", "b", "e", "a", "d", "g"}));

  // The demo site's counts, written as the site writes them.
  const std::vector<MangaItem> site{titled("a", "1.234.567"), titled("b", "98,765"),
                                    titled("c", "12.3M"),     titled("d", "45.001"),
                                    titled("e", "3.2K"),      titled("f", "765")};
  displayed = site;
  apply_sort(displayed, site, SortMode::Views);
  EXPECT_EQ(titles(displayed), (std::vector<std::string>{"c", "a", "b", "d", "e", "f"}));
}

TEST(ApplySort, CyclingReturnsToTheSourceOrder) {
  const std::vector<MangaItem> source{titled("b", "5"), titled("B", "9"), titled("a", "5"),
                                      titled("c", "9")};
  std::vector<MangaItem> displayed = source;
  SortMode mode = SortMode::Latest;
  mode = next_sort_mode(mode);
  EXPECT_EQ(mode, SortMode::Views);
  apply_sort(displayed, source, mode);
  EXPECT_EQ(titles(displayed), (std::vector<std::string>{"B", "c", "b", "a"}));
  mode = next_sort_mode(mode);
  EXPECT_EQ(mode, SortMode::NameAZ);
  apply_sort(displayed, source, mode);
  // b and B tie and keep their order from the views sort.
  EXPECT_EQ(titles(displayed), (std::vector<std::string>{"a", "B", "b", "c"}));
  mode = next_sort_mode(mode);
  EXPECT_EQ(mode, SortMode::Latest);
  apply_sort(displayed, source, mode);
  EXPECT_EQ(displayed, source);
}

}  // namespace
}  // namespace zentomi
