#include "screens/reader/scroll_geometry.hpp"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/reader_harness.hpp"

namespace zentomi {
namespace {

using testing::page;

struct Expected {
  int screen_width;
  int screen_height;
  std::uint32_t image_width;
  std::uint32_t image_height;
  float scale;
  long long width;
  long long height;
  long long left;
  long long top_at_start;  // scroll 0
  std::int32_t bottom;
};

// Narrow strips keep their size, wide pages shrink to the screen width, short pages sit in the
// middle whatever the scroll.
TEST(ScrollGeometry, PlacesNarrowWideAndShortPagesOnBothScreens) {
  const Expected cases[] = {
      {1280, 720, 720, 6000, 1.0f, 720, 6000, 280, 0, 5280},
      {1280, 720, 1600, 4200, 0.8f, 1280, 3360, 0, 0, 2640},
      {1280, 720, 900, 500, 1.0f, 900, 500, 190, 110, 0},
      {1280, 720, 1280, 720, 1.0f, 1280, 720, 0, 0, 0},
      {1024, 768, 720, 6000, 1.0f, 720, 6000, 152, 0, 5232},
      {1024, 768, 1600, 4200, 0.64f, 1024, 2688, 0, 0, 1920},
      {1024, 768, 900, 500, 1.0f, 900, 500, 62, 134, 0},
      {1024, 768, 2048, 600, 0.5f, 1024, 300, 0, 234, 0},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(::testing::Message() << e.image_width << " x " << e.image_height << " on "
                                      << e.screen_width << " x " << e.screen_height);
    const SharedImage image = page(e.image_width, e.image_height);
    const PagePlacement start = scroll_geometry::place(e.screen_width, e.screen_height, *image, 0);
    EXPECT_EQ(start.scale, e.scale);
    EXPECT_EQ(start.width, e.width);
    EXPECT_EQ(start.height, e.height);
    EXPECT_EQ(start.left, e.left);
    EXPECT_EQ(start.top, e.top_at_start);
    const std::int32_t bottom = scroll_geometry::bottom(e.screen_width, e.screen_height, *image);
    EXPECT_EQ(bottom, e.bottom);
    // The last row reaches the screen's last row and never goes above it.
    const PagePlacement end =
        scroll_geometry::place(e.screen_width, e.screen_height, *image, bottom);
    EXPECT_EQ(end.top + end.height, e.bottom > 0 ? e.screen_height : e.top_at_start + e.height);
    EXPECT_EQ(scroll_geometry::place(e.screen_width, e.screen_height, *image, bottom + 1000).top,
              end.top);
    EXPECT_EQ(scroll_geometry::place(e.screen_width, e.screen_height, *image, -1000).top,
              e.top_at_start);
  }
}

TEST(ScrollGeometry, StepsThreeQuartersOfTheScreen) {
  EXPECT_EQ(scroll_geometry::step(720), 540);
  EXPECT_EQ(scroll_geometry::step(768), 576);
}

// Fitted, a strip narrower than a quarter of the screen is tall; a quarter exactly is not.
TEST(ScrollGeometry, TallStripsAreNarrowerThanAQuarterOfTheScreenAtFit) {
  EXPECT_TRUE(scroll_geometry::is_tall_strip(1280, 720, *page(720, 6000)));
  EXPECT_TRUE(scroll_geometry::is_tall_strip(1280, 720, *page(319, 720)));
  EXPECT_FALSE(scroll_geometry::is_tall_strip(1280, 720, *page(320, 720)));
  EXPECT_FALSE(scroll_geometry::is_tall_strip(1280, 720, *page(800, 1200)));
  EXPECT_TRUE(scroll_geometry::is_tall_strip(1024, 768, *page(255, 768)));
  EXPECT_FALSE(scroll_geometry::is_tall_strip(1024, 768, *page(256, 768)));
}

}  // namespace
}  // namespace zentomi
