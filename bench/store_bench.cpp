// is_favorite is asked for every visible title on every frame. One frame of the home grid asks
// for 8 titles; the figures compare re-reading favorites.json for each question with the reading
// that is reused while the file is unchanged, for 10, 100 and 1,000 favourites.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "storage/store.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace zentomi;

constexpr int VISIBLE_TITLES = 8;

MangaItem favourite(int index) {
  const std::string slug = "truyen-tranh-so-" + std::to_string(index);
  return MangaItem{"Truyện tranh số " + std::to_string(index), "https://nettruyenvia.com/" + slug,
                   "https://cdn.nettruyenvia.com/covers/" + slug + ".jpg",
                   "Chương " + std::to_string(index % 700), std::to_string(index * 37) + "K"};
}

// Half of the visible titles are favourites, half are not.
std::vector<std::string> visible_urls(int favourites) {
  std::vector<std::string> urls;
  for (int tile = 0; tile < VISIBLE_TITLES; ++tile) {
    urls.push_back(tile % 2 == 0 ? favourite(tile * favourites / VISIBLE_TITLES).url
                                 : "https://nettruyenvia.com/khong-phai-" + std::to_string(tile));
  }
  return urls;
}

Store store_with(const testing::TempDir& directory, int favourites) {
  const std::string data = (directory / "data").string();
  Store store(StorePaths{data, data});
  FavoritesList list;
  for (int index = 0; index < favourites; ++index)
    list.push_back(favourite(index));
  store.save_favorites(list);
  return store;
}

// Before the cache: every question loads and parses the whole file.
void BM_FrameOfIsFavoriteReparsing(benchmark::State& state) {
  const testing::TempDir directory;
  Store store = store_with(directory, static_cast<int>(state.range(0)));
  const std::vector<std::string> urls = visible_urls(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& url : urls) {
      const FavoritesList favorites = store.load_favorites();
      benchmark::DoNotOptimize(std::any_of(favorites.begin(), favorites.end(),
                                           [&](const MangaItem& item) { return item.url == url; }));
    }
  }
}
BENCHMARK(BM_FrameOfIsFavoriteReparsing)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

void BM_FrameOfIsFavoriteCached(benchmark::State& state) {
  const testing::TempDir directory;
  Store store = store_with(directory, static_cast<int>(state.range(0)));
  const std::vector<std::string> urls = visible_urls(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& url : urls)
      benchmark::DoNotOptimize(store.is_favorite(url));
  }
}
BENCHMARK(BM_FrameOfIsFavoriteCached)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
