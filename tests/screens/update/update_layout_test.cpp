#include "screens/update/update_layout.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "draw/palette.hpp"
#include "screens/dispatch.hpp"
#include "support/golden.hpp"
#include "support/no_services.hpp"

namespace zentomi {
namespace {

using testing::NoServices;

OtaManifest manifest_with(std::string version, float size_mb, std::string changelog = "") {
  OtaManifest m;
  m.version = std::move(version);
  m.size_mb = size_mb;
  m.changelog = std::move(changelog);
  return m;
}

struct UpdateScreen {
  UpdateScreen(int width, int height)
      : canvas(width, height), state(make_initial_state(width, height)) {
    state.screen = zentomi::Screen::Update;
    x0 = (width - 640) / 2;
    y0 = (height - 360) / 2;
  }
  void draw() {
    Renderer renderer{canvas, font};
    draw_screen(renderer, state, services);
  }
  // Whether a row band of the panel, from its left margin to its right edge, holds this colour.
  bool ink(int dy, int rows, Color color) const {
    for (int y = y0 + dy; y < y0 + dy + rows; ++y)
      for (int x = x0 + 24; x < x0 + 640; ++x)
        if (canvas.pixel(x, y) == color) return true;
    return false;
  }
  Color band() const { return canvas.pixel(x0 + 620, y0 + 24); }

