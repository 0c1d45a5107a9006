// The chapter-list service reader must accept any bytes: a refusal, or chapters with names under
// the slug from an answer that is at least well-formed JSON. The first eight bytes, read as a
// double, must also survive the shortest-text round trip.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "json/json_reader.hpp"
#include "nettruyen/chapter_list.hpp"
#include "nettruyen/site.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zentomi;
  if (size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    if (std::isfinite(value)) {
      const std::string text = shortest_float_text(value);
      const auto back = json_number_value(text);
      if (!back || std::memcmp(&*back, &value, sizeof value) != 0) __builtin_trap();
      if (is_json_integer(text)) __builtin_trap();
    }
  }

  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  const auto chapters = parse_chapter_service(answer, "slug");
  if (!chapters) return 0;
  JsonReader reader(answer);
  if (!reader.skip_value() || !reader.at_end()) __builtin_trap();
  const std::string prefix = site_url("/truyen-tranh/slug/chuong-");
  for (const ChapterRef& chapter : *chapters) {
    if (chapter.name.empty() || !chapter.url.starts_with(prefix)) __builtin_trap();
  }
  return 0;
}
