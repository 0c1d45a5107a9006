#pragma once

#include <cstdint>

namespace zentomi {

// Colours are 0xAARRGGBB; every palette colour is opaque.
using Color = std::uint32_t;

namespace palette {
inline constexpr Color INITIAL_FILL = 0xFF0F0F0F;
inline constexpr Color FRAME_BACKGROUND = 0xFF0B0F19;
inline constexpr Color BAR_BACKGROUND = 0xFF050811;
inline constexpr Color RECESSED_SURFACE = 0xFF0F172A;
inline constexpr Color PANEL = 0xFF1E293B;
inline constexpr Color DARK_BLUE_PANEL = 0xFF172554;
inline constexpr Color SEPARATOR = 0xFF334155;
inline constexpr Color INFORMATION_BAND = 0xFF1E3A8A;
inline constexpr Color ERROR_BAND = 0xFF991B1B;
inline constexpr Color SUCCESS_BAND = 0xFF065F46;
inline constexpr Color AMBER_CHIP = 0xFF78350F;
inline constexpr Color ACCENT = 0xFFE11D48;
inline constexpr Color PRIMARY_TEXT = 0xFFF8FAFC;
inline constexpr Color LIST_TEXT = 0xFFE2E8F0;
inline constexpr Color SECONDARY_TEXT = 0xFF94A3B8;
inline constexpr Color HIGHLIGHT_TEXT = 0xFFFB7185;
inline constexpr Color STAR_TEXT = 0xFFFBBF24;
inline constexpr Color BADGE_TEXT = 0xFFFDE047;
inline constexpr Color INFORMATION_TEXT = 0xFF38BDF8;
inline constexpr Color SUCCESS_TEXT = 0xFF10B981;
inline constexpr Color ERROR_TEXT = 0xFFEF4444;
}  // namespace palette

}  // namespace zentomi