  Font font = Font::load_embedded().value();
  Canvas canvas;
  AppState state;
  NoServices services;
  int x0 = 0;
  int y0 = 0;
};

TEST(UpdateLayout, VersionLineHasOneVAndTheSizeToOneDecimal) {
  EXPECT_EQ(new_version_line(manifest_with("1.0.2", 12.345f)),
            "Phiên bản mới: v1.0.2 (Hiện tại: v1.0.1) • Dung lượng: 12.3 MB");
  EXPECT_EQ(new_version_line(manifest_with("v1.0.2", 0.25f)),
            "Phiên bản mới: v1.0.2 (Hiện tại: v1.0.1) • Dung lượng: 0.2 MB");
  EXPECT_EQ(new_version_line(manifest_with("vv2", 3.0f)),
            "Phiên bản mới: vv2 (Hiện tại: v1.0.1) • Dung lượng: 3.0 MB")
      << "only one leading v is dropped";
  // A size that is not a finite number is left out rather than shown as "inf MB".
  for (const float size : {INFINITY, -INFINITY, NAN})
    EXPECT_EQ(new_version_line(manifest_with("1.0.2", size)),
              "Phiên bản mới: v1.0.2 (Hiện tại: v1.0.1)")
        << size;
}

TEST(UpdateLayout, PanelSitsCentredOverTheDarkenedHomeScreen) {
  for (const auto& [w, h, left, top] : {std::tuple{1280, 720, 320, 180}, {1024, 768, 192, 204}}) {
    UpdateScreen s(w, h);
    s.draw();
    const int mid_y = top + 180;
    EXPECT_EQ(s.canvas.pixel(left, mid_y), palette::PANEL) << w;
    EXPECT_EQ(s.canvas.pixel(left + 639, mid_y), palette::PANEL);
    EXPECT_NE(s.canvas.pixel(left - 1, mid_y), palette::PANEL);
    EXPECT_NE(s.canvas.pixel(left + 640, mid_y), palette::PANEL);
    EXPECT_EQ(s.canvas.pixel(left + 320, top + 359), palette::PANEL);
    EXPECT_NE(s.canvas.pixel(left + 320, top + 360), palette::PANEL);
    EXPECT_NE(s.canvas.pixel(left, top), palette::PANEL) << "rounded corner";
    // The header bar and the frame background, each channel to floor(c * 2 / 15).
    EXPECT_EQ(s.canvas.pixel(5, 5), 0xFF000102u);
    EXPECT_EQ(s.canvas.pixel(10, h - 100), 0xFF010203u);
  }
}

TEST(UpdateLayout, ViewsWithoutAManifestFollowTheStatus) {
  UpdateScreen s(1280, 720);
  s.state.update.update_status = update_status::Checking{};
  s.draw();
  EXPECT_EQ(s.band(), palette::INFORMATION_BAND);
  EXPECT_TRUE(s.ink(100, 20, palette::HIGHLIGHT_TEXT));
  EXPECT_TRUE(s.ink(320, 20, palette::PRIMARY_TEXT));

  s.state.update.update_status = update_status::Failed{"Failed to reach the server"};
  s.draw();
  EXPECT_EQ(s.band(), palette::ERROR_BAND);
  EXPECT_TRUE(s.ink(90, 18, palette::ERROR_TEXT));
  EXPECT_FALSE(s.ink(60, 28, palette::ERROR_TEXT));

  for (const UpdateStatus& status :
       {UpdateStatus(update_status::Idle{}), UpdateStatus(update_status::UpToDate{}),
        UpdateStatus(update_status::Downloading{})}) {
    s.state.update.update_status = status;
    s.draw();
    EXPECT_EQ(s.band(), palette::SUCCESS_BAND) << status.index();
    EXPECT_TRUE(s.ink(80, 20, palette::SUCCESS_TEXT));
    EXPECT_TRUE(s.ink(320, 20, palette::HIGHLIGHT_TEXT));
  }
}

TEST(UpdateLayout, DialogBottomFollowsTheStatusAndTheChangeLogStopsAtFiveLines) {
  UpdateScreen s(1280, 720);
  std::string long_log;
  for (int i = 0; i < 12; ++i)
    long_log += "Dòng nhật ký số " + std::to_string(i) + " đủ dài để xuống hàng. ";
  s.state.update.update_manifest = manifest_with("1.0.2", 1.5f, long_log);
  s.state.update.update_status = update_status::Failed{"Failed to check"};  // a later check failed
  s.draw();
  EXPECT_EQ(s.band(), palette::ACCENT);
  EXPECT_TRUE(s.ink(70, 18, palette::HIGHLIGHT_TEXT));
  EXPECT_TRUE(s.ink(130 + 4 * 22, 18, palette::SECONDARY_TEXT)) << "fifth line";
  EXPECT_FALSE(s.ink(130 + 5 * 22, 36, palette::SECONDARY_TEXT)) << "no sixth line";
  EXPECT_TRUE(s.ink(280, 18, palette::ERROR_TEXT));
  EXPECT_TRUE(s.ink(320, 20, palette::PRIMARY_TEXT));

  s.state.update.update_status = update_status::Available{*s.state.update.update_manifest};
  s.draw();
  EXPECT_FALSE(s.ink(280, 18, palette::ERROR_TEXT));
  EXPECT_TRUE(s.ink(320, 20, palette::STAR_TEXT));

  s.state.update.update_status = update_status::Downloading{};
  s.draw();
  EXPECT_EQ(s.canvas.pixel(s.x0 + 610, s.y0 + 318), palette::SEPARATOR) << "the bar";
  EXPECT_EQ(s.canvas.pixel(s.x0 + 24, s.y0 + 299), palette::PANEL);
  EXPECT_TRUE(s.ink(312, 16, palette::HIGHLIGHT_TEXT));
  EXPECT_FALSE(s.ink(320, 20, palette::STAR_TEXT));
}

// Every dialog over the home screen, pinned on both screens (tests/golden/update/;
// tools/update-golden.sh rewrites them).
TEST(UpdateLayout, EveryDialogMatchesItsReferenceFrameOnBothScreens) {
  OtaManifest manifest = manifest_with(
      "1.0.2", 4.25f,
      "Thêm màn hình chi tiết truyện\nĐọc truyện với thu phóng 125%, 150%, 200%\nLưu lịch sử "
      "đọc an toàn hơn\nSửa lỗi ảnh bìa\nTải lại danh sách khi mất mạng\nDòng thứ sáu không hiện");
  const std::pair<const char*, UpdateStatus> dialogs[] = {
      {"checking", update_status::Checking{}},
      {"up-to-date", update_status::UpToDate{}},
      {"available", update_status::Available{manifest}},
      {"downloading", update_status::Downloading{}},
      {"failed", update_status::Failed{"Update package checksum mismatch"}},
      {"unreachable",
       update_status::Failed{"Update server unreachable. Please check your Wi-Fi connection."}},
  };
  for (const auto& [w, h] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    for (const auto& [name, status] : dialogs) {
      UpdateScreen s(w, h);
      s.state.home.home_loading = false;
      s.state.update.update_status = status;
      // The dialog offers the update whenever a manifest is known, whatever the status.
      if (std::holds_alternative<update_status::Downloading>(status) ||
          std::holds_alternative<update_status::Available>(status)) {
        s.state.update.update_manifest = manifest;
      }
      s.draw();
      EXPECT_TRUE(testing::matches_golden(
          testing::rgb_from_argb(s.canvas.data(), static_cast<std::uint32_t>(w),
                                 static_cast<std::uint32_t>(h)),
          "update/" + std::to_string(w) + "x" + std::to_string(h) + "/" + name));
    }
  }
}

}  // namespace
}  // namespace zentomi
