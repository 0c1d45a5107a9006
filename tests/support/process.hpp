#pragma once

#include <sys/types.h>

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

// A program left running while a test talks to it (a loopback server, say): standard input from
// /dev/null, standard output readable line by line, standard error inherited. Killed and reaped
// when the object goes.
class BackgroundProcess {
 public:
  explicit BackgroundProcess(std::vector<std::string> argv, const ProcessOptions& options = {});
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // The next line of its standard output without the line feed; nothing when the time limit
  // passes or the output ends first.
  std::optional<std::string> read_line(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pending_;
};

// argv for one of our own built executables, with the cross-compiling emulator in front if any.
std::vector<std::string> built_program(const std::string& path);

}  // namespace zentomi::testing
