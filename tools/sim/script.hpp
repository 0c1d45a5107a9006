#pragma once

#include <chrono>
#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/button.hpp"

namespace zentomi::sim {

namespace command {
struct Press {
  Button button;
  bool operator==(const Press&) const = default;
};
struct Frames {
  std::size_t count;
  bool operator==(const Frames&) const = default;
};
struct Wait {
  std::chrono::milliseconds duration;
  bool operator==(const Wait&) const = default;
};
struct Settle {
  std::chrono::milliseconds limit;
  bool operator==(const Settle&) const = default;
};
struct Shot {
  std::string name;
  bool operator==(const Shot&) const = default;
};
struct Quit {
  bool operator==(const Quit&) const = default;
};
}  // namespace command

using Command = std::variant<command::Press, command::Frames, command::Wait, command::Settle,
                             command::Shot, command::Quit>;

struct ScriptLine {
  std::size_t line_number;
  Command command;
  bool operator==(const ScriptLine&) const = default;
};

inline constexpr std::chrono::milliseconds DEFAULT_SETTLE_LIMIT{10'000};

// One command per line; '#' starts a comment; blank lines are ignored; names are
// case-insensitive. An error names its line: "line 3: unknown button 'Z'".
std::expected<std::vector<ScriptLine>, std::string> parse_script(std::string_view text);

}  // namespace zentomi::sim
