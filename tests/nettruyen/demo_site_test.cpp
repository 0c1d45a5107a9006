// The demo site as the simulator sees it: its fake curl, its front page and its covers.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "model/build_config.hpp"
#include "nettruyen/chapter_list.hpp"
#include "nettruyen/detail_page.hpp"
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
      {"ZENTOMI_FAKE_CURL_STATE", std::nullopt},
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

TEST_F(DemoSite, EveryTitleOfTheFrontPageOpensWithItsChapters) {
  struct Expected {
    std::size_t chapters;
    std::string newest;  // the first chapter's name
  };
  // Titles with more than 50 chapters print only 50 in their page, so a count above 50 (or a name
  // the page never prints) shows that the service answered.
  const std::map<std::string, Expected> expected = {
      {"kiem-khach-mua-thu", {128, "Chapter 128"}},       // service
      {"tiem-tra-meo-den", {45, "Chapter 45"}},           // no service answer: page
      {"hanh-trinh-vo-tan", {302, "Chapter 302"}},        // service
      {"nguoi-gac-den-bien-bac", {0, ""}},                // nothing anywhere
      {"co-gai-sao-bang", {7, "Chapter 7"}},              // service, blank names
      {"he-thong-tho-ren", {1, "Chapter 1"}},             // invalid answer: page
      {"vuong-quoc-may-troi", {19, "Chapter 19"}},        // service times out: page
      {"dau-bep-o-the-gioi-khac", {65, "Chapter 64.5"}},  // service, positional form
      {"bi-mat-thu-vien-co",
       {3,
        "Chương cuối: Người thủ thư cuối cùng và cuốn sách không tên viết bằng ánh "
        "trăng"}},                                            // service, named
      {"hiep-si-xe-dap", {88, "Chapter 88"}},                 // empty answer: page
      {"meo-may-tham-tu", {210, "Chapter 210"}},              // service
      {"lu-khach-tren-sa-mac-muoi", {12, "Chapter 12"}},      // no service answer: page
      {"hoc-vien-phep-thuat-anh-trang", {56, "Chapter 56"}},  // service
      {"ngoi-sao-cuoi-cung", {99, "Chapter 99"}},             // service
  };
  const auto items = load_home_listing();
  ASSERT_TRUE(items.has_value()) << items.error();
  ASSERT_EQ(items->size(), expected.size());
  std::size_t with_cover = 0;
  for (const MangaItem& item : *items) {
    const std::string slug = chapter_slug(item.url);
    SCOPED_TRACE(slug);
    const auto detail = load_manga_detail(item.url);
    ASSERT_TRUE(detail.has_value()) << detail.error();
    EXPECT_EQ(detail->title, item.title);
    EXPECT_FALSE(detail->genres.empty());
    EXPECT_NE(detail->genres, "Manga");
    EXPECT_NE(detail->summary, "Chưa có tóm tắt nội dung.");
    if (!detail->cover_url.empty()) {
      ++with_cover;
      const auto cover = fetch_bytes(detail->cover_url);
      ASSERT_TRUE(cover.has_value()) << detail->cover_url;
      EXPECT_NE(image_format(*cover), "unknown") << detail->cover_url;
    }
    ASSERT_EQ(expected.count(slug), 1u);
    const Expected& wanted = expected.at(slug);
    ASSERT_EQ(detail->chapters.size(), wanted.chapters);
    if (!detail->chapters.empty()) {
      EXPECT_EQ(detail->chapters.front().name, wanted.newest);
    }
    const std::string chapter_prefix =
        std::string(SITE_ORIGIN) + "/truyen-tranh/" + slug + "/chuong-";
    for (const ChapterRef& chapter : detail->chapters) {
      EXPECT_TRUE(chapter.url.starts_with(chapter_prefix)) << chapter.url;
      EXPECT_FALSE(chapter.name.empty());
    }
  }
  EXPECT_EQ(with_cover, expected.size() - 1);
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

TEST_F(DemoSite, FakeCurlFailsAFixtureOnceWhenItsRunStateSaysSo) {
  testing::TempDir state;
  testing::write_file(state / "trang-chu.failonce", "6\n");
  testing::ScopedEnvironment run{{{"ZENTOMI_FAKE_CURL_STATE", state.path().string()}}};
  const auto first = load_home_listing();
  EXPECT_FALSE(first.has_value());
  EXPECT_FALSE(std::filesystem::exists(state / "trang-chu.failonce"));
  const auto second = load_home_listing();
  ASSERT_TRUE(second.has_value()) << second.error();
  EXPECT_GE(second->size(), 12u);
}

}  // namespace
}  // namespace zentomi
