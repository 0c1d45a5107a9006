#include "platform/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

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

}  // namespace
}  // namespace zentomi
