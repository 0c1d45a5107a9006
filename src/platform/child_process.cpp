#include "platform/child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_descriptor.hpp"
#include "platform/system_calls.hpp"

extern char** environ;

namespace zentomi {
namespace {

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

// The milliseconds poll may wait: -1 without a deadline, 0 once it has passed.
int poll_timeout(const Deadline& deadline) {
  if (!deadline) return -1;
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
  return static_cast<int>(
      std::clamp<std::int64_t>(left.count(), 0, std::numeric_limits<int>::max()));
}

struct Pipe {
  FileDescriptor read_end;
  FileDescriptor write_end;
};

// Close-on-exec, so a curl started at the same time by another job thread cannot inherit the
// write end and hold this pipe open.
std::expected<Pipe, int> open_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::unexpected(errno);
  return Pipe{FileDescriptor(fds[0]), FileDescriptor(fds[1])};
}

class SpawnActions {
 public:
  SpawnActions() { error_ = ::posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() {
    if (error_ == 0) ::posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;

  void open(int target, const char* path, int flags) {
    if (error_ == 0) error_ = ::posix_spawn_file_actions_addopen(&actions_, target, path, flags, 0);
  }
  void duplicate(int source, int target) {
    if (error_ == 0) error_ = ::posix_spawn_file_actions_adddup2(&actions_, source, target);
  }
  int error() const { return error_; }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  int error_ = 0;
};

// The program's file as execvp would find it on PATH: ENOENT when no candidate exists, EACCES
// when one exists but cannot be run. Resolving it here rather than in the child keeps the
// failure a start-up error wherever the child is created by fork emulation (qemu), where a
// failed exec could only show as exit status 127.
std::expected<std::string, int> find_program(const std::string& name) {
  if (name.empty()) return std::unexpected(ENOENT);
  if (name.find('/') != std::string::npos) {
    if (::access(name.c_str(), X_OK) == 0) return name;
    return std::unexpected(errno);
  }
  const char* path = std::getenv("PATH");
  const std::string directories = path != nullptr ? path : "/bin:/usr/bin";
  int error = ENOENT;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(directories.find(':', start), directories.size());
    const std::string directory = directories.substr(start, end - start);
    std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
    const auto status = status_of(candidate);
    if (status && S_ISREG(status->st_mode)) {
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
      error = EACCES;
    }
    if (end == directories.size()) break;
    start = end + 1;
  }
  return std::unexpected(error);
}

// Where each of the child's three standard streams comes from: a descriptor of ours, or nothing
// to leave the program's own.
struct ChildStreams {
  bool null_input = true;
  std::optional<int> out;
  std::optional<int> err;
  bool null_err = false;
  std::optional<std::uint64_t> file_size_limit;
};

// The stream actions of the child as async-signal-safe calls, for a child made by fork.
bool redirect_streams(const ChildStreams& streams) {
  const auto open_onto = [](const char* path, int flags, int target) {
    const int file = ::open(path, flags);
    if (file < 0) return false;
    if (file == target) return true;
    const bool moved = ::dup2(file, target) == target;
    ::close(file);
    return moved;
  };
  if (streams.null_input && !open_onto("/dev/null", O_RDONLY, STDIN_FILENO)) return false;
  if (streams.out && ::dup2(*streams.out, STDOUT_FILENO) != STDOUT_FILENO) return false;
  if (streams.err && ::dup2(*streams.err, STDERR_FILENO) != STDERR_FILENO) return false;
  return !streams.null_err || open_onto("/dev/null", O_WRONLY, STDERR_FILENO);
}

// posix_spawn cannot set a limit for the child alone, so a limited child is made by fork: in
// between, only async-signal-safe calls.
std::expected<pid_t, int> fork_limited(const std::string& program, char* const* arguments,
                                       const ChildStreams& streams, std::uint64_t limit) {
  const pid_t pid = ::fork();
  if (pid < 0) return std::unexpected(errno);
  if (pid == 0) {
    const rlimit file_size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if (redirect_streams(streams) && ::setrlimit(RLIMIT_FSIZE, &file_size) == 0)
      ::execve(program.c_str(), arguments, environ);
    ::_exit(127);
  }
  return pid;
}

std::expected<pid_t, int> spawn(std::span<const std::string> argv, const ChildStreams& streams) {
  if (argv.empty()) return std::unexpected(EINVAL);
  SpawnActions actions;
  if (streams.null_input) actions.open(STDIN_FILENO, "/dev/null", O_RDONLY);
  if (streams.out) actions.duplicate(*streams.out, STDOUT_FILENO);
  if (streams.err) actions.duplicate(*streams.err, STDERR_FILENO);
  if (streams.null_err) actions.open(STDERR_FILENO, "/dev/null", O_WRONLY);
  if (actions.error() != 0) return std::unexpected(actions.error());
  std::vector<char*> arguments;
  arguments.reserve(argv.size() + 1);
  for (const std::string& argument : argv)
    arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  const std::expected<std::string, int> program = find_program(argv.front());
  if (!program) return std::unexpected(program.error());
  if (streams.file_size_limit)
    return fork_limited(*program, arguments.data(), streams, *streams.file_size_limit);
  pid_t pid = 0;
  const int error =
      ::posix_spawn(&pid, program->c_str(), actions.get(), nullptr, arguments.data(), environ);
  if (error != 0) return std::unexpected(error);
  return pid;
}

// False when the deadline passed first.
std::expected<bool, int> wait_readable(std::span<pollfd> fds, const Deadline& deadline) {
  for (;;) {
    const int ready = ::poll(fds.data(), fds.size(), poll_timeout(deadline));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return std::unexpected(errno);
  }
}

// The number of bytes read; 0 at end of file.
std::expected<std::size_t, int> read_some(int fd, std::span<char> buffer) {
  for (;;) {
    const ssize_t count = ::read(fd, buffer.data(), buffer.size());
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::unexpected(errno);
  }
}

// The raw wait status.
std::expected<int, int> wait_for_exit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::unexpected(errno);
  }
  return status;
}

