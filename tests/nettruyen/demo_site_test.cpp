// The demo site as the simulator sees it: its fake curl, its front page and its covers.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "nettruyen/fetch.hpp"
#include "nettruyen/home_listing.hpp"
#include "support/environment.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

std::string image_format(const std::vector<std::uint8_t>& bytes) {
  const std::string head(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 16));
  if (head.starts_with("\xFF\xD8\xFF")) return "jpeg";
  if (head.starts_with("\x89PNG\r\n\x1A\n")) return "png";
  if (head.starts_with("RIFF") && head.substr(8, 4) == "WEBP") return "webp";
  return "unknown";
}

class DemoSite : public ::testing::Test {
 protected:
  // The fake curl with its own default fixture root, the bundled site.
  testing::ScopedEnvironment environment_{{
      {"PATH", (testing::source_dir() / "tools/demo-site/bin").string() + ":/usr/bin:/bin"},
      {"ZENTOMI_FAKE_CURL_ROOT", std::nullopt},
      {"ZENTOMI_FAKE_CURL_LOG", std::nullopt},
      {"ZENTOMI_FAKE_CURL_ACTION", std::nullopt},
  }};
};

TEST_F(DemoSite, EveryCoverOfTheFrontPageIsARealImage) {
  const auto items = load_home_listing();
  ASSERT_TRUE(items.has_value()) << items.error();
  ASSERT_GE(items->size(), 12u);
  std::set<std::string> formats;
  std::size_t without_cover = 0;
  for (const MangaItem& item : *items) {
    if (item.thumb_url.empty()) {
      ++without_cover;
      continue;
    }
    const auto cover = fetch_bytes(item.thumb_url);
    ASSERT_TRUE(cover.has_value()) << item.thumb_url << ": " << cover.error();
    const std::string format = image_format(*cover);
    EXPECT_NE(format, "unknown") << item.thumb_url;
    formats.insert(format);
  }
  EXPECT_EQ(formats, (std::set<std::string>{"jpeg", "png", "webp"}));
  EXPECT_EQ(without_cover, 1u);
}

TEST_F(DemoSite, FakeCurlServesNothingOutsideItsRootAndWritesOutputFiles) {
  const auto escaped = fetch_text("https://x.test/../../../../etc/hostname");
  ASSERT_TRUE(escaped.has_value()) << escaped.error();
  EXPECT_NE(escaped->find("404 Not Found"), std::string::npos);

  testing::TempDir dir;
  const auto saved = testing::run_process(
      {(testing::source_dir() / "tools/demo-site/bin/curl").string(), "-4", "-k", "-s", "-L", "-o",
       (dir / "page.html").string(), "https://x.test/trang-chu"});
  ASSERT_EQ(saved.exit_status, 0) << saved.err;
  EXPECT_TRUE(saved.out.empty());
  EXPECT_EQ(testing::read_file(dir / "page.html"),
            testing::read_file(testing::source_dir() / "tools/demo-site/site/trang-chu"));
}

}  // namespace
}  // namespace zentomi
