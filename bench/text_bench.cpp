// The per-frame cost of text: the home screen's footer hint line and the detail screen's 7-line
// summary, each with the glyph cache and with every glyph rasterised afresh.
#include <benchmark/benchmark.h>

#include <string>

#include "draw/canvas.hpp"
#include "draw/text.hpp"

namespace {

using namespace zentomi;

constexpr const char* FOOTER_HINT =
    "[D-Pad] Chọn   [A] Đọc   [X] Lưới/DS   [Y] Sắp xếp   [SELECT] Yêu thích   [START] Cập nhật "
    "OTA   [B] Thoát";

// Long enough to fill the seven lines and be cut.
constexpr const char* SUMMARY =
    "Một thiếu niên bình thường bỗng phát hiện mình có thể nhìn thấy những điều người khác không "
    "thấy. Từ đó, cuộc đời cậu rẽ sang một hướng khác hẳn: những cuộc phiêu lưu, những người bạn "
    "mới và cả những bí mật được giấu kín suốt nhiều năm trong ngôi làng nhỏ bên bờ biển, nơi "
    "không ai dám nhắc đến. Khi cơn bão lớn nhất trong một trăm năm ập đến, cậu buộc phải lựa "
    "chọn giữa gia đình và lời hứa với người bạn thân nhất, và mọi thứ cậu từng tin tưởng đều bị "
    "đặt dấu hỏi. Truyện được cập nhật hằng tuần với những chương mới đầy bất ngờ.";

std::size_t cache_bytes(const benchmark::State& state) {
  return state.range(0) != 0 ? Font::DEFAULT_CACHE_BYTES : 0;
}

void BM_FooterHintLine(benchmark::State& state) {
  Font font = *Font::load_embedded(cache_bytes(state));
  Canvas canvas(1280, 720);
  Renderer renderer{canvas, font};
  for (auto _ : state) {
    draw_text(renderer, FOOTER_HINT, 20, 720 - 28, palette::SECONDARY_TEXT, 13.0f);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_FooterHintLine)->ArgName("cached")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WrappedSummary(benchmark::State& state) {
  Font font = *Font::load_embedded(cache_bytes(state));
  Canvas canvas(1280, 720);
  Renderer renderer{canvas, font};
  for (auto _ : state) {
    draw_wrapped_text(renderer, SUMMARY, 340, 300, 296, 18, palette::LIST_TEXT, 12.0f, 7);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_WrappedSummary)->ArgName("cached")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A title of "A", 20 MiB of blanks and "B" draws what "A B" draws; after its first frame it costs
// what a short title costs. Arg 1 is the padded title.
void BM_WrappedTitleWithABlankRun(benchmark::State& state) {
  Font font = *Font::load_embedded();
  Canvas canvas(1280, 720);
  Renderer renderer{canvas, font};
  const std::string title =
      state.range(0) != 0 ? "A" + std::string(std::size_t{20} << 20, ' ') + "B" : "A B";
  for (auto _ : state) {
    draw_wrapped_text(renderer, title, 32, 359, 296, 22, palette::ACCENT, 17.5f, 2);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(BM_WrappedTitleWithABlankRun)
    ->ArgName("padded")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
