#include "library/download_keys.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "library/download_files.hpp"
#include "library/local_image_signature.hpp"

namespace zentomi {
namespace {

// What a FAT file system accepts as one name, and nothing that climbs out of the folder.
void expect_fat_safe(const std::string& key) {
  EXPECT_FALSE(key.empty());
  EXPECT_LE(key.size(), MAX_KEY_BYTES) << key;
  EXPECT_NE(key, ".");
  EXPECT_NE(key, "..");
  for (const char c : key) {
    const bool allowed =
        (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '~';
    EXPECT_TRUE(allowed) << "'" << c << "' in " << key;
  }
}

TEST(DownloadKeys, PlainSitePathsKeepTheirNames) {
  const struct {
    std::string title_url, chapter_url, title, chapter;
  } cases[] = {
      {"https://nettruyenvia.com/truyen-tranh/den-long-pho-co",
       "https://nettruyenvia.com/truyen-tranh/den-long-pho-co/chuong-2/123", "den-long-pho-co",
       "chuong-2_123~"},
      // Another origin, a query and a trailing slash change nothing.
      {"https://moved.example/truyen-tranh/den-long-pho-co/?x=1",
       "http://moved.example/truyen-tranh/den-long-pho-co/chuong-2/123#top", "den-long-pho-co",
       "chuong-2_123~"},
      // A chapter outside its title's path keeps its whole path.
      {"https://a/truyen-tranh/ten", "https://a/truyen-tranh/khac/chuong-1", "ten",
       "khac_chuong-1~"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(title_folder_key(c.title_url), c.title);
    EXPECT_TRUE(chapter_folder_key(c.title_url, c.chapter_url).starts_with(c.chapter))
        << chapter_folder_key(c.title_url, c.chapter_url);
  }
  EXPECT_EQ(chapter_folder_key("https://a/truyen-tranh/ten", "https://b/truyen-tranh/ten/chuong-1"),
            "chuong-1");
}

TEST(DownloadKeys, HostilePathsGiveDistinctSafeNames) {
  const std::string long_path(300, 'a');
  const std::string inputs[] = {
      "https://a/truyen-tranh/..",
      "https://a/truyen-tranh/../../etc",
      "https://a/truyen-tranh/a/b",
      "https://a/truyen-tranh/a_b",
      "https://a/truyen-tranh/a\\b",
      "https://a/truyen-tranh/Ten-Truyen",
      "https://a/truyen-tranh/ten-truyen",
      "https://a/truyen-tranh/TEN-TRUYEN",
      "https://a/truyen-tranh/" + long_path,
      "https://a/truyen-tranh/" + long_path + "b",
      "https://a/truyen-tranh/a:b*c?d\"e<f>g|h",
      "https://a/truyen-tranh/%2e%2e",
      "https://a/truyen-tranh/ten truyen.",
      "https://a/truyen-tranh/truyện",
      "https://a/truyen-tranh/",
      "",
  };
  std::set<std::string> keys;
  for (const std::string& url : inputs) {
    const std::string key = title_folder_key(url);
    expect_fat_safe(key);
    keys.insert(key);
  }
  // Case, separators and cut tails all changed the name, and never two paths onto one.
  EXPECT_EQ(keys.size(), std::size(inputs));
  EXPECT_EQ(title_folder_key("https://a/truyen-tranh/" + long_path).size(), MAX_KEY_BYTES);
}

TEST(DownloadFiles, PageNamesAndSignatures) {
  using namespace std::literals;
  EXPECT_EQ(page_file_name(0, "jpg"), "001.jpg");
  EXPECT_EQ(page_file_name(998, "png"), "999.png");
  EXPECT_EQ(page_file_name(999, "webp"), "1000.webp");
  for (const std::string name : {"001.jpg", "040.webp", "1000.png"})
    EXPECT_EQ(page_file_name(*page_index_of(name), name.substr(name.find('.') + 1)), name);
  for (const std::string name :
       {"000.jpg", "01.jpg", "001.jpg.tmp", "001.gif", "chapter.json", "0001.jpg", "abc.jpg"})
    EXPECT_FALSE(page_index_of(name)) << name;

  const auto bytes = [](std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
  };
  EXPECT_EQ(image_signature_extension(bytes("\xFF\xD8\xFF\xE0rest")), "jpg");
  EXPECT_EQ(image_signature_extension(bytes("\x89PNG\r\n\x1A\nrest")), "png");
  EXPECT_EQ(image_signature_extension(bytes("RIFF\x10\0\0\0WEBPVP8 "sv)), "webp");
  for (const std::string_view refused :
       {"<html>404</html>"sv, ""sv, "\xFF\xD8"sv, "RIFF\0\0\0\0WAVE"sv, "GIF89a"sv})
    EXPECT_FALSE(image_signature_extension(bytes(refused))) << refused;
}

}  // namespace
}  // namespace zentomi