// The raw wait status, or nothing when the child still ran at the deadline. Older kernels have
// no way to wait on a process with a time-out, so it looks every few milliseconds.
std::expected<std::optional<int>, int> wait_until(pid_t pid,
                                                  std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) return status;
    if (ended < 0 && errno != EINTR) return std::unexpected(errno);
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return std::nullopt;
    const auto pause = std::min<std::chrono::steady_clock::duration>(deadline - now,
                                                                     std::chrono::milliseconds(10));
    ::usleep(static_cast<useconds_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(pause).count()));
  }
}

enum class DrainEnd : std::uint8_t { Finished, OverLimit, TimedOut };

constexpr std::size_t READ_SIZE = 65536;
// A capture bounded by no more than this reserves its whole bound at the start: memory never
// written is only address space, and the body is never moved as it grows.
constexpr std::size_t RESERVED_UP_TO = std::size_t{64} << 20;

char* end_of(std::string& text) {
  return text.data() + text.size();
}
char* end_of(std::vector<std::uint8_t>& bytes) {
  return reinterpret_cast<char*>(bytes.data() + bytes.size());
}

// Reads straight onto the end of what was collected, so the body is copied once, from the pipe
// to where it is kept; at most one byte past `limit`, enough to tell a longer output.
template <typename Collected>
std::expected<std::size_t, int> read_onto(int fd, Collected& collected, std::size_t limit) {
  const std::size_t size = collected.size();
  const std::size_t room = limit - size < READ_SIZE ? limit - size + 1 : READ_SIZE;
  collected.resize(size + room);
  const auto count = read_some(fd, std::span<char>(end_of(collected) - room, room));
  collected.resize(size + count.value_or(0));
  return count;
}

// Reads both pipes to their ends, keeping what arrives on the first; stops early when the first
// passes `limit` bytes or the deadline passes.
template <typename Collected>
std::expected<DrainEnd, int> drain(FileDescriptor& out, FileDescriptor& err, Collected& collected,
                                   std::size_t limit, const Deadline& deadline) {
  if (limit <= RESERVED_UP_TO) collected.reserve(limit + 1);
  std::array<char, READ_SIZE> buffer;  // what standard error says, dropped
  std::array<FileDescriptor*, 2> sources = {&out, &err};
  for (;;) {
    std::array<pollfd, 2> fds{};
    for (std::size_t i = 0; i < fds.size(); ++i) {
      // poll ignores negative descriptors, so a closed pipe simply drops out.
      fds[i] = {sources[i]->get(), POLLIN, 0};
    }
    if (!out.is_open() && !err.is_open()) return DrainEnd::Finished;
    const auto ready = wait_readable(fds, deadline);
    if (!ready) return std::unexpected(ready.error());
    if (!*ready) return DrainEnd::TimedOut;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const bool kept = sources[i] == &out;
      const auto count =
          kept ? read_onto(fds[i].fd, collected, limit) : read_some(fds[i].fd, buffer);
      if (!count) return std::unexpected(count.error());
      if (*count == 0) sources[i]->reset();
      if (kept && collected.size() > limit) return DrainEnd::OverLimit;
    }
  }
}

