#include "platform/child_process.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;

// Points the test's own standard streams at files for as long as it lives, so that what an
// inheriting child writes or reads can be seen.
class RedirectedStreams {
 public:
  explicit RedirectedStreams(const fs::path& directory) : directory_(directory) {
    testing::write_file(directory_ / "stdin", "typed input\n");
    redirect(STDIN_FILENO, "stdin", O_RDONLY);
    redirect(STDOUT_FILENO, "stdout", O_WRONLY | O_CREAT | O_TRUNC);
    redirect(STDERR_FILENO, "stderr", O_WRONLY | O_CREAT | O_TRUNC);
  }
  ~RedirectedStreams() { restore(); }
  void restore() {
    for (int fd = 0; fd < 3; ++fd) {
      if (saved_[fd] < 0) continue;
      ::dup2(saved_[fd], fd);
      ::close(saved_[fd]);
      saved_[fd] = -1;
    }
  }
  std::string written(const char* name) const { return testing::read_file(directory_ / name); }

 private:
  void redirect(int fd, const char* name, int flags) {
    saved_[fd] = ::dup(fd);
    const int file = ::open((directory_ / name).c_str(), flags | O_CLOEXEC, 0600);
    ::dup2(file, fd);
    ::close(file);
  }
  fs::path directory_;
  int saved_[3] = {-1, -1, -1};
};

const std::vector<std::string> SPEAKER = {"sh", "-c",
                                          "echo out; echo err >&2; cat; echo more; exit 4"};

TEST(ChildProcess, DrainsBothPipesAndReportsHowTheChildEnded) {
  // 1 MiB on standard error first: a runner that read only standard output would stall here.
  const std::vector<std::string> noisy = {
      "sh", "-c", "head -c 1048576 /dev/zero >&2; head -c 300000 /dev/zero; echo; cat; exit 3"};
  const auto noisy_run = run_child(noisy);
  ASSERT_TRUE(noisy_run.has_value());
  EXPECT_EQ(noisy_run->out, std::string(300000, '\0') + "\n");
  EXPECT_EQ(noisy_run->exit_code, 3);

  const std::vector<std::string> killed = {"sh", "-c", "echo partial; kill -9 $$"};
  const auto killed_run = run_child(killed);
  ASSERT_TRUE(killed_run.has_value());
  EXPECT_EQ(killed_run->out, "partial\n");
  EXPECT_EQ(killed_run->exit_code, std::nullopt);

  const std::vector<std::string> missing = {"zentomi-no-such-program"};
  EXPECT_EQ(run_child(missing), std::unexpected(2));
  EXPECT_EQ(run_child(missing, {child_output::Inherit{}, true}), std::unexpected(2));
}

TEST(ChildProcess, CapturedOutputPastItsLimitEndsTheChildAndKeepsNothing) {
  const std::vector<std::string> endless{"yes", "a long line of output"};
  const auto stopped = run_child(endless, ChildOptions{child_output::Capture{1 << 20}});
  ASSERT_TRUE(stopped.has_value());
  EXPECT_TRUE(stopped->over_limit);
  EXPECT_TRUE(stopped->out.empty());
  EXPECT_FALSE(stopped->exit_code.has_value()) << "ended by a signal";

  const std::vector<std::string> exact{"head", "-c", "4096", "/dev/zero"};
  const auto within = run_child(exact, ChildOptions{child_output::Capture{4096}});
  ASSERT_TRUE(within.has_value());
  EXPECT_FALSE(within->over_limit);
  EXPECT_EQ(within->out, std::string(4096, '\0'));
  const auto past = run_child(exact, ChildOptions{child_output::Capture{4095}});
  ASSERT_TRUE(past.has_value());
  EXPECT_TRUE(past->over_limit);

  // Captured as bytes: the same bounds, into the other member.
  const auto as_bytes = run_child(exact, ChildOptions{child_output::Capture{4096, true}});
  ASSERT_TRUE(as_bytes.has_value());
  EXPECT_EQ(as_bytes->bytes, std::vector<std::uint8_t>(4096, 0));
  EXPECT_TRUE(as_bytes->out.empty());
  const auto bytes_past = run_child(exact, ChildOptions{child_output::Capture{4095, true}});
  ASSERT_TRUE(bytes_past.has_value());
  EXPECT_TRUE(bytes_past->over_limit);
  EXPECT_TRUE(bytes_past->bytes.empty());

  // Over many reads, a bound not on a read's boundary: reached exactly, or passed by one byte.
  const std::vector<std::string> long_body{"sh", "-c", "head -c 200000 /dev/zero; printf x"};
  for (const bool as_bytes_too : {false, true}) {
    const auto all =
        run_child(long_body, ChildOptions{child_output::Capture{200001, as_bytes_too}});
    ASSERT_TRUE(all.has_value());
    EXPECT_FALSE(all->over_limit);
    EXPECT_EQ(as_bytes_too ? all->bytes.size() : all->out.size(), 200001u);
    EXPECT_EQ(as_bytes_too ? all->bytes.back() : static_cast<std::uint8_t>(all->out.back()), 'x');
    const auto one_over =
        run_child(long_body, ChildOptions{child_output::Capture{200000, as_bytes_too}});
    ASSERT_TRUE(one_over.has_value());
    EXPECT_TRUE(one_over->over_limit) << as_bytes_too;
  }
}

