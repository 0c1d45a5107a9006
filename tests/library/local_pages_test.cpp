#include "library/local_pages.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "images/image_fixtures.hpp"
#include "library/local_card.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;

class LocalPages : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::write_bytes(root() / "Series/Chap 1/page 10.jpg", png_);
    testing::write_bytes(root() / "Series/Chap 1/page 9.JPG", jpeg_);
    testing::write_bytes(root() / "Series/Chap 1/thumbs.db", {'x'});
    testing::write_zip(root() / "Series/Chap 2.cbz", {{"b/2.png", png_}, {"b/1.jpg", jpeg_}});
    testing::write_bytes(root() / "Solo.cbz", {'P', 'K'});
    testing::write_bytes(dir_ / "secret.jpg", jpeg_);
  }
  fs::path root() const { return dir_ / "Manga"; }

  testing::TempDir dir_;
  std::vector<std::uint8_t> jpeg_ = testing::image_fixture("grey.jpg");
  std::vector<std::uint8_t> png_ = testing::image_fixture("rgb8.png");
};

TEST_F(LocalPages, ReadsTheChapterOfAFolderAndOfAnArchiveInNaturalOrder) {
  const auto folder = load_local_chapter_pages(root(), "local:Series/Chap 1");
  ASSERT_TRUE(folder.has_value()) << folder.error();
  EXPECT_EQ(*folder, (std::vector<std::string>{"local:Series/Chap 1/page 9.JPG",
                                               "local:Series/Chap 1/page 10.jpg"}));
  EXPECT_EQ(read_local_page(root(), folder->at(0)), jpeg_);
  EXPECT_EQ(read_local_cover(root(), "local:Series/Chap 1"), jpeg_);

  const auto archive = load_local_chapter_pages(root(), "local:Series/Chap 2.cbz");
  ASSERT_TRUE(archive.has_value()) << archive.error();
  EXPECT_EQ(*archive, (std::vector<std::string>{"local:Series/Chap 2.cbz/b/1.jpg",
                                                "local:Series/Chap 2.cbz/b/2.png"}));
  EXPECT_EQ(read_local_page(root(), archive->at(1)), png_);
  EXPECT_EQ(read_local_cover(root(), "local:Series/Chap 2.cbz"), jpeg_);
}

TEST_F(LocalPages, RefusesWhatIsNoChapterOrPageOfTheFolder) {
  struct Case {
    std::string address;
    std::string error;
  };
  const Case chapters[] = {
      {"local:Series/Chap 3", "Not found in the Manga folder"},
      {"local:../secret.jpg", "Not an address of the Manga folder"},
      {"local:/etc", "Not an address of the Manga folder"},
      {"local:Series//Chap 1", "Not an address of the Manga folder"},
      {"https://example.com/Series", "Not an address of the Manga folder"},
      {"local:Series/Chap 1/page 9.JPG", "Not a chapter"},
      {"local:Solo.cbz", "is damaged or is not a ZIP archive"},
  };
  for (const Case& c : chapters) {
    const auto pages = load_local_chapter_pages(root(), c.address);
    ASSERT_FALSE(pages.has_value()) << c.address;
    EXPECT_NE(pages.error().find(c.error), std::string::npos) << pages.error();
  }
  fs::create_directory_symlink(dir_.path(), root() / "Link");
  const Case pages[] = {
      {"local:Link/secret.jpg", "Not found in the Manga folder"},
      {"local:Series/Chap 1", "Not a page"},
      {"local:Series/Chap 2.cbz/b/3.png", "is missing"},
  };
  for (const Case& c : pages) {
    const auto page = read_local_page(root(), c.address);
    ASSERT_FALSE(page.has_value()) << c.address;
    EXPECT_NE(page.error().find(c.error), std::string::npos) << page.error();
  }
}

}  // namespace
}  // namespace zentomi
