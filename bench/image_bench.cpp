// Decoding a chapter page, and the per-frame cost of drawing pages and covers.
#include <benchmark/benchmark.h>
#include <webp/encode.h>

#include <random>
#include <vector>

#include "draw/image_drawing.hpp"
#include "images/image_decoding.hpp"
#include "support/jpeg_encoding.hpp"

namespace {

using namespace zentomi;
using Bytes = std::vector<std::uint8_t>;

constexpr int PAGE_WIDTH = 800;
constexpr int PAGE_HEIGHT = 1200;

// Something like a manga page: white paper, black panel borders, screentone dots, a grey
// gradient and noisy blocks standing in for drawing and lettering.
std::vector<std::uint8_t> page_rgb() {
  std::vector<std::uint8_t> rgb(std::size_t{PAGE_WIDTH} * PAGE_HEIGHT * 3);
  std::mt19937 random(42);
  for (int y = 0; y < PAGE_HEIGHT; ++y) {
    for (int x = 0; x < PAGE_WIDTH; ++x) {
      int value = 255;
      const int panel = (y / 300) * 2 + x / 400;
      if (x % 400 < 4 || y % 300 < 4) {
        value = 0;
      } else if (panel % 3 == 0) {
        value = ((x % 6) - 3) * ((x % 6) - 3) + ((y % 6) - 3) * ((y % 6) - 3) < 5 ? 40 : 250;
      } else if (panel % 3 == 1) {
        value = 255 - (y % 300) * 200 / 300;
      } else if ((x / 24 + y / 24) % 3 == 0) {
        value = static_cast<int>(random() % 256);
      }
      std::uint8_t* p = &rgb[(std::size_t{static_cast<unsigned>(y)} * PAGE_WIDTH + x) * 3];
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>(value);
    }
  }
  return rgb;
}

Bytes page_jpeg() {
  return testing::encode_jpeg(page_rgb(), PAGE_WIDTH, PAGE_HEIGHT, 3, JCS_RGB, 85);
}

Bytes page_webp() {
  const std::vector<std::uint8_t> rgb = page_rgb();
  std::uint8_t* output = nullptr;
  const std::size_t size =
      WebPEncodeRGB(rgb.data(), PAGE_WIDTH, PAGE_HEIGHT, PAGE_WIDTH * 3, 80.0f, &output);
  Bytes bytes(output, output + size);
  WebPFree(output);
  return bytes;
}

void decode(benchmark::State& state, const Bytes& bytes) {
  for (auto _ : state) {
    auto image = decode_image(bytes);
    if (!image) state.SkipWithError(image.error().c_str());
    benchmark::DoNotOptimize(image);
  }
  state.counters["file_kB"] = static_cast<double>(bytes.size()) / 1000.0;
}

void BM_DecodeJpegPage(benchmark::State& state) {
  decode(state, page_jpeg());
}
BENCHMARK(BM_DecodeJpegPage)->Unit(benchmark::kMillisecond);

void BM_DecodeWebpPage(benchmark::State& state) {
  decode(state, page_webp());
}
BENCHMARK(BM_DecodeWebpPage)->Unit(benchmark::kMillisecond);

RgbaImage opaque_image(std::uint32_t width, std::uint32_t height) {
  RgbaImage image{width, height, PixelBuffer(std::size_t{width} * height * 4)};
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(i * 7);
  image.opaque = true;
  return image;
}

// Full screen, 1280 x 720: argument 0 is "100% (Fit)", 3 is "200%".
void BM_DrawPage(benchmark::State& state) {
  const RgbaImage page = opaque_image(PAGE_WIDTH, PAGE_HEIGHT);
  Canvas canvas(1280, 720);
  for (auto _ : state) {
    draw_page(canvas, page, static_cast<std::size_t>(state.range(0)), 0, 0);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_DrawPage)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

// One home grid cover: 300 x 400 into the card's 216 x 205 box.
void BM_DrawCover(benchmark::State& state) {
  const RgbaImage cover = opaque_image(300, 400);
  Canvas canvas(1280, 720);
  for (auto _ : state) {
    draw_cover(canvas, cover, 24 + 8, 66 + 8, 232 - 16, 205, 8);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_DrawCover)->Unit(benchmark::kMicrosecond);

}  // namespace
