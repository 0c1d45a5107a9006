#pragma once

#include <expected>
#include <optional>
#include <span>
#include <string>

namespace zentomi {

struct ChildOutput {
  std::string out;               // everything the child wrote to its standard output
  std::optional<int> exit_code;  // nothing when a signal ended the child
};

// Runs the program argv[0], found through PATH, with standard input from /dev/null and the
// environment and working directory inherited. Standard output is collected; standard error is
// drained and dropped. Both pipes are read concurrently so the child never stalls on a full pipe,
// and the child is always waited for. The error is the errno of the system call that failed
// (starting the program included: ENOENT when it is not on PATH).
std::expected<ChildOutput, int> run_child(std::span<const std::string> argv);

}  // namespace zentomi
