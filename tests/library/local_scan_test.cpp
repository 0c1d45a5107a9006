#include "library/local_scan.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "images/image_fixtures.hpp"
#include "library/local_card.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;

class LocalScan : public ::testing::Test {
 protected:
  void page(const fs::path& relative) { testing::write_bytes(root() / relative, jpeg_); }
  void archive(const fs::path& relative) {
    testing::write_zip(root() / relative, {{"01.jpg", jpeg_}});
  }
  fs::path root() const { return dir_ / "Manga"; }

  testing::TempDir dir_;
  std::vector<std::uint8_t> jpeg_ = testing::image_fixture("grey.jpg");
};

TEST_F(LocalScan, FindsEachFormOfTitleInNaturalOrder) {
  // A folder of images: one chapter, the folder itself.
  page("Oneshot/page1.JPG");
  page("Oneshot/page2");
  // Chapter folders, archives beside them, and what is not a chapter.
  page("Series/Chap 10/01.jpg");
  page("Series/Chap 2/01.jpg");
  archive("Series/Chap 3.CBZ");
  archive("Series/Chap 1.zip");
  testing::write_bytes(root() / "Series/Empty/readme.txt", {'x'});
  testing::write_bytes(root() / "Series/info.txt", {'x'});
  page("Series/.hidden/01.jpg");
  page("Series/Chap 4/deeper/01.jpg");  // a third level is never looked at
  // A lone archive, and things that are no title.
  archive("Solo.cbz");
  testing::write_bytes(root() / "notes.txt", {'x'});
  fs::create_directories(root() / "Nothing here");

  const LocalLibrary library = scan_local_library(root());
  const LocalLibrary expected{{
      {"Oneshot", "local:Oneshot", {{"Oneshot", "local:Oneshot"}}},
      {"Series",
       "local:Series",
       {{"Chap 1", "local:Series/Chap 1.zip"},
        {"Chap 2", "local:Series/Chap 2"},
        {"Chap 3", "local:Series/Chap 3.CBZ"},
        {"Chap 10", "local:Series/Chap 10"}}},
      {"Solo", "local:Solo.cbz", {{"Solo", "local:Solo.cbz"}}},
  }};
  EXPECT_EQ(library, expected);
  EXPECT_EQ(scan_local_title(root(), "local:Series"), expected.titles[1]);
  EXPECT_EQ(scan_local_title(root(), "local:Solo.cbz"), expected.titles[2]);
  for (const char* absent :
       {"local:Nothing here", "local:Series/Chap 2", "local:../Manga", "Series"})
    EXPECT_EQ(scan_local_title(root(), absent), std::nullopt) << absent;
  EXPECT_EQ(scan_local_library(dir_ / "no such folder"), LocalLibrary{});
}

TEST_F(LocalScan, FollowsNoLinkAndReadsNoSpecialFile) {
  page("Real/01.jpg");
  fs::create_directory_symlink(root(), root() / "Loop");            // a link loop
  fs::create_directory_symlink(root() / "Real", root() / "Alias");  // a link to a title
  fs::create_directory_symlink(root(), root() / "Real/Loop");
  fs::create_symlink(root() / "Real/01.jpg", root() / "Real/02.jpg");
  fs::create_directories(root() / "Pipes");
  ASSERT_EQ(::mkfifo((root() / "Pipes/01.jpg").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((root() / "Pipe.cbz").c_str(), 0600), 0);

  const LocalLibrary library = scan_local_library(root());
  ASSERT_EQ(library.titles.size(), 1u);
  EXPECT_EQ(library.titles[0].name, "Real");
  EXPECT_EQ(library.titles[0].chapters.size(), 1u);
  EXPECT_FALSE(library.truncated);
}

TEST_F(LocalScan, StopsAtItsBoundsKeepingWhatCameFirst) {
  for (int title = 1; title <= 4; ++title)
    for (int chapter = 1; chapter <= 3; ++chapter)
      page(fs::path("T").concat(std::to_string(title)) /
           fs::path("C").concat(std::to_string(chapter)) / "1.jpg");

  const auto counts = [&](const LocalScanLimits& limits) {
    const LocalLibrary library = scan_local_library(root(), limits);
    std::vector<std::size_t> chapters;
    for (const LocalTitle& title : library.titles)
      chapters.push_back(title.chapters.size());
    return std::pair(chapters, library.truncated);
  };
  using Counts = std::pair<std::vector<std::size_t>, bool>;
  EXPECT_EQ(counts({}), Counts({3, 3, 3, 3}, false));
  EXPECT_EQ(counts({.titles = 2}), Counts({3, 3}, true));
  // A bound just reached with nothing but a file that is no title after it.
  testing::write_bytes(root() / "zz notes.txt", {'x'});
  EXPECT_EQ(counts({.titles = 4}), Counts({3, 3, 3, 3}, false));
  EXPECT_EQ(counts({.chapters = 7}), Counts({3, 3, 1}, true));
  EXPECT_EQ(counts({.chapters = 6}), Counts({3, 3}, true));
  EXPECT_EQ(counts({.folder_entries = 2}), Counts({2, 2}, true));
  // A folder whose first files are not images is taken for holding none past the bound.
  testing::write_bytes(root() / "T1/C1/0.txt", {'x'});
  EXPECT_EQ(counts({.signature_reads = 1}), Counts({2, 3, 3, 3}, false));
}

TEST_F(LocalScan, FingerprintChangesWhenATitleOrItsChaptersChange) {
  page("A/C1/1.jpg");
  const std::uint64_t before = local_library_fingerprint(root());
  EXPECT_EQ(local_library_fingerprint(root()), before);
  // A new chapter changes the title folder; the time stamps of this file system may be coarse,
  // so the change is also made certain by the folder's size or identity changing.
  page("A/C2/1.jpg");
  fs::last_write_time(root() / "A", fs::last_write_time(root() / "A") + std::chrono::seconds(5));
  const std::uint64_t chapter_added = local_library_fingerprint(root());
  EXPECT_NE(chapter_added, before);
  page("B/1.jpg");
  EXPECT_NE(local_library_fingerprint(root()), chapter_added);
}

}  // namespace
}  // namespace zentomi
