// Pages written the way the site's own theme writes them (both eras), through the public scrapers.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "nettruyen/chapter_list.hpp"
#include "nettruyen/chapter_pages.hpp"
#include "nettruyen/detail_page.hpp"
#include "nettruyen/home_listing.hpp"
#include "support/files.hpp"
#include "support/model_printers.hpp"

namespace zentomi {
namespace {

using Pages = std::vector<std::string>;
const std::string ORIGIN = SITE_ORIGIN;
const std::string SERVICE = ORIGIN + "/Comic/Services/ComicService.asmx/ChapterList?slug=";

std::string fixture(std::string_view name) {
  return testing::read_file(testing::source_dir() / "tests/fixtures/nettruyen" / std::string(name));
}

TEST(RealMarkup, ListingSkipsTheCarouselAndReadsTwoLineViewCounts) {
  const auto items = parse_home_listing(fixture("real-listing.html"));
  ASSERT_TRUE(items.has_value()) << items.error();
  const std::vector<MangaItem> expected = {
      {"Kiếm Khách Mùa Thu", ORIGIN + "/truyen-tranh/kiem-khach-mua-thu",
       "https://img.example.test/covers/kiem-khach-mua-thu.jpg", "Chapter 128", "14M"},
      {"Cô Gái Sao Băng", ORIGIN + "/truyen-tranh/co-gai-sao-bang",
       "https://img.example.test/covers/co-gai-sao-bang.jpg", "Chapter 88", "903K"},
      {"Mèo Máy Thám Tử", ORIGIN + "/truyen-tranh/meo-may-tham-tu", "", "Chap mới", "1.234"},
  };
  EXPECT_EQ(*items, expected);
}

TEST(RealMarkup, SlidesAreSkippedWhereverTheyStandAndOtherBlocksStay) {
  const std::string slide =
      R"(<div class="item"><h3><a href="/s">Slide</a></h3><div class="slide-caption">x</div></div>)";
  const std::string plain = R"(<div class="item"><h3><a href="/p">Plain</a></h3></div>)";
  const auto titles = [](std::string_view html) {
    std::vector<std::string> out;
    for (const MangaItem& item : scrape_listing_items(html))
      out.push_back(item.title);
    return out;
  };
  using Titles = std::vector<std::string>;
  // A slide outside any carousel, a carousel block without a caption, an unclosed carousel.
  EXPECT_EQ(titles(slide + plain), Titles{"Plain"});
  EXPECT_EQ(titles(R"(<div class="owl-carousel clearfix">)" + plain + "</div>" + plain),
            Titles{"Plain"});
  EXPECT_EQ(titles(plain + R"(<div class="owl-carousel">)" + plain), Titles{"Plain"});
  // A caption after the block has closed belongs to something else.
  EXPECT_EQ(titles(plain + R"(<div class="slide-caption"></div>)"), Titles{"Plain"});
  // The lazy address beats the logo in src.
  EXPECT_EQ(
      scrape_listing_items(R"(<div class="item"><img src="//s/logo.png" data-src=" //c/x.jpg ">)"
                           R"(<h3><a href="/t">T</a></h3>)")
          .front()
          .thumb_url,
      "https://c/x.jpg");
  const auto views = [](std::string_view icon) {
    return scrape_listing_items(R"(<div class="item"><h3><a href="/t">T</a></h3>)" +
                                std::string(icon))
        .front()
        .views;
  };
  EXPECT_EQ(views("<i class=\"fa fa-eye\">\r\n\t </i> 7K <"), "7K");
  // The first icon that closes decides.
  EXPECT_EQ(views("<i class=\"fa fa-eye\">x</i> 1 <i class=\"fa fa-eye\">\n</i> 2 <"), "2");
  EXPECT_EQ(views("<i class=\"fa fa-eye\">\n</ i> 3 <"), "");
}

TEST(RealMarkup, SummaryIsTheDescriptionParagraphNeverAComment) {
  const MangaDetail detail = parse_manga_detail(fixture("real-title-page.html"));
  EXPECT_EQ(detail.summary,
            "Một kiếm khách vô danh xuất hiện ở bến đò Thu Giang.\n"
            "Hắn mang theo thanh kiếm gãy & một lời hứa.");
  EXPECT_EQ(detail.cover_url, "https://img.example.test/covers/kiem-khach-mua-thu.jpg");
  EXPECT_EQ(detail.genres, "Action - Võ Thuật");

  const auto summary = [](std::string_view html) { return parse_manga_detail(html).summary; };
  const std::string NO_SUMMARY = "Chưa có tóm tắt nội dung.";
  // The block ends at its own "</div>" (nested ones counted) or at the chapter list.
  EXPECT_EQ(summary(R"(<div class="detail-content"><div>a</div><p>In</p></div><p>Out</p>)"), "In");
  EXPECT_EQ(summary(R"(<div class="detail-content"><h2>x</h2></div><p>Comment</p>)"), NO_SUMMARY);
  EXPECT_EQ(summary(R"(<div class="detail-content"><div class="list-chapter"><p>Chap</p>)"),
            NO_SUMMARY);
  EXPECT_EQ(summary(R"(<div class="detail-content"><p>Open</div><p>x</p>)"), NO_SUMMARY);
  // Whichever description paragraph comes first is the summary.
  EXPECT_EQ(summary(R"(<div class="detail-content"><p>A</p><p class="shortened">B</p></div>)"),
            "A");
  EXPECT_EQ(summary(R"(<div class="detail-content"><p class="shortened" id="s">B</p><p>A</p>)"),
            "B");
}

TEST(RealMarkup, ChapterPagesOfBothErasKeepEveryPage) {
  EXPECT_EQ(
      parse_chapter_pages(fixture("real-chapter-page.html")),
      (Pages{"https://i1.example.test/kkmt/128/01.jpg", "https://i1.example.test/kkmt/128/02.jpg",
             "https://i1.example.test/kkmt/128/03.jpg"}));
  EXPECT_EQ(parse_chapter_pages(fixture("old-chapter-page.html")),
            (Pages{"https://i.example.test/ngd/5/1.jpg", "https://i.example.test/ngd/5/2.jpg",
                   "https://i2.example.test/ngd/5/4.jpg"}));
  const auto pages = [](std::string_view html) {
    return parse_chapter_pages(html).value_or(Pages{});
  };
  // A class naming the word among others; a longer word is another class.
  EXPECT_EQ(pages("<div class='x\tpage-chapter'><img src='https://a/1.jpg'>"
                  "<div class='page-chapters'><img src='https://a/2.jpg'>"),
            Pages{"https://a/1.jpg"});
  EXPECT_EQ(pages("<div class='my-page-chapter'><img src='https://a/1.jpg'>"), Pages{});
  // Each block reads the quote its class is written with.
  EXPECT_EQ(pages(R"(<div class="page-chapter"><img data-src='https://a/1.jpg' src="//a/2.jpg">)"),
            Pages{"https://a/2.jpg"});
}

TEST(RealMarkup, OlderChapterServiceIsAskedByNumberBeforeThePage) {
  const std::string title = "https://h.test/truyen-tranh/some-title-60939";
  const std::string older = SERVICE + "some-title&comicId=60939";
  const std::string page = R"(<div class="col-xs-5 chapter"><a href="/p/1">From page</a>)";
  const std::string listed = R"({"data":[{"chapter_name":"Chap 1","chapter_num":1}]})";
  struct Case {
    std::map<std::string, std::string> answers;
    std::string first_name;
    std::size_t requests;
  };
  for (const Case& c : std::vector<Case>{
           {{{SERVICE + "some-title-60939", listed}, {older, "{}"}}, "Chap 1", 1},
           {{{older, listed}}, "Chap 1", 2},
           {{{SERVICE + "some-title-60939", R"({"data":[]})"}, {older, listed}}, "Chap 1", 2},
           {{{older, "{}"}}, "From page", 2},
       }) {
    std::vector<std::string> requests;
    const auto chapters = load_chapter_list(
        title, page, [&](std::string_view url) -> std::expected<std::string, std::string> {
          requests.emplace_back(url);
          const auto found = c.answers.find(std::string(url));
          if (found == c.answers.end()) return std::unexpected("Network error: exit code Some(22)");
          return found->second;
        });
    ASSERT_FALSE(chapters.empty());
    EXPECT_EQ(chapters.front().name, c.first_name);
    EXPECT_EQ(requests.size(), c.requests);
  }
  EXPECT_EQ(older_chapter_list_service_url("some-title-60939"), older);
  for (const char* slug : {"title", "title-", "-60939", "title-6o939", "60939"})
    EXPECT_EQ(older_chapter_list_service_url(slug), std::nullopt) << slug;
}

}  // namespace
}  // namespace zentomi
