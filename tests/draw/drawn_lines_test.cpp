#include "draw/drawn_lines.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zentomi {
namespace {

DrawnLine line_of(std::int64_t pixels, std::uint32_t marker) {
  return {0, 0, pixels, 1, std::vector<std::uint32_t>(static_cast<std::size_t>(pixels), marker)};
}

// The kept lines stay within their budget, least recently used out, and own their texts: the
// texts they were drawn from are gone by the time they are looked for.
TEST(DrawnLines, KeepsTheMostRecentlyUsedWithinItsBudgetAndOwnsItsTexts) {
  const std::size_t each = DrawnLines::cost("line 0", line_of(100, 0));
  DrawnLines lines(3 * each);
  const auto key = [](const std::string& text, Color background = 0xFF000000) {
    return DrawnLineKey{text, 14, 0xFFFFFFFF, background, 300, 400};
  };
  for (std::uint32_t n = 0; n < 3; ++n)
    lines.insert(key("line " + std::to_string(n)), line_of(100, n));
  EXPECT_EQ(lines.used_bytes(), 3 * each);
  ASSERT_NE(lines.find(key(std::string("line ") + "0")), nullptr);  // 1 is now the oldest
  EXPECT_EQ(lines.find(key("line 0", 0xFF111111)), nullptr);        // another background
  lines.insert(key("line 3"), line_of(100, 3));
  EXPECT_EQ(lines.find(key("line 1")), nullptr);
  for (std::uint32_t n : {0u, 2u, 3u}) {
    const DrawnLine* found = lines.find(key("line " + std::to_string(n)));
    ASSERT_NE(found, nullptr) << n;
    EXPECT_EQ(found->pixels.front(), n);
  }
  // A wide line pushes out as many as it needs; one wider than the budget is not kept.
  lines.insert(key("wide"), line_of(350, 9));
  EXPECT_LE(lines.used_bytes(), lines.capacity_bytes());
  EXPECT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines.insert(key("too wide"), line_of(1000, 9)), nullptr);
  EXPECT_NE(lines.find(key("wide")), nullptr);
}

}  // namespace
}  // namespace zentomi
