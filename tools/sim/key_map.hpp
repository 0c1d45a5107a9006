#pragma once

#include <SDL.h>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/button.hpp"

namespace zentomi::sim {

// What stands for one console button in the window: a key, and a game controller button or
// trigger (pad_button is SDL_CONTROLLER_BUTTON_INVALID for a trigger, pad_trigger is
// SDL_CONTROLLER_AXIS_INVALID for a button).
struct Binding {
  Button button;
  SDL_Keycode key;
  std::string_view key_name;
  SDL_GameControllerButton pad_button;
  SDL_GameControllerAxis pad_trigger;
  std::string_view pad_name;
};

// One row for every console button, in the order of the Button values.
std::span<const Binding> bindings();

// "UP: Up arrow, D-pad up" for each row, as printed when the window opens.
std::vector<std::string> binding_lines();

// Where each trigger and the left stick last pointed, so that an axis presses once when it
// crosses its threshold and must come back before it can press again.
struct PadAxes {
  std::array<bool, SDL_CONTROLLER_AXIS_MAX> trigger_held{};
  int stick_horizontal = 0;
  int stick_vertical = 0;
};

// The press one SDL event makes, if any. Key presses count with their auto-repeats, as the
// console's own keys do; releases do not. The left stick moves like the D-pad.
std::optional<Button> translate_event(const SDL_Event& event, PadAxes& axes);

}  // namespace zentomi::sim
