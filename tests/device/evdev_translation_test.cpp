#include "device/evdev_translation.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "event_records.hpp"

namespace zentomi::input {
namespace {

using testing::event_bytes;

constexpr std::uint16_t ABS_X = 0;
constexpr std::uint16_t ABS_Y = 1;
constexpr std::uint16_t ABS_HAT0X = 16;
constexpr std::uint16_t ABS_HAT0Y = 17;

std::optional<Button> translate(std::uint16_t type, std::uint16_t code, std::int32_t value,
                                AxisState& axes) {
  return translate_record(decode_record(event_bytes(type, code, value)), axes);
}

std::optional<Button> press(std::uint16_t code, std::int32_t value = 1) {
  AxisState axes;
  return translate(EV_KEY_TYPE, code, value, axes);
}

// Every press a sequence of positions on one axis makes, sharing one state.
std::vector<Button> axis_presses(std::uint16_t code, const std::vector<std::int32_t>& values,
                                 AxisState& axes) {
  std::vector<Button> presses;
  for (std::int32_t value : values) {
    if (auto button = translate(EV_ABS_TYPE, code, value, axes)) presses.push_back(*button);
  }
  return presses;
}

TEST(DecodeRecord, ReadsLittleEndianFieldsAndIgnoresTheTime) {
  const EventRecord record = decode_record(event_bytes(0x0103, 0x0131, -20000));
  EXPECT_EQ(record.type, 0x0103);
  EXPECT_EQ(record.code, 305);
  EXPECT_EQ(record.value, -20000);

  std::array<std::uint8_t, EVENT_RECORD_SIZE> bytes{};
  bytes[16] = 1;
  bytes[18] = 0x31;
  bytes[19] = 0x01;
  bytes[20] = 0xFF;
  bytes[21] = 0xFF;
  bytes[22] = 0xFF;
  bytes[23] = 0x7F;
  const EventRecord maximum = decode_record(bytes);
  EXPECT_EQ(maximum.type, 1);
  EXPECT_EQ(maximum.code, 305);
  EXPECT_EQ(maximum.value, 0x7FFFFFFF);
}

TEST(KeyTable, MapsEveryCodeByNumber) {
  const std::vector<std::pair<std::uint16_t, Button>> table = {
      {103, Button::Up},   {544, Button::Up},     {108, Button::Down},  {545, Button::Down},
      {105, Button::Left}, {546, Button::Left},   {106, Button::Right}, {547, Button::Right},
      {305, Button::A},    {1, Button::B},        {304, Button::B},     {308, Button::X},
      {307, Button::Y},    {310, Button::L1},     {311, Button::R1},    {313, Button::R2},
      {312, Button::L2},   {314, Button::Select}, {315, Button::Start}, {316, Button::Menu},
      {704, Button::Menu}, {705, Button::Menu},
  };
  for (const auto& [code, button] : table) {
    EXPECT_EQ(press(code), button) << "code " << code;
    EXPECT_EQ(press(code, 2), button) << "auto-repeat of code " << code;
    EXPECT_EQ(press(code, 0), std::nullopt) << "release of code " << code;
  }
  // R2 comes before L2 in the enumeration.
  EXPECT_EQ(static_cast<int>(*press(313)), 10);
  EXPECT_EQ(static_cast<int>(*press(312)), 11);
}

TEST(KeyTable, IgnoresUnmappedCodesOddValuesAndOtherTypes) {
  for (std::uint16_t code : {0, 2, 28, 57, 104, 107, 306, 309, 317, 543, 548, 703, 706}) {
    EXPECT_EQ(press(code), std::nullopt) << "code " << code;
  }
  EXPECT_EQ(press(305, 3), std::nullopt);
  EXPECT_EQ(press(305, -1), std::nullopt);

  AxisState axes;
  EXPECT_EQ(translate(0, 305, 1, axes), std::nullopt);              // EV_SYN
  EXPECT_EQ(translate(2, 0, 1, axes), std::nullopt);                // EV_REL
  EXPECT_EQ(translate(4, 305, 1, axes), std::nullopt);              // EV_MSC
  EXPECT_EQ(translate(EV_ABS_TYPE, 2, 30000, axes), std::nullopt);  // ABS_Z
  EXPECT_EQ(translate(EV_ABS_TYPE, 305, 30000, axes), std::nullopt);
}

TEST(Axes, ASlowStickEmitsOncePastTheThresholdAndAgainAfterReturning) {
  AxisState axes;
  std::vector<std::int32_t> slow_push;
  for (std::int32_t value = 0; value <= 20000; value += 1000)
    slow_push.push_back(value);
  slow_push.push_back(16000);  // exactly the threshold is still inside
  EXPECT_EQ(axis_presses(ABS_X, {0, 8000, 16000}, axes), std::vector<Button>{});
  EXPECT_EQ(axis_presses(ABS_X, slow_push, axes), std::vector<Button>{Button::Right});
  EXPECT_EQ(axes.horizontal, 0);  // back at 16000: the dead zone
  EXPECT_EQ(axis_presses(ABS_X, {20000, 20000, 25000}, axes), std::vector<Button>{Button::Right});
  EXPECT_EQ(axis_presses(ABS_X, {5000, 20000}, axes), std::vector<Button>{Button::Right});
  EXPECT_EQ(axis_presses(ABS_X, {-16000, -16001, -30000}, axes), std::vector<Button>{Button::Left});
  EXPECT_EQ(axis_presses(ABS_Y, {16001, 32767, -32768}, axes),
            (std::vector<Button>{Button::Down, Button::Up}));
}

TEST(Axes, AHatEmitsOncePerDeflection) {
  AxisState axes;
  EXPECT_EQ(axis_presses(ABS_HAT0Y, {-1, -1}, axes), std::vector<Button>{Button::Up});
  EXPECT_EQ(axis_presses(ABS_HAT0Y, {0, -1}, axes), std::vector<Button>{Button::Up});
  EXPECT_EQ(axis_presses(ABS_HAT0Y, {1, 1, 0}, axes), std::vector<Button>{Button::Down});
  EXPECT_EQ(axis_presses(ABS_HAT0X, {1, -1, -1, 0, 0, 1}, axes),
            (std::vector<Button>{Button::Right, Button::Left, Button::Right}));
  // Any other small value is the dead zone, which re-arms the hat.
  EXPECT_EQ(axis_presses(ABS_HAT0X, {2, 1}, axes), std::vector<Button>{Button::Right});
}

TEST(Axes, StickAndHatShareOneStatePerDirection) {
  AxisState axes;
  EXPECT_EQ(axis_presses(ABS_HAT0X, {1}, axes), std::vector<Button>{Button::Right});
  EXPECT_EQ(axis_presses(ABS_X, {20000}, axes), std::vector<Button>{});
  // The vertical state is separate from the horizontal one.
  EXPECT_EQ(axis_presses(ABS_Y, {20000}, axes), std::vector<Button>{Button::Down});
  EXPECT_EQ(axis_presses(ABS_HAT0Y, {1}, axes), std::vector<Button>{});
  EXPECT_EQ(axis_presses(ABS_X, {0}, axes), std::vector<Button>{});
  EXPECT_EQ(axis_presses(ABS_HAT0X, {1}, axes), std::vector<Button>{Button::Right});
  EXPECT_EQ(axes.vertical, 1);
}

}  // namespace
}  // namespace zentomi::input
