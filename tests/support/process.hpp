#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zentomi::testing {

struct ProcessResult {
  std::optional<int> exit_status;  // nothing when ended by a signal or the time limit
  bool timed_out = false;
  std::string out;
  std::string err;
};

struct ProcessOptions {
  std::map<std::string, std::string> environment;  // added to (or replacing in) the inherited one
  std::optional<std::string> working_directory;
  std::chrono::milliseconds time_limit{60'000};
};

// Runs a program to its end with standard input from /dev/null, collecting both outputs; killed
// when it outlives the time limit. A cross-compiled test runs built programs through the emulator.
ProcessResult run_process(std::vector<std::string> argv, const ProcessOptions& options = {});

// argv for one of our own built executables, with the cross-compiling emulator in front if any.
std::vector<std::string> built_program(const std::string& path);

}  // namespace zentomi::testing
