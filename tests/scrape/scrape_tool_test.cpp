#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

const std::string ORIGIN = SITE_ORIGIN;

testing::ProcessResult scrape(std::vector<std::string> arguments) {
  std::vector<std::string> argv = testing::built_program(ZENTOMI_SCRAPE_PATH);
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return testing::run_process(argv);
}

std::string source(std::string_view relative) {
  return (testing::source_dir() / std::string(relative)).string();
}

TEST(ScrapeTool, PrintsEachKindAsOneJsonDocument) {
  const std::string title = ORIGIN + "/truyen-tranh/kiem-khach-mua-thu";
  struct Case {
    std::vector<std::string> arguments;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"listing", source("tests/fixtures/nettruyen/real-listing.html"), "--url", ORIGIN},
       R"({
  "items": [
    {
      "title": "Kiếm Khách Mùa Thu",
      "url": ")" +
           title + R"(",
      "thumb_url": "https://img.example.test/covers/kiem-khach-mua-thu.jpg",
      "latest_chapter": "Chapter 128",
      "views": "14M"
    },
    {
      "title": "Cô Gái Sao Băng",
      "url": ")" +
           ORIGIN + R"(/truyen-tranh/co-gai-sao-bang",
      "thumb_url": "https://img.example.test/covers/co-gai-sao-bang.jpg",
      "latest_chapter": "Chapter 88",
      "views": "903K"
    },
    {
      "title": "Mèo Máy Thám Tử",
      "url": ")" +
           ORIGIN + R"(/truyen-tranh/meo-may-tham-tu",
      "thumb_url": "",
      "latest_chapter": "Chap mới",
      "views": "1.234"
    }
  ]
}
)"},
      {{"detail", source("tests/fixtures/nettruyen/real-title-page.html"), "--url", title},
       R"({
  "title": "Kiếm Khách Mùa Thu",
  "cover_url": "https://img.example.test/covers/kiem-khach-mua-thu.jpg",
  "genres": "Action - Võ Thuật",
  "summary": "Một kiếm khách vô danh xuất hiện ở bến đò Thu Giang.\nHắn mang theo thanh kiếm gãy & một lời hứa.",
  "chapters": [
    {
      "name": "Chapter 2",
      "url": ")" +
           title + R"(/chuong-2"
    },
    {
      "name": "Chapter 1",
      "url": ")" +
           title + R"(/chuong-1"
    }
  ]
}
)"},
      {{"pages", source("tests/fixtures/nettruyen/old-chapter-page.html")},
       R"({
  "pages": [
    "https://i.example.test/ngd/5/1.jpg",
    "https://i.example.test/ngd/5/2.jpg",
    "https://i2.example.test/ngd/5/4.jpg"
  ]
}
)"},
  };
  for (const Case& c : cases) {
    const auto result = scrape(c.arguments);
    EXPECT_EQ(result.exit_status, 0) << c.arguments[0] << result.err;
    EXPECT_EQ(result.out, c.expected);
    EXPECT_EQ(result.err, "");
  }
}

TEST(ScrapeTool, ReadsTheDemoSitesPages) {
  // The demo title lists its chapters through the service; offline, the page's own list serves.
  const auto detail =
      scrape({"detail", source("tools/demo-site/site/truyen-tranh/kiem-khach-mua-thu/index.html"),
              "--url", ORIGIN + "/truyen-tranh/kiem-khach-mua-thu"});
  EXPECT_EQ(detail.exit_status, 0) << detail.err;
  EXPECT_NE(detail.out.find(R"("title": "Kiếm Khách Mùa Thu")"), std::string::npos) << detail.out;
  EXPECT_NE(detail.out.find("/chuong-"), std::string::npos) << detail.out;
  const auto listing = scrape({"listing", source("tools/demo-site/site/trang-chu")});
  EXPECT_EQ(listing.exit_status, 0) << listing.err;
  EXPECT_NE(listing.out.find(R"("title": "Kiếm Khách Mùa Thu")"), std::string::npos);
  const auto pages = scrape({"pages", source("tests/fixtures/nettruyen/chapter-page.html")});
  EXPECT_EQ(pages.exit_status, 0) << pages.err;
  EXPECT_NE(pages.out.find(R"("https://i1.zentomi-demo.test/kkmt/128/01.jpg")"), std::string::npos);
}

TEST(ScrapeTool, UnreadableOrUnrecognisedPagesFailWithAMessage) {
  testing::TempDir dir;
  const std::string empty = (dir.path() / "empty.html").string();
  testing::write_file(empty, "<html><body>Cloudflare</body></html>");
  struct Case {
    std::vector<std::string> arguments;
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {{"listing", (dir.path() / "missing.html").string()}, 1},
           {{"pages", dir.path().string()}, 1},
           {{"listing", empty}, 1},
           {{"detail", empty, "--url", ORIGIN + "/truyen-tranh/x"}, 1},
           {{"pages", empty}, 1},
           {{"covers", empty}, 2},
           {{"listing"}, 2},
           {{"listing", empty, "--link", "x"}, 2},
       }) {
    const auto result = scrape(c.arguments);
    EXPECT_EQ(result.exit_status, c.status) << c.arguments[0];
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
  }
}

}  // namespace
}  // namespace zentomi
