#include "device/framebuffer.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/framebuffer_geometry.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using ::testing::HasSubstr;

TEST(FramebufferGeometry, TakesTheDeviceValuesWhenReported) {
  const FramebufferGeometry g = plan_geometry({1280, 720, 0, 0, 5120, 5120 * 1440}, 1024, 768);
  EXPECT_EQ(g.width, 1280);
  EXPECT_EQ(g.height, 720);
  EXPECT_EQ(g.stride, 5120u);
  EXPECT_FALSE(g.pan_to_origin);
}

TEST(FramebufferGeometry, ZeroResolutionKeepsTheDefaultsAndZeroLineLengthMeansPacked) {
  const FramebufferGeometry zero_width = plan_geometry({0, 720, 0, 0, 0, 4096}, 1024, 768);
  EXPECT_EQ(zero_width.width, 1024);
  EXPECT_EQ(zero_width.height, 768);
  EXPECT_EQ(zero_width.stride, 4096u);
  // Failed ioctls leave everything zero.
  const FramebufferGeometry nothing = plan_geometry({}, 1280, 720);
  EXPECT_EQ(nothing.width, 1280);
  EXPECT_EQ(nothing.stride, 5120u);
  EXPECT_FALSE(nothing.pan_to_origin);
}

TEST(FramebufferGeometry, PansBackWhenTheDeviceShowsAnotherPage) {
  EXPECT_TRUE(plan_geometry({1280, 720, 0, 720, 5120, 0}, 1280, 720).pan_to_origin);
  EXPECT_TRUE(plan_geometry({1280, 720, 3, 0, 5120, 0}, 1280, 720).pan_to_origin);
}

std::vector<std::uint32_t> numbered_frame(int width, int height) {
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < frame.size(); ++i)
    frame[i] = 0xFF000000u | static_cast<std::uint32_t>(i + 1);
  return frame;
}

std::uint32_t word_at(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

TEST(PresentCopy, UnpaddedRowsAreOneBlock) {
  const auto frame = numbered_frame(3, 2);
  std::vector<std::uint8_t> device(24, 0xAB);
  copy_frame(frame.data(), 3, 2, device.data(), device.size(), 12);
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_EQ(word_at(device, i * 4), frame[i]);
}

TEST(PresentCopy, PaddedRowsLeaveThePaddingUntouched) {
  const auto frame = numbered_frame(3, 2);
  std::vector<std::uint8_t> device(2 * 16, 0xAB);
  copy_frame(frame.data(), 3, 2, device.data(), device.size(), 16);
  EXPECT_EQ(word_at(device, 0), frame[0]);
  EXPECT_EQ(word_at(device, 8), frame[2]);
  EXPECT_EQ(word_at(device, 12), 0xABABABABu);  // padding of row 0
  EXPECT_EQ(word_at(device, 16), frame[3]);
  EXPECT_EQ(word_at(device, 24), frame[5]);
  EXPECT_EQ(word_at(device, 28), 0xABABABABu);
}

TEST(PresentCopy, NeverWritesPastASmallMapping) {
  const auto frame = numbered_frame(4, 4);
  // A guard region after the pretended mapping must survive both copy paths.
  for (const std::size_t stride : {16u, 20u}) {
    std::vector<std::uint8_t> device(40 + 64, 0xCD);
    copy_frame(frame.data(), 4, 4, device.data(), 40, stride);
    for (std::size_t i = 40; i < device.size(); ++i)
      ASSERT_EQ(device[i], 0xCD) << stride << ":" << i;
    EXPECT_EQ(word_at(device, 0), frame[0]);
  }
}

TEST(Framebuffer, ForcedSimulatorUsesTheDefaultSize) {
  ::testing::internal::CaptureStderr();
  Framebuffer framebuffer = Framebuffer::open(1024, 768, {"/dev/fb0", true});
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log,
            "[Framebuffer] Notice: Could not open /dev/fb0 (Forced simulator mode). Initializing "
            "Desktop Simulator mode.\n");
  EXPECT_TRUE(framebuffer.is_simulator());
  EXPECT_EQ(framebuffer.width(), 1024);
  EXPECT_EQ(framebuffer.height(), 768);
  EXPECT_EQ(framebuffer.stride(), 4096u);
  EXPECT_EQ(framebuffer.canvas().pixel(0, 0), palette::INITIAL_FILL);
  framebuffer.present();  // nothing to copy to; must not crash
}

TEST(Framebuffer, MissingDeviceNamesTheSystemError) {
  testing::TempDir dir;
  ::testing::internal::CaptureStderr();
  Framebuffer framebuffer = Framebuffer::open(1280, 720, {(dir / "fb0").string(), false});
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(log, HasSubstr("(No such file or directory (os error 2)). Initializing"));
  EXPECT_TRUE(framebuffer.is_simulator());
  EXPECT_EQ(framebuffer.width(), 1280);
  EXPECT_EQ(framebuffer.height(), 720);
}

TEST(Framebuffer, DeviceWhoseRequestsFailFallsBackAfterTheMappingFails) {
  // A regular file opens but answers no framebuffer requests: the zeroed replies give the
  // default size and nothing to map.
  testing::TempDir dir;
  testing::write_file(dir / "fb0", std::string(64, '\0'));
  ::testing::internal::CaptureStderr();
  Framebuffer framebuffer = Framebuffer::open(1024, 768, {(dir / "fb0").string(), false});
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log, "[Framebuffer] Warning: mmap /dev/fb0 failed. Running in emulator mode.\n");
  EXPECT_TRUE(framebuffer.is_simulator());
  EXPECT_EQ(framebuffer.width(), 1024);
  EXPECT_EQ(framebuffer.height(), 768);
  EXPECT_EQ(framebuffer.stride(), 4096u);
}

}  // namespace
}  // namespace zentomi
