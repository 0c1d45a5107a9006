#include "model/button.hpp"

#include <array>

namespace zentomi {
namespace {
constexpr std::array<std::string_view, BUTTON_COUNT> NAMES = {
    "UP", "DOWN", "LEFT", "RIGHT", "A",      "B",     "X",   "Y",
    "L1", "R1",   "R2",   "L2",    "SELECT", "START", "MENU"};

char ascii_upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
}  // namespace

std::string_view button_name(Button button) {
  return NAMES.at(static_cast<std::size_t>(button));
}

std::optional<Button> button_from_name(std::string_view name) {
  for (std::size_t i = 0; i < NAMES.size(); ++i) {
    const std::string_view candidate = NAMES[i];
    if (candidate.size() != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < name.size() && same; ++k)
      same = ascii_upper(name[k]) == candidate[k];
    if (same) return static_cast<Button>(i);
  }
  return std::nullopt;
}

}  // namespace zentomi
