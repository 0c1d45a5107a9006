// A downloaded chapter is read from the card: its page list and pages come from its files,
// decoded as fetched pages are, and curl never runs for it.
#include <gtest/gtest.h>

#include <thread>

#include "app/job_table.hpp"
#include "library/download_worker.hpp"
#include "support/fake_curl.hpp"
#include "support/jpeg_encoding.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

class Current final : public JobControl {
 public:
  bool superseded() const override { return false; }
  bool report(WorkerResult) const override { return true; }
};

const std::string TITLE = "https://old.example/truyen-tranh/den-long";
const std::string CHAPTER = TITLE + "/chuong-1";

std::vector<std::uint8_t> page_jpeg(int width, int height) {
  return testing::encode_jpeg(std::vector<std::uint8_t>(std::size_t(width * height * 3), 128),
                              width, height, 3, JCS_RGB, 90);
}

// Downloads one chapter of three pages (the last one damaged) through the worker.
std::shared_ptr<Downloads> downloaded_chapter(const std::string& data) {
  auto downloads = std::make_shared<Downloads>(data);
  DownloadServices services;
  services.load_pages = [](std::string_view) {
    return std::expected<std::vector<std::string>, PagesFailure>(
        std::vector<std::string>{"https://cdn/1.jpg", "https://cdn/2.jpg", "https://cdn/3.jpg"});
  };
  services.fetch_bytes =
      [](std::string_view url) -> std::expected<std::vector<std::uint8_t>, std::string> {
    if (url.ends_with("1.jpg")) return page_jpeg(8, 6);
    if (url.ends_with("2.jpg")) return page_jpeg(4, 12);
    std::vector<std::uint8_t> damaged = page_jpeg(4, 4);
    damaged.resize(damaged.size() / 2);
    return damaged;
  };
  std::thread worker([&] { run_download_worker(*downloads, services); });
  const std::vector<ChapterRef> chapters{{"Chương 1", CHAPTER}};
  downloads->enqueue({"Đèn lồng", TITLE, "", "", ""}, {}, chapters, {});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (downloads->status(CHAPTER).mark != DownloadMark::Downloaded &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  downloads->stop();
  worker.join();
  return downloads;
}

TEST(DownloadReading, ADownloadedChapterIsReadFromTheCardWithNoCurl) {
  testing::TempDir temp;
  const auto downloads = downloaded_chapter((temp / "data").string());
  ASSERT_EQ(downloads->status(CHAPTER).mark, DownloadMark::Downloaded);
  testing::FakeCurl curl;
  JobEnvironment environment{};
  environment.downloads = downloads;
  const Current current;
  // The site has moved since: the chapter is the same by its path.
  const std::string moved = "https://new.example/truyen-tranh/den-long/chuong-1";

  const auto pages = run_job(job::ChapterPages{moved, 7}, environment, current);
  ASSERT_TRUE(pages && std::holds_alternative<PagesLoaded>(*pages));
  const PagesLoaded& list = std::get<PagesLoaded>(*pages);
  ASSERT_TRUE(list.result) << list.result.error();
  ASSERT_EQ(list.result->size(), 3u);
  EXPECT_EQ(list.request, 7u);

  const struct {
    std::size_t index;
    int width, height;
    std::string error;
  } cases[] = {
      {0, 8, 6, ""}, {1, 4, 12, ""}, {2, 0, 0, "Image decode error: "}, {3, 0, 0, "Page not"}};
  for (const auto& c : cases) {
    const std::string url = c.index < list.result->size() ? (*list.result)[c.index] : "x";
    const auto page = run_job(job::PageImage{url, c.index, moved, 7}, environment, current);
    ASSERT_TRUE(page && std::holds_alternative<PageImageLoaded>(*page));
    const auto& image = std::get<PageImageLoaded>(*page).result;
    if (c.error.empty()) {
      ASSERT_TRUE(image) << image.error();
      EXPECT_EQ((*image)->width, std::uint32_t(c.width));
      EXPECT_EQ((*image)->height, std::uint32_t(c.height));
    } else {
      ASSERT_FALSE(image) << "page " << c.index;
      EXPECT_TRUE(image.error().starts_with(c.error)) << image.error();
    }
  }
  EXPECT_TRUE(curl.command_lines().empty());

  // Any other chapter is still fetched.
  run_job(job::ChapterPages{TITLE + "/chuong-2", 8}, environment, current);
  EXPECT_EQ(curl.command_lines().size(), 1u);
}

}  // namespace
}  // namespace zentomi
