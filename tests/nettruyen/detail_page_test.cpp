#include "nettruyen/detail_page.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/files.hpp"
#include "support/model_printers.hpp"

namespace zentomi {
namespace {

const std::string ORIGIN = SITE_ORIGIN;
const std::string NO_SUMMARY = "Chưa có tóm tắt nội dung.";

std::string demo_page(std::string_view slug) {
  return testing::read_file(testing::source_dir() / "tools/demo-site/site/truyen-tranh" /
                            std::string(slug) / "index.html");
}

std::string cover_of(std::string_view block) {
  return parse_manga_detail(block).cover_url;
}

TEST(DetailPage, ScrapesARealisticPage) {
  const MangaDetail detail = parse_manga_detail(demo_page("kiem-khach-mua-thu"));
  EXPECT_EQ(detail.title, "Kiếm Khách Mùa Thu");
  EXPECT_EQ(detail.cover_url, "https://cdn.zentomi-demo.test/covers/kiem-khach-mua-thu.jpg");
  EXPECT_EQ(detail.source, "NetTruyen");
  EXPECT_EQ(detail.status, "Đang tiến hành");
  EXPECT_EQ(detail.genres, "Action - Phiêu Lưu - Võ Thuật - Cổ Đại");
  EXPECT_TRUE(detail.summary.starts_with("Giữa những năm loạn lạc cuối triều")) << detail.summary;
  EXPECT_TRUE(detail.summary.ends_with("cái giá của việc sống sót.")) << detail.summary;
  // Four paragraphs, each "<br/>" a line feed beside the page's own.
  std::size_t breaks = 0;
  for (std::size_t at = detail.summary.find("\n\n"); at != std::string::npos;
       at = detail.summary.find("\n\n", at + 2))
    ++breaks;
  EXPECT_EQ(breaks, 3u);
  EXPECT_TRUE(detail.chapters.empty());

  // The page's own status is never read; headings are decoded.
  const MangaDetail finished = parse_manga_detail(demo_page("ngoi-sao-cuoi-cung"));
  EXPECT_EQ(finished.status, "Đang tiến hành");
  EXPECT_EQ(parse_manga_detail(demo_page("he-thong-tho-ren")).title, "<Hệ Thống> Thợ Rèn Cấp 99");
}

TEST(DetailPage, TitleIsTheTrimmedDecodedHeading) {
  EXPECT_EQ(parse_manga_detail(R"(<h1 class="title-detail"> Tom &amp; Jerry </h1>)").title,
            "Tom & Jerry");
  // Tags stay; decoding comes after trimming.
  EXPECT_EQ(parse_manga_detail(R"(<h1 class="title-detail"><b>X</b>&nbsp;</h1>)").title,
            "<b>X</b> ");
  for (const char* missing :
       {"", R"(<h1 class="title-detail">Never closed)", R"(<h1 class="title">Other</h1>)",
        R"(</h1><h1 class="title-detail">)"})
    EXPECT_EQ(parse_manga_detail(missing).title, "Truyện tranh") << missing;
}

TEST(DetailPage, SummaryIsTheFirstPlainParagraphWithLineBreaks) {
  const auto summary = [](std::string_view html) { return parse_manga_detail(html).summary; };
  EXPECT_EQ(
      summary(R"(<div class="detail-content"><p>Line one<br>Line two<br/>Line <b>three</b></p>)"),
      "Line one\nLine two\nLine three");
  EXPECT_EQ(summary(R"(<div class="detail-content"><p> A<br />B &amp;lt;</p><p>Second</p>)"),
            "AB <");
  EXPECT_EQ(summary(R"(<div class="detail-content"><h3>x</h3><p><br></p>)"), "");
  EXPECT_EQ(summary(R"(<div class="detail-content"><p><img src="x"></p>)"), "");
  // A paragraph before the description does not count.
  EXPECT_EQ(summary(R"(<p>Early</p><div class="detail-content"><p>Late</p>)"), "Late");
  for (const char* missing : {
           "",
           R"(<div class="detail-content"><p class="x">With attributes</p></div>)",
           R"(<div class="detail-content"><p>Never closed)",
           R"(<p>No description</p>)",
       })
    EXPECT_EQ(summary(missing), NO_SUMMARY) << missing;
}

TEST(DetailPage, GenresAreTheKindLineWithoutItsLabel) {
  const auto genres = [](std::string_view html) { return parse_manga_detail(html).genres; };
  EXPECT_EQ(
      genres(R"(<li class="kind row"><p>Thể loại</p><p><a>Action</a> - <a>Drama</a></p></li>)"),
      "Action - Drama");
  EXPECT_EQ(genres("<li class=\"kind row\">\n<p>Thể loại:</p>\n<p>A,B</p>\n</li>"), ":\nA,B");
  EXPECT_EQ(genres(R"(<li class="kind row"><p>Thể loại</p></li><li>Action</li>)"), "");
  EXPECT_EQ(genres(R"(<li class="kind row">Thể loại Thể loại Shounen &amp; Seinen</li>)"),
            "Shounen & Seinen");
  EXPECT_EQ(genres(R"(<li class="kind">Action</li>)"), "Manga");
  EXPECT_EQ(genres(R"(<li class="kind row"><p>Action</p>)"), "Manga, Action");
  EXPECT_EQ(genres(R"(</li><li class="kind row"><p>Action</p>)"), "Manga, Action");
}

TEST(DetailPage, CoverIsTheFirstAbsoluteImageOfTheCoverBlock) {
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img data-original="" src="//img/c.jpg"></div>)"),
            "https://img/c.jpg");
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img src="/x/thumb-default.png"></div>)"), "");
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img src="/x/c.jpg"></div>)"), "");
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img src="//st/thumb-default.jpg" )"
                     R"(data-src=" https://a/d.png " data-retries="//b/r.jpg"></div>)"),
            "https://b/r.jpg");
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img data-original="//st/thumb-default.jpg" )"
                     R"(data-retries="cover.jpg" data-src="httpx"></div>)"),
            "httpx");
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img data-original="htt" src="http"></div>)"),
            "http");
  // The region ends at the block's first "</div>".
  EXPECT_EQ(cover_of(R"(<div class="col-image"><div></div><img src="//a/b.jpg"></div>)"), "");
  EXPECT_EQ(cover_of(R"(<div class="col-image"><img data-original="//a/b.jpg</div>">)"), "");
  EXPECT_EQ(cover_of(R"(<img src="//before/c.jpg"><div class="other"></div>)"), "");
}

TEST(DetailPage, UnclosedCoverBlockIsSearchedOver800Bytes) {
  const std::string head = R"(<div class="col-image"><img )";
  const std::string attribute = R"(src="//a/c.jpg")";
  // Filler that puts the closing quote on the region's last byte, counted from "col-image".
  const std::size_t fits = head.find("col-image") + 800 - head.size() - attribute.size();
  const auto with_filler = [&](std::size_t filler) {
    return head + std::string(filler, 'x') + attribute + ">";
  };
  EXPECT_EQ(cover_of(with_filler(fits)), "https://a/c.jpg");
  EXPECT_EQ(cover_of(with_filler(fits + 1)), "");
  // A block that does close is searched to its end, however long.
  EXPECT_EQ(cover_of(with_filler(fits + 2000) + "</div>"), "https://a/c.jpg");
}

TEST(DetailPage, EveryPrefixOfAPageScrapesToSoundFields) {
  const std::string page = demo_page("bi-mat-thu-vien-co");
  const MangaDetail whole = parse_manga_detail(page);
  for (std::size_t length = 0; length <= page.size(); ++length) {
    const std::string_view prefix = std::string_view(page).substr(0, length);
    const MangaDetail detail = parse_manga_detail(prefix);
    ASSERT_EQ(detail.source, "NetTruyen");
    ASSERT_EQ(detail.status, "Đang tiến hành");
    ASSERT_TRUE(detail.title == whole.title || detail.title == "Truyện tranh") << length;
    ASSERT_TRUE(detail.summary == whole.summary || detail.summary == NO_SUMMARY) << length;
    ASSERT_TRUE(detail.cover_url == whole.cover_url || detail.cover_url.empty()) << length;
    ASSERT_TRUE(detail.genres == whole.genres || detail.genres == "Manga" ||
                detail.genres == "Manga, Action")
        << length;
    ASSERT_LE(parse_page_chapters(prefix).size(), 3u);
  }
  using namespace std::string_view_literals;
  const MangaDetail hostile = parse_manga_detail(
      "col-image\xe1\x80"
      "<h1 class=\"title-detail\">\0</h1><li class=\"kind row\"><div class=\"detail-content\"><p>"sv);
  EXPECT_EQ(hostile.title, "") << "a control character is never shown";
  EXPECT_EQ(hostile.genres, "Manga, Action");
  EXPECT_EQ(hostile.summary, NO_SUMMARY);
}

TEST(LoadMangaDetail, FetchesThePageThenTheChapters) {
  std::vector<std::string> requests;
  const std::map<std::string, std::string> site = {
      {"https://h.test/truyen-tranh/abc",
       R"(<h1 class="title-detail">Abc</h1><div class="col-xs-5 chapter"><a href="/c/1">Chap 1</a>)"},
      {ORIGIN + "/Comic/Services/ComicService.asmx/ChapterList?slug=abc", R"({"data":[1]})"},
  };
  const FetchText fetch = [&](std::string_view url) -> std::expected<std::string, std::string> {
    requests.emplace_back(url);
    const auto found = site.find(std::string(url));
    if (found == site.end()) return std::unexpected("Network error: exit code Some(28)");
    return found->second;
  };

  const auto detail = load_manga_detail("https://h.test/truyen-tranh/abc", fetch);
  ASSERT_TRUE(detail.has_value()) << detail.error();
  MangaDetail expected = parse_manga_detail(site.begin()->second);
  expected.chapters = {{"Chap 1", ORIGIN + "/c/1"}};
  EXPECT_EQ(*detail, expected);
  EXPECT_EQ(requests, (std::vector<std::string>{
                          "https://h.test/truyen-tranh/abc",
                          ORIGIN + "/Comic/Services/ComicService.asmx/ChapterList?slug=abc"}));

  // A failed page fetch is the whole outcome, its message unchanged, and nothing else is asked.
  requests.clear();
  const auto failed = load_manga_detail("https://h.test/truyen-tranh/missing", fetch);
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error(), "Network error: exit code Some(28)");
  EXPECT_EQ(requests.size(), 1u);
}

}  // namespace
}  // namespace zentomi