TEST(ChildProcess, OutputToAFile) {
  testing::TempDir dir;
  const fs::path target = dir / "package.zip";
  testing::write_file(target, "an older, longer download");
  RedirectedStreams streams(dir.path());
  const auto run = run_child(SPEAKER, {child_output::ToFile{target.string()}});
  streams.restore();
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->exit_code, 4);
  EXPECT_EQ(run->out, "");
  EXPECT_EQ(testing::read_file(target), "out\nmore\n") << "replaced, input from /dev/null";
  EXPECT_EQ(streams.written("stderr"), "") << "standard error is dropped";

  // A file that cannot be created is reported before anything runs.
  const std::vector<std::string> marker = {"sh", "-c", "touch " + (dir / "ran").string()};
  EXPECT_EQ(run_child(marker, {child_output::ToFile{(dir / "no/such/dir/file").string()}}),
            std::unexpected(ENOENT));
  EXPECT_FALSE(fs::exists(dir / "ran"));
}

TEST(ChildProcess, InheritedStreams) {
  testing::TempDir dir;
  RedirectedStreams streams(dir.path());
  const auto with_input = run_child(SPEAKER, {child_output::Inherit{}, true});
  const auto without_input = run_child(SPEAKER, {child_output::Inherit{}});
  streams.restore();
  ASSERT_TRUE(with_input.has_value());
  ASSERT_TRUE(without_input.has_value());
  EXPECT_EQ(with_input->exit_code, 4);
  EXPECT_EQ(with_input->out, "");
  EXPECT_EQ(streams.written("stdout"), "out\ntyped input\nmore\nout\nmore\n");
  EXPECT_EQ(streams.written("stderr"), "err\nerr\n");
}

TEST(ChildProcess, AFileSizeLimitEndsAChildWritingPastIt) {
  testing::TempDir dir;
  const std::string file = (dir / "written").string();
  const auto writer = [&](int bytes) {
    return std::vector<std::string>{
        "sh", "-c", "head -c " + std::to_string(bytes) + " /dev/zero > " + file + "; echo done"};
  };
  const ChildOptions limited{.output = child_output::Capture{}, .file_size_limit = 4096};
  const auto within = run_child(writer(4096), limited);
  ASSERT_TRUE(within.has_value());
  EXPECT_EQ(within->exit_code, 0);
  EXPECT_EQ(within->out, "done\n") << "a pipe is not a file";
  EXPECT_EQ(fs::file_size(file), 4096u);

  const auto past = run_child(std::vector<std::string>{"head", "-c", "10000", "/dev/zero"},
                              {.output = child_output::ToFile{file}, .file_size_limit = 4096});
  ASSERT_TRUE(past.has_value());
  EXPECT_NE(past->exit_code, 0);
  EXPECT_EQ(fs::file_size(file), 4096u);

  const auto unlimited = run_child(writer(10000), {child_output::Capture{}});
  ASSERT_TRUE(unlimited.has_value());
  EXPECT_EQ(fs::file_size(file), 10000u);
  EXPECT_EQ(run_child(std::vector<std::string>{"no-such-program-anywhere"}, limited),
            std::unexpected(ENOENT));
}

TEST(ChildProcess, AChildPastItsTimeLimitIsEnded) {
  testing::TempDir dir;
  using Output = decltype(ChildOptions::output);
  // The last keeps running after closing its streams, so only waiting for it can see the limit.
  const struct {
    Output output;
    const char* script;
  } cases[] = {
      {child_output::Capture{}, "echo started; exec sleep 30"},
      {child_output::Capture{}, "exec >/dev/null 2>&1; exec sleep 30"},
      {child_output::ToFile{(dir / "out").string()}, "echo started; exec sleep 30"},
      {child_output::Inherit{}, "exec sleep 30"},
  };
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const auto hung = run_child(std::vector<std::string>{"sh", "-c", c.script},
                                {.output = c.output, .time_limit = std::chrono::milliseconds(300)});
    ASSERT_TRUE(hung.has_value()) << c.script;
    EXPECT_TRUE(hung->timed_out) << c.script;
    EXPECT_EQ(hung->exit_code, std::nullopt) << c.script;
    EXPECT_EQ(hung->out, "") << c.script;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.script;

    const auto quick = run_child(std::vector<std::string>{"sh", "-c", "exit 3"},
                                 {.output = c.output, .time_limit = std::chrono::seconds(20)});
    ASSERT_TRUE(quick.has_value()) << c.script;
    EXPECT_FALSE(quick->timed_out) << c.script;
    EXPECT_EQ(quick->exit_code, 3) << c.script;
  }
}

}  // namespace
}  // namespace zentomi
