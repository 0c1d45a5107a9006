#include "platform/log.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace zentomi {
namespace {

TEST(LogLine, OrdinaryTextIsWrittenAsItIs) {
  EXPECT_EQ(format_log_line("App", "Clean exit to MainUI via Button B."),
            "[App] Clean exit to MainUI via Button B.\n");
  EXPECT_EQ(format_log_line("Favorites", "Toggled Đảo Hải Tặc – Chương 1: added=true"),
            "[Favorites] Toggled Đảo Hải Tặc – Chương 1: added=true\n");
  EXPECT_EQ(format_log_line("NetTruyen", "a \\ b \"c\" ~"), "[NetTruyen] a \\ b \"c\" ~\n");
}

TEST(LogLine, ControlCharactersCannotStartALineOfTheirOwn) {
  EXPECT_EQ(format_log_line("Thumb", "Download failed for https://x/\n[App] Clean exit"),
            "[Thumb] Download failed for https://x/\\n[App] Clean exit\n");
  EXPECT_EQ(format_log_line("Thumb", std::string("a\rb\tc\x1b[2Jd\x7f"
                                                 "e\0f",
                                                 14)),
            "[Thumb] a\\rb\\tc\\x1b[2Jd\\x7fe\\x00f\n");
  // U+0085 NEXT LINE, a line end to some readers; U+00A0 is ordinary text.
  EXPECT_EQ(format_log_line("App", "x\xC2\x85y\xC2\xA0z"), "[App] x\\u0085y\xC2\xA0z\n");
}

TEST(LogLine, OneRuleEscapesC1ControlsAndEscapeButNotVietnamese) {
  // U+0085 NEXT LINE is C2 85 in UTF-8 and ESC starts terminal sequences: both escaped. The
  // Vietnamese letters pass as they are, though some carry bytes 80 to 9F after another lead byte
  // (Đ is C4 90, ệ is E1 BB 87).
  EXPECT_EQ(format_log_line("OTA", "Đã tải xong\xC2\x85[App] giả\x1b[2J mạo, Chương 1: Tiệm trà"),
            "[OTA] Đã tải xong\\u0085[App] giả\\x1b[2J mạo, Chương 1: Tiệm trà\n");
  EXPECT_EQ(format_log_line("OTA", "Update available: v1.0.2"), "[OTA] Update available: v1.0.2\n");
  EXPECT_EQ(format_log_line("App", "Truyện tranh – Đảo Hải Tặc, ưởng ỹ ạ"),
            "[App] Truyện tranh – Đảo Hải Tặc, ưởng ỹ ạ\n");
  // The ends of the C1 range, and a lone C2 byte, which is no control.
  EXPECT_EQ(format_log_line("T", "\xC2\x80|\xC2\x9F|\xC2"), "[T] \\u0080|\\u009f|\xC2\n");
}

TEST(LogLine, IsWrittenWhole) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  log_line("Input", "Notice: No evdev event nodes opened.", file);
  log_line("App", "two\nlines", file);
  std::rewind(file);
  char buffer[256] = {};
  const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
  std::fclose(file);
  EXPECT_EQ(std::string(buffer, count),
            "[Input] Notice: No evdev event nodes opened.\n[App] two\\nlines\n");
}

}  // namespace
}  // namespace zentomi
