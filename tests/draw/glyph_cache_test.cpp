#include "draw/glyph_cache.hpp"

#include <gtest/gtest.h>

namespace zentomi {
namespace {

Glyph glyph_of(std::size_t bytes, int marker) {
  Glyph glyph;
  glyph.left = marker;
  glyph.coverage.assign(bytes, 1);
  return glyph;
}

TEST(GlyphCache, KeysByGlyphAndSize) {
  GlyphCache cache(100'000);
  cache.insert({7, 800}, glyph_of(10, 1));
  cache.insert({7, 768}, glyph_of(10, 2));
  cache.insert({8, 800}, glyph_of(10, 3));
  ASSERT_NE(cache.find({7, 800}), nullptr);
  EXPECT_EQ(cache.find({7, 800})->left, 1);
  EXPECT_EQ(cache.find({7, 768})->left, 2);
  EXPECT_EQ(cache.find({8, 800})->left, 3);
  EXPECT_EQ(cache.find({8, 768}), nullptr);
  // The same key again replaces the entry and its cost.
  cache.insert({7, 800}, glyph_of(20, 4));
  EXPECT_EQ(cache.find({7, 800})->left, 4);
  EXPECT_EQ(cache.size(), 3u);
  EXPECT_EQ(cache.used_bytes(),
            2 * GlyphCache::cost(glyph_of(10, 0)) + GlyphCache::cost(glyph_of(20, 0)));
}

TEST(GlyphCache, EvictsTheLeastRecentlyUsedToStayWithinItsBudget) {
  const std::size_t each = GlyphCache::cost(glyph_of(1000, 0));
  GlyphCache cache(3 * each);
  cache.insert({1, 64}, glyph_of(1000, 1));
  cache.insert({2, 64}, glyph_of(1000, 2));
  cache.insert({3, 64}, glyph_of(1000, 3));
  EXPECT_EQ(cache.used_bytes(), 3 * each);
  ASSERT_NE(cache.find({1, 64}), nullptr);  // 2 is now the least recently used
  cache.insert({4, 64}, glyph_of(1000, 4));
  EXPECT_EQ(cache.find({2, 64}), nullptr);
  EXPECT_NE(cache.find({1, 64}), nullptr);
  EXPECT_NE(cache.find({3, 64}), nullptr);
  EXPECT_NE(cache.find({4, 64}), nullptr);

  // A big glyph pushes out as many as it needs.
  cache.insert({5, 64}, glyph_of(2500, 5));
  EXPECT_LE(cache.used_bytes(), cache.capacity_bytes());
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache.find({5, 64})->left, 5);
}

TEST(GlyphCache, KeepsNothingLargerThanItsBudget) {
  GlyphCache cache(GlyphCache::cost(glyph_of(100, 0)));
  EXPECT_NE(cache.insert({1, 64}, glyph_of(100, 1)), nullptr);
  EXPECT_EQ(cache.insert({2, 64}, glyph_of(101, 2)), nullptr);
  EXPECT_NE(cache.find({1, 64}), nullptr);

  GlyphCache off(0);
  EXPECT_EQ(off.insert({1, 64}, Glyph{}), nullptr);
  EXPECT_EQ(off.size(), 0u);
  EXPECT_EQ(off.used_bytes(), 0u);
}

}  // namespace
}  // namespace zentomi
