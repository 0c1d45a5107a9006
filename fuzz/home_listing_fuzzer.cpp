// The front-page scraper must accept any bytes: either usable items or the one "nothing found"
// error, never a read outside the page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nettruyen/home_listing.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const auto items = zentomi::parse_home_listing(page);
  if (!items) {
    if (items.error() != "Không tìm thấy danh sách truyện từ NetTruyen") __builtin_trap();
    return 0;
  }
  std::size_t blocks = 0;
  for (std::size_t at = page.find("<div class=\"item\">"); at != std::string_view::npos;
       at = page.find("<div class=\"item\">", at + 1)) {
    ++blocks;
  }
  if (items->empty() || items->size() > blocks) __builtin_trap();
  for (const zentomi::MangaItem& item : *items) {
    if (item.title.empty()) __builtin_trap();
  }
  return 0;
}
