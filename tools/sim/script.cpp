#include "script.hpp"

#include <charconv>
#include <limits>

namespace zentomi::sim {
namespace {

std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t position = 0;
  while (position < line.size()) {
    while (position < line.size() && (line[position] == ' ' || line[position] == '\t'))
      ++position;
    const std::size_t start = position;
    while (position < line.size() && line[position] != ' ' && line[position] != '\t')
      ++position;
    if (position > start) words.push_back(line.substr(start, position - start));
  }
  return words;
}

std::string lower(std::string_view word) {
  std::string out(word);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::expected<std::size_t, std::string> parse_count(std::string_view word, std::string_view what) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc{} || end != word.data() + word.size()) {
    return std::unexpected("invalid " + std::string(what) + " '" + std::string(word) + "'");
  }
  return value;
}

bool valid_shot_name(std::string_view name) {
  if (name.empty() || name.front() == '.') return false;
  for (const char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
    if (!allowed) return false;
  }
  return true;
}

std::expected<Command, std::string> parse_command(const std::vector<std::string_view>& words) {
  const std::string name = lower(words[0]);
  const std::size_t arguments = words.size() - 1;
  const auto expect_arguments = [&](std::size_t low,
                                    std::size_t high) -> std::optional<std::string> {
    if (arguments >= low && arguments <= high) return std::nullopt;
    return "'" + name + "' takes " +
           (low == high ? std::to_string(low)
                        : std::to_string(low) + " or " + std::to_string(high)) +
           " argument" + (low == 1 && high == 1 ? "" : "s");
  };
  if (name == "press") {
    if (auto error = expect_arguments(1, 1)) return std::unexpected(*error);
    const std::optional<Button> button = button_from_name(words[1]);
    if (!button) return std::unexpected("unknown button '" + std::string(words[1]) + "'");
    return command::Press{*button};
  }
  if (name == "frames") {
    if (auto error = expect_arguments(1, 1)) return std::unexpected(*error);
    auto count = parse_count(words[1], "frame count");
    if (!count) return std::unexpected(count.error());
    return command::Frames{*count};
  }
  if (name == "wait" || name == "settle") {
    if (auto error = name == "wait" ? expect_arguments(1, 1) : expect_arguments(0, 1)) {
      return std::unexpected(*error);
    }
    std::chrono::milliseconds duration = DEFAULT_SETTLE_LIMIT;
    if (arguments == 1) {
      auto milliseconds = parse_count(words[1], "duration in milliseconds");
      if (!milliseconds) return std::unexpected(milliseconds.error());
      if (*milliseconds > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return std::unexpected("duration too long '" + std::string(words[1]) + "'");
      }
      duration = std::chrono::milliseconds(*milliseconds);
    }
    if (name == "wait") return command::Wait{duration};
    return command::Settle{duration};
  }
  if (name == "shot") {
    if (auto error = expect_arguments(1, 1)) return std::unexpected(*error);
    if (!valid_shot_name(words[1])) {
      return std::unexpected("invalid shot name '" + std::string(words[1]) +
                             "' (letters, digits, '-', '_' and '.')");
    }
    return command::Shot{std::string(words[1])};
  }
  if (name == "quit") {
    if (auto error = expect_arguments(0, 0)) return std::unexpected(*error);
    return command::Quit{};
  }
  return std::unexpected("unknown command '" + std::string(words[0]) + "'");
}

}  // namespace

std::expected<std::vector<ScriptLine>, std::string> parse_script(std::string_view text) {
  std::vector<ScriptLine> script;
  std::size_t line_number = 0;
  std::size_t position = 0;
  while (position <= text.size()) {
    const std::size_t end = std::min(text.find('\n', position), text.size());
    std::string_view line = text.substr(position, end - position);
    position = end + 1;
    ++line_number;
    if (const std::size_t comment = line.find('#'); comment != std::string_view::npos) {
      line = line.substr(0, comment);
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> words = split_words(line);
    if (words.empty()) continue;
    auto command = parse_command(words);
    if (!command) {
      return std::unexpected("line " + std::to_string(line_number) + ": " + command.error());
    }
    script.push_back({line_number, std::move(*command)});
  }
  return script;
}

}  // namespace zentomi::sim
