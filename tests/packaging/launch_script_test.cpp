// launch.sh as the console's launcher runs it, under /bin/sh (dash) and under BusyBox (the
// console's own shell and tools), with a shell script standing in for the reader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::size_t LOG_LIMIT = 256 * 1024;
constexpr std::size_t LINE_LIMIT = 4096;

std::string path_variable() {
  const char* path = std::getenv("PATH");
  return path != nullptr ? path : "/usr/bin:/bin";
}

std::optional<fs::path> find_on_path(const std::string& name) {
  std::istringstream directories(path_variable());
  for (std::string directory; std::getline(directories, directory, ':');) {
    const fs::path candidate = fs::path(directory) / name;
    if (!directory.empty() && fs::is_regular_file(candidate)) return candidate;
  }
  return std::nullopt;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    lines.push_back(line);
  return lines;
}

void write_program(const fs::path& path, const std::string& text) {
  fs::remove(path);
  write_file(path, text);
  fs::permissions(path, fs::perms::owner_all);
}

class LaunchScript : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    fs::create_directories(app_ / "bin");
    fs::create_directories(tools_);
    fs::copy_file(source_dir() / "packaging/zentomi/launch.sh", app_ / "launch.sh");
    if (GetParam() == "busybox") {
      const std::optional<fs::path> busybox = find_on_path("busybox");
      if (!busybox) GTEST_SKIP() << "busybox is not installed";
      // The console's userland: every command found on PATH is a BusyBox applet.
      const ProcessResult applets = run_process({busybox->string(), "--list"});
      ASSERT_EQ(applets.exit_status, 0) << applets.err;
      for (const std::string& applet : lines_of(applets.out))
        fs::create_symlink(*busybox, tools_ / applet);
      shell_ = {busybox->string(), "sh"};
    } else {
      // The restart runs `sh` from PATH.
      fs::create_symlink("/bin/sh", tools_ / "sh");
      shell_ = {"/bin/sh"};
    }
  }

  // The reader: a script run in the app folder that counts its starts in `runs` ($run is this one).
  void stand_in(const std::string& body) {
    write_program(app_ / "bin/zentomi-native64",
                  "#!/bin/sh\necho run >> runs\nrun=$(wc -l < runs)\nrun=$((run))\n" + body);
  }
  // A command found on PATH before the usual one.
  void tool(const std::string& name, const std::string& body) {
    write_program(tools_ / name, "#!/bin/sh\n" + body);
  }

  // As the launcher does: from another working directory, without ZENTOMI_RESTARTS (unless the
  // test gives it, as the script's own restart does).
  ProcessResult launch(std::map<std::string, std::string> environment = {}) {
    std::vector<std::string> argv = shell_;
    argv.push_back((app_ / "launch.sh").string());
    environment["PATH"] = tools_.string() + ":" + path_variable();
    return run_process(argv, {environment, directory_.path().string(), std::chrono::seconds(60)});
  }

  int runs() const {
    return fs::exists(app_ / "runs") ? static_cast<int>(lines_of(read_file(app_ / "runs")).size())
                                     : 0;
  }
  std::string log() const { return read_file(app_ / "zentomi.log"); }

  TempDir directory_;
  const fs::path app_ = directory_ / "Apps/zentomi";
  const fs::path tools_ = directory_ / "tools";
  std::vector<std::string> shell_;
};

