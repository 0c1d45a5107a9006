#include "nettruyen/chapter_pages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/files.hpp"

namespace zentomi {
namespace {

using Pages = std::vector<std::string>;
const std::string NOTHING_FOUND = "Không tìm thấy trang truyện trong chapter này";

std::string fixture_page() {
  return testing::read_file(testing::source_dir() / "tests/fixtures/nettruyen/chapter-page.html");
}

// The pages of a document made of the given pieces, each after its own marker.
std::expected<Pages, std::string> pages_of(std::initializer_list<std::string_view> pieces) {
  std::string html = "<html><img src='https://before.test/first-marker.jpg'>";
  for (const std::string_view piece : pieces)
    html += "<div class='page-chapter'>" + std::string(piece) + "</div>";
  return parse_chapter_pages(html);
}

TEST(ChapterPages, ScrapesARealisticChapterPage) {
  const Pages expected = {
      "https://i1.zentomi-demo.test/kkmt/128/01.jpg",
      "https://i2.zentomi-demo.test/kkmt/128/02.jpg?v=3&amp;t=1",
      "http://i4.zentomi-demo.test/kkmt/128/06.webp",
      "https://i1.zentomi-demo.test/kkmt/128/01.jpg",
      "httpx",
  };
  EXPECT_EQ(parse_chapter_pages(fixture_page()), expected);
}

TEST(ChapterPages, TheFirstMarkerPresentDecidesEvenWhenItsValueIsUnusable) {
  EXPECT_EQ(pages_of({"<img data-src=' https://img/1.jpg ' src='https://img/lazy.gif'>"}),
            Pages{"https://img/1.jpg"});
  EXPECT_EQ(pages_of({"<img src='https://img/s.jpg' data-sv1='https://img/v.jpg'>"}),
            Pages{"https://img/v.jpg"});
  EXPECT_EQ(pages_of({"<img data-sv1='https://img/v.jpg' data-src='https://img/d.jpg'>"}),
            Pages{"https://img/d.jpg"});
  EXPECT_EQ(pages_of({"<img src='https://img/s.jpg'>"}), Pages{"https://img/s.jpg"});
  for (const char* unusable : {
           "<img data-src='' data-sv1='https://img/2.jpg'>",
           "<img data-src='//img/2.jpg' src='https://img/2.jpg'>",
           "<img data-sv1=' ' src='https://img/2.jpg'>",
           "<img data-src='https://img/notice-nettruyen.png' src='https://img/2.jpg'>",
           "<img data-src=\"https://img/2.jpg\" src='/2.jpg'>",
       }) {
    EXPECT_EQ(pages_of({unusable, "<img src='https://ok/3.jpg'>"}), Pages{"https://ok/3.jpg"})
        << unusable;
  }
}

TEST(ChapterPages, ValuesAreTrimmedAndOtherwiseKeptAsTheyAre) {
  EXPECT_EQ(pages_of({"<img src='\u3000\t https://a/é x.jpg\u00a0\n'>"}),
            Pages{"https://a/é x.jpg"});
  EXPECT_EQ(pages_of({"<img src='HTTPS://a/1.jpg'>", "<img src='http'>", "<img src='htt'>",
                      "<img src='  https://a/1.jpg?x=&amp;'>", "<img src='https://a/1.jpg'>"}),
            (Pages{"http", "https://a/1.jpg?x=&amp;", "https://a/1.jpg"}));
}

TEST(ChapterPages, NothingUsableIsTheNothingFoundError) {
  for (const std::string& html : {
           std::string(),
           std::string("<div class=\"page-chapter\"><img src='https://a/1.jpg'>"),
           std::string("<img src='https://a/1.jpg'><div class='page-chapter'>"),
           std::string("<div class='page-chapter'><img data-src='https://a/1.jpg>"),
           std::string("<div class='page-chapter'><img src='"),
           std::string("<div class='page-chapter'><div class='page-chapter'>"),
           std::string("<div class='PAGE-CHAPTER'><img src='https://a/1.jpg'>"),
       }) {
    EXPECT_EQ(parse_chapter_pages(html), std::unexpected(NOTHING_FOUND)) << html;
  }
}

TEST(ChapterPages, EveryPrefixOfARealPageGivesAPrefixOfItsPagesOrNothingFound) {
  const std::string page = fixture_page();
  const Pages all = *parse_chapter_pages(page);
  for (std::size_t length = 0; length <= page.size(); ++length) {
    const auto pages = parse_chapter_pages(std::string_view(page).substr(0, length));
    if (!pages) {
      ASSERT_EQ(pages.error(), NOTHING_FOUND) << length;
      continue;
    }
    ASSERT_LE(pages->size(), all.size()) << length;
    // A cut may end the last value early; every earlier page is whole.
    for (std::size_t i = 0; i + 1 < pages->size(); ++i)
      ASSERT_EQ((*pages)[i], all[i]) << length;
    ASSERT_TRUE(pages->back().starts_with("http")) << length;
  }
}

TEST(ChapterPages, LoadingFetchesTheChapterAndPassesFailuresOn) {
  std::vector<std::string> asked;
  const FetchText serving = [&](std::string_view url) -> std::expected<std::string, std::string> {
    asked.emplace_back(url);
    return "<div class='page-chapter'><img src='https://a/1.jpg'>";
  };
  EXPECT_EQ(load_chapter_pages("https://site.test/c/1", serving), Pages{"https://a/1.jpg"});
  EXPECT_EQ(asked, std::vector<std::string>{"https://site.test/c/1"});

  const FetchText failing = [](std::string_view) -> std::expected<std::string, std::string> {
    return std::unexpected(std::string("Network error: exit code Some(28)"));
  };
  EXPECT_EQ(load_chapter_pages("https://site.test/c/1", failing),
            std::unexpected(std::string("Network error: exit code Some(28)")));
  const FetchText empty = [](std::string_view) -> std::expected<std::string, std::string> {
    return std::string();
  };
  EXPECT_EQ(load_chapter_pages("https://site.test/c/1", empty), std::unexpected(NOTHING_FOUND));
}

}  // namespace
}  // namespace zentomi
