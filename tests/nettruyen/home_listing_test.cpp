#include "nettruyen/home_listing.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/files.hpp"
#include "support/model_printers.hpp"

namespace zentomi {
namespace {

const std::string ORIGIN = SITE_ORIGIN;
const std::string NOTHING_FOUND = "Không tìm thấy danh sách truyện từ NetTruyen";

std::vector<MangaItem> parse_ok(std::string_view html) {
  auto items = parse_home_listing(html);
  EXPECT_TRUE(items.has_value()) << items.error();
  return items ? *items : std::vector<MangaItem>{};
}

MangaItem parse_one(std::string_view block) {
  const std::vector<MangaItem> items = parse_ok("<div class=\"item\">" + std::string(block));
  EXPECT_EQ(items.size(), 1u);
  return items.empty() ? MangaItem{} : items.front();
}

std::string thumbnail_of(std::string_view images) {
  return parse_one(std::string(images) + R"(<h3><a href="/t">T</a></h3>)").thumb_url;
}

std::string chapter_of(std::string_view entry) {
  return parse_one(R"(<h3><a href="/t">T</a></h3>)" + std::string(entry)).latest_chapter;
}

TEST(HomeListing, ScrapesTheDemoFrontPage) {
  const std::string page =
      testing::read_file(testing::source_dir() / "tools/demo-site/site/trang-chu");
  const std::string cdn = "https://cdn.zentomi-demo.test/covers/";
  const std::vector<MangaItem> expected = {
      {"Kiếm Khách Mùa Thu", ORIGIN + "/truyen-tranh/kiem-khach-mua-thu",
       cdn + "kiem-khach-mua-thu.jpg", "Chapter 128", "1.234.567"},
      {"Tiệm Trà & Mèo Đen", ORIGIN + "/truyen-tranh/tiem-tra-meo-den",
       ORIGIN + "/covers/tiem-tra-meo-den.png", "Chapter 45", "98,765"},
      {"Hành Trình \"Vô Tận\"", ORIGIN + "/truyen-tranh/hanh-trinh-vo-tan",
       "https://img.zentomi-demo.test/covers/hanh-trinh-vo-tan.webp", "Chapter 302", "12.3M"},
      {"Người Gác Đèn Biển Bắc", ORIGIN + "/truyen-tranh/nguoi-gac-den-bien-bac",
       cdn + "nguoi-gac-den.jpg", "Chap mới", "45.001"},
      {"Cô Gái 'Sao Băng'", ORIGIN + "/truyen-tranh/co-gai-sao-bang",
       ORIGIN + "/covers/co-gai-sao-bang.webp", "Chapter 7", "3.2K"},
      {"<Hệ Thống> Thợ Rèn Cấp 99", ORIGIN + "/truyen-tranh/he-thong-tho-ren",
       cdn + "he-thong-tho-ren.jpg", "", "765"},
      {"Vương Quốc Mây Trôi", ORIGIN + "/truyen-tranh/vuong-quoc-may-troi", "", "Chapter 19",
       "2,222,222"},
      {"Đầu Bếp Ở Thế Giới Khác", ORIGIN + "/truyen-tranh/dau-bep-o-the-gioi-khac",
       cdn + "dau-bep-the-gioi-khac.png", "Chapter 64.5", "56.789"},
      {"Bí Mật Thư Viện Cổ Và Những Cuốn Sách Biết Nói Trong Đêm Trăng Tròn",
       ORIGIN + "/truyen-tranh/bi-mat-thu-vien-co", ORIGIN + "/covers/bi-mat-thu-vien-co.webp",
       "Chapter 3", "8.888"},
      {"Hiệp Sĩ Xe Đạp", ORIGIN + "/truyen-tranh/hiep-si-xe-dap", cdn + "hiep-si-xe-dap.jpg",
       "Chapter 88", "1.000.001"},
      {"Mèo Máy Thám Tử", ORIGIN + "/truyen-tranh/meo-may-tham-tu",
       "https://img.zentomi-demo.test/covers/meo-may-tham-tu.png", "Chapter 210", "333K"},
      {"Lữ Khách Trên Sa Mạc Muối", ORIGIN + "/truyen-tranh/lu-khach-tren-sa-mac-muoi",
       cdn + "lu-khach-sa-mac-muoi.webp", "Chapter 12", ""},
      {"Học Viện Phép Thuật Ánh Trăng",
       "https://www.zentomi-demo.test/truyen-tranh/hoc-vien-phep-thuat-anh-trang",
       cdn + "hoc-vien-phep-thuat.jpg", "Chapter 56", "4.567.890"},
      // The last block runs to the end of the page, so the footer's counter is its views.
      {"Ngôi Sao Cuối Cùng", ORIGIN + "/truyen-tranh/ngoi-sao-cuoi-cung",
       ORIGIN + "/covers/ngoi-sao-cuoi-cung.png", "Chapter 99", "9.876.543"},
  };
  const std::vector<MangaItem> items = parse_ok(page);
  ASSERT_EQ(items.size(), expected.size());
  for (std::size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(items[i], expected[i]) << "item " << i << ": " << items[i].title;
}

TEST(HomeListing, TitleIsTheHeadingLinkTextJoinedTrimmedAndDecoded) {
  EXPECT_EQ(parse_one("<h3><a href=\"/x\" title=\"X\">\n  One &amp; Two\n</a></h3>").title,
            "One & Two");
  EXPECT_EQ(parse_one(R"(<h3><a>Name</a></h3><a href="/n">)").title, "Name");
  EXPECT_EQ(parse_one(R"(<h3><a href="/x">&amp;lt;Hệ&amp;gt;</a></h3>)").title, "<Hệ>");
  // Every ">" right after the link's opening tag is skipped.
  EXPECT_EQ(parse_one(R"(<h3><a href="/x">>> Tiếp</a></h3>)").title, "Tiếp");
  // Decoding comes after trimming, so an encoded blank at the start survives.
  EXPECT_EQ(parse_one(R"(<h3><a href="/x">&nbsp;A</a></h3>)").title, " A");
}

TEST(HomeListing, BlocksWithoutATitleOrLinkAreDropped) {
  const std::string good = R"(<div class="item"><h3><a href="/ok">Ok</a></h3>)";
  for (const char* bad : {
           R"(<div class="item"><a href="/x">No heading</a>)",
           R"(<div class="item"><h3>Name</a></h3><a href="/x">)",
           R"(<div class="item"><h3><a href="/x">Never closed</h3>)",
           R"(<div class="item"><h3><a href="/x">   </a></h3>)",
           R"(<div class="item"><h3><a>No link</a></h3>)",
           R"(<div class="item"><h3><a href="/x>Unquoted</a></h3>)",
       }) {
    const auto items = parse_home_listing("<html>" + std::string(bad) + good);
    ASSERT_TRUE(items.has_value()) << bad;
    ASSERT_EQ(items->size(), 1u) << bad;
    EXPECT_EQ(items->front().title, "Ok");
  }
}

TEST(HomeListing, UrlIsTheFirstHrefCompletedOnlyWhenSiteRelative) {
  EXPECT_EQ(parse_one(R"(<a href="/truyen-tranh/abc"><h3><a href="/h">T</a></h3>)").url,
            ORIGIN + "/truyen-tranh/abc");
  EXPECT_EQ(parse_one(R"(<h3><a href="//host/abc">T</a></h3>)").url, ORIGIN + "//host/abc");
  EXPECT_EQ(parse_one(R"(<h3><a href="https://x.test/a">T</a></h3>)").url, "https://x.test/a");
  EXPECT_EQ(parse_one(R"(<h3><a href="">T</a></h3>)").url, "");
  // Used as it is: neither trimmed nor decoded.
  EXPECT_EQ(parse_one(R"(<h3><a href=" a&amp;b ">T</a></h3>)").url, " a&amp;b ");
}

TEST(HomeListing, ThumbnailFollowsTheFallbackOrderAndIsCompleted) {
  EXPECT_EQ(thumbnail_of(R"(<img src="/s.jpg" data-original="//cdn/a.jpg">)"), "https://cdn/a.jpg");
  EXPECT_EQ(thumbnail_of(R"(<img data-original="   " data-retries=" /r.png " src="/s.jpg">)"),
            ORIGIN + "/r.png");
  EXPECT_EQ(thumbnail_of(R"(<img data-original="   " data-retries="" src="/s.jpg">)"),
            ORIGIN + "/s.jpg");
  EXPECT_EQ(thumbnail_of(R"(<img data-src="//cdn/d.webp">)"), "https://cdn/d.webp");
  EXPECT_EQ(thumbnail_of(R"(<img src="/images/thumb-default.jpg">)"), "");
  EXPECT_EQ(thumbnail_of(R"(<img src="https://x/y.png">)"), "https://x/y.png");
  EXPECT_EQ(thumbnail_of(R"(<img data-original="cover.jpg">)"), "cover.jpg");
  // A value without its closing quote falls through to the next rule.
  EXPECT_EQ(parse_one(R"(<h3><a href="/t">T</a></h3><img data-original="/unclosed>)").thumb_url,
            "");
  EXPECT_EQ(thumbnail_of("<img>"), "");
}

TEST(HomeListing, LatestChapterIsTheFirstChapterLinkText) {
  EXPECT_EQ(chapter_of(R"(<li class="chapter"><a href="/c">Chapter 12</a>)"), "Chapter 12");
  EXPECT_EQ(chapter_of(R"(<li class="chapter clearfix"><a href="/c"> Chap 2 </a><a>Chap 1</a>)"),
            "Chap 2");
  EXPECT_EQ(chapter_of(R"(<li class="chapter"><a href="/c">   </a>)"), "");
  EXPECT_EQ(chapter_of(""), "Chap mới");
  EXPECT_EQ(chapter_of(R"(<li class="chapter">no link</li>)"), "Chap mới");
  EXPECT_EQ(chapter_of(R"(<li class="chapter"><a href="/c">never closed)"), "Chap mới");
  // The "</a>" begins before the link's ">".
  EXPECT_EQ(chapter_of(R"(<li class="chapter"><a</a>>)"), "Chap mới");
  // Neither line feeds nor entities are touched here.
  EXPECT_EQ(chapter_of("<li class=\"chapter\"><a>Chap\n&amp;</a>"), "Chap\n&amp;");
}

TEST(HomeListing, ViewsAreTheTextAfterTheEyeIcon) {
  const auto views = [](std::string_view text) {
    return parse_one(R"(<h3><a href="/t">T</a></h3>)" + std::string(text)).views;
  };
  EXPECT_EQ(views(R"(<i class="fa fa-eye"></i> 1.234.567 </span>)"), "1.234.567");
  EXPECT_EQ(views(R"(<i class="fa fa-eye"></i>12,5K)"), "");
  EXPECT_EQ(views(R"(<i class="fa fa-eye"></i><b>1</b>)"), "");
  EXPECT_EQ(views(R"(<i class="fa fa-heart"></i> 5 </span>)"), "");
}

TEST(HomeListing, KeepsDuplicatesAndPageOrder) {
  const std::string block = R"(<div class="item"><h3><a href="/a">A</a></h3>)";
  const auto items = parse_ok(block + R"(<div class="item"><h3><a href="/b">B</a></h3>)" + block);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].title, "A");
  EXPECT_EQ(items[1].title, "B");
  EXPECT_EQ(items[2], items[0]);
}

TEST(HomeListing, NothingUsableIsAnError) {
  for (const std::string& page : {
           std::string(),
           std::string("<html><body>404 Not Found</body></html>"),
           std::string(R"(<h3><a href="/before">Before any item</a></h3><div class="items">)"),
           std::string(R"(<div class="item"><div class="item"><h3>x</h3><div class="item">)"),
           std::string(R"(<div class="item"><h3><a href="/x"></a></h3>)"),
       }) {
    const auto items = parse_home_listing(page);
    ASSERT_FALSE(items.has_value()) << page;
    EXPECT_EQ(items.error(), NOTHING_FOUND);
  }
}

TEST(HomeListing, HostileInputNeverReadsOutOfRange) {
  // Every prefix of a realistic block ends some search early; none may fail other than cleanly.
  const std::string block =
      R"(<div class="item"><img data-original="//c/a.jpg"><i class="fa fa-eye"></i> 1 <)"
      R"(<h3><a href="/x">Tên</a></h3><li class="chapter"><a href="/c">Chap 1</a>)";
  for (std::size_t length = 0; length <= block.size(); ++length) {
    const auto items = parse_home_listing(std::string_view(block).substr(0, length));
    if (items) {
      ASSERT_EQ(items->size(), 1u);
      EXPECT_FALSE(items->front().title.empty());
    } else {
      EXPECT_EQ(items.error(), NOTHING_FOUND);
    }
  }
  using namespace std::string_view_literals;
  EXPECT_FALSE(parse_home_listing("<div class=\"item\">\0<h3>\xff\xfe<a>\x80</a>\"href=\""sv));
}

}  // namespace
}  // namespace zentomi