TEST_P(LaunchScript, StartsTheReaderAgainAfterAnUpdateAndHandsBackTheNextStatus) {
  stand_in("pwd > ran-in\n[ $run -eq 1 ] && exit 42\nexit 3\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 3) << result.err;
  EXPECT_EQ(runs(), 2);
  EXPECT_EQ(read_file(app_ / "ran-in"), fs::canonical(app_).string() + "\n");
}

TEST_P(LaunchScript, StopsWhenEveryStartEndsWith42) {
  stand_in("exit 42\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 42) << result.err;
  EXPECT_EQ(runs(), 1 + 3);
  EXPECT_THAT(log(), HasSubstr("not starting it again"));
}

TEST_P(LaunchScript, ARunOfAMinuteOrMoreStartsTheCountAgain) {
  // Every reading of the clock is 100 s after the last, so every run counts as long.
  const std::string clock = (directory_ / "clock").string();
  tool("date", "t=$(cat " + clock + " 2>/dev/null || echo 1700000000)\n" + "echo $((t + 100)) > " +
                   clock + "\necho $t\n");
  stand_in("[ $run -le 5 ] && exit 42\nexit 0\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(runs(), 6);
}

TEST_P(LaunchScript, TheNextStartRunsTheScriptTheUpdateWrote) {
  // Rewritten in place, as BusyBox unzip does. Text read from past the start of the new script
  // (past where the running shell had read the old one) ends with status 9.
  std::string next = "#!/bin/sh\necho new >> ../../new-script-ran\nexit 5\n";
  while (next.size() < 16 * 1024)
    next += "exit 9\n";
  write_file(directory_ / "next-launch.sh", next);
  stand_in("cat ../../next-launch.sh > launch.sh\nexit 42\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 5) << result.err;
  EXPECT_EQ(runs(), 1);
  EXPECT_EQ(read_file(directory_ / "new-script-ran"), "new\n");
}

TEST_P(LaunchScript, LogsBothOutputsAcrossARestartAndKeepsTheLastSession) {
  write_file(app_ / "zentomi.log", "last session\n");
  write_file(app_ / "zentomi.log.old", "session before\n");
  stand_in("echo \"out $run\"\necho \"err $run\" >&2\n[ $run -eq 1 ] && exit 42\nexit 0\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(read_file(app_ / "zentomi.log.old"), "last session\n");
  EXPECT_THAT(lines_of(log()),
              ElementsAre("out 1", "err 1", StartsWith("launch.sh: "), "out 2", "err 2"));
}

TEST_P(LaunchScript, TheLogKeepsTheNewestOutputWithinItsBound) {
  // Numbered lines, the log's size noted every 100 of them: 180 kB before an update, 1.2 MB after
  // it, then one line far longer than a line may be.
  const std::string sizes = (directory_ / "sizes").string();
  stand_in(
      "n=20000\n[ $run -eq 1 ] && n=3000\n"
      "i=0\nwhile [ $i -lt $n ]; do\n"
      "  echo \"$i ......................................................\"\n"
      "  [ $((i % 100)) -eq 0 ] && wc -c < zentomi.log >> " +
      sizes +
      "\n"
      "  i=$((i + 1))\ndone\n"
      "[ $run -eq 1 ] && exit 42\n"
      "head -c 204800 /dev/zero | tr '\\0' x\necho\nexit 0\n");
  const ProcessResult result = launch();
  ASSERT_EQ(result.exit_status, 0) << result.err;

  // Never past the limit; once half full, never below half but for a line.
  bool half_full = false;
  for (const std::string& size_text : lines_of(read_file(sizes))) {
    const std::size_t size = std::stoul(size_text);
    ASSERT_LE(size, LOG_LIMIT);
    half_full = half_full || size >= LOG_LIMIT / 2;
    if (half_full) {
      ASSERT_GE(size, LOG_LIMIT / 2 - LINE_LIMIT);
    }
  }
  EXPECT_TRUE(half_full);
  const std::string text = log();
  EXPECT_LE(text.size(), LOG_LIMIT);
  const std::vector<std::string> lines = lines_of(text);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "[launch.sh: earlier output cut]");
  EXPECT_EQ(lines.back(), std::string(LINE_LIMIT, 'x') + " [cut]");
  // Between them, the newest numbered lines without a gap.
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const int expected = 20000 - static_cast<int>(lines.size() - 1 - i);
    ASSERT_THAT(lines[i], StartsWith(std::to_string(expected) + " ")) << "line " << i;
  }
}

TEST_P(LaunchScript, ALogThatIsNoFileIsReplacedOrSkippedNeverWaitedOn) {
  stand_in("echo out\nexit 3\n");
  // A FIFO nobody reads: opening it to write would wait for good.
  ASSERT_EQ(::mkfifo((app_ / "zentomi.log").c_str(), 0600), 0);
  ProcessResult result = launch({{"ZENTOMI_RESTARTS", "0"}});
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 3) << result.err;
  EXPECT_TRUE(fs::is_regular_file(app_ / "zentomi.log"));
  EXPECT_EQ(log(), "out\n");

  fs::remove(app_ / "zentomi.log");
  fs::create_directories(app_ / "zentomi.log/kept");
  result = launch({{"ZENTOMI_RESTARTS", "0"}});
  EXPECT_EQ(result.exit_status, 3) << result.err;
  EXPECT_TRUE(fs::is_directory(app_ / "zentomi.log/kept"));
}

TEST_P(LaunchScript, OneHugeLineIsCutWithoutBeingHeldWhole) {
  // awk gets 16 MB of address space: holding the 32 MiB line would end it.
  const std::string awk = GetParam() == "busybox"
                              ? find_on_path("busybox")->string() + " awk"
                              : find_on_path("awk").value_or("/usr/bin/awk").string();
  tool("awk", "ulimit -v 16000\nexec " + awk + " \"$@\"\n");
  stand_in("echo before\nhead -c 33554432 /dev/zero | tr '\\0' x\necho\necho after\nexit 0\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(lines_of(log()),
              ElementsAre("before", std::string(LINE_LIMIT, 'x') + " [cut]", "after"));
}

TEST_P(LaunchScript, TheReaderNeverDiesOfALogThatStoppedReading) {
  tool("awk", "exit 2\n");
  stand_in(
      "i=0\nwhile [ $i -lt 20000 ]; do\n"
      "  echo \"$i ......................................................\" || exit 9\n"
      "  i=$((i + 1))\ndone\nexit 7\n");
  const ProcessResult result = launch();
  EXPECT_EQ(result.exit_status, 7) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Shells, LaunchScript, ::testing::Values("sh", "busybox"),
                         [](const auto& shell) { return shell.param; });

}  // namespace
}  // namespace zentomi::testing
