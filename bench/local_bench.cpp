// The card's own manga: a page turn in a CBZ chapter (the entry read and decoded) against the same
// image read from a chapter folder, and a scan of 1,000 titles of 10 chapters each.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "images/image_decoding.hpp"
#include "library/local_card.hpp"
#include "library/local_pages.hpp"
#include "library/local_scan.hpp"
#include "support/jpeg_encoding.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace zentomi;
namespace fs = std::filesystem;

constexpr int PAGE_WIDTH = 800;
constexpr int PAGE_HEIGHT = 1200;
constexpr int PAGES = 30;

// A page that compresses like a drawn one: smooth shading crossed by hard lines.
std::vector<std::uint8_t> page_jpeg(int number) {
  std::vector<std::uint8_t> rgb(std::size_t{PAGE_WIDTH} * PAGE_HEIGHT * 3);
  for (int y = 0; y < PAGE_HEIGHT; ++y) {
    for (int x = 0; x < PAGE_WIDTH; ++x) {
      const bool line = (x + number * 7) % 97 < 3 || (y * 3 + x) % 151 < 2;
      const auto value = static_cast<std::uint8_t>(line ? 10 : 255 - (x * y + number) % 90);
      std::uint8_t* p = &rgb[(std::size_t(y) * PAGE_WIDTH + std::size_t(x)) * 3];
      p[0] = p[1] = p[2] = value;
    }
  }
  return testing::encode_jpeg(rgb, PAGE_WIDTH, PAGE_HEIGHT, 3, JCS_RGB, 85);
}

// Manga/Pages/<chapter folder, stored and deflated archives of the same pages>.
struct Card {
  testing::TempDir dir;
  std::string root = (dir / "Manga").string();
  Card() {
    std::vector<testing::ZipMember> members;
    for (int page = 1; page <= PAGES; ++page) {
      const std::string name = std::to_string(page) + ".jpg";
      members.push_back({name, page_jpeg(page)});
      testing::write_bytes(dir / "Manga/Pages/Folder" / name, members.back().bytes);
    }
    testing::write_zip(dir / "Manga/Pages/Stored.cbz", members, 0);
    testing::write_zip(dir / "Manga/Pages/Deflated.cbz", members, 6);
  }
};

const Card& card() {
  static const Card instance;
  return instance;
}

// One page turn: the page's bytes from the card, then decoded as the page job decodes them.
void page_turn(benchmark::State& state, const std::string& chapter, bool decode) {
  const Card& shared = card();
  int page = 0;
  for (auto _ : state) {
    const std::string address =
        "local:Pages/" + chapter + "/" + std::to_string(page++ % PAGES + 1) + ".jpg";
    auto bytes = read_local_page(shared.root, address);
    if (!bytes) state.SkipWithError(bytes.error().c_str());
    if (decode) benchmark::DoNotOptimize(decode_image(*bytes));
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK_CAPTURE(page_turn, folder_read_and_decode, "Folder", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(page_turn, stored_cbz_read_and_decode, "Stored.cbz", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(page_turn, deflated_cbz_read_and_decode, "Deflated.cbz", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(page_turn, folder_read_only, "Folder", false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(page_turn, stored_cbz_read_only, "Stored.cbz", false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(page_turn, deflated_cbz_read_only, "Deflated.cbz", false)
    ->Unit(benchmark::kMicrosecond);

// 1,000 titles of 10 chapter folders, each holding one small page: the scan opens every title and
// chapter folder and reads the first bytes of one page in each, until its bound of 5,000 chapters
// (500 titles) is reached.
struct BigCard {
  testing::TempDir dir;
  std::string root = (dir / "Manga").string();
  BigCard() {
    const std::vector<std::uint8_t> page = page_jpeg(0);
    for (int title = 0; title < 1000; ++title) {
      for (int chapter = 1; chapter <= 10; ++chapter) {
        testing::write_bytes(dir / "Manga" / ("Title " + std::to_string(title)) /
                                 ("Chap " + std::to_string(chapter)) / "01.jpg",
                             {page.begin(), page.begin() + 64});
      }
    }
  }
};

const BigCard& big_card() {
  static const BigCard instance;
  return instance;
}

void scan_1000_titles_of_10_chapters(benchmark::State& state) {
  const BigCard& shared = big_card();
  for (auto _ : state) {
    const LocalLibrary library = scan_local_library(shared.root);
    if (library.titles.size() != 500 || !library.truncated) state.SkipWithError("wrong scan");
    benchmark::DoNotOptimize(library);
  }
}
BENCHMARK(scan_1000_titles_of_10_chapters)->Unit(benchmark::kMillisecond);

// The same folder with the chapter bound raised: every one of the 10,000 chapters found.
void scan_1000_titles_of_10_chapters_unbounded(benchmark::State& state) {
  const BigCard& shared = big_card();
  for (auto _ : state) {
    const LocalLibrary library = scan_local_library(shared.root, {.chapters = 10'000});
    if (library.titles.size() != 1000 || library.truncated) state.SkipWithError("wrong scan");
    benchmark::DoNotOptimize(library);
  }
}
BENCHMARK(scan_1000_titles_of_10_chapters_unbounded)->Unit(benchmark::kMillisecond);

// What opening the library costs when nothing changed: one listing and a status per title.
void unchanged_check_of_1000_titles(benchmark::State& state) {
  const BigCard& shared = big_card();
  for (auto _ : state)
    benchmark::DoNotOptimize(local_library_fingerprint(shared.root));
}
BENCHMARK(unchanged_check_of_1000_titles)->Unit(benchmark::kMillisecond);

}  // namespace
