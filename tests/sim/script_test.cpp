#include "script.hpp"

#include <gtest/gtest.h>

namespace zentomi::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimScript, ParsesEveryCommandIgnoringCaseCommentsAndBlankLines) {
  const auto script = parse_script(
      "# walk-through\n"
      "\n"
      "press down   # move\n"
      "PRESS Select\r\n"
      "frames 3\n"
      "  wait 250\n"
      "settle\n"
      "Settle 500\n"
      "shot home-grid_1\n"
      "quit\n");
  ASSERT_TRUE(script.has_value()) << script.error();
  const std::vector<ScriptLine> expected = {
      {3, command::Press{Button::Down}}, {4, command::Press{Button::Select}},
      {5, command::Frames{3}},           {6, command::Wait{250ms}},
      {7, command::Settle{10'000ms}},    {8, command::Settle{500ms}},
      {9, command::Shot{"home-grid_1"}}, {10, command::Quit{}},
  };
  EXPECT_EQ(*script, expected);
}

TEST(SimScript, KnowsEveryButtonName) {
  for (const char* name : {"UP", "DOWN", "LEFT", "RIGHT", "A", "B", "X", "Y", "L1", "R1", "L2",
                           "R2", "SELECT", "START", "MENU"}) {
    const auto script = parse_script(std::string("press ") + name);
    ASSERT_TRUE(script.has_value()) << name;
    EXPECT_EQ(button_name(std::get<command::Press>(script->front().command).button), name);
  }
}

TEST(SimScript, ErrorsNameTheirLine) {
  EXPECT_EQ(parse_script("frames 1\njump 3\n").error(), "line 2: unknown command 'jump'");
  EXPECT_EQ(parse_script("\n\npress Z\n").error(), "line 3: unknown button 'Z'");
  EXPECT_EQ(parse_script("press\n").error(), "line 1: 'press' takes 1 argument");
  EXPECT_EQ(parse_script("press A B\n").error(), "line 1: 'press' takes 1 argument");
  EXPECT_EQ(parse_script("frames -1\n").error(), "line 1: invalid frame count '-1'");
  EXPECT_EQ(parse_script("frames 2x\n").error(), "line 1: invalid frame count '2x'");
  EXPECT_EQ(parse_script("wait\n").error(), "line 1: 'wait' takes 1 argument");
  EXPECT_EQ(parse_script("settle 1 2\n").error(), "line 1: 'settle' takes 0 or 1 arguments");
  EXPECT_EQ(parse_script("quit now\n").error(), "line 1: 'quit' takes 0 arguments");
  EXPECT_EQ(parse_script("shot ../escape\n").error(),
            "line 1: invalid shot name '../escape' (letters, digits, '-', '_' and '.')");
}

TEST(SimScript, EmptyScriptIsValid) {
  EXPECT_TRUE(parse_script("").value().empty());
  EXPECT_TRUE(parse_script("# only a comment\n\n").value().empty());
}

}  // namespace
}  // namespace zentomi::sim
