// Long strips as the reader decodes them: a 720 x 20,000 JPEG at its own width, and a
// 1600 x 40,000 one scaled to the 720 pixels it is drawn at. bench/strips-vs-djpeg.sh compares
// them with libjpeg-turbo's djpeg on the same files: with ZENTOMI_BENCH_FILES naming a folder,
// the files are also written there.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "images/image_decoding.hpp"
#include "support/jpeg_encoding.hpp"

namespace {

using namespace zentomi;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t DRAWN_WIDTH = 720;

// Drawing-like content: flat paper and gradients with noisy panels, so no coder takes a shortcut.
Bytes strip_file(int width, int height, const char* name) {
  Bytes samples(static_cast<std::size_t>(width) * height * 3);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &samples[(static_cast<std::size_t>(y) * width + x) * 3];
      const bool noisy = (x / 64 + y / 64) % 5 == 0;
      for (int c = 0; c < 3; ++c)
        p[c] = noisy ? static_cast<std::uint8_t>(random()) : static_cast<std::uint8_t>(x + y * c);
    }
  }
  Bytes file = testing::encode_jpeg(samples, width, height, 3, JCS_RGB, 90);
  if (const char* folder = std::getenv("ZENTOMI_BENCH_FILES")) {
    std::ofstream out(std::filesystem::path(folder) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
  }
  return file;
}

void decode(benchmark::State& state, const Bytes& file) {
  for (auto _ : state) {
    auto image = decode_image(file, page_limits(DRAWN_WIDTH));
    if (!image) {
      state.SkipWithError(image.error().c_str());
      return;
    }
    state.counters["width"] = image->width;
    state.counters["height"] = image->height;
    benchmark::DoNotOptimize(image);
  }
}

void BM_StripAtItsOwnWidth(benchmark::State& state) {
  static const Bytes file = strip_file(720, 20'000, "strip-720x20000.jpg");
  decode(state, file);
}
BENCHMARK(BM_StripAtItsOwnWidth)->Unit(benchmark::kMillisecond);

void BM_WideStripScaledToItsDrawnWidth(benchmark::State& state) {
  static const Bytes file = strip_file(1600, 40'000, "strip-1600x40000.jpg");
  decode(state, file);
}
BENCHMARK(BM_WideStripScaledToItsDrawnWidth)->Unit(benchmark::kMillisecond);

}  // namespace
