#include "support/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace zentomi::testing {

std::vector<std::string> built_program(const std::string& path) {
  std::vector<std::string> argv;
  const std::string emulator = ZENTOMI_TEST_EMULATOR;
  if (!emulator.empty()) argv.push_back(emulator);
  argv.push_back(path);
  return argv;
}

namespace {

// The inherited environment with the options' variables added or replaced, as "NAME=value".
std::vector<std::string> merged_environment(const ProcessOptions& options) {
  std::map<std::string, std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : options.environment)
    environment[name] = value;
  std::vector<std::string> environment_text;
  for (const auto& [name, value] : environment)
    environment_text.push_back(name + "=" + value);
  return environment_text;
}

std::vector<char*> null_terminated(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProcessResult run_process(std::vector<std::string> argv, const ProcessOptions& options) {
  std::vector<std::string> environment_text = merged_environment(options);
  std::vector<char*> envp = null_terminated(environment_text);
  std::vector<char*> arguments = null_terminated(argv);

  int out_pipe[2];
  int err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  if (options.working_directory) {
    posix_spawn_file_actions_addchdir_np(&actions, options.working_directory->c_str());
  }
  // Its own process group, so that a time-out also ends whatever it started: a child left
  // behind would hold the output pipes and the machine's cores after the test.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  const int spawned =
      posix_spawnp(&pid, arguments[0], &actions, &attributes, arguments.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  close(err_pipe[1]);
  ProcessResult result;
  if (spawned != 0) {
    close(out_pipe[0]);
    close(err_pipe[0]);
    result.err = std::string("spawn failed: ") + std::strerror(spawned);
    return result;
  }

  const auto deadline = std::chrono::steady_clock::now() + options.time_limit;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  char buffer[65536];
  while (open_count > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timed_out = true;
      kill(-pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(count));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timed_out && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  return result;
}

BackgroundProcess::BackgroundProcess(std::vector<std::string> argv, const ProcessOptions& options) {
  std::vector<std::string> environment_text = merged_environment(options);
  std::vector<char*> envp = null_terminated(environment_text);
  std::vector<char*> arguments = null_terminated(argv);
  int out_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  if (options.working_directory) {
    posix_spawn_file_actions_addchdir_np(&actions, options.working_directory->c_str());
  }
  const int spawned =
      posix_spawnp(&pid_, arguments[0], &actions, nullptr, arguments.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  if (spawned != 0) {
    close(out_pipe[0]);
    throw std::runtime_error(std::string("spawn failed: ") + std::strerror(spawned));
  }
  out_ = out_pipe[0];
}

BackgroundProcess::~BackgroundProcess() {
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  close(out_);
}

std::optional<std::string> BackgroundProcess::read_line(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (const std::size_t end = pending_.find('\n'); end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd fd{out_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t count = read(out_, buffer, sizeof buffer);
    if (count <= 0) return std::nullopt;
    pending_.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace zentomi::testing
