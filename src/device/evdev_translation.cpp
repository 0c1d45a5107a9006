#include "device/evdev_translation.hpp"

namespace zentomi::input {
namespace {

constexpr std::int32_t STICK_THRESHOLD = 16000;

constexpr std::uint16_t ABS_X_CODE = 0;
constexpr std::uint16_t ABS_Y_CODE = 1;
constexpr std::uint16_t ABS_HAT0X_CODE = 16;
constexpr std::uint16_t ABS_HAT0Y_CODE = 17;

std::uint32_t read_u32(std::span<const std::uint8_t, EVENT_RECORD_SIZE> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Hats report exactly -1 or +1; analogue sticks count only strictly beyond the threshold.
int axis_direction(std::int32_t value) {
  if (value < -STICK_THRESHOLD || value == -1) return -1;
  if (value > STICK_THRESHOLD || value == 1) return 1;
  return 0;
}

std::optional<Button> move_axis(int& stored, std::int32_t value, Button negative, Button positive) {
  const int direction = axis_direction(value);
  if (direction == 0) {
    stored = 0;
    return std::nullopt;
  }
  if (direction == stored) return std::nullopt;
  stored = direction;
  return direction < 0 ? negative : positive;
}

}  // namespace

EventRecord decode_record(std::span<const std::uint8_t, EVENT_RECORD_SIZE> bytes) {
  return EventRecord{
      static_cast<std::uint16_t>(bytes[16] | bytes[17] << 8),
      static_cast<std::uint16_t>(bytes[18] | bytes[19] << 8),
      static_cast<std::int32_t>(read_u32(bytes, 20)),
  };
}

std::optional<Button> button_for_key_code(std::uint16_t code) {
  switch (code) {
    case 103:
    case 544:
      return Button::Up;
    case 108:
    case 545:
      return Button::Down;
    case 105:
    case 546:
      return Button::Left;
    case 106:
    case 547:
      return Button::Right;
    case 305:
      return Button::A;
    case 1:
    case 304:
      return Button::B;
    case 308:
      return Button::X;
    case 307:
      return Button::Y;
    case 310:
      return Button::L1;
    case 311:
      return Button::R1;
    case 313:
      return Button::R2;
    case 312:
      return Button::L2;
    case 314:
      return Button::Select;
    case 315:
      return Button::Start;
    case 316:
    case 704:
    case 705:
      return Button::Menu;
    default:
      return std::nullopt;
  }
}

std::optional<Button> translate_record(const EventRecord& record, AxisState& axes) {
  if (record.type == EV_KEY_TYPE) {
    if (record.value != 1 && record.value != 2) return std::nullopt;
    return button_for_key_code(record.code);
  }
  if (record.type != EV_ABS_TYPE) return std::nullopt;
  switch (record.code) {
    case ABS_X_CODE:
    case ABS_HAT0X_CODE:
      return move_axis(axes.horizontal, record.value, Button::Left, Button::Right);
    case ABS_Y_CODE:
    case ABS_HAT0Y_CODE:
      return move_axis(axes.vertical, record.value, Button::Up, Button::Down);
    default:
      return std::nullopt;
  }
}

}  // namespace zentomi::input