// Waits for the child and reads how it ended; one still running at the deadline is ended.
std::expected<ChildOutput, int> finish(pid_t pid, ChildOutput output, const Deadline& deadline) {
  if (deadline) {
    const auto status = wait_until(pid, *deadline);
    if (!status) return std::unexpected(status.error());
    if (const std::optional<int> ended = *status; ended.has_value()) {
      const int raw = ended.value();
      if (WIFEXITED(raw)) output.exit_code = WEXITSTATUS(raw);
      return output;
    }
    ::kill(pid, SIGKILL);
    output.timed_out = true;
    std::string().swap(output.out);
  }
  const auto status = wait_for_exit(pid);
  if (!status) return std::unexpected(status.error());
  if (WIFEXITED(*status)) output.exit_code = WEXITSTATUS(*status);
  return output;
}

std::expected<ChildOutput, int> run_capturing(std::span<const std::string> argv,
                                              ChildStreams streams,
                                              const child_output::Capture& capture,
                                              const Deadline& deadline) {
  auto out_pipe = open_pipe();
  if (!out_pipe) return std::unexpected(out_pipe.error());
  auto err_pipe = open_pipe();
  if (!err_pipe) return std::unexpected(err_pipe.error());
  streams.out = out_pipe->write_end.get();
  streams.err = err_pipe->write_end.get();
  const auto pid = spawn(argv, streams);
  // Only the child may keep the write ends open, or the reads below would never see the end.
  out_pipe->write_end.reset();
  err_pipe->write_end.reset();
  if (!pid) return std::unexpected(pid.error());

  ChildOutput output;
  const auto drained =
      capture.as_bytes
          ? drain(out_pipe->read_end, err_pipe->read_end, output.bytes, capture.limit, deadline)
          : drain(out_pipe->read_end, err_pipe->read_end, output.out, capture.limit, deadline);
  // A child past a limit is ended rather than waited for, and what it wrote is let go.
  const bool ended = drained && *drained != DrainEnd::Finished;
  if (ended) {
    ::kill(*pid, SIGKILL);
    output.over_limit = *drained == DrainEnd::OverLimit;
    output.timed_out = *drained == DrainEnd::TimedOut;
    std::string().swap(output.out);
    std::vector<std::uint8_t>().swap(output.bytes);
  }
  // After a failed read the pipes are closed first, so a child still writing ends instead of
  // blocking, and is then reaped like any other.
  out_pipe->read_end.reset();
  err_pipe->read_end.reset();
  auto finished = finish(*pid, std::move(output), ended ? Deadline{} : deadline);
  if (!drained) return std::unexpected(drained.error());
  return finished;
}

std::expected<ChildOutput, int> run_to_file(std::span<const std::string> argv, ChildStreams streams,
                                            const std::string& path, const Deadline& deadline) {
  // Opened here rather than in the child, so a file that cannot be created is an error of its own
  // and never a child that ran with nowhere to write.
  const auto file = open_file(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (!file) return std::unexpected(file.error().number);
  streams.out = file->get();
  streams.null_err = true;
  const auto pid = spawn(argv, streams);
  if (!pid) return std::unexpected(pid.error());
  return finish(*pid, {}, deadline);
}

std::expected<ChildOutput, int> run_inheriting(std::span<const std::string> argv,
                                               const ChildStreams& streams,
                                               const Deadline& deadline) {
  const auto pid = spawn(argv, streams);
  if (!pid) return std::unexpected(pid.error());
  return finish(*pid, {}, deadline);
}

}  // namespace

std::expected<ChildOutput, int> run_child(std::span<const std::string> argv,
                                          const ChildOptions& options) {
  const ChildStreams streams{.null_input = !options.inherit_input,
                             .out = std::nullopt,
                             .err = std::nullopt,
                             .null_err = false,
                             .file_size_limit = options.file_size_limit};
  Deadline deadline;
  if (options.time_limit) deadline = std::chrono::steady_clock::now() + *options.time_limit;
  if (const auto* capture = std::get_if<child_output::Capture>(&options.output))
    return run_capturing(argv, streams, *capture, deadline);
  if (const auto* file = std::get_if<child_output::ToFile>(&options.output))
    return run_to_file(argv, streams, file->path, deadline);
  return run_inheriting(argv, streams, deadline);
}

std::expected<ChildOutput, int> run_child(std::span<const std::string> argv) {
  return run_child(argv, ChildOptions{});
}

}  // namespace zentomi
