#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zentomi {

// Starts the body on a detached thread that is never joined. A refused start stops the program
// with "failed to spawn thread: " and the reason. An exception that escapes the body ends that
// thread alone, with the line "[Tag] Thread stopped by an error: " and its description.
void spawn_detached(std::string_view tag, std::function<void()> body);

// The description of the exception being handled: its what() text, or "unknown error". Call it
// only inside a catch block.
std::string current_exception_text();

}  // namespace zentomi
