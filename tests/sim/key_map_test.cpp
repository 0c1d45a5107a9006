// The window's one table of keys and controller inputs, through the events SDL hands over.
#include "key_map.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>

namespace zentomi::sim {
namespace {

SDL_Event key_event(Uint32 type, SDL_Keycode key, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = key;
  event.key.repeat = repeat;
  return event;
}

SDL_Event pad_button_event(Uint32 type, SDL_GameControllerButton button) {
  SDL_Event event{};
  event.type = type;
  event.cbutton.button = static_cast<Uint8>(button);
  return event;
}

SDL_Event axis_event(SDL_GameControllerAxis axis, Sint16 value) {
  SDL_Event event{};
  event.type = SDL_CONTROLLERAXISMOTION;
  event.caxis.axis = static_cast<Uint8>(axis);
  event.caxis.value = value;
  return event;
}

TEST(KeyMap, EveryButtonHasOneKeyAndOneControllerInputAndNoneServesTwo) {
  std::set<Button> buttons;
  std::set<SDL_Keycode> keys;
  std::set<std::pair<int, int>> pad_inputs;
  for (const Binding& binding : bindings()) {
    buttons.insert(binding.button);
    EXPECT_TRUE(keys.insert(binding.key).second) << binding.key_name << " is used twice";
    EXPECT_NE(binding.pad_button == SDL_CONTROLLER_BUTTON_INVALID,
              binding.pad_trigger == SDL_CONTROLLER_AXIS_INVALID)
        << binding.pad_name << ": a controller button or a trigger, not both";
    EXPECT_TRUE(pad_inputs.emplace(binding.pad_button, binding.pad_trigger).second)
        << binding.pad_name << " is used twice";

    PadAxes axes;
    EXPECT_EQ(translate_event(key_event(SDL_KEYDOWN, binding.key), axes), binding.button);
    EXPECT_EQ(translate_event(key_event(SDL_KEYDOWN, binding.key, 1), axes), binding.button)
        << "a held key repeats, as the console's keys do";
    EXPECT_EQ(translate_event(key_event(SDL_KEYUP, binding.key), axes), std::nullopt);
    if (binding.pad_button != SDL_CONTROLLER_BUTTON_INVALID) {
      EXPECT_EQ(
          translate_event(pad_button_event(SDL_CONTROLLERBUTTONDOWN, binding.pad_button), axes),
          binding.button);
      EXPECT_EQ(translate_event(pad_button_event(SDL_CONTROLLERBUTTONUP, binding.pad_button), axes),
                std::nullopt);
    }
  }
  EXPECT_EQ(buttons.size(), static_cast<std::size_t>(BUTTON_COUNT));
  PadAxes axes;
  EXPECT_EQ(translate_event(key_event(SDL_KEYDOWN, SDLK_F5), axes), std::nullopt);
  // By position as the console reports it: A on the right, B at the bottom.
  EXPECT_EQ(
      translate_event(pad_button_event(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_B), axes),
      Button::A);
  EXPECT_EQ(
      translate_event(pad_button_event(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_A), axes),
      Button::B);
}

TEST(KeyMap, TriggersAndTheStickPressOncePerCrossing) {
  PadAxes axes;
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16000), axes),
            std::nullopt);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16001), axes), Button::L2);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767), axes),
            std::nullopt);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767), axes), Button::R2);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0), axes), std::nullopt);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 20000), axes), Button::L2);

  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_LEFTX, -20000), axes), Button::Left);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_LEFTX, -30000), axes), std::nullopt);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_LEFTX, 30000), axes), Button::Right);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_LEFTY, 30000), axes), Button::Down);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_LEFTY, 0), axes), std::nullopt);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_LEFTY, -30000), axes), Button::Up);
  EXPECT_EQ(translate_event(axis_event(SDL_CONTROLLER_AXIS_RIGHTX, 30000), axes), std::nullopt);
}

}  // namespace
}  // namespace zentomi::sim
