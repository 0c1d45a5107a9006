#include "images/thumbnail_files.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/faulty_file_system.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(ThumbnailFileName, IsTheDjb2HashInSixteenLowercaseHexDigits) {
  EXPECT_EQ(thumbnail_file_name("abc"), "000000000b885c8b.jpg");
  EXPECT_EQ(thumbnail_file_name(""), "0000000000001505.jpg");
  // Long enough to wrap around 64 bits; bytes above 127 count as unsigned.
  EXPECT_EQ(thumbnail_file_name("https://example.com/covers/truyen-tranh.jpg"),
            "fe607ef24a977c19.jpg");
  EXPECT_EQ(thumbnail_file_name("https://example.com/\xE1\xBA\xA3nh.webp"), "8fdd5443a48b8748.jpg");
}

TEST(ChooseThumbnailDirectory, PrefersTheSdCardDirectoryWhenAnythingIsThere) {
  TempDir temp;
  PosixFileSystem files;
  fs::create_directories(temp / "sd/thumbs");
  EXPECT_EQ(
      choose_thumbnail_directory(files, (temp / "sd/thumbs").string(), (temp / "local").string()),
      (temp / "sd/thumbs").string());

  // Even a regular file in its place is chosen; the worker then simply cannot write there.
  testing::write_file(temp / "file/thumbs", "not a directory");
  EXPECT_EQ(
      choose_thumbnail_directory(files, (temp / "file/thumbs").string(), (temp / "local").string()),
      (temp / "file/thumbs").string());
  EXPECT_FALSE(fs::exists(temp / "local"));
}

TEST(ChooseThumbnailDirectory, CreatesTheSdCardDirectoryWithItsParents) {
  TempDir temp;
  PosixFileSystem files;
  const fs::path preferred = temp / "mnt/SDCARD/Apps/zentomi/cache/thumbs";
  EXPECT_EQ(choose_thumbnail_directory(files, preferred.string(), (temp / "local").string()),
            preferred.string());
  EXPECT_TRUE(fs::is_directory(preferred));
}

// Whether a file stands in the way or the creation itself fails.
TEST(ChooseThumbnailDirectory, FallsBackWhenTheSdCardDirectoryCannotBeMade) {
  for (const bool injected : {false, true}) {
    SCOPED_TRACE(injected ? "failed creation" : "a file in the way");
    TempDir temp;
    testing::FaultyFileSystem files;
    if (injected) {
      files.fail_first("create_directories thumbs");
    } else {
      testing::write_file(temp / "blocked", "a file where a directory would be needed");
    }
    const fs::path fallback = temp / "cache/covers";
    EXPECT_EQ(
        choose_thumbnail_directory(files, (temp / "blocked/thumbs").string(), fallback.string()),
        fallback.string());
    EXPECT_TRUE(fs::is_directory(fallback));
    EXPECT_FALSE(fs::exists(temp / "blocked/thumbs"));
  }
}

}  // namespace
}  // namespace zentomi
