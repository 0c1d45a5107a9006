// The per-frame cost of the canvas primitives every screen uses.
#include <benchmark/benchmark.h>

#include "draw/canvas.hpp"

namespace {

using namespace zentomi;

void BM_ClearFrame(benchmark::State& state) {
  Canvas canvas(1280, 720);
  for (auto _ : state) {
    clear(canvas, palette::FRAME_BACKGROUND);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_ClearFrame)->Unit(benchmark::kMicrosecond);

void BM_FiveGridCards(benchmark::State& state) {
  Canvas canvas(1280, 720);
  for (auto _ : state) {
    for (int column = 0; column < 5; ++column) {
      fill_rounded_rect(canvas, 24 + column * 250, 66, 232, 295, 10, palette::PANEL);
    }
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_FiveGridCards)->Unit(benchmark::kMicrosecond);

void BM_DarkenScreen(benchmark::State& state) {
  Canvas canvas(1280, 720);
  for (auto _ : state) {
    darken_screen(canvas);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_DarkenScreen)->Unit(benchmark::kMicrosecond);

}  // namespace
