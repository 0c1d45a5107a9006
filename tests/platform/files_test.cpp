#include "platform/files.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "platform/system_calls.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

TEST(ReadWholeFile, ReadsEveryByteOfARegularFile) {
  testing::TempDir dir;
  std::string content(200'000, 'x');
  content += std::string("\0\xFF\n", 3);
  testing::write_file(dir / "file", content);
  EXPECT_EQ(read_whole_file((dir / "file").string()), content);
  testing::write_file(dir / "empty", "");
  EXPECT_EQ(read_whole_file((dir / "empty").string()), "");
  EXPECT_EQ(read_whole_file((dir / "missing").string()), std::unexpected(ENOENT));
}

TEST(ReadWholeFile, RefusesWhatIsNotARegularFile) {
  testing::TempDir dir;
  EXPECT_EQ(read_whole_file(dir.path().string()), std::unexpected(EISDIR));
  // Nobody ever writes to this FIFO: a blocking open would wait for good.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::promise<std::expected<std::string, int>> read;
  auto result = read.get_future();
  std::thread([&read, path = (dir / "fifo").string()] {
    read.set_value(read_whole_file(path));
  }).detach();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(result.get(), std::unexpected(EINVAL));
}

TEST(ReadWholeFile, AFailingReadIsAFailureNotAnEmptyFile) {
  // A regular file whose reads fail: the process's memory at address 0.
  EXPECT_EQ(read_whole_file("/proc/self/mem"), std::unexpected(EIO));
}

TEST(PathExists, AnyKindOfEntryCounts) {
  testing::TempDir dir;
  EXPECT_TRUE(path_exists(dir.path().string()));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_TRUE(path_exists((dir / "fifo").string()));
  EXPECT_FALSE(path_exists((dir / "missing").string()));
}

// Each wrapper names its own call in the error, with the errno that call left.
TEST(SystemCalls, AFailureNamesTheCallAndItsErrno) {
  testing::TempDir dir;
  const std::string missing = (dir / "missing").string();
  testing::write_file(dir / "file", "x");
  const auto file = open_file((dir / "file").string(), O_RDONLY);
  ASSERT_TRUE(file);
  const auto error_of = [](const auto& result) -> std::optional<SystemError> {
    if (result) return std::nullopt;
    return result.error();
  };
  const struct {
    std::optional<SystemError> error;
    SystemError expected;
  } cases[] = {
      {error_of(open_file(missing, O_RDONLY)), {"open", ENOENT}},
      {error_of(status_of(missing)), {"stat", ENOENT}},
      {error_of(link_status_of(missing)), {"lstat", ENOENT}},
      {error_of(link_status_of(-1, "x")), {"fstatat", EBADF}},
      {error_of(status_of(-1)), {"fstat", EBADF}},
      {error_of(sync_file(-1)), {"fsync", EBADF}},
      {error_of(rename_path(missing, (dir / "b").string())), {"rename", ENOENT}},
      {error_of(control_device(file->get(), 0, nullptr)), {"ioctl", ENOTTY}},
      {error_of(map_shared(file->get(), 0)), {"mmap", EINVAL}},
      {error_of(read_link((dir / "file").string())), {"readlink", EINVAL}},
      {error_of(visit_folder((dir / "file").string(), 0, nullptr)), {"open", ENOTDIR}},
  };
  for (const auto& [error, expected] : cases) {
    const SystemError got = error.value_or(SystemError{"succeeded", 0});
    EXPECT_EQ(got.call, expected.call);
    EXPECT_EQ(got.number, expected.number) << expected.call;
  }
  EXPECT_EQ((SystemError{"open", ENOENT}.text()), "open: No such file or directory (os error 2)");
  EXPECT_TRUE(sync_file(file->get()));
}

// Also targets that fill the first buffer tried exactly or overflow it.
TEST(SystemCalls, ReadLinkGivesTheWholeTarget) {
  testing::TempDir dir;
  for (const std::size_t length : {1u, 255u, 256u, 300u}) {
    const std::string target(length, 't');
    const std::string link = (dir / std::to_string(length)).string();
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(read_link(link), target) << length;
  }
}

}  // namespace
}  // namespace zentomi
