#include "library/local_natural_order.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zentomi {
namespace {

TEST(NaturalOrder, NumbersCompareByValueAndLettersIgnoreCase) {
  struct Case {
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"Chap 2", "Chap 10"},
      {"Vol.1 Ch.9", "Vol.1 Ch.10"},
      {"Vol.2 Ch.1", "Vol.10 Ch.1"},
      {"page 9.jpg", "page 10.jpg"},
      {"9", "10"},
      {"chap 3", "Chap 4"},    // case does not decide before the number does
      {"Ch 1", "Ch 1 extra"},  // a prefix first
      {"Ch 01", "Ch 1"},       // equal numbers: the bytes decide, the same on every card
      {"A", "a"},              // equal letters: the bytes decide
      {"x99999999999999999999", "x100000000000000000000"},  // past any integer type
      {"Chap 5", "Chapter 5"},
      {"007", "8"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(natural_less(c.before, c.after)) << c.before << " < " << c.after;
    EXPECT_FALSE(natural_less(c.after, c.before)) << c.after << " > " << c.before;
  }
  EXPECT_FALSE(natural_less("Chap 2", "Chap 2"));
}

TEST(NaturalOrder, SortsAChapterListAsPeopleNumberIt) {
  std::vector<std::string> names = {"Chap 10", "chap 1", "Chap 2", "Chap 1.5", "Extra", "Chap 100"};
  std::sort(names.begin(), names.end(), natural_less);
  EXPECT_EQ(names, (std::vector<std::string>{"chap 1", "Chap 1.5", "Chap 2", "Chap 10", "Chap 100",
                                             "Extra"}));
}

}  // namespace
}  // namespace zentomi
