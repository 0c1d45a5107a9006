#include "nettruyen/search_results.hpp"

#include <gtest/gtest.h>

#include <string>

#include "model/build_config.hpp"
#include "support/fake_curl.hpp"

namespace zentomi {
namespace {

const std::string SEARCH = std::string(SITE_ORIGIN) + "/tim-truyen?keyword=";

TEST(SearchResults, TheQueryIsPercentEncodedAsUtf8) {
  EXPECT_EQ(search_url("one piece"), SEARCH + "one%20piece");
  EXPECT_EQ(search_url("Đèn lồng"), SEARCH + "%C4%90%C3%A8n%20l%E1%BB%93ng");
  // Nothing may end the parameter, start another or reach curl as a range or a set.
  EXPECT_EQ(search_url("a&b=c#d?e+f/g%h[1-2]{x,y}"),
            SEARCH + "a%26b%3Dc%23d%3Fe%2Bf%2Fg%25h%5B1-2%5D%7Bx%2Cy%7D");
  EXPECT_EQ(search_url("Az09-._~"), SEARCH + "Az09-._~");
}

TEST(SearchResults, AreFetchedLikeTheFrontPageAndScrapedTheSameWay) {
  testing::FakeCurl curl;
  curl.serve("tim-truyen?keyword=den%20long",
             "<div class=\"item\"><h3><a href=\"/truyen-tranh/den\">Đèn</a></h3></div>");
  curl.serve("tim-truyen?keyword=zz", "<p>Không có truyện nào.</p>");
  const auto found = load_search_results("den long");
  ASSERT_TRUE(found.has_value()) << found.error();
  ASSERT_EQ(found->size(), 1u);
  EXPECT_EQ((*found)[0].url, std::string(SITE_ORIGIN) + "/truyen-tranh/den");
  EXPECT_EQ(load_search_results("zz"), std::vector<MangaItem>{});  // nothing matched

  const auto lines = curl.command_lines();
  ASSERT_EQ(lines.size(), 2u);
  // The page limits of the front page: 6 seconds to connect, 12 in all.
  EXPECT_EQ(lines[0],
            (std::vector<std::string>{
                "-s", "-L", "-4", "-k", "--connect-timeout", "6", "--max-time", "12", "-A",
                "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
                "(KHTML, like Gecko) Chrome/120.0.0.0 Safari/537.36",
                "-H", std::string("Referer: ") + SITE_ORIGIN + "/", SEARCH + "den%20long"}));
}

TEST(SearchResults, AreCutAtTheLimit) {
  testing::FakeCurl curl;
  std::string page;
  for (std::size_t n = 0; n < SEARCH_RESULT_LIMIT + 7; ++n) {
    const std::string slug = "/truyen-tranh/t" + std::to_string(n);
    page += "<div class=\"item\"><h3><a href=\"" + slug + "\">T" + std::to_string(n) +
            "</a></h3></div>";
  }
  curl.serve("tim-truyen?keyword=t", page);
  const auto found = load_search_results("t");
  ASSERT_TRUE(found.has_value()) << found.error();
  ASSERT_EQ(found->size(), SEARCH_RESULT_LIMIT);
  EXPECT_EQ(found->back().title, "T" + std::to_string(SEARCH_RESULT_LIMIT - 1));
}

TEST(SearchResults, AFailedFetchIsItsMessage) {
  testing::FakeCurl curl("exit 28");
  EXPECT_EQ(load_search_results("a"),
            std::unexpected(std::string("Network error: exit code Some(28)")));
}

}  // namespace
}  // namespace zentomi
