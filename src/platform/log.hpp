#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zentomi {

// "[Tag] text" and a line feed, with every control character of the text escaped ("\n", "\r",
// "\t", or "\xNN"; C1 controls as "\u0085"), so that scraped text can never start a line of its
// own. Other bytes, UTF-8 included, pass unchanged.
std::string format_log_line(std::string_view tag, std::string_view text);

// Writes the line with one call, so that lines of different threads never interleave. Never
// throws: when even the line cannot be built, the tag alone is written.
void log_line(std::string_view tag, std::string_view text, std::FILE* out = stderr) noexcept;

// Writes the message and a line feed, then ends the process at once with status 101: for the
// few failures the program cannot run without (a refused thread, the embedded font).
[[noreturn]] void stop_program(std::string_view message) noexcept;

}  // namespace zentomi
