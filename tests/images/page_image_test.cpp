#include "images/page_image.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/image_fixtures.hpp"
#include "nettruyen/fetch.hpp"
#include "support/fake_curl.hpp"

namespace zentomi {
namespace {

using testing::image_fixture;

// A fetch that answers one body (or error) and remembers what it was asked for.
struct OneAnswer {
  std::expected<std::vector<std::uint8_t>, std::string> answer;
  std::vector<std::string> asked;
  FetchBytes fetch() {
    return [this](std::string_view url) {
      asked.emplace_back(url);
      return answer;
    };
  }
};

TEST(LoadPageImage, DecodesTheDownloadedPage) {
  OneAnswer server{image_fixture("rgba8.png"), {}};
  const auto page = load_page_image("https://img.example/chap-1/page-01.png", server.fetch());
  ASSERT_TRUE(page) << page.error();
  ASSERT_NE(*page, nullptr);
  EXPECT_EQ((*page)->width, 6u);
  EXPECT_EQ((*page)->height, 4u);
  EXPECT_EQ((*page)->pixels.size(), 6u * 4 * 4);
  EXPECT_EQ(server.asked, std::vector<std::string>{"https://img.example/chap-1/page-01.png"});
}

TEST(LoadPageImage, APageNoLongerWantedAfterItsDownloadIsNotDecoded) {
  OneAnswer server{image_fixture("rgba8.png"), {}};
  int asked = 0;
  const auto wanted_until_asked = [&asked] { return ++asked == 0; };
  EXPECT_EQ(load_page_image("https://img.example/p.png", server.fetch(), wanted_until_asked),
            std::unexpected(std::string("Page no longer shown")));
  EXPECT_EQ(asked, 1) << "asked once, after the download";
  EXPECT_TRUE(load_page_image("https://img.example/p.png", server.fetch(), [] { return true; }));
}

TEST(LoadPageImage, PassesDownloadErrorsOnUnchanged) {
  OneAnswer server{std::unexpected("Failed to download image data"), {}};
  EXPECT_EQ(load_page_image("https://img.example/p.jpg", server.fetch()).error(),
            "Failed to download image data");
  server.answer = std::unexpected("Download error: No such file or directory (os error 2)");
  EXPECT_EQ(load_page_image("https://img.example/p.jpg", server.fetch()).error(),
            "Download error: No such file or directory (os error 2)");
}

TEST(LoadPageImage, ReportsWhyThePageDoesNotDecode) {
  OneAnswer server{image_fixture("tiny.gif"), {}};
  EXPECT_EQ(load_page_image("https://img.example/p.gif", server.fetch()).error(),
            "Image decode error: The image format Gif is not supported");

  const std::string not_found = "<html><body>404 Not Found</body></html>";
  server.answer = std::vector<std::uint8_t>(not_found.begin(), not_found.end());
  EXPECT_EQ(load_page_image("https://img.example/p.jpg", server.fetch()).error(),
            "Image decode error: The image format could not be determined");

  server.answer = image_fixture("too_many_pixels.webp");
  EXPECT_TRUE(load_page_image("https://img.example/p.webp", server.fetch())
                  .error()
                  .starts_with("Image decode error: The image is too large: "));
}

TEST(LoadPageImage, FetchesThroughCurlByDefault) {
  testing::FakeCurl curl;
  const std::vector<std::uint8_t> webp = image_fixture("lossless.webp");
  curl.serve("chap-2/01.webp",
             std::string_view(reinterpret_cast<const char*>(webp.data()), webp.size()));
  curl.serve("chap-2/02.gif", "GIF89a\x01\x00\x01\x00");
  curl.serve("chap-2/03.jpg", "");

  const auto page = load_page_image("https://img.example/chap-2/01.webp", fetch_bytes);
  ASSERT_TRUE(page) << page.error();
  EXPECT_EQ((*page)->width, 6u);
  EXPECT_TRUE(load_page_image("https://img.example/chap-2/02.gif", fetch_bytes)
                  .error()
                  .starts_with("Image decode error: "));
  EXPECT_EQ(load_page_image("https://img.example/chap-2/03.jpg", fetch_bytes).error(),
            "Failed to download image data");
  EXPECT_EQ(curl.command_lines().size(), 3u);
}

}  // namespace
}  // namespace zentomi
