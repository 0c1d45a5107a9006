// The jobs behind the detail screen and the reader for titles of the card's Manga folder.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "app/job_table.hpp"
#include "nettruyen/fetch.hpp"
#include "support/fake_curl.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

struct NeverSuperseded final : JobControl {
  bool superseded() const override { return false; }
  bool report(WorkerResult) const override { return false; }
};

std::string fixture(const std::string& name) {
  return testing::read_file(testing::source_dir() / "tests/fixtures/images" / name);
}

template <typename Result>
Result run(const JobRequest& request, const JobEnvironment& environment) {
  const std::optional<WorkerResult> result = run_job(request, environment, NeverSuperseded{});
  EXPECT_TRUE(result.has_value());
  return std::get<Result>(*result);
}

TEST(LocalJobs, ATitleOfTheCardIsShownAndReadWithoutAnyFetch) {
  testing::FakeCurl curl;
  const testing::TempDir card;
  testing::write_file(card / "Manga/Series/Chap 1/1.jpg", fixture("grey.jpg"));
  testing::write_file(card / "Manga/Series/Chap 2/2.png", fixture("rgb8.png"));
  testing::write_file(card / "Manga/Series/Chap 2/1.png", fixture("rgba8.png"));
  JobEnvironment environment;
  environment.manga_dir = (card / "Manga").string();

  const auto detail = run<DetailLoaded>(job::Detail{"local:Series"}, environment);
  ASSERT_TRUE(detail.result.has_value()) << detail.result.error();
  EXPECT_EQ(detail.url, "local:Series");
  EXPECT_EQ(detail.result->chapters, (std::vector<ChapterRef>{{"Chap 2", "local:Series/Chap 2"},
                                                              {"Chap 1", "local:Series/Chap 1"}}));
  EXPECT_EQ(detail.result->cover_url, "local:Series/Chap 1");

  const auto pages = run<PagesLoaded>(job::ChapterPages{"local:Series/Chap 2", 7}, environment);
  ASSERT_TRUE(pages.result.has_value()) << pages.result.error();
  EXPECT_EQ(*pages.result,
            (std::vector<std::string>{"local:Series/Chap 2/1.png", "local:Series/Chap 2/2.png"}));
  EXPECT_EQ(pages.request, 7u);

  const auto image = run<PageImageLoaded>(
      job::PageImage{"local:Series/Chap 2/2.png", 1, "local:Series/Chap 2", 8}, environment);
  ASSERT_TRUE(image.result.has_value()) << image.result.error();
  EXPECT_GT((*image.result)->width, 0u);
  EXPECT_EQ(image.chapter_url, "local:Series/Chap 2");

  const auto cover = card_or_site_bytes(environment.manga_dir, "local:Series/Chap 1");
  const std::string jpeg = fixture("grey.jpg");
  EXPECT_EQ(cover, std::vector<std::uint8_t>(jpeg.begin(), jpeg.end()));

  const auto missing = run<PageImageLoaded>(
      job::PageImage{"local:Series/Chap 9/1.png", 0, "local:Series/Chap 9", 9}, environment);
  ASSERT_FALSE(missing.result.has_value());
  EXPECT_EQ(missing.result.error(), "Not found in the Manga folder: Series/Chap 9/1.png");

  // Nothing above reached curl, and curl itself is never handed such an address.
  EXPECT_TRUE(curl.command_lines().empty());
  const auto refused = fetch_bytes("local:Series/Chap 1/1.jpg");
  ASSERT_FALSE(refused.has_value());
  EXPECT_NE(refused.error().find("not an http(s) URL: local:"), std::string::npos)
      << refused.error();
  EXPECT_TRUE(curl.command_lines().empty());
}

}  // namespace
}  // namespace zentomi
