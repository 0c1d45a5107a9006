// The slowest images the decoding limits let through: the largest page of each format, and
// progressive JPEGs with as many scans as they are allowed. Each should decode well within a
// second. The files are made once, before the first measurement.
#include <benchmark/benchmark.h>
#include <png.h>
#include <webp/encode.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "images/image_decoding.hpp"
#include "support/jpeg_encoding.hpp"
#include "support/png_encoding.hpp"

namespace {

using namespace zentomi;
using Bytes = std::vector<std::uint8_t>;
using testing::encode_png;

// 40 million pixels, the most a page may have, as a long strip.
constexpr int STRIP_WIDTH = 16000;
constexpr int STRIP_HEIGHT = 2500;

// Drawing-like content: flat paper, gradients and noisy blocks, so no coder takes a shortcut.
Bytes strip_samples(int width, int height, int components) {
  Bytes samples(static_cast<std::size_t>(width) * height * components);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &samples[(static_cast<std::size_t>(y) * width + x) * components];
      for (int c = 0; c < components; ++c) {
        const bool noisy = (x / 32 + y / 32) % 3 == 0;
        p[c] = noisy ? static_cast<std::uint8_t>(random()) : static_cast<std::uint8_t>(x + y * c);
      }
    }
  }
  return samples;
}

int allowed_scans(const DecodeLimits& limits, std::uint64_t pixels) {
  return static_cast<int>(std::min<std::uint64_t>(MAX_JPEG_SCANS, limits.max_scan_pixels / pixels));
}

void decode(benchmark::State& state, const Bytes& bytes, const DecodeLimits& limits) {
  for (auto _ : state) {
    auto image = decode_image(bytes, limits);
    if (!image) state.SkipWithError(image.error().c_str());
    benchmark::DoNotOptimize(image);
  }
  state.counters["file_kB"] = static_cast<double>(bytes.size()) / 1000.0;
}

void BM_BaselineJpegPage(benchmark::State& state) {
  static const Bytes file = testing::encode_jpeg(strip_samples(STRIP_WIDTH, STRIP_HEIGHT, 3),
                                                 STRIP_WIDTH, STRIP_HEIGHT, 3, JCS_RGB, 95);
  decode(state, file, PAGE_LIMITS);
}
BENCHMARK(BM_BaselineJpegPage)->Unit(benchmark::kMillisecond);

void BM_ProgressiveJpegPage(benchmark::State& state) {
  static const Bytes file = testing::encode_jpeg(strip_samples(STRIP_WIDTH, STRIP_HEIGHT, 3),
                                                 STRIP_WIDTH, STRIP_HEIGHT, 3, JCS_RGB, 95, true);
  decode(state, file, PAGE_LIMITS);
}
BENCHMARK(BM_ProgressiveJpegPage)->Unit(benchmark::kMillisecond);

// The last scan of the usual progression refines every coefficient of the image: the costliest
// scan to repeat.
void BM_MostScansJpegPage(benchmark::State& state) {
  static const Bytes file =
      testing::with_scans(testing::encode_jpeg(strip_samples(STRIP_WIDTH, STRIP_HEIGHT, 3),
                                               STRIP_WIDTH, STRIP_HEIGHT, 3, JCS_RGB, 95, true),
                          allowed_scans(PAGE_LIMITS, std::uint64_t{STRIP_WIDTH} * STRIP_HEIGHT));
  decode(state, file, PAGE_LIMITS);
  state.counters["scans"] = allowed_scans(PAGE_LIMITS, std::uint64_t{STRIP_WIDTH} * STRIP_HEIGHT);
}
BENCHMARK(BM_MostScansJpegPage)->Unit(benchmark::kMillisecond);

// The largest cover with all the scans it is allowed.
void BM_MostScansJpegCover(benchmark::State& state) {
  constexpr int SIDE = 2000;
  static const Bytes file = testing::with_scans(
      testing::encode_jpeg(strip_samples(SIDE, SIDE, 3), SIDE, SIDE, 3, JCS_RGB, 95, true),
      allowed_scans(COVER_LIMITS, COVER_LIMITS.max_pixels));
  decode(state, file, COVER_LIMITS);
  state.counters["scans"] = allowed_scans(COVER_LIMITS, COVER_LIMITS.max_pixels);
}
BENCHMARK(BM_MostScansJpegCover)->Unit(benchmark::kMillisecond);

void BM_PngPage(benchmark::State& state) {
  static const Bytes file =
      encode_png(strip_samples(STRIP_WIDTH, STRIP_HEIGHT, 4), STRIP_WIDTH, STRIP_HEIGHT, false);
  decode(state, file, PAGE_LIMITS);
}
BENCHMARK(BM_PngPage)->Unit(benchmark::kMillisecond);

void BM_InterlacedPngPage(benchmark::State& state) {
  static const Bytes file =
      encode_png(strip_samples(STRIP_WIDTH, STRIP_HEIGHT, 4), STRIP_WIDTH, STRIP_HEIGHT, true);
  decode(state, file, PAGE_LIMITS);
}
BENCHMARK(BM_InterlacedPngPage)->Unit(benchmark::kMillisecond);

// WebP sides stop at 16383; 16383 x 2441 is just under 40 million pixels.
void BM_WebpPage(benchmark::State& state) {
  constexpr int WIDTH = 16383, HEIGHT = 2441;
  static const Bytes file = [] {
    const Bytes rgb = strip_samples(WIDTH, HEIGHT, 3);
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeRGB(rgb.data(), WIDTH, HEIGHT, WIDTH * 3, 90.0f, &output);
    Bytes bytes(output, output + size);
    WebPFree(output);
    return bytes;
  }();
  decode(state, file, PAGE_LIMITS);
}
BENCHMARK(BM_WebpPage)->Unit(benchmark::kMillisecond);

}  // namespace
