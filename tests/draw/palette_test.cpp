#include "draw/palette.hpp"

#include <gtest/gtest.h>

namespace zentomi {
namespace {

// Every screen draws from this one table; the golden frames show most of it, and this pins the
// roles no frame shows yet (dialogs, the detail screen, the reader) as well.
TEST(Palette, EveryRoleHasItsOpaqueColour) {
  EXPECT_EQ(palette::INITIAL_FILL, 0xFF0F0F0Fu);
  EXPECT_EQ(palette::FRAME_BACKGROUND, 0xFF0B0F19u);
  EXPECT_EQ(palette::BAR_BACKGROUND, 0xFF050811u);
  EXPECT_EQ(palette::RECESSED_SURFACE, 0xFF0F172Au);
  EXPECT_EQ(palette::PANEL, 0xFF1E293Bu);
  EXPECT_EQ(palette::DARK_BLUE_PANEL, 0xFF172554u);
  EXPECT_EQ(palette::SEPARATOR, 0xFF334155u);
  EXPECT_EQ(palette::INFORMATION_BAND, 0xFF1E3A8Au);
  EXPECT_EQ(palette::ERROR_BAND, 0xFF991B1Bu);
  EXPECT_EQ(palette::SUCCESS_BAND, 0xFF065F46u);
  EXPECT_EQ(palette::AMBER_CHIP, 0xFF78350Fu);
  EXPECT_EQ(palette::ACCENT, 0xFFE11D48u);
  EXPECT_EQ(palette::PRIMARY_TEXT, 0xFFF8FAFCu);
  EXPECT_EQ(palette::LIST_TEXT, 0xFFE2E8F0u);
  EXPECT_EQ(palette::SECONDARY_TEXT, 0xFF94A3B8u);
  EXPECT_EQ(palette::HIGHLIGHT_TEXT, 0xFFFB7185u);
  EXPECT_EQ(palette::STAR_TEXT, 0xFFFBBF24u);
  EXPECT_EQ(palette::BADGE_TEXT, 0xFFFDE047u);
  EXPECT_EQ(palette::INFORMATION_TEXT, 0xFF38BDF8u);
  EXPECT_EQ(palette::SUCCESS_TEXT, 0xFF10B981u);
  EXPECT_EQ(palette::ERROR_TEXT, 0xFFEF4444u);
}

}  // namespace
}  // namespace zentomi
