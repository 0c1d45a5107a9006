#include "library/local_archive.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "images/image_fixtures.hpp"
#include "library/local_card.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using testing::ZipMember;

constexpr std::size_t LIMIT = 1 << 20;

TEST(LocalArchive, ListsImagesBySignatureAndReadsStoredAndDeflatedEntries) {
  const testing::TempDir dir;
  const auto jpeg = testing::image_fixture("grey.jpg");
  const auto png = testing::image_fixture("rgb8.png");
  const auto webp = testing::image_fixture("lossless.webp");
  for (const int level : {0, 9}) {
    const std::string path = (dir / "chapter").concat(std::to_string(level)).concat(".CBZ");
    testing::write_zip(path,
                       {{"notes.txt", {'h', 'i'}},
                        {"pages/", {}},
                        {"pages/02.PNG", png},
                        {"pages/01", jpeg},
                        {"cover.webp", webp},
                        {"fake.jpg", {'n', 'o', 't'}}},
                       level);
    const auto images = list_archive_images(path);
    ASSERT_TRUE(images.has_value()) << images.error();
    EXPECT_EQ(*images, (std::vector<std::string>{"pages/02.PNG", "pages/01", "cover.webp"}));
    EXPECT_EQ(read_archive_entry(path, "pages/01", LIMIT), jpeg);
    EXPECT_EQ(read_archive_entry(path, "cover.webp", LIMIT), webp);
  }
}

// Each hostile archive is refused with a message saying what is wrong with it, at once.
TEST(LocalArchive, RefusesHostileArchivesAndEntries) {
  const testing::TempDir dir;
  const auto jpeg = testing::image_fixture("grey.jpg");
  const std::string path = dir / "hostile.cbz";
  struct Case {
    std::string name;
    std::function<void()> make;
    std::string listing_error;  // empty when the listing succeeds
    std::string reading_error;  // of the entry "a.jpg"
  };
  const std::vector<ZipMember> one_page = {{"a.jpg", jpeg}};
  const Case cases[] = {
      {"entry larger than the page bound",
       [&] {
         testing::write_zip(path, {{"a.jpg", std::vector<std::uint8_t>(LIMIT + 1, 0xFF)}});
       },
       "", "is larger than 1 MiB"},
      {"entry inflating beyond what it declares",
       [&] {
         testing::write_zip(path, one_page);
         testing::declare_size(path, static_cast<std::uint32_t>(jpeg.size() / 2));
       },
       "", "does not inflate to the size it declares"},
      {"entry inflating short of what it declares",
       [&] {
         testing::write_zip(path, one_page);
         testing::declare_size(path, static_cast<std::uint32_t>(jpeg.size() * 2));
       },
       "", "does not inflate to the size it declares"},
      {"encrypted entry",
       [&] {
         testing::write_zip(path, one_page);
         testing::patch_first_record(path, testing::CENTRAL_RECORD, 8, 1, 2);
       },
       "holds encrypted entries", "is encrypted"},
      {"broken central directory",
       [&] {
         testing::write_zip(path, one_page);
         testing::patch_first_record(path, testing::CENTRAL_RECORD, 3, 0, 1);
       },
       "is damaged or is not a ZIP archive", "is damaged or is not a ZIP archive"},
      {"archive cut short",
       [&] {
         testing::write_zip(path, one_page);
         auto bytes = testing::read_bytes(path);
         bytes.resize(bytes.size() - 10);
         testing::write_bytes(path, bytes);
       },
       "is damaged or is not a ZIP archive", "is damaged or is not a ZIP archive"},
      {"not an archive", [&] { testing::write_bytes(path, jpeg); },
       "is damaged or is not a ZIP archive", "is damaged or is not a ZIP archive"},
      {"more entries than the bound",
       [&] {
         std::vector<ZipMember> members(MAX_ARCHIVE_ENTRIES + 1);
         for (std::size_t i = 0; i < members.size(); ++i)
           members[i].name = std::to_string(i);
         members[0] = {"a.jpg", jpeg};
         testing::write_zip(path, members, 0);
       },
       "holds more than 10000 entries", "holds more than 10000 entries"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path);
    c.make();
    const auto listing = list_archive_images(path);
    if (c.listing_error.empty()) {
      EXPECT_TRUE(listing.has_value()) << listing.error();
    } else {
      ASSERT_FALSE(listing.has_value());
      EXPECT_NE(listing.error().find(c.listing_error), std::string::npos) << listing.error();
    }
    const auto read = read_archive_entry(path, "a.jpg", LIMIT);
    ASSERT_FALSE(read.has_value());
    EXPECT_NE(read.error().find(c.reading_error), std::string::npos) << read.error();
  }
}

TEST(LocalArchive, AnArchiveThatIsNoRegularFileIsRefusedWithoutBlocking) {
  const testing::TempDir dir;
  const std::string fifo = dir / "fifo.cbz";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(list_archive_images(fifo).has_value());
  EXPECT_FALSE(read_archive_entry(dir.path(), "a.jpg", LIMIT).has_value());
}

}  // namespace
}  // namespace zentomi
