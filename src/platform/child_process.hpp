#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace zentomi {

struct ChildOutput {
  std::string out;                  // what the child wrote to its standard output, when captured
  std::vector<std::uint8_t> bytes;  // the same, when captured as bytes
  std::optional<int> exit_code;     // nothing when a signal ended the child
  // The child wrote more than the capture's limit: `out` holds none of it and the child was
  // stopped.
  bool over_limit = false;
  // The child was still running at its time limit and was ended (SIGKILL); `out` holds nothing.
  bool timed_out = false;
};

// Where the child's standard output goes.
namespace child_output {
// Collected into ChildOutput::out; standard error is drained and dropped. Both pipes are read
// concurrently so the child never stalls on a full pipe. Past `limit` bytes the child is ended
// and nothing is kept, so no child can fill the memory.
struct Capture {
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  // Into ChildOutput::bytes instead, for a caller that wants bytes without copying them again.
  bool as_bytes = false;
};
// Written to the file, created or truncated (0666 less the umask); standard error is dropped.
struct ToFile {
  std::string path;
};
// Standard output and standard error are the program's own.
struct Inherit {};
}  // namespace child_output

struct ChildOptions {
  std::variant<child_output::Capture, child_output::ToFile, child_output::Inherit> output;
  // Standard input is /dev/null unless the child is to share the program's own.
  bool inherit_input = false;
  // No file the child writes grows past this many bytes (RLIMIT_FSIZE): a write past it ends
  // the child by SIGXFSZ.
  std::optional<std::uint64_t> file_size_limit = std::nullopt;
  // A child still running this long after its start is ended, so a hung tool cannot hold its
  // caller for ever.
  std::optional<std::chrono::milliseconds> time_limit = std::nullopt;
};

// Runs the program argv[0], found through PATH, with the environment and working directory
// inherited, and waits for it to end. The error is the errno of the system call that failed
// (starting the program included: ENOENT when it is not on PATH; os_error_text words it).
std::expected<ChildOutput, int> run_child(std::span<const std::string> argv,
                                          const ChildOptions& options);
// The same with its standard output captured (without a limit) and standard input from /dev/null.
std::expected<ChildOutput, int> run_child(std::span<const std::string> argv);

}  // namespace zentomi
