#include "key_map.hpp"

#include <array>

namespace zentomi::sim {
namespace {

constexpr SDL_GameControllerButton NO_PAD_BUTTON = SDL_CONTROLLER_BUTTON_INVALID;
constexpr SDL_GameControllerAxis NO_TRIGGER = SDL_CONTROLLER_AXIS_INVALID;

// The face buttons go by position as the console reports them: A on the right, B at the bottom,
// X on the left, Y at the top. SDL names them by an Xbox pad's labels, hence the crossed names.
constexpr std::array<Binding, BUTTON_COUNT> BINDINGS{{
    {Button::Up, SDLK_UP, "Up arrow", SDL_CONTROLLER_BUTTON_DPAD_UP, NO_TRIGGER, "D-pad up"},
    {Button::Down, SDLK_DOWN, "Down arrow", SDL_CONTROLLER_BUTTON_DPAD_DOWN, NO_TRIGGER,
     "D-pad down"},
    {Button::Left, SDLK_LEFT, "Left arrow", SDL_CONTROLLER_BUTTON_DPAD_LEFT, NO_TRIGGER,
     "D-pad left"},
    {Button::Right, SDLK_RIGHT, "Right arrow", SDL_CONTROLLER_BUTTON_DPAD_RIGHT, NO_TRIGGER,
     "D-pad right"},
    {Button::A, SDLK_z, "Z", SDL_CONTROLLER_BUTTON_B, NO_TRIGGER, "right face button"},
    {Button::B, SDLK_x, "X", SDL_CONTROLLER_BUTTON_A, NO_TRIGGER, "bottom face button"},
    {Button::X, SDLK_a, "A", SDL_CONTROLLER_BUTTON_X, NO_TRIGGER, "left face button"},
    {Button::Y, SDLK_s, "S", SDL_CONTROLLER_BUTTON_Y, NO_TRIGGER, "top face button"},
    {Button::L1, SDLK_q, "Q", SDL_CONTROLLER_BUTTON_LEFTSHOULDER, NO_TRIGGER, "left shoulder"},
    {Button::R1, SDLK_w, "W", SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, NO_TRIGGER, "right shoulder"},
    {Button::R2, SDLK_2, "2", NO_PAD_BUTTON, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, "right trigger"},
    {Button::L2, SDLK_1, "1", NO_PAD_BUTTON, SDL_CONTROLLER_AXIS_TRIGGERLEFT, "left trigger"},
    {Button::Select, SDLK_BACKSPACE, "Backspace", SDL_CONTROLLER_BUTTON_BACK, NO_TRIGGER, "Back"},
    {Button::Start, SDLK_RETURN, "Enter", SDL_CONTROLLER_BUTTON_START, NO_TRIGGER, "Start"},
    {Button::Menu, SDLK_ESCAPE, "Escape", SDL_CONTROLLER_BUTTON_GUIDE, NO_TRIGGER, "Guide"},
}};

// Triggers run from 0 to 32767 and the stick from -32768 to 32767; both count past half way.
constexpr Sint16 AXIS_THRESHOLD = 16000;

std::optional<Button> pad_button(Uint8 pressed) {
  for (const Binding& binding : BINDINGS) {
    if (static_cast<int>(binding.pad_button) == pressed) return binding.button;
  }
  return std::nullopt;
}

std::optional<Button> key(SDL_Keycode pressed) {
  for (const Binding& binding : BINDINGS) {
    if (binding.key == pressed) return binding.button;
  }
  return std::nullopt;
}

std::optional<Button> move_trigger(bool& held, Sint16 value, Button button) {
  const bool now = value > AXIS_THRESHOLD;
  const bool pressed = now && !held;
  held = now;
  return pressed ? std::optional(button) : std::nullopt;
}

std::optional<Button> move_stick(int& stored, Sint16 value, Button negative, Button positive) {
  const int direction = value < -AXIS_THRESHOLD ? -1 : (value > AXIS_THRESHOLD ? 1 : 0);
  const bool pressed = direction != 0 && direction != stored;
  stored = direction;
  if (!pressed) return std::nullopt;
  return direction < 0 ? negative : positive;
}

std::optional<Button> move_axis(const SDL_ControllerAxisEvent& motion, PadAxes& axes) {
  if (motion.axis == SDL_CONTROLLER_AXIS_LEFTX)
    return move_stick(axes.stick_horizontal, motion.value, Button::Left, Button::Right);
  if (motion.axis == SDL_CONTROLLER_AXIS_LEFTY)
    return move_stick(axes.stick_vertical, motion.value, Button::Up, Button::Down);
  for (const Binding& binding : BINDINGS) {
    if (static_cast<int>(binding.pad_trigger) == motion.axis)
      return move_trigger(axes.trigger_held[motion.axis], motion.value, binding.button);
  }
  return std::nullopt;
}

}  // namespace

std::span<const Binding> bindings() {
  return BINDINGS;
}

std::vector<std::string> binding_lines() {
  std::vector<std::string> lines;
  lines.reserve(BINDINGS.size());
  for (const Binding& binding : BINDINGS) {
    lines.push_back(std::string(button_name(binding.button)) + ": " +
                    std::string(binding.key_name) + ", " + std::string(binding.pad_name));
  }
  return lines;
}

std::optional<Button> translate_event(const SDL_Event& event, PadAxes& axes) {
  switch (event.type) {
    case SDL_KEYDOWN:
      return key(event.key.keysym.sym);
    case SDL_CONTROLLERBUTTONDOWN:
      return pad_button(event.cbutton.button);
    case SDL_CONTROLLERAXISMOTION:
      return move_axis(event.caxis, axes);
    default:
      return std::nullopt;
  }
}

}  // namespace zentomi::sim
